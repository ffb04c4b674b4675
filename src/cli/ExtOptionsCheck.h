// The --ext-options lines that nothing takes: the engine hands a name its option table does not
// know to the libraries' option classes and ignores their refusal, so a misspelt name would
// otherwise pass without a word.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace velmora::cli {

// Each "name=value" line of the text that neither the engine's option table, the converter's
// stream options nor any codec, format or scaler option class takes (an unknown name, or a value
// the class refuses), as written. Needs the media libraries.
std::vector<std::string> ignoredExtOptions(std::string_view text);

}  // namespace velmora::cli
