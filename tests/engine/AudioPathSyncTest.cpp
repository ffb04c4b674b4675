// The audio road's number work: the sync step's decision for a measured drift and the buffer
// sizes a decoded buffer needs.
#include <gtest/gtest.h>

#include <cstdint>

#include "engine/AudioSync.h"

namespace velmora {
namespace {

struct SyncCase {
    const char* name;
    int method;
    double delta;
    bool first;
    AudioSyncAction action;
    int64_t samples;
    int compensation;
};

TEST(AudioPathSyncTest, DecisionForEachDrift) {
    // 48000 Hz and the default threshold of 0.1 s: drifts up to 4800 samples count as small.
    const SyncCase cases[] = {
        {"sync off", 0, 24000, true, AudioSyncAction::None, 0, 0},
        {"within 50 samples", 1, 50, true, AudioSyncAction::None, 0, 0},
        {"within 50 samples behind", 1, -50, false, AudioSyncAction::None, 0, 0},
        {"late start gets silence", 1, 24000.7, true, AudioSyncAction::InsertSilence, 24000, 0},
        {"early start drops", 1, -960.5, true, AudioSyncAction::Drop, 960, 0},
        {"first packet, small drift still corrected", 100, 200, true,
         AudioSyncAction::InsertSilence, 200, 0},
        {"later small drift ignored by method 1", 1, 200, false, AudioSyncAction::None, 0, 0},
        {"compensation capped by the method", 100, 200, false, AudioSyncAction::Compensate, 0, 100},
        {"compensation capped, behind", 100, -4800, false, AudioSyncAction::Compensate, 0, -100},
        {"compensation below the cap", 1000, 200.9, false, AudioSyncAction::Compensate, 0, 200},
        {"large drift mid-stream inserts", 100, 4801, false, AudioSyncAction::InsertSilence, 4801,
         0},
        {"large drift mid-stream drops", 100, -9000, false, AudioSyncAction::Drop, 9000, 0},
    };
    for (const SyncCase& c : cases) {
        SCOPED_TRACE(c.name);
        const AudioSyncStep step = DecideAudioSync(c.method, c.delta, c.first, 48000, 0.1);
        EXPECT_EQ(step.action, c.action);
        EXPECT_EQ(step.samples, c.samples);
        EXPECT_EQ(step.compensation, c.compensation);
    }
}

TEST(AudioPathSyncTest, ThresholdMovesTheBoundary) {
    // With a one-second threshold a drift of 4801 samples is compensated, not cut.
    EXPECT_EQ(DecideAudioSync(2, 4801, false, 48000, 1.0).action, AudioSyncAction::Compensate);
    EXPECT_EQ(DecideAudioSync(2, 4801, false, 48000, 0.1).action, AudioSyncAction::InsertSilence);
    // A threshold of 0 leaves only cutting and inserting.
    EXPECT_EQ(DecideAudioSync(2, 60, false, 48000, 0.0).action, AudioSyncAction::InsertSilence);
}

TEST(AudioPathSyncTest, CorrectionIsBoundedAndTheRestIsLeftOut) {
    // Ten seconds at 48000 Hz at most: a jump of an hour is not filled with an hour of silence.
    const int64_t bound = 480000;
    AudioSyncStep step = DecideAudioSync(1, 3600.0 * 48000, false, 48000, 0.1, bound);
    EXPECT_EQ(step.action, AudioSyncAction::InsertSilence);
    EXPECT_EQ(step.samples, bound);
    EXPECT_EQ(step.samplesRemoved, 3600 * 48000 - bound);
    step = DecideAudioSync(1, -1e6, false, 48000, 0.1, bound);
    EXPECT_EQ(step.action, AudioSyncAction::Drop);
    EXPECT_EQ(step.samples, bound);
    EXPECT_EQ(step.samplesRemoved, -(1000000 - bound));
    // Within the bound nothing is left out.
    step = DecideAudioSync(1, 24000, false, 48000, 0.1, bound);
    EXPECT_EQ(step.samples, 24000);
    EXPECT_EQ(step.samplesRemoved, 0);
}

TEST(AudioPathSyncTest, BufferSizes) {
    const AudioFormatFacts s16Stereo44{2, 2, 44100};
    const AudioFormatFacts fltStereo48{4, 2, 48000};
    // 1024 stereo s16 samples at 44100 to float at 48000, AAC frames of 1024:
    // ((1024 * 48000 + 44100) / 44100) * 2 + 10000 = 12230 samples of 8 bytes.
    AudioBufferSizes sizes = ComputeAudioBufferSizes(4096, s16Stereo44, fltStereo48, 1024, 0);
    EXPECT_EQ(sizes.workBytes, 12230 * 8);
    EXPECT_EQ(sizes.outputBytes, 12230 * 8 + 16384);
    EXPECT_FALSE(sizes.tooLarge());

    // A frame size larger than the margin sets the minimum.
    sizes = ComputeAudioBufferSizes(4, s16Stereo44, s16Stereo44, 100000, 0);
    EXPECT_EQ(sizes.workBytes, 100000 * 4);
    // Coded samples wider than the sample format grow the packet buffer.
    sizes = ComputeAudioBufferSizes(4, s16Stereo44, s16Stereo44, 0, 24);
    EXPECT_EQ(sizes.outputBytes, (10004 * 4) * 24 / 16 + 16384);

    // Three hours of silence in one buffer is more than a buffer may hold.
    const int64_t hours = int64_t{3} * 3600 * 44100 * 4;
    EXPECT_TRUE(ComputeAudioBufferSizes(hours, s16Stereo44, s16Stereo44, 1024, 0).tooLarge());
    // Ten seconds is not.
    EXPECT_FALSE(ComputeAudioBufferSizes(int64_t{10} * 44100 * 4, s16Stereo44, s16Stereo44, 1024, 0)
                     .tooLarge());
    // Nonsense input never overflows into a small number.
    EXPECT_TRUE(
        ComputeAudioBufferSizes(INT64_MAX / 2, s16Stereo44, s16Stereo44, 1024, 0).tooLarge());
}

}  // namespace
}  // namespace velmora
