#pragma once

#include <iosfwd>
#include <string>

namespace velmora::cli {

// Sets the logger to the level named and prints every delivered line to `out`, from whatever
// thread logs it, as "#thread.level: message".
void printLogLines(const std::string& levelName, std::ostream& out);

}  // namespace velmora::cli
