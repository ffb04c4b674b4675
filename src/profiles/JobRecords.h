// Job creation's rules for turning PendingJobOptions into the converter's option records: the
// input record, the output name, and the output record, for the one-file and the several-files
// add.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "component/OptionRecords.h"
#include "profiles/FileNameIndex.h"
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

// What a failed build reports, followed by the name concerned.
inline constexpr const char* kNoOutputNameMessage = "无法为输出文件生成新的文件名：";
inline constexpr const char* kOutputIsSourceMessage = "输出文件会覆盖转换列表中的源文件：";
inline constexpr const char* kSourceIsOutputMessage = "源文件是转换列表中另一个任务的输出文件：";

// The jobs already in the list a new job joins (the window's job list, one velmora-cli batch;
// for a batch, the sources may include those still to be added).
struct JobListNames {
    FileNameIndex sources;  // no output may overwrite one of them
    FileNameIndex outputs;  // no other job may write one of them
};

enum class JobBuildFailure {
    None,
    NoFreeName,            // every numbered name is taken
    OutputIsSource,        // the output would overwrite the job's own source or a listed one
    SourceIsListedOutput,  // another listed job writes this job's source
};

struct JobBuild {
    std::optional<JobRecords> records;
    std::string message;  // set when records is empty: one of the texts above and the name
    JobBuildFailure failure = JobBuildFailure::None;
    std::string clash;  // the name the failure is about
};

// One-file add of pending.SourceFile, named after pending.OutputFile (numbered on a clash with a
// file or with another job of the list).
JobBuild buildOneFileJob(const PendingJobOptions& pending, ExistingFileRule rule,
                         const FileExists& fileExists, const JobListNames& list = {});

// One file of a several-files add: named outputFolder / source stem + the last extension of
// pending.OutputFile (numbered on a clash). pending.SourceFile is not read.
JobBuild buildSeveralFilesJob(const PendingJobOptions& pending, const std::string& sourceFile,
                              std::string_view outputFolder, ExistingFileRule rule,
                              const FileExists& fileExists, const JobListNames& list = {});

}  // namespace velmora
