#include "cli/ListedOutputCheck.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "component/OutputVerification.h"
#include "component/TaskEndDecision.h"
#include "probe/MediaProbe.h"
#include "profiles/ListTimeLeft.h"

namespace velmora::cli {

namespace {

std::string secondsText(std::int64_t microseconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f s", static_cast<double>(microseconds) / 1e6);
    return text;
}

// The output's audio and video streams, each expected to reach expectedUs.
WrittenOutput expectedOutput(const std::string& path, std::int64_t expectedUs,
                             std::string* problem) {
    WrittenOutput output;
    output.finalName = path;
    TMediaProbe probe;
    if (!probe.Open(path)) {
        *problem = "it cannot be read: " + probe.LastError();
        return output;
    }
    const AVFormatContext* context = probe.FormatContext();
    for (unsigned index = 0; context != nullptr && index < context->nb_streams; ++index) {
        const AVMediaType type = context->streams[index]->codecpar->codec_type;
        if (type == AVMEDIA_TYPE_AUDIO || type == AVMEDIA_TYPE_VIDEO) {
            output.streams.push_back({static_cast<int>(index), type, expectedUs, -1, 0});
        }
    }
    return output;
}

}  // namespace

ListedOutputCheck checkListedOutput(const JobListEntry& job) {
    const std::string& path = job.output.FileName;
    std::error_code error;
    if (!std::filesystem::exists(path, error)) {
        return {ListedOutput::Missing, ""};
    }
    if (!std::filesystem::is_regular_file(path, error)) {
        return {ListedOutput::Unverified, "it is not a regular file"};
    }
    // Without the media time the job converts nothing tells a whole output from a part of one.
    const std::int64_t expectedUs = jobMediaDurationUs(job.origin, job.input, job.output);
    if (expectedUs <= 0) {
        return {ListedOutput::Unverified, "the source's duration is not known"};
    }
    std::string problem;
    const WrittenOutput output = expectedOutput(path, expectedUs, &problem);
    if (!problem.empty()) {
        return {ListedOutput::Unverified, problem};
    }
    const OutputCheck check = checkWrittenOutput(output);
    if (!check.problem.empty()) {
        return {ListedOutput::Unverified, check.problem};
    }
    std::int64_t reachUs = -1;
    for (const StreamCoverage& stream : check.streams) {
        reachUs = std::max(reachUs, stream.actualEndUs);
    }
    if (reachUs < 0) {
        return {ListedOutput::Unverified, "its length cannot be read"};
    }
    if (fallsShort(expectedUs, reachUs)) {
        return {ListedOutput::Unverified,
                "it holds " + secondsText(reachUs) + " of " + secondsText(expectedUs)};
    }
    return {ListedOutput::Complete, ""};
}

}  // namespace velmora::cli
