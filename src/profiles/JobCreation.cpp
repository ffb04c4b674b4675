#include "profiles/JobCreation.h"

extern "C" {
#include <libavformat/avformat.h>
}

#include "probe/MediaProbe.h"

namespace velmora {

namespace {

JobCreation refused(JobStep step, std::string message, JobRecords records = {}) {
    JobCreation creation;
    creation.failedAt = step;
    creation.message = std::move(message);
    creation.records = std::move(records);
    return creation;
}

// A built job registered, or the naming failure as the step it failed at; either way with the
// choices it was built from and its source's facts as they are now.
JobCreation registerBuild(TMediaConverter& converter, JobBuild build,
                          const PendingJobOptions& choices, const std::string& sourceFile,
                          std::int64_t sourceDurationUs, const std::string& extOptions = {}) {
    JobCreation creation;
    if (!build.records) {
        switch (build.failure) {
            case JobBuildFailure::OutputIsSource:
                creation = refused(JobStep::OutputIsSource, build.clash);
                break;
            case JobBuildFailure::SourceIsListedOutput:
                creation = refused(JobStep::SourceIsListedOutput, build.clash);
                break;
            default:
                creation = refused(JobStep::OutputName, build.clash);
                break;
        }
    } else {
        JobRecords& records = *build.records;
        records.output.ExtOptions = extOptions;
        creation = registerJob(converter, std::move(records));
    }
    creation.origin.choices = choices;
    creation.origin.choices.SourceFile = sourceFile;
    creation.origin.source = readSourceFacts(sourceFile);
    creation.origin.source.durationUs = sourceDurationUs;
    return creation;
}

}  // namespace

std::optional<std::int64_t> openSource(TMediaConverter& converter, const std::string& sourceFile,
                                       std::string* error) {
    TMediaProbe& probe = converter.MediaProbe();
    if (!probe.Open(sourceFile)) {
        if (error) {
            *error = probe.LastError();
        }
        return std::nullopt;
    }
    TFileStreamInfo info;
    const std::int64_t durationUs = probe.GetFileStreamInfo(info) ? info.Duration : -1;
    probe.Close();
    return durationUs;
}

std::optional<std::int64_t> sourceDurationThroughTask(TMediaConverter& converter,
                                                      const std::string& sourceFile) {
    const TInputOptions input = makeInputOptions(sourceFile);
    const int task = converter.AddTask(sourceFile, &input);
    std::optional<std::int64_t> durationUs;
    if (task >= 0) {
        const AVFormatContext* context = converter.InputFormatContext(task, 0);
        // AV_NOPTS_VALUE, an input that states no duration, is negative too.
        if (context != nullptr && context->duration >= 0) {
            durationUs = context->duration;
        }
    }
    converter.ClearTasks();
    return durationUs;
}

JobCreation registerJob(TMediaConverter& converter, JobRecords records) {
    const int task = converter.AddTask(records.input.FileName, &records.input);
    if (task < 0) {
        return refused(JobStep::AddTask, converter.LastErrMsg(), std::move(records));
    }
    if (!converter.SetOutputFile(task, records.output.FileName, &records.output)) {
        std::string message = converter.LastErrMsg();
        converter.RemoveTask(task);
        return refused(JobStep::SetOutputFile, std::move(message), std::move(records));
    }
    JobCreation creation;
    creation.records = std::move(records);
    creation.taskIndex = task;
    return creation;
}

JobCreation createJob(TMediaConverter& converter, const std::string& sourceFile,
                      const JobChoices& choices, const std::string& outputFolder,
                      ExistingFileRule rule, const JobListNames& list) {
    // As in a window add, the probe must open the source before anything else is done.
    std::string error;
    const auto durationUs = openSource(converter, sourceFile, &error);
    if (!durationUs) {
        return refused(JobStep::OpenSource, std::move(error));
    }
    const ResolvedJob resolved = resolveJob(choices, sourceFile, outputFolder, *durationUs);
    if (!resolved.pending) {
        return refused(JobStep::Options, resolved.error);
    }
    return registerBuild(converter,
                         buildOneFileJob(*resolved.pending, rule, fileExistsOnDisk, list),
                         *resolved.pending, sourceFile, *durationUs, choices.extOptions);
}

JobCreation createOneFileJob(TMediaConverter& converter, const PendingJobOptions& pending,
                             ExistingFileRule rule, const JobListNames& list) {
    std::string error;
    const auto durationUs = openSource(converter, pending.SourceFile, &error);
    if (!durationUs) {
        return refused(JobStep::OpenSource, std::move(error));
    }
    return registerBuild(converter, buildOneFileJob(pending, rule, fileExistsOnDisk, list), pending,
                         pending.SourceFile, *durationUs);
}

JobCreation createSeveralFilesJob(TMediaConverter& converter, const PendingJobOptions& pending,
                                  const std::string& sourceFile, const std::string& outputFolder,
                                  ExistingFileRule rule, const JobListNames& list) {
    std::string error;
    const auto durationUs = openSource(converter, sourceFile, &error);
    if (!durationUs) {
        return refused(JobStep::OpenSource, std::move(error));
    }
    return registerBuild(
        converter,
        buildSeveralFilesJob(pending, sourceFile, outputFolder, rule, fileExistsOnDisk, list),
        pending, sourceFile, *durationUs);
}

}  // namespace velmora
