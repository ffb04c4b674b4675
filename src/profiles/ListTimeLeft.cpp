#include "profiles/ListTimeLeft.h"

#include <algorithm>
#include <cstdio>

namespace velmora {

namespace {

constexpr std::int64_t kMicrosecondsPerSecond = 1'000'000;

}  // namespace

std::int64_t jobMediaDurationUs(const JobOrigin& origin, const TInputOptions& input,
                                const TOutputOptions& output) {
    const std::int64_t sourceUs = origin.source.durationUs;
    if (sourceUs < 0) {
        return -1;
    }
    const std::int64_t startUs =
        input.StartTime == kNoTime ? 0 : std::max<std::int64_t>(input.StartTime, 0);
    std::int64_t durationUs = std::max<std::int64_t>(sourceUs - startUs, 0);
    if (output.RecordingTime != kNoTime && output.RecordingTime > 0) {
        durationUs = std::min(durationUs, output.RecordingTime);
    }
    return durationUs;
}

std::optional<std::int64_t> listTimeLeftUs(std::span<const JobProgress> jobs,
                                           std::int64_t elapsedUs) {
    double knownTotalUs = 0;
    int known = 0;
    for (const JobProgress& job : jobs) {
        if (job.durationUs > 0) {
            knownTotalUs += static_cast<double>(job.durationUs);
            ++known;
        }
    }
    double convertedUs = 0;
    double leftUs = 0;
    for (const JobProgress& job : jobs) {
        const double converted = static_cast<double>(std::max<std::int64_t>(job.convertedUs, 0));
        convertedUs += job.durationUs > 0 ? std::min(converted, static_cast<double>(job.durationUs))
                                          : converted;
        if (job.ended) {
            continue;
        }
        if (job.durationUs <= 0 && known == 0) {
            return std::nullopt;
        }
        const double durationUs =
            job.durationUs > 0 ? static_cast<double>(job.durationUs) : knownTotalUs / known;
        leftUs += std::max(durationUs - converted, 0.0);
    }
    if (leftUs <= 0) {
        return 0;
    }
    if (convertedUs <= 0 || elapsedUs <= 0) {
        return std::nullopt;
    }
    const double mediaPerWall = convertedUs / static_cast<double>(elapsedUs);
    return static_cast<std::int64_t>(leftUs / mediaPerWall);
}

std::string timeLeftText(std::int64_t timeLeftUs) {
    const std::int64_t seconds =
        (std::max<std::int64_t>(timeLeftUs, 0) + kMicrosecondsPerSecond - 1) /
        kMicrosecondsPerSecond;
    char text[32];
    std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld", static_cast<long long>(seconds / 3600),
                  static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60));
    return text;
}

}  // namespace velmora
