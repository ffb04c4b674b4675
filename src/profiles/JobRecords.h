// Job creation's rules for turning PendingJobOptions into the converter's option records: the
// input record, the output name, and the output record, for the one-file and the several-files
// add.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "component/OptionRecords.h"
#include "profiles/FileNames.h"
#include "profiles/OutputNaming.h"
#include "profiles/PendingJobOptions.h"

namespace velmora {

// The one-file add applies the cut range; the several-files add always converts whole sources.
enum class AddFlow { OneFile, SeveralFiles };

inline constexpr const char* kX264DefaultPreset = "libx264-default";

// Default input options for a source; a ".dat" source (any case) is read as "mpeg".
TInputOptions makeInputOptions(const std::string& sourceFile);

// The output record filled from the pending options, in the order job creation applies them. The
// output's FileName is left to the caller.
TOutputOptions makeOutputOptions(const PendingJobOptions& pending, AddFlow flow);

struct JobRecords {
    TInputOptions input;
    TOutputOptions output;  // output.FileName is the name to hand to SetOutputFile
};

// What a failed build reports.
inline constexpr const char* kNoOutputNameMessage = "无法为输出文件生成新的文件名：";

struct JobBuild {
    std::optional<JobRecords> records;
    std::string message;  // set when records is empty
};

// One-file add of pending.SourceFile, named after pending.OutputFile (numbered on a clash).
JobBuild buildOneFileJob(const PendingJobOptions& pending, ExistingFileRule rule,
                         const FileExists& fileExists);

// One file of a several-files add: named outputFolder / source stem + the last extension of
// pending.OutputFile (numbered on a clash). pending.SourceFile is not read.
JobBuild buildSeveralFilesJob(const PendingJobOptions& pending, const std::string& sourceFile,
                              std::string_view outputFolder, ExistingFileRule rule,
                              const FileExists& fileExists);

}  // namespace velmora
