#pragma once

#include <iosfwd>

namespace velmora::cli {

// Loads the converter and the player library sets and prints, per library, the file it opened
// and its version, or the loader's error. Returns the process exit code.
int runLibsCommand(std::ostream& out, std::ostream& err);

}  // namespace velmora::cli
