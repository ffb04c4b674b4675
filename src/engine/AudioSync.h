// The number work of the audio road, kept apart from the media objects so it can be checked on
// its own: what the sync step does with a measured drift, and how large the road's buffers for
// one decoded buffer must be.
#pragma once

#include <cstdint>

namespace velmora {

enum class AudioSyncAction { None, Compensate, Drop, InsertSilence };

struct AudioSyncStep {
    AudioSyncAction action = AudioSyncAction::None;
    int64_t samples = 0;   // Drop, InsertSilence: output samples
    int compensation = 0;  // Compensate: samples the resampler spreads over one second
    // Samples of a drift beyond maxCorrection that are neither dropped nor filled with
    // silence (positive: a gap left out, negative: an overlap let through).
    int64_t samplesRemoved = 0;
};

// What the sync step does with a drift of deltaSamples output samples (positive: the input is
// ahead of what was written). method: the "async" setting (0 = off). firstPacket: the input
// stream has not been through the sync step before. Drifts of at most 50 samples are ignored;
// later drifts within the threshold are compensated by the resampler (method 2 and above), at
// most method samples per second; anything else is corrected by dropping or inserting samples,
// at most maxCorrection of them (negative: no limit); the rest of a larger drift (a broken time
// line) is left as it is.
AudioSyncStep DecideAudioSync(int method, double deltaSamples, bool firstPacket, int outputRate,
                              double thresholdSeconds, int64_t maxCorrection = -1);

// Without sync ("async" 0) the output's time line follows the samples written; the input's
// time stamps only place it. position: where the next sample goes (output samples);
// inputPosition: where the input's time stamps put that sample. The first buffer places the time
// line at the input's time (never before 0). Later the input moves it only forward and only when
// it runs ahead by more than toleranceSamples, a gap in the source: time stamps that wobble
// around the samples (rounded to milliseconds, say) must not open a gap at every buffer, which
// would let the time line run ahead of the samples actually delivered.
int64_t FollowInputTimeline(bool started, int64_t position, int64_t inputPosition,
                            int64_t toleranceSamples);

struct AudioFormatFacts {
    int sampleBytes = 2;  // bytes per sample of one channel
    int channels = 2;
    int sampleRate = 44100;
};

struct AudioBufferSizes {
    int64_t workBytes = 0;    // resampled or converted samples
    int64_t outputBytes = 0;  // one coded packet
    // Either size beyond what one buffer may hold: the step fails.
    bool tooLarge() const;
};

// The buffers a decoded buffer of inputBytes needs on its way to the encoder: room for the
// resampled samples with a generous margin (at least one encoder frame), and for the coded
// packet (codedBits: bits per coded sample when the codec has a fixed size, else 0).
AudioBufferSizes ComputeAudioBufferSizes(int64_t inputBytes, const AudioFormatFacts& input,
                                         const AudioFormatFacts& output, int frameSize,
                                         int codedBits);

}  // namespace velmora
