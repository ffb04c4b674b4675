#pragma once

#include <iosfwd>
#include <string>

namespace velmora::cli {

// Sets the logger to the level named and prints every delivered line to `out`, from whatever
// thread logs it, as "#thread.level: message".
void printLogLines(const std::string& levelName, std::ostream& out);

// What velmora-cli prints when no level is named, the same way: the program's warnings, so that
// a choice the engine made in the user's place (another sample rate, another frame size) is
// never silent. Errors are each command's own to report; status lines are left out.
void printWarnings(std::ostream& out);

}  // namespace velmora::cli
