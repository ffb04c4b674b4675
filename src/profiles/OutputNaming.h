// How output names avoid existing files and each other: at add time a clash gets "(New_" n ")"
// before the extension; when the queue starts, a name carrying that mark is searched again from
// its base, so a file that was only renamed because of an older clash goes back to its plain
// name.
//
// Adding a job creates no file, so the names of the other jobs of the same list (the window's
// job list, one velmora-cli batch) count as taken as well, under either existing-file rule: two
// jobs of one list never write the same file. For the window:
//   - at add time, build the job with buildOneFileJob / buildSeveralFilesJob (JobRecords.h),
//     passing the sources and outputs of the jobs already listed (JobListNames); a refused job
//     (JobBuild::failure) must not be listed;
//   - at Start, buildTasks (TaskBuilding.h) applies the start rule with the whole list in view.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "profiles/FileNameIndex.h"
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

// True when the file-name part carries the "(New_" mark (a folder's name does not count).
bool carriesNewNameMark(const std::string& name);

// True when path names one of the names (see FileNameIndex); for a list kept across many checks,
// keep a FileNameIndex instead.
bool namesAny(const std::vector<std::string>& names, const std::string& path);

// The name of a new job's output: kept when it does not exist or the rule overwrites, otherwise
// numbered. A name another job of the list already writes (listedOutputs) is numbered under
// either rule, and numbering skips those names too.
std::optional<std::string> outputNameForAdd(const std::string& name, ExistingFileRule rule,
                                            const FileExists& fileExists,
                                            const FileNameIndex& listedOutputs = {});

// The name a stored job's output gets when the queue starts. A name without the mark is used as it
// is, even when the file exists; a marked name drops its mark and is numbered again on a clash.
// Names that `isTaken` accepts (the other jobs' outputs, the list's sources) are never given
// out: a name among them is numbered under either rule. An empty test takes no name.
std::optional<std::string> outputNameForStart(const std::string& name, ExistingFileRule rule,
                                              const FileExists& fileExists,
                                              const FileExists& isTaken = {});

}  // namespace velmora
