// Replacing a file in one step: the new text goes into a temporary file beside it, which is
// flushed to the disk and then renamed over the old file. A reader sees the old text or the new,
// never a part; a crash or a power cut leaves the old file or the new one.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace velmora {

// Writes text to path, creating its folder (with parents) when missing. False, with the reason in
// *error, when it cannot; the old file is then left as it was and no temporary file remains.
bool replaceFileAtomically(const std::string& path, std::string_view text,
                           std::string* error = nullptr);

// The whole file, or nothing when it cannot be opened or read.
std::optional<std::string> readWholeFile(const std::string& path);

}  // namespace velmora
