// The frame-number code and the key-frame spacing of generated clips, read back through a
// decoder the way a player shows the pictures.
#include "samples/FrameNumberCode.h"

#include <gtest/gtest.h>

#include <mutex>
#include <vector>

#include "medialib/LibraryHandles.h"
#include "medialib/MediaLibLoader.h"
#include "medialib/PictureConverter.h"
#include "samples/SampleMedia.h"
#include "support/MediaLibraries.h"
#include "support/TempDir.h"

namespace velmora {
namespace {

struct DecodedFrame {
    int number;  // what the picture's code says
    bool keyFrame;
};

// Every picture of the file's video stream in presentation order.
std::vector<DecodedFrame> decodeAll(const std::string& path) {
    std::vector<DecodedFrame> frames;
    AVFormatContext* raw = nullptr;
    if (lib::avformat.avformat_open_input(&raw, path.c_str(), nullptr, nullptr) < 0) {
        ADD_FAILURE() << "cannot open " << path;
        return frames;
    }
    InputFormatPtr input(raw);
    const int index =
        lib::avformat.av_find_best_stream(raw, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (index < 0) {
        ADD_FAILURE() << "no video in " << path;
        return frames;
    }
    const AVCodecParameters* parameters = raw->streams[index]->codecpar;
    const AVCodec* decoder = lib::avcodec.avcodec_find_decoder(parameters->codec_id);
    CodecContextPtr codec(lib::avcodec.avcodec_alloc_context3(decoder));
    lib::avcodec.avcodec_parameters_to_context(codec.get(), parameters);
    {
        std::lock_guard lock(CodecLock());
        if (lib::avcodec.avcodec_open2(codec.get(), decoder, nullptr) < 0) {
            ADD_FAILURE() << "cannot open the decoder";
            return frames;
        }
    }
    PacketPtr packet = makePacket();
    FramePtr frame = makeFrame();
    PictureConverter converter;
    auto receive = [&] {
        while (lib::avcodec.avcodec_receive_frame(codec.get(), frame.get()) == 0) {
            const bool key = frame->key_frame != 0;
            EXPECT_TRUE(converter.PictureToBitmap(frame.get()));
            frames.push_back({readFrameNumber(converter.bitmap()), key});
            lib::avutil.av_frame_unref(frame.get());
        }
    };
    while (lib::avformat.av_read_frame(raw, packet.get()) >= 0) {
        if (packet->stream_index == index) {
            lib::avcodec.avcodec_send_packet(codec.get(), packet.get());
            receive();
        }
        lib::avcodec.av_packet_unref(packet.get());
    }
    lib::avcodec.avcodec_send_packet(codec.get(), nullptr);
    receive();
    std::lock_guard lock(CodecLock());
    codec.reset();
    return frames;
}

class FrameNumberCodeTest : public ::testing::Test {
protected:
    void SetUp() override { test::requireMediaLibraries(); }
    test::TempDir m_dir;
};

TEST_F(FrameNumberCodeTest, EveryPictureShowsItsNumberAndKeyFramesComeEvery25) {
    struct Row {
        const char* container;
        const char* fileName;
        const char* videoCodec;
        int width;
        int height;
        int bitRate;  // 0: the encoder's default, the hardest case for the code
    };
    const Row rows[] = {
        {"matroska", "a.mkv", "mpeg4", 320, 240, 0},
        {"mp4", "a.mp4", "libx264", 320, 240, 0},
        {"avi", "small.avi", "mpeg4", 160, 120, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.fileName);
        SampleSpec spec;
        spec.container = row.container;
        spec.videoCodec = row.videoCodec;
        spec.width = row.width;
        spec.height = row.height;
        spec.videoBitRate = row.bitRate;
        spec.audio = false;
        spec.durationSeconds = 3.0;
        spec.frameNumberCode = true;
        spec.keyFrameInterval = 25;
        const std::string path = m_dir.file(row.fileName);
        std::string error;
        ASSERT_TRUE(makeSampleMedia(spec, path, &error)) << error;
        const std::vector<DecodedFrame> frames = decodeAll(path);
        ASSERT_EQ(frames.size(), 75u);
        for (int i = 0; i < 75; ++i) {
            EXPECT_EQ(frames[i].number, i);
            EXPECT_EQ(frames[i].keyFrame, i % 25 == 0) << "frame " << i;
        }
    }
}

TEST_F(FrameNumberCodeTest, PicturesWithoutACodeReadAsUnknown) {
    SampleSpec spec;
    spec.container = "matroska";
    spec.audio = false;
    spec.durationSeconds = 0.2;
    const std::string path = m_dir.file("plain.mkv");
    std::string error;
    ASSERT_TRUE(makeSampleMedia(spec, path, &error)) << error;
    for (const DecodedFrame& frame : decodeAll(path)) {
        EXPECT_EQ(frame.number, -1);
    }

    Bitmap black(320, 240);
    EXPECT_EQ(readFrameNumber(black), -1);
    Bitmap tiny(8, 8);
    EXPECT_EQ(readFrameNumber(tiny), -1);
    EXPECT_EQ(readFrameNumber(Bitmap()), -1);
}

}  // namespace
}  // namespace velmora
