// Reading a password for the lock commands.
#pragma once

#include <optional>
#include <string>

namespace velmora::cli {

// One line of standard input, without its line end. On a terminal the prompt goes to standard
// error and the typed characters are not shown (echo comes back even when a signal ends the
// program while it waits); piped input is read as it is, for scripts. Nothing at the end of the
// input. At most kMaxPasswordBytes + 1 bytes are kept, so that a caller can refuse a longer line.
std::optional<std::string> readPassword(const std::string& prompt);

}  // namespace velmora::cli
