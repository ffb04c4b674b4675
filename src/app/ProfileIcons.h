// The pictures of the format chooser: one 60x60 icon per profile, painted for the program at
// start-up. Each shows the device or the format family the profile is for (monitor, phone,
// tablet, TV, set-top box, handheld console, music player, disc, film reel, music note ...) on a
// light tile, with the format written on a coloured band and, where two entries of a tab would
// otherwise look alike, a small badge ("HD", "4K", "H.264" ...).
#pragma once

#include <QIcon>
#include <QImage>

namespace velmora::app {

// The chooser's icon size in device-independent pixels.
inline constexpr int kProfileIconSize = 60;

// The icon of a profile code (painted once, then shared); a null icon for a code that names no
// profile. Main thread only.
QIcon profileIcon(int code);

// One picture of a profile's icon at sizePx x sizePx; a null image for an unknown code.
QImage paintProfileIcon(int code, int sizePx);

}  // namespace velmora::app
