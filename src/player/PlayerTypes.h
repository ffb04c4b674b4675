// Enumerations and event types of the player component.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace velmora {

class TCustomPlayer;
class Bitmap;

enum class TPlayState : int {
    psPlay = 0,
    psPause = 1,
    psResume = 2,
    psStep = 3,  // never produced by this program
    psStop = 4,
    psEnd = 5,
};

// Audio and video back ends. adDefault / vdDefault leave SDL's choice (and any driver the user
// set in the environment) alone; the others name an SDL2 driver.
enum class TAudioDriver : int { adDefault, adDirectSound, adWaveOut };
enum class TVideoDriver : int { vdDefault, vdDirectDraw, vdGDI };

// The SDL2 driver name a value stands for; empty for the default.
std::string AudioDriverName(TAudioDriver driver);
std::string VideoDriverName(TVideoDriver driver);

const char* PlayStateName(TPlayState state);

// Events; positions are microseconds from the start of the file.
using TFileOpenEvent =
    std::function<void(TCustomPlayer* sender, std::int64_t duration, int frameWidth,
                       int frameHeight, int& screenWidth, int& screenHeight)>;
using TPositionEvent = std::function<void(TCustomPlayer* sender, std::int64_t pts)>;
using TPlayStateEvent = std::function<void(TCustomPlayer* sender, TPlayState state)>;
// Called on the video thread with the decoded picture as a 24-bit bitmap the handler may change.
using THookEvent = std::function<void(TCustomPlayer* sender, Bitmap& bitmap, std::int64_t pts)>;
// Called on the player's event-loop thread each time a picture (or the audio visualisation) is
// put on screen; onWindow is false when no SDL window showed it (offscreen display, or a window
// that could not be made), so the host has to draw it itself.
using TPictureShownEvent = std::function<void(TCustomPlayer* sender, bool onWindow)>;

}  // namespace velmora
