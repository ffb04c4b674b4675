// The audio road run end to end: sync against late and early starts, volume, size limits,
// "shortest", and the time-stamp offset and discontinuity handling of audio inputs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "ConvertRunFixture.h"
#include "engine/MediaFacts.h"

namespace velmora {
namespace {

using test::OptionList;
using test::ReadMediaFacts;
using test::WavSamples;

constexpr int kRate = 44100;

class AudioPathRunTest : public test::ConvertRunFixture {};

// Index of the first interleaved sample whose magnitude exceeds the level; -1: none.
long firstLoud(const std::vector<int16_t>& samples, int level = 64) {
    const auto it = std::find_if(samples.begin(), samples.end(),
                                 [level](int16_t s) { return std::abs(int{s}) > level; });
    return it == samples.end() ? -1 : static_cast<long>(it - samples.begin());
}

TEST_F(AudioPathRunTest, LateAudioStartIsFilledWithSilenceOnlyWithSync) {
    const std::string source = wavClip("tone.wav", 1.0);
    const size_t sourceCount = WavSamples(source).size();
    ASSERT_EQ(sourceCount, 2u * kRate);
    const struct {
        const char* name;
        OptionList options;
        double silentSeconds;
    } rows[] = {
        {"async1.wav", {{"async", "1"}}, 0.5},
        // Without sync the samples are written as they come; the container has no time stamps.
        {"nosync.wav", {}, 0.0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string target = m_dir.file(row.name);
        ASSERT_EQ(run({{source, {{"itsoffset", "0.5"}}}}, target, row.options), "");
        const std::vector<int16_t> samples = WavSamples(target);
        const long silent = static_cast<long>(row.silentSeconds * kRate) * 2;
        EXPECT_EQ(samples.size(), sourceCount + silent);
        const long loud = firstLoud(samples);
        // The tone reaches the level within a few samples of its start.
        EXPECT_GE(loud, silent);
        EXPECT_LT(loud, silent + 40);
    }
}

TEST_F(AudioPathRunTest, LateAudioAgainstVideoStartsAtZeroWithSync) {
    SampleSpec videoSpec;
    videoSpec.container = "matroska";
    videoSpec.audio = false;
    videoSpec.durationSeconds = 1.5;
    const std::string video = makeClip("video.mkv", videoSpec);
    const std::string audio = wavClip("tone.wav", 1.0);
    const struct {
        const char* name;
        OptionList options;
        double audioStart;
        double audioLength;
    } rows[] = {
        {"async.mkv", {{"async", "1"}}, 0.0, 1.5},
        {"plain.mkv", {}, 0.5, 1.0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        OptionList options = row.options;
        options.insert(options.end(), {{"vcodec", "mpeg4"}, {"acodec", "flac"}});
        const std::string target = m_dir.file(row.name);
        ASSERT_EQ(run({{video, {}}, {audio, {{"itsoffset", "0.5"}}}}, target, options), "");
        const test::MediaFacts facts = ReadMediaFacts(target);
        ASSERT_TRUE(facts.opened) << facts.error;
        const test::StreamFacts* sound = facts.find(AVMEDIA_TYPE_AUDIO);
        ASSERT_NE(sound, nullptr);
        EXPECT_NEAR(sound->firstSeconds, row.audioStart, 0.03);
        EXPECT_NEAR(sound->durationSeconds(), row.audioLength, 0.06);
        EXPECT_NEAR(facts.find(AVMEDIA_TYPE_VIDEO)->firstSeconds, 0.0, 0.001);
    }
}

TEST_F(AudioPathRunTest, SyncLogLinesOnlyAboveVerbosityTwo) {
    const std::string source = wavClip("tone.wav", 0.5);
    captureLog();
    for (const char* verbosity : {"2", "3"}) {
        SCOPED_TRACE(verbosity);
        clearLog();
        const std::string target = m_dir.file(std::string("v") + verbosity + ".wav");
        ASSERT_EQ(
            run({{source, {{"itsoffset", "0.25"}}}}, target, {{"async", "1"}, {"v", verbosity}}),
            "");
        const int expected = std::string(verbosity) == "3" ? 1 : 0;
        EXPECT_EQ(logCount(TLogLevel::llVerbose, "adding 11025 audio samples of silence"),
                  expected);
    }
    // A start before zero drops the early samples.
    clearLog();
    const std::string early = m_dir.file("early.wav");
    ASSERT_EQ(run({{source, {{"itsoffset", "-0.1"}}}}, early, {{"async", "1"}, {"v", "3"}}), "");
    EXPECT_EQ(WavSamples(early).size(), static_cast<size_t>(0.4 * kRate) * 2);
    EXPECT_EQ(logCount(TLogLevel::llVerbose, "discarding "), 1);
}

TEST_F(AudioPathRunTest, SlowDriftIsCompensatedByTheResampler) {
    // Time stamps stretched by 2 %: the input runs ahead of the samples written, by 882
    // samples per second, well within the 0.1 s threshold.
    const std::string source = wavClip("tone.wav", 2.0);
    const size_t sourceCount = WavSamples(source).size();
    captureLog();
    const struct {
        const char* name;
        const char* method;
        bool compensated;
    } rows[] = {
        {"stretched.wav", "1000", true},
        {"plain.wav", "1", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        clearLog();
        const std::string target = m_dir.file(row.name);
        ASSERT_EQ(
            run({{source, {{"itsscale", "0:1.02"}}}}, target, {{"async", row.method}, {"v", "3"}}),
            "");
        const size_t count = WavSamples(target).size();
        EXPECT_EQ(logCount(TLogLevel::llVerbose, "compensating audio timestamp drift:") > 0,
                  row.compensated);
        EXPECT_EQ(logCount(TLogLevel::llVerbose, "adding "), 0);
        if (row.compensated) {
            // Stretched towards the time stamps: some hundreds of samples per channel longer.
            EXPECT_GT(count, sourceCount + 2 * 300);
            EXPECT_LT(count, sourceCount + 2 * 1800);
        } else {
            EXPECT_EQ(count, sourceCount);
        }
    }
}

TEST_F(AudioPathRunTest, ChannelChangeFromFloatSamplesWarnsWhenVerbose) {
    SampleSpec spec;
    spec.container = "matroska";
    spec.video = false;
    spec.audioCodec = "aac";  // planar float samples
    spec.durationSeconds = 0.3;
    const std::string source = makeClip("float.mkv", spec);
    captureLog();
    for (const char* verbosity : {"0", "1"}) {
        SCOPED_TRACE(verbosity);
        clearLog();
        const std::string target = m_dir.file(std::string("mono") + verbosity + ".wav");
        ASSERT_EQ(run({{source, {}}}, target, {{"ac", "1"}, {"v", verbosity}}), "");
        EXPECT_EQ(logCount(TLogLevel::llVerbose,
                           "Warning, using s16 intermediate sample format for resampling"),
                  std::string(verbosity) == "1" ? 1 : 0);
        EXPECT_EQ(ReadMediaFacts(target).find(AVMEDIA_TYPE_AUDIO)->channels, 1);
    }
}

TEST_F(AudioPathRunTest, VolumeDoublesAndClips) {
    // The generator's tone is quiet; a loud copy first, so that doubling must clip.
    const std::string quiet = wavClip("quiet.wav", 0.3);
    const std::string loud = m_dir.file("loud.wav");
    ASSERT_EQ(run({{quiet, {}}}, loud, {{"vol", "2000"}}), "");
    const std::vector<int16_t> input = WavSamples(loud);
    ASSERT_EQ(input.size(), WavSamples(quiet).size());
    ASSERT_GT(*std::max_element(input.begin(), input.end()), 20000);

    const std::string target = m_dir.file("doubled.wav");
    ASSERT_EQ(run({{loud, {}}}, target, {{"vol", "512"}}), "");
    const std::vector<int16_t> output = WavSamples(target);
    ASSERT_EQ(output.size(), input.size());
    int clipped = 0;
    for (size_t i = 0; i < input.size(); ++i) {
        const int doubled = std::clamp(2 * int{input[i]}, -32768, 32767);
        ASSERT_EQ(output[i], doubled) << "sample " << i;
        clipped += doubled != 2 * int{input[i]};
    }
    EXPECT_GT(clipped, 100);
}

TEST_F(AudioPathRunTest, HugeGapFailsWithBufferText) {
    // Hours of silence before the first sample would need one buffer beyond 2 GiB.
    const std::string source = wavClip("tone.wav", 0.2);
    const std::string target = m_dir.file("gap.wav");
    EXPECT_EQ(run({{source, {{"itsoffset", "20000"}}}}, target, {{"async", "1"}}),
              "Buffer sizes too large in do_audio_out");
    // A gap that fits is written in pieces and counted exactly.
    const std::string fits = m_dir.file("minute.wav");
    ASSERT_EQ(run({{source, {{"itsoffset", "60"}}}}, fits, {{"async", "1"}}), "");
    const std::vector<int16_t> samples = WavSamples(fits);
    EXPECT_EQ(samples.size(), (60u * kRate + static_cast<size_t>(0.2 * kRate)) * 2);
    EXPECT_GE(firstLoud(samples), 60L * kRate * 2);
}

TEST_F(AudioPathRunTest, ShortestEndsWithTheShortestInput) {
    SampleSpec videoSpec;
    videoSpec.container = "matroska";
    videoSpec.audio = false;
    videoSpec.durationSeconds = 2.0;
    const std::string video = makeClip("video.mkv", videoSpec);
    const std::string audio = wavClip("tone.wav", 0.6);
    const struct {
        const char* name;
        OptionList options;
        double videoSeconds;
    } rows[] = {
        {"shortest.mkv", {{"shortest", "1"}}, 0.6},
        {"longest.mkv", {}, 2.0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        OptionList options = row.options;
        options.insert(options.end(), {{"vcodec", "mpeg4"}, {"acodec", "flac"}});
        const std::string target = m_dir.file(row.name);
        ASSERT_EQ(run({{video, {}}, {audio, {}}}, target, options), "");
        const test::MediaFacts facts = ReadMediaFacts(target);
        ASSERT_TRUE(facts.opened) << facts.error;
        EXPECT_NEAR(facts.find(AVMEDIA_TYPE_VIDEO)->durationSeconds(), row.videoSeconds, 0.2);
    }
}

TEST_F(AudioPathRunTest, TimestampJumpInTransportStreamIsSmoothedOver) {
    // Two transport streams back to back: the second starts again at the first one's time.
    SampleSpec spec;
    spec.container = "mpegts";
    spec.video = false;
    spec.audioCodec = "mp2";
    spec.durationSeconds = 1.0;
    const std::string part = makeClip("part.ts", spec);
    const std::string joined = m_dir.file("joined.ts");
    {
        std::ifstream in(part, std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), {});
        std::ofstream out(joined, std::ios::binary);
        out << bytes << bytes;
    }
    captureLog();
    const std::string target = m_dir.file("joined.wav");
    ASSERT_EQ(run({{joined, {}}}, target, {{"v", "3"}, {"async", "1"}}), "");
    EXPECT_GE(logCount(TLogLevel::llVerbose, "timestamp discontinuity "), 1);
    // Both halves are there and nothing was cut away as "too early".
    EXPECT_NEAR(static_cast<double>(WavSamples(target).size()) / (2 * kRate), 2.0, 0.06);
}

}  // namespace
}  // namespace velmora
