#include "engine/AudioSync.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace velmora {

namespace {

constexpr double kIgnoredDriftSamples = 50;

}  // namespace

AudioSyncStep DecideAudioSync(int method, double deltaSamples, bool firstPacket, int outputRate,
                              double thresholdSeconds, int64_t maxCorrection) {
    AudioSyncStep step;
    if (method == 0 || !(std::fabs(deltaSamples) > kIgnoredDriftSamples)) {
        return step;
    }
    if (!firstPacket && std::fabs(deltaSamples) <= outputRate * thresholdSeconds) {
        if (method >= 2) {
            step.action = AudioSyncAction::Compensate;
            const double limited =
                std::clamp(std::trunc(deltaSamples), -static_cast<double>(method),
                           static_cast<double>(method));
            step.compensation = static_cast<int>(limited);
        }
        return step;
    }
    // Far beyond anything a clip holds; keeps the conversion to integers defined.
    constexpr double kLimit = 1e15;
    if (deltaSamples < 0) {
        step.action = AudioSyncAction::Drop;
        step.samples = static_cast<int64_t>(std::min(std::trunc(-deltaSamples), kLimit));
    } else {
        step.action = AudioSyncAction::InsertSilence;
        step.samples = static_cast<int64_t>(std::min(std::trunc(deltaSamples), kLimit));
    }
    if (maxCorrection >= 0 && step.samples > maxCorrection) {
        const int64_t rest = step.samples - maxCorrection;
        step.samplesRemoved = step.action == AudioSyncAction::Drop ? -rest : rest;
        step.samples = maxCorrection;
    }
    return step;
}

int64_t FollowInputTimeline(bool started, int64_t position, int64_t inputPosition,
                            int64_t toleranceSamples) {
    if (!started) {
        return std::max<int64_t>(0, inputPosition);
    }
    if (inputPosition - position > std::max<int64_t>(toleranceSamples, 0)) {
        return inputPosition;
    }
    return position;
}

bool AudioBufferSizes::tooLarge() const {
    constexpr int64_t kMax = std::numeric_limits<int32_t>::max();
    return workBytes > kMax || outputBytes > kMax;
}

AudioBufferSizes ComputeAudioBufferSizes(int64_t inputBytes, const AudioFormatFacts& input,
                                         const AudioFormatFacts& output, int frameSize,
                                         int codedBits) {
    AudioBufferSizes sizes;
    const int64_t inputFrameBytes =
        static_cast<int64_t>(std::max(input.sampleBytes, 1)) * std::max(input.channels, 1);
    const int64_t inputRate = std::max(input.sampleRate, 1);
    const int64_t outputFrameBytes =
        static_cast<int64_t>(std::max(output.sampleBytes, 1)) * std::max(output.channels, 1);
    // Computed in double first: a drift of hours in samples times bytes leaves int64 behind.
    const double inputSamples =
        std::ceil(static_cast<double>(std::max<int64_t>(inputBytes, 0)) / inputFrameBytes);
    double work = std::floor((inputSamples * output.sampleRate + inputRate) / inputRate);
    work = std::max(work * 2 + 10000, static_cast<double>(frameSize));
    work *= static_cast<double>(outputFrameBytes);
    double out = std::max(work, static_cast<double>(frameSize) * outputFrameBytes);
    if (codedBits > output.sampleBytes * 8) {
        out = out * codedBits / (output.sampleBytes * 8);
    }
    out += 16384;
    constexpr double kCeiling = 9e18;
    sizes.workBytes = static_cast<int64_t>(std::min(work, kCeiling));
    sizes.outputBytes = static_cast<int64_t>(std::min(out, kCeiling));
    return sizes;
}

}  // namespace velmora
