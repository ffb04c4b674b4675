#include "profiles/JobRecords.h"

#include <charconv>
#include <limits>

namespace velmora {

namespace {

// Plain decimal text; nothing for anything else, so a malformed value is simply not given.
std::optional<std::int32_t> toInt32(std::string_view text) {
    std::int32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

std::int64_t millisecondsToMicroseconds(std::int64_t ms) {
    constexpr std::int64_t kLimit = std::numeric_limits<std::int64_t>::max() / 1000;
    return ms > kLimit ? std::numeric_limits<std::int64_t>::max() : ms * 1000;
}

std::int32_t targetOf(std::string_view discTarget) {
    if (discTarget == "vcd") {
        return 1;
    }
    if (discTarget == "svcd") {
        return 2;
    }
    return discTarget == "dvd" ? 3 : 0;
}

std::int32_t targetNormOf(std::string_view tvNorm) {
    if (tvNorm == "PAL") {
        return 1;
    }
    return tvNorm == "NTSC" ? 2 : 0;
}

void setIfNumber(std::int32_t& field, std::string_view text) {
    if (const auto value = toInt32(text)) {
        field = *value;
    }
}

constexpr std::int32_t kAudioBitRateNotGivenToo = -2000;

JobBuild refused(JobBuildFailure failure, const char* message, const std::string& name) {
    return JobBuild{std::nullopt, std::string(message) + name, failure, name};
}

// The output name of a new job within its list, or why there is none.
JobBuild nameWithinList(JobRecords records, const std::string& plain, ExistingFileRule rule,
                        const FileExists& fileExists, const JobListNames& list) {
    const std::string& source = records.input.FileName;
    if (list.outputs.contains(source)) {
        return refused(JobBuildFailure::SourceIsListedOutput, kSourceIsOutputMessage, source);
    }
    const auto name = outputNameForAdd(plain, rule, fileExists, list.outputs);
    if (!name) {
        return refused(JobBuildFailure::NoFreeName, kNoOutputNameMessage, plain);
    }
    // Sources are read when their job runs, which may come after this one has written.
    if (sameFilePath(*name, source) || list.sources.contains(*name)) {
        return refused(JobBuildFailure::OutputIsSource, kOutputIsSourceMessage, *name);
    }
    records.output.FileName = *name;
    return JobBuild{std::move(records), {}, JobBuildFailure::None, {}};
}

}  // namespace

TInputOptions makeInputOptions(const std::string& sourceFile) {
    TInputOptions input;
    input.FileName = sourceFile;
    if (equalsIgnoringCase(extensionOf(sourceFile), ".dat")) {
        input.ForceFormat = "mpeg";
    }
    return input;
}

TOutputOptions makeOutputOptions(const PendingJobOptions& pending, AddFlow flow) {
    TOutputOptions output;
    if (!pending.ChannelsText.empty()) {
        setIfNumber(output.AudioChannels, pending.ChannelsText);
    }
    if (!pending.SampleRateText.empty() && pending.SampleRateText != kAutoValue) {
        setIfNumber(output.AudioSampleRate, pending.SampleRateText);
    }
    output.FrameSize = pending.FrameSizeText;
    output.FrameRate = pending.FrameRateText;
    if (!pending.DiscTarget.empty()) {
        output.Target = targetOf(pending.DiscTarget);
    }
    output.TargetNorm = targetNormOf(pending.TvNorm);

    // One file: the input's start offset carries the cut start, the output records its length.
    if (flow == AddFlow::OneFile) {
        if (pending.CutMode == kCutSelect) {
            output.RecordingTime = millisecondsToMicroseconds(pending.CutLengthMs);
        } else {
            output.StartTime = 0;
        }
    }

    if (pending.VolumeText != kVolumeUnchanged) {
        setIfNumber(output.AudioVolume, pending.VolumeText);
    }
    output.DisableVideo = pending.AudioOnly;
    output.AspectRatio = pending.AspectText;
    if (pending.VideoBitRate != kBitRateNotGiven) {
        output.VideoBitrate = pending.VideoBitRate;
    }
    if (pending.AudioBitRate != kBitRateNotGiven &&
        pending.AudioBitRate != kAudioBitRateNotGivenToo) {
        output.AudioBitrate = pending.AudioBitRate;
    }
    output.FileFormat = pending.OutputFormat;
    output.VideoFilters = pending.VideoFilters;
    output.VideoTag = pending.VideoTag;

    if (!pending.VideoCodec.empty()) {
        output.VideoCodec = pending.VideoCodec;
        if (pending.VideoCodec == "libx264") {
            output.VideoPreset = kX264DefaultPreset;
        }
        // The MPEG-4 fourcc only means something in an AVI file.
        if (pending.VideoCodec == "mpeg4") {
            const bool avi = pending.ProfileExt == ".avi";
            const bool knownTag = pending.VideoTag == "DX50" || pending.VideoTag == "XVID";
            output.VideoTag = avi && knownTag ? pending.VideoTag : std::string{};
        }
    }
    if (!pending.AudioCodec.empty() && pending.AudioCodec != kAutoValue) {
        output.AudioCodec = pending.AudioCodec;
    }
    return output;
}

JobBuild buildOneFileJob(const PendingJobOptions& pending, ExistingFileRule rule,
                         const FileExists& fileExists, const JobListNames& list) {
    JobRecords records;
    records.input = makeInputOptions(pending.SourceFile);
    if (pending.CutStartMs >= 0) {
        records.input.StartTime = millisecondsToMicroseconds(pending.CutStartMs);
    }
    records.output = makeOutputOptions(pending, AddFlow::OneFile);
    return nameWithinList(std::move(records), pending.OutputFile, rule, fileExists, list);
}

JobBuild buildSeveralFilesJob(const PendingJobOptions& pending, const std::string& sourceFile,
                              std::string_view outputFolder, ExistingFileRule rule,
                              const FileExists& fileExists, const JobListNames& list) {
    JobRecords records;
    records.input = makeInputOptions(sourceFile);
    // Several files are never cut.
    records.input.StartTime = 0;
    std::string plain(withoutExtension(fileNamePart(sourceFile)));
    plain += extensionOf(pending.OutputFile);
    plain = joinPath(outputFolder, plain);
    records.output = makeOutputOptions(pending, AddFlow::SeveralFiles);
    return nameWithinList(std::move(records), plain, rule, fileExists, list);
}

}  // namespace velmora
