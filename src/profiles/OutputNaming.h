// How output names avoid existing files: at add time a clash gets "(New_" n ")" before the
// extension; when the queue starts, a name carrying that mark is searched again from its base, so
// a file that was only renamed because of an older clash goes back to its plain name.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "profiles/FileNames.h"

namespace velmora {

// The existing-file rule of the settings: 0 generates a new name, 1 overwrites.
enum class ExistingFileRule { NewName = 0, Overwrite = 1 };

inline constexpr std::string_view kNewNameMark = "(New_";

// stem + "(New_" + n + ")" + extension.
std::string numberedName(std::string_view stem, int n, std::string_view extension);

// stem + "(New_" n ")" + extension for the smallest n >= 1 naming no existing file; nothing when
// no free name turns up within a generous bound (a file system that claims every name exists).
std::optional<std::string> findNumberedName(std::string_view stem, std::string_view extension,
                                            const FileExists& fileExists);

// The name of a new job's output: kept when it does not exist or the rule overwrites, otherwise
// numbered.
std::optional<std::string> outputNameForAdd(const std::string& name, ExistingFileRule rule,
                                            const FileExists& fileExists);

// The name a stored job's output gets when the queue starts. A name without the mark is used as it
// is, even when the file exists; a marked name drops its mark and is numbered again on a clash.
std::optional<std::string> outputNameForStart(const std::string& name, ExistingFileRule rule,
                                              const FileExists& fileExists);

}  // namespace velmora
