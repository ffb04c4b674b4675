// Job creation with the converter: the source opened with the converter's probe, the choices
// resolved, the output named, and the records registered with the converter (AddTask,
// SetOutputFile) to prove the job can be set up. velmora-cli convert and the window's
// `velmora --profile CODE FILE...` make their jobs with createJob; the window's dialog flows,
// whose choices the option settings confirmed, with createOneFileJob and createSeveralFilesJob.
//
// Threads: main thread, like every converter operation.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "component/MediaConverter.h"
#include "profiles/JobChoices.h"
#include "profiles/JobOrigin.h"
#include "profiles/JobRecords.h"
#include "profiles/OutputNaming.h"

namespace velmora {

// The step at which a job was refused; Added when it was not.
enum class JobStep {
    Added,
    OpenSource,
    Options,
    OutputName,            // every numbered name is taken
    OutputIsSource,        // the output would overwrite the job's own source or a listed one
    SourceIsListedOutput,  // another listed job writes this job's source
    AddTask,
    SetOutputFile,
};

struct JobCreation {
    JobStep failedAt = JobStep::Added;
    // Why, by step: the probe's text (OpenSource), the option settings' text (Options), the name
    // the naming failed on (OutputName, OutputIsSource, SourceIsListedOutput), the converter's
    // LastErrMsg (AddTask, SetOutputFile).
    std::string message;
    // Filled from the OutputName step on; records.output.FileName is the output name.
    JobRecords records;
    int taskIndex = -1;  // the converter's task, when added
    // The confirmed choices and the source's facts, from the Options step on (createJob and the
    // two dialog flows; registerJob leaves it to the caller).
    JobOrigin origin;

    bool added() const { return failedAt == JobStep::Added; }
};

// Opens the source with the converter's probe, as every add does first, and closes it again.
// The source's duration (-1 when unknown), or nothing with the probe's text in *error.
std::optional<std::int64_t> openSource(TMediaConverter& converter, const std::string& sourceFile,
                                       std::string* error);

// The duration probe of the option settings: the source added as a task of the converter (with
// the ".dat" rule), the opened input's duration read, and the converter's tasks cleared again.
// Nothing when the task cannot be added or the input states no duration.
std::optional<std::int64_t> sourceDurationThroughTask(TMediaConverter& converter,
                                                      const std::string& sourceFile);

// AddTask and SetOutputFile for a job's records; a task whose output is refused is removed again.
JobCreation registerJob(TMediaConverter& converter, JobRecords records);

// The one-file add of pending.SourceFile once the option settings confirmed pending: the source
// opened, the records built with the cut range and named within the list, and registered.
JobCreation createOneFileJob(TMediaConverter& converter, const PendingJobOptions& pending,
                             ExistingFileRule rule, const JobListNames& list);

// One file of a several-files add with the confirmed choices: named outputFolder / its stem + the
// last extension of pending.OutputFile, never cut.
JobCreation createSeveralFilesJob(TMediaConverter& converter, const PendingJobOptions& pending,
                                  const std::string& sourceFile, const std::string& outputFolder,
                                  ExistingFileRule rule, const JobListNames& list);

// The whole add of one source with fixed choices, named with the other jobs of the list in view
// (their outputs are taken, neither their sources nor its own may be overwritten).
JobCreation createJob(TMediaConverter& converter, const std::string& sourceFile,
                      const JobChoices& choices, const std::string& outputFolder,
                      ExistingFileRule rule, const JobListNames& list);

}  // namespace velmora
