// Damaged sources converted end to end, on the roads users take (libx264 in Matroska and MP4,
// MPEG-4 in AVI): damaged data skipped, time lines kept sane, an AVI without its index, an
// undecodable audio stream, odd picture sizes.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "engine/MediaFacts.h"
#include "engine/Transcoder.h"
#include "medialib/MainThreadQueue.h"
#include "samples/DamagedMedia.h"
#include "samples/SampleMedia.h"
#include "support/MediaLibraries.h"
#include "support/TempDir.h"

namespace velmora {
namespace {

using test::MediaFacts;
using test::ReadMediaFacts;
using Options = std::vector<std::pair<std::string, std::string>>;

struct Converted {
    std::string error;  // empty when the run finished without one
    DamageReport damage;
};

// One input, one output, run on this thread.
Converted convert(const std::string& input, const std::string& output, const Options& options) {
    Converted converted;
    TCustomTranscoder engine;
    if (!engine.OpenInput(input)) {
        converted.error = "open input: " + engine.LastError();
        return converted;
    }
    for (const auto& [name, value] : options) {
        engine.SetOption(name, value);
    }
    if (engine.OpenOutput(output, false) <= 0) {
        converted.error = "open output: " + engine.LastError();
        return converted;
    }
    engine.Start(false);
    converted.error = engine.Exception() ? engine.ExceptionMessage() : "";
    converted.damage = engine.Damage();
    if (converted.error.empty() && !engine.Finished()) {
        converted.error = "not finished";
    }
    return converted;
}

// The roads: an output name and the options that choose its encoders.
struct Road {
    const char* output;
    Options options;
};

const std::vector<Road>& roads() {
    static const std::vector<Road> kRoads = {
        {"out.mkv", {{"vcodec", "libx264"}, {"acodec", "aac"}}},
        {"out.mp4", {{"vcodec", "libx264"}, {"acodec", "aac"}}},
        {"out.avi", {{"vcodec", "mpeg4"}, {"acodec", "mp2"}, {"r", "25"}}},
    };
    return kRoads;
}

class DamagedInputTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::requireMediaLibraries();
        SetMainThread();
    }

    std::string clip(const std::string& name, SampleSpec spec) {
        const std::string path = m_dir.file(name);
        std::string error;
        EXPECT_TRUE(makeSampleMedia(spec, path, &error)) << error;
        return path;
    }

    static SampleSpec smallSpec(const char* container, double seconds) {
        SampleSpec spec;
        spec.container = container;
        spec.durationSeconds = seconds;
        spec.width = 160;
        spec.height = 120;
        return spec;
    }

    test::TempDir m_dir;
};

TEST_F(DamagedInputTest, DamagedDataIsSkippedAndTheRestConverted) {
    // The second chunk offset of the MP4 index points far outside the file: the demuxer fails
    // there, as it does at the end, and reads on after it.
    const std::string clean = clip("clean.mp4", smallSpec("mp4", 4.0));
    const std::string damaged = m_dir.file("offset.mp4");
    std::string error;
    ASSERT_TRUE(flipBytes(clean, damaged, findBytes(clean, "stco") + 16, 4, &error)) << error;
    for (const Road& road : roads()) {
        SCOPED_TRACE(road.output);
        const std::string output = m_dir.file(road.output);
        const Converted converted = convert(damaged, output, road.options);
        ASSERT_EQ(converted.error, "");
        EXPECT_GE(converted.damage.skippedPackets, 1);
        const MediaFacts facts = ReadMediaFacts(output);
        ASSERT_NE(facts.find(AVMEDIA_TYPE_VIDEO), nullptr);
        EXPECT_GT(facts.find(AVMEDIA_TYPE_VIDEO)->endSeconds, 3.5);
        ASSERT_NE(facts.find(AVMEDIA_TYPE_AUDIO), nullptr);
        EXPECT_GT(facts.find(AVMEDIA_TYPE_AUDIO)->endSeconds, 3.5);
    }
    // A clean source reports no damage.
    const Converted converted = convert(clean, m_dir.file("clean.mkv"), roads()[0].options);
    EXPECT_EQ(converted.error, "");
    EXPECT_TRUE(converted.damage.empty());
}

TEST_F(DamagedInputTest, StreamStampedFarBeyondItsFileIsAligned) {
    // WMV2 and WMA2 in ASF: the header says 6.04 s and both streams start at 0, but the video
    // packets are stamped from 3 600 000 s on.
    SampleSpec spec = smallSpec("asf", 6.0);
    spec.videoCodec = "wmv2";
    spec.audioCodec = "wmav2";
    const std::string clean = clip("clean.asf", spec);
    const std::string late = m_dir.file("late.asf");
    std::string error;
    RemuxDamage damage;
    damage.shifts.push_back({AVMEDIA_TYPE_VIDEO, 0.0, 3600000.0});
    ASSERT_TRUE(remuxDamaged(clean, late, damage, &error)) << error;
    ASSERT_TRUE(setAsfDuration(late, 6.04, &error)) << error;
    for (const Road& road : roads()) {
        SCOPED_TRACE(road.output);
        const std::string output = m_dir.file(road.output);
        Options options = road.options;
        // Should the gap be filled after all, the run stops here instead of filling the disk.
        options.emplace_back("fs", "5000000");
        ASSERT_EQ(convert(late, output, options).error, "");
        const MediaFacts facts = ReadMediaFacts(output);
        for (AVMediaType type : {AVMEDIA_TYPE_VIDEO, AVMEDIA_TYPE_AUDIO}) {
            const test::StreamFacts* stream = facts.find(type);
            ASSERT_NE(stream, nullptr);
            EXPECT_LT(stream->firstSeconds, 0.5);
            EXPECT_GT(stream->endSeconds, 5.5);
            EXPECT_LT(stream->endSeconds, 6.6);
        }
    }
}

TEST_F(DamagedInputTest, AJumpInOneStreamIsRemoved) {
    // Matroska whose pictures jump 1000 s ahead after 2 s while the sound goes on; the file's
    // duration, taken from its time stamps, says 1004 s.
    const std::string clean = clip("clean.mkv", smallSpec("matroska", 4.0));
    const std::string jumping = m_dir.file("jump.mkv");
    RemuxDamage damage;
    damage.shifts.push_back({AVMEDIA_TYPE_VIDEO, 2.0, 1000.0});
    std::string error;
    ASSERT_TRUE(remuxDamaged(clean, jumping, damage, &error)) << error;
    for (const Road& road : roads()) {
        SCOPED_TRACE(road.output);
        const std::string output = m_dir.file(road.output);
        Options options = road.options;
        options.emplace_back("fs", "5000000");  // should the gap be filled after all
        ASSERT_EQ(convert(jumping, output, options).error, "");
        const MediaFacts facts = ReadMediaFacts(output);
        ASSERT_NE(facts.find(AVMEDIA_TYPE_VIDEO), nullptr);
        EXPECT_GT(facts.find(AVMEDIA_TYPE_VIDEO)->packets, 90);
        for (const test::StreamFacts& stream : facts.streams) {
            EXPECT_GT(stream.endSeconds, 3.5);
            EXPECT_LT(stream.endSeconds, 4.6);
        }
    }
}

TEST_F(DamagedInputTest, WildTimeStampsInATransportStreamKeepItsLength) {
    // 0.1 % of the bits flipped: single packets stamped hours away, damaged packets.
    SampleSpec spec = smallSpec("mpegts", 6.0);
    spec.videoCodec = "mpeg2video";
    spec.audioCodec = "mp2";
    const std::string clean = clip("clean.ts", spec);
    const std::string damaged = m_dir.file("flipped.ts");
    std::string error;
    ASSERT_TRUE(flipBits(clean, damaged, 0.001, 1, 0, &error)) << error;
    for (const Road& road : roads()) {
        SCOPED_TRACE(road.output);
        const std::string output = m_dir.file(road.output);
        const Converted converted = convert(damaged, output, road.options);
        ASSERT_EQ(converted.error, "");
        EXPECT_GT(converted.damage.skippedPackets, 0);
        const MediaFacts facts = ReadMediaFacts(output);
        ASSERT_NE(facts.find(AVMEDIA_TYPE_VIDEO), nullptr);
        for (const test::StreamFacts& stream : facts.streams) {
            EXPECT_LT(stream.endSeconds, 8.0);
        }
    }
}

TEST_F(DamagedInputTest, RunawayOutputStopsAsFailed) {
    // The header says 6 s, but the pictures jump 8 s ahead every second: each jump is short
    // enough to pass for a pause and gets filled, until the output is far past the input.
    SampleSpec spec = smallSpec("asf", 6.0);
    spec.videoCodec = "wmv2";
    spec.audioCodec = "wmav2";
    const std::string clean = clip("clean.asf", spec);
    const std::string jumping = m_dir.file("jumping.asf");
    RemuxDamage damage;
    for (int second = 1; second < 6; ++second) {
        damage.shifts.push_back({AVMEDIA_TYPE_VIDEO, static_cast<double>(second), 8.0});
    }
    std::string error;
    ASSERT_TRUE(remuxDamaged(clean, jumping, damage, &error)) << error;
    ASSERT_TRUE(setAsfDuration(jumping, 6.0, &error)) << error;
    const Converted converted =
        convert(jumping, m_dir.file("out.avi"), {{"vcodec", "mpeg4"}, {"r", "25"}});
    EXPECT_NE(converted.error.find("far beyond the"), std::string::npos) << converted.error;
}

TEST_F(DamagedInputTest, AviWithoutIndexIsConverted) {
    // A recorder that wrote the sound seconds ahead of the pictures; without the index the file
    // is read in that order, and stream analysis ends before a picture was decoded.
    const std::string clean = clip("clean.avi", smallSpec("avi", 8.0));
    const std::string soundFirst = m_dir.file("soundfirst.avi");
    const std::string noIndex = m_dir.file("noindex.avi");
    RemuxDamage damage;
    damage.writeFirst = AVMEDIA_TYPE_AUDIO;
    std::string error;
    ASSERT_TRUE(remuxDamaged(clean, soundFirst, damage, &error)) << error;
    ASSERT_TRUE(removeAviIndex(soundFirst, noIndex, &error)) << error;
    for (const Road& road : roads()) {
        SCOPED_TRACE(road.output);
        const std::string output = m_dir.file(road.output);
        ASSERT_EQ(convert(noIndex, output, road.options).error, "");
        const MediaFacts facts = ReadMediaFacts(output);
        ASSERT_NE(facts.find(AVMEDIA_TYPE_VIDEO), nullptr);
        EXPECT_GT(facts.find(AVMEDIA_TYPE_VIDEO)->endSeconds, 7.5);
        EXPECT_EQ(facts.find(AVMEDIA_TYPE_VIDEO)->width, 160);
        ASSERT_NE(facts.find(AVMEDIA_TYPE_AUDIO), nullptr);
    }
}

TEST_F(DamagedInputTest, UndecodableAudioIsLeftOutAndSaidSo) {
    // One damaged byte in the Vorbis identification header: its decoder refuses the stream.
    SampleSpec spec = smallSpec("matroska", 2.0);
    spec.audioCodec = "libvorbis";
    const std::string clean = clip("clean.mkv", spec);
    const std::string damaged = m_dir.file("vorbis.mkv");
    std::string error;
    ASSERT_TRUE(
        flipBytes(clean, damaged, findBytes(clean, std::string("\x01vorbis", 7)) + 3, 1, &error))
        << error;
    for (const Road& road : roads()) {
        SCOPED_TRACE(road.output);
        const std::string output = m_dir.file(road.output);
        const Converted converted = convert(damaged, output, road.options);
        ASSERT_EQ(converted.error, "");
        ASSERT_EQ(converted.damage.droppedStreams.size(), 1u);
        EXPECT_EQ(converted.damage.droppedStreams[0].rfind("#0.1 (audio): ", 0), 0u)
            << converted.damage.droppedStreams[0];
        const MediaFacts facts = ReadMediaFacts(output);
        EXPECT_EQ(facts.count(AVMEDIA_TYPE_AUDIO), 0);
        ASSERT_NE(facts.find(AVMEDIA_TYPE_VIDEO), nullptr);
        EXPECT_GT(facts.find(AVMEDIA_TYPE_VIDEO)->endSeconds, 1.5);
    }
    // With nothing else to convert the run fails as it always did.
    spec.video = false;
    const std::string soundOnly = clip("sound.mkv", spec);
    const std::string damagedSound = m_dir.file("sound-damaged.mkv");
    ASSERT_TRUE(flipBytes(soundOnly, damagedSound,
                          findBytes(soundOnly, std::string("\x01vorbis", 7)) + 3, 1, &error))
        << error;
    EXPECT_EQ(convert(damagedSound, m_dir.file("sound.mka"), {{"acodec", "aac"}}).error,
              "Error while opening decoder for input stream #0.0 (audio)");
}

TEST_F(DamagedInputTest, OddPictureSizeIsRoundedForTheEncoder) {
    SampleSpec spec = smallSpec("webm", 1.0);
    spec.videoCodec = "libvpx";
    spec.audioCodec = "libvorbis";
    spec.width = 321;
    spec.height = 241;
    // The test picture itself comes in even sizes only.
    spec.videoFilter = "scale=321:241";
    const std::string odd = clip("odd.webm", spec);
    const struct {
        const char* output;
        Options options;
        int width;
        int height;
    } rows[] = {
        {"keep.mkv", {{"vcodec", "libx264"}}, 320, 240},
        {"asked.mp4", {{"vcodec", "libx264"}, {"s", "321x241"}}, 320, 240},
        {"keep.avi", {{"vcodec", "mpeg4"}}, 320, 240},
        // A filter that leaves an odd size gets a scale after it.
        {"cropped.mkv", {{"vcodec", "libx264"}, {"vf", "crop=301:201:0:0"}}, 300, 200},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.output);
        const std::string output = m_dir.file(row.output);
        ASSERT_EQ(convert(odd, output, row.options).error, "");
        const MediaFacts facts = ReadMediaFacts(output);
        ASSERT_NE(facts.find(AVMEDIA_TYPE_VIDEO), nullptr);
        EXPECT_EQ(facts.find(AVMEDIA_TYPE_VIDEO)->width, row.width);
        EXPECT_EQ(facts.find(AVMEDIA_TYPE_VIDEO)->height, row.height);
        EXPECT_GT(facts.find(AVMEDIA_TYPE_VIDEO)->packets, 20);
    }
}

}  // namespace
}  // namespace velmora
