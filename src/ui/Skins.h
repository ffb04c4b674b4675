// The looks of the windows. Each look is keyed by the value the settings file keeps in
// [skin] SetSkin ("skin1" .. "skin18"); five are compiled in, the others are style-sheet theme
// files under the skins folder. Every window applies the saved look when it is shown.
#pragma once

#include <QString>
#include <span>
#include <string_view>

class QWidget;

namespace velmora::ui {

struct SkinLook {
    std::string_view value;        // the [skin] SetSkin value
    std::string_view menuCaption;  // empty for "skin17", which no menu item offers
    std::string_view themeFile;    // file name under the skins folder; empty for a built-in look
};

// The 17 items of the skin menu, in menu order.
std::span<const SkinLook> skinMenu();

// Every look, "skin17" included; nullptr for any other value.
const SkinLook* findSkin(std::string_view value);

// The style sheet of a look: compiled in, or read from skinsFolder/themeFile. A null QString when
// the value names no look or its theme file cannot be read.
QString skinStyleSheet(std::string_view value, const QString& skinsFolder);

// Gives window (a top-level widget) the look named by value. False, and the window unchanged,
// when the value names no look or its theme file cannot be read (a warning names the file).
bool applySkin(QWidget& window, std::string_view value, const QString& skinsFolder);

}  // namespace velmora::ui
