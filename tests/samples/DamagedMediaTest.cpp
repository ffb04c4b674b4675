#include "samples/DamagedMedia.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>

#include "medialib/LibraryHandles.h"
#include "medialib/MediaLibLoader.h"
#include "samples/SampleMedia.h"
#include "support/MediaLibraries.h"
#include "support/TempDir.h"

namespace velmora {
namespace {

std::string bytesOf(const std::string& path) {
    std::ifstream input(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(input), {});
}

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

uint32_t little32(const std::string& bytes, size_t at) {
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i) {
        value = (value << 8) | static_cast<uint8_t>(bytes[at + i]);
    }
    return value;
}

// The first packets of a file in reading order: media type and time in seconds.
struct ReadPacket {
    AVMediaType type;
    double seconds;
};

struct ReadBack {
    double durationSeconds = -1;
    std::vector<ReadPacket> packets;
};

ReadBack readBack(const std::string& path) {
    ReadBack back;
    AVFormatContext* raw = nullptr;
    if (lib::avformat.avformat_open_input(&raw, path.c_str(), nullptr, nullptr) < 0) {
        ADD_FAILURE() << "cannot open " << path;
        return back;
    }
    InputFormatPtr input(raw);
    {
        std::lock_guard lock(CodecLock());
        lib::avformat.avformat_find_stream_info(raw, nullptr);
    }
    if (raw->duration != AV_NOPTS_VALUE) {
        back.durationSeconds = static_cast<double>(raw->duration) / AV_TIME_BASE;
    }
    PacketPtr packet = makePacket();
    while (lib::avformat.av_read_frame(raw, packet.get()) >= 0) {
        const AVStream* stream = raw->streams[packet->stream_index];
        const int64_t stamp = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
        back.packets.push_back({stream->codecpar->codec_type,
                                stamp == AV_NOPTS_VALUE ? NAN : stamp * av_q2d(stream->time_base)});
        lib::avcodec.av_packet_unref(packet.get());
    }
    return back;
}

class DamagedMediaTest : public ::testing::Test {
protected:
    void SetUp() override { test::requireMediaLibraries(); }

    std::string clip(const std::string& name, const char* container, double seconds = 2.0) {
        SampleSpec spec;
        spec.container = container;
        spec.durationSeconds = seconds;
        spec.width = 96;
        spec.height = 64;
        const std::string path = dir.file(name);
        std::string error;
        EXPECT_TRUE(makeSampleMedia(spec, path, &error)) << error;
        return path;
    }

    test::TempDir dir;
};

TEST_F(DamagedMediaTest, ByteDamageChangesExactlyWhatItSays) {
    const std::string from = dir.file("bytes.bin");
    writeFile(from, std::string("0123456789"));
    std::string error;
    ASSERT_TRUE(flipBytes(from, dir.file("flipped"), 2, 3, &error)) << error;
    const std::string flipped = bytesOf(dir.file("flipped"));
    EXPECT_EQ(flipped.substr(0, 2), "01");
    EXPECT_EQ(static_cast<uint8_t>(flipped[2]), static_cast<uint8_t>(~'2'));
    EXPECT_EQ(flipped.substr(5), "56789");
    EXPECT_FALSE(flipBytes(from, dir.file("outside"), 8, 3, &error));
    EXPECT_FALSE(error.empty());

    ASSERT_TRUE(insertBytes(from, dir.file("inserted"), 4, 3, 0xAB, &error)) << error;
    EXPECT_EQ(bytesOf(dir.file("inserted")),
              "0123\xAB\xAB\xAB"
              "456789");
    EXPECT_EQ(findBytes(dir.file("inserted"), "456"), 7);
    EXPECT_EQ(findBytes(dir.file("inserted"), "456", 8), -1);
    EXPECT_EQ(bytesOf(from), "0123456789") << "the source is never changed";
}

TEST_F(DamagedMediaTest, BitFlipsAreRepeatableAndSpareTheHead) {
    const std::string from = dir.file("zeros.bin");
    writeFile(from, std::string(10000, '\0'));
    std::string error;
    ASSERT_TRUE(flipBits(from, dir.file("a"), 0.01, 7, 100, &error)) << error;
    ASSERT_TRUE(flipBits(from, dir.file("b"), 0.01, 7, 100, &error)) << error;
    ASSERT_TRUE(flipBits(from, dir.file("c"), 0.01, 8, 100, &error)) << error;
    const std::string a = bytesOf(dir.file("a"));
    EXPECT_EQ(a, bytesOf(dir.file("b")));
    EXPECT_NE(a, bytesOf(dir.file("c")));
    EXPECT_EQ(a.substr(0, 100), std::string(100, '\0'));
    int bits = 0;
    for (char c : a) {
        bits += __builtin_popcount(static_cast<uint8_t>(c));
    }
    // 1 % of 9900 * 8 bits, less the few that were flipped twice.
    EXPECT_GT(bits, 700);
    EXPECT_LE(bits, 792);
}

TEST_F(DamagedMediaTest, AviLosesItsIndexAndItsIndexFlag) {
    const std::string from = clip("clip.avi", "avi");
    const std::string to = dir.file("noindex.avi");
    std::string error;
    ASSERT_TRUE(removeAviIndex(from, to, &error)) << error;
    const std::string bytes = bytesOf(to);
    EXPECT_EQ(bytes.find("idx1"), std::string::npos);
    EXPECT_EQ(little32(bytes, 4), bytes.size() - 8);
    EXPECT_EQ(little32(bytes, bytes.find("avih") + 8 + 12) & 0x10, 0u);
    EXPECT_GT(readBack(to).packets.size(), 50u) << "still readable from front to back";
    EXPECT_FALSE(removeAviIndex(to, dir.file("again.avi"), &error));
}

TEST_F(DamagedMediaTest, Mp4LosesItsMediaData) {
    const std::string from = clip("clip.mp4", "mp4");
    const std::string to = dir.file("nomdat.mp4");
    std::string error;
    ASSERT_TRUE(removeMp4Box(from, to, "mdat", &error)) << error;
    const std::string bytes = bytesOf(to);
    EXPECT_EQ(bytes.find("mdat"), std::string::npos);
    EXPECT_NE(bytes.find("moov"), std::string::npos);
    EXPECT_LT(bytes.size(), bytesOf(from).size() / 2);
    EXPECT_FALSE(removeMp4Box(to, dir.file("again.mp4"), "mdat", &error));
}

TEST_F(DamagedMediaTest, TimestampsMoveAndStreamsGoOneAfterAnother) {
    const std::string from = clip("clip.mkv", "matroska", 3.0);
    const std::string shifted = dir.file("shifted.mkv");
    RemuxDamage damage;
    damage.shifts.push_back({AVMEDIA_TYPE_VIDEO, 1.0, 100.0});
    std::string error;
    ASSERT_TRUE(remuxDamaged(from, shifted, damage, &error)) << error;
    int early = 0;
    int jumped = 0;
    for (const ReadPacket& packet : readBack(shifted).packets) {
        if (packet.type == AVMEDIA_TYPE_VIDEO) {
            (packet.seconds < 1.0 ? early : jumped) += 1;
            EXPECT_TRUE(packet.seconds < 1.0 || packet.seconds >= 101.0) << packet.seconds;
        } else {
            EXPECT_LT(packet.seconds, 3.1);
        }
    }
    EXPECT_EQ(early, 25);
    EXPECT_EQ(jumped, 50);

    const std::string soundFirst = dir.file("soundfirst.avi");
    damage = RemuxDamage{};
    damage.writeFirst = AVMEDIA_TYPE_AUDIO;
    ASSERT_TRUE(remuxDamaged(clip("clip.avi", "avi", 3.0), soundFirst, damage, &error)) << error;
    const ReadBack back = readBack(soundFirst);
    ASSERT_FALSE(back.packets.empty());
    // The index still orders the packets by time; the file itself holds all sound first.
    const std::string bytes = bytesOf(soundFirst);
    const size_t index = bytes.find("idx1");
    ASSERT_NE(index, std::string::npos);
    EXPECT_LT(bytes.rfind("01wb", index), bytes.find("00dc", bytes.find("movi")));
}

TEST_F(DamagedMediaTest, AsfHeaderTellsTheDurationItIsGiven) {
    SampleSpec spec;
    spec.container = "asf";
    spec.videoCodec = "wmv2";
    spec.audioCodec = "wmav2";
    spec.width = 96;
    spec.height = 64;
    spec.durationSeconds = 2.0;
    const std::string path = dir.file("clip.asf");
    std::string error;
    ASSERT_TRUE(makeSampleMedia(spec, path, &error)) << error;
    ASSERT_TRUE(setAsfDuration(path, 1.25, &error)) << error;
    // Measured from the file's start; the pictures begin one frame late.
    EXPECT_NEAR(readBack(path).durationSeconds, 1.25, 0.05);
    EXPECT_FALSE(setAsfDuration(clip("clip.mkv", "matroska"), 1.0, &error));
}

TEST_F(DamagedMediaTest, Y4mRowsArePadded) {
    SampleSpec spec;
    spec.container = "yuv4mpegpipe";
    spec.videoCodec = "wrapped_avframe";
    spec.audio = false;
    spec.width = 96;
    spec.height = 64;
    spec.durationSeconds = 0.4;  // 10 frames
    const std::string from = dir.file("clip.y4m");
    std::string error;
    ASSERT_TRUE(makeSampleMedia(spec, from, &error)) << error;
    const std::string to = dir.file("padded.y4m");
    ASSERT_TRUE(padY4mRows(from, to, 4, &error)) << error;
    // Per frame: 64 luma rows and twice 32 chroma rows, 4 bytes each.
    EXPECT_EQ(bytesOf(to).size(), bytesOf(from).size() + 10 * (64 + 2 * 32) * 4);
    EXPECT_FALSE(padY4mRows(dir.file("missing.y4m"), dir.file("x.y4m"), 4, &error));
}

}  // namespace
}  // namespace velmora
