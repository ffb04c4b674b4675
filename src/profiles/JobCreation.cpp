#include "profiles/JobCreation.h"

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

    JobListNames names = list;
    if (!namesAny(names.sources, sourceFile)) {
        names.sources.push_back(sourceFile);
    }
    JobBuild build = buildOneFileJob(*resolved.pending, rule, fileExistsOnDisk, names);
    if (!build.records) {
        switch (build.failure) {
            case JobBuildFailure::OutputIsSource:
                return refused(JobStep::OutputIsSource, build.clash);
            case JobBuildFailure::SourceIsListedOutput:
                return refused(JobStep::SourceIsListedOutput, build.clash);
            default:
                return refused(JobStep::OutputName, build.clash);
        }
    }
    JobRecords& records = *build.records;
    records.output.ExtOptions = choices.extOptions;
    return registerJob(converter, std::move(records));
}

}  // namespace velmora
