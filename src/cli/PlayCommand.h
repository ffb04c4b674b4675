#pragma once

#include <iosfwd>
#include <optional>
#include <string>

namespace velmora::cli {

struct PlayOptions {
    std::string file;
    bool paused = false;  // open paused (shows the first picture)
    bool mute = false;
    std::optional<double> seekSeconds;  // seek there (waiting) after opening
    std::optional<double> forSeconds;   // stop after this long; otherwise at the end
    std::string snapshotPath;           // save the picture on screen as BMP after the seek
};

// Plays a file in an SDL window (or headless with SDL's dummy drivers), printing the player's
// state and position events to out. Returns the process exit code.
int runPlayCommand(const PlayOptions& options, std::ostream& out, std::ostream& err);

}  // namespace velmora::cli
