#include "component/TaskEndDecision.h"

#include <algorithm>
#include <cstdio>

namespace velmora {

namespace {

constexpr std::int64_t kShortfallFloorUs = 500'000;
constexpr double kShortfallShare = 0.05;

std::string seconds(std::int64_t us) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f",
                  static_cast<double>(std::max<std::int64_t>(us, 0)) / 1e6);
    return text;
}

std::string joined(const std::vector<std::string>& items, const char* separator) {
    std::string text;
    for (const std::string& item : items) {
        text += (text.empty() ? "" : separator) + item;
    }
    return text;
}

// The damage parts of a text, in the given words.
struct DamageWords {
    const char* separator;
    std::string (*dropped)(const TaskEndReport&);
    std::string (*skipped)(std::int64_t);
};

std::vector<std::string> damageParts(const TaskEndReport& report, const DamageWords& words) {
    std::vector<std::string> parts;
    if (!report.droppedStreams.empty()) {
        parts.push_back(words.dropped(report));
    }
    if (report.skippedPackets > 0) {
        parts.push_back(words.skipped(report.skippedPackets));
    }
    return parts;
}

const DamageWords kChineseDamage{
    "；",
    [](const TaskEndReport& report) {
        return "已略去 " + std::to_string(report.droppedStreams.size()) + " 个无法解码的流：" +
               joined(report.droppedStreams, "；");
    },
    [](std::int64_t count) { return "已跳过 " + std::to_string(count) + " 个损坏的数据包"; },
};

const DamageWords kEnglishDamage{
    "; ",
    [](const TaskEndReport& report) {
        const std::size_t count = report.droppedStreams.size();
        return std::to_string(count) + (count == 1 ? " stream" : " streams") +
               " left out that could not be decoded: " + joined(report.droppedStreams, "; ");
    },
    [](std::int64_t count) {
        return std::to_string(count) + (count == 1 ? " damaged packet" : " damaged packets") +
               " skipped";
    },
};

std::string withDamage(std::string text, const TaskEndReport& report, const DamageWords& words) {
    for (const std::string& part : damageParts(report, words)) {
        text += (text.empty() ? "" : words.separator) + part;
    }
    return text;
}

}  // namespace

bool fallsShort(std::int64_t expectedEndUs, std::int64_t actualEndUs) {
    if (expectedEndUs <= 0 || actualEndUs < 0) {
        return false;
    }
    const auto allowedUs = std::max<std::int64_t>(
        kShortfallFloorUs,
        static_cast<std::int64_t>(static_cast<double>(expectedEndUs) * kShortfallShare));
    return expectedEndUs - actualEndUs > allowedUs;
}

TaskEndReport decideTaskEnd(const TaskEndFacts& facts) {
    TaskEndReport report;
    report.skippedPackets = facts.damage.skippedPackets;
    report.droppedStreams = facts.damage.droppedStreams;
    const bool stopped = !facts.finished && !facts.exception;
    if (facts.exception || !facts.keepProblem.empty() ||
        (!stopped && !facts.outputProblem.empty())) {
        report.state = TaskEndState::Failed;
        report.failure = facts.exception              ? facts.exceptionMessage
                         : !facts.keepProblem.empty() ? facts.keepProblem
                                                      : facts.outputProblem;
        return report;
    }
    if (stopped) {
        report.state = TaskEndState::Stopped;
        return report;
    }

    const StreamCoverage* shortest = nullptr;
    double shortestShare = 2.0;
    int checked = 0;
    int shortCount = 0;
    for (const StreamCoverage& stream : facts.streams) {
        if (stream.expectedEndUs <= 0 || stream.actualEndUs < 0) {
            continue;
        }
        ++checked;
        if (!fallsShort(stream.expectedEndUs, stream.actualEndUs)) {
            continue;
        }
        ++shortCount;
        const double share =
            static_cast<double>(stream.actualEndUs) / static_cast<double>(stream.expectedEndUs);
        if (share < shortestShare) {
            shortestShare = share;
            shortest = &stream;
        }
    }
    if (shortest != nullptr) {
        report.state = TaskEndState::Incomplete;
        report.convertedUs = shortest->actualEndUs;
        report.expectedUs = shortest->expectedEndUs;
        if (shortCount < checked) {
            report.shortStream = shortest->type == AVMEDIA_TYPE_VIDEO
                                     ? TaskEndReport::ShortStream::Video
                                     : TaskEndReport::ShortStream::Audio;
        }
        return report;
    }
    if (!report.droppedStreams.empty()) {
        report.state = TaskEndState::DoneWithDroppedStream;
    } else if (report.skippedPackets > 0) {
        report.state = TaskEndState::DoneWithSkippedData;
    } else {
        report.state = TaskEndState::Done;
    }
    return report;
}

std::string endStateText(const TaskEndReport& report) {
    switch (report.state) {
        case TaskEndState::Done:
        case TaskEndState::DoneWithSkippedData:
        case TaskEndState::DoneWithDroppedStream:
            return withDamage({}, report, kChineseDamage);
        case TaskEndState::Incomplete: {
            const char* stream = report.shortStream == TaskEndReport::ShortStream::Video ? "视频"
                                 : report.shortStream == TaskEndReport::ShortStream::Audio ? "音频"
                                                                                           : "";
            return withDamage(std::string(stream) + "只转换了 " + seconds(report.convertedUs) +
                                  " 秒，源文件应有 " + seconds(report.expectedUs) + " 秒",
                              report, kChineseDamage);
        }
        case TaskEndState::Failed:
            return "转换失败：" + report.failure;
        case TaskEndState::Stopped:
            return "已停止";
    }
    return {};
}

std::string endStateTextEnglish(const TaskEndReport& report) {
    switch (report.state) {
        case TaskEndState::Done:
        case TaskEndState::DoneWithSkippedData:
        case TaskEndState::DoneWithDroppedStream:
            return withDamage({}, report, kEnglishDamage);
        case TaskEndState::Incomplete: {
            const char* stream =
                report.shortStream == TaskEndReport::ShortStream::Video   ? " of the video"
                : report.shortStream == TaskEndReport::ShortStream::Audio ? " of the audio"
                                                                          : "";
            return withDamage("only " + seconds(report.convertedUs) + " s of " +
                                  seconds(report.expectedUs) + " s" + stream + " converted",
                              report, kEnglishDamage);
        }
        case TaskEndState::Failed:
            return report.failure;
        case TaskEndState::Stopped:
            return "stopped by the user";
    }
    return {};
}

const char* endStateStatusText(TaskEndState state) {
    switch (state) {
        case TaskEndState::Incomplete:
            return "不完整";
        case TaskEndState::Failed:
            return "失败";
        case TaskEndState::Stopped:
            return "停止";
        default:
            return "完成";
    }
}

}  // namespace velmora
