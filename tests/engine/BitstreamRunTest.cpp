// Bitstream filters on written packets: applied on copy and after encoding, refused names, and
// a filter that does not take the stream's codec.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "ConvertRunFixture.h"
#include "engine/MediaFacts.h"
#include "engine/TranscoderException.h"

namespace velmora {
namespace {

using test::ReadMediaFacts;

class BitstreamRunTest : public test::ConvertRunFixture {
protected:
    std::string h264Clip() {
        SampleSpec spec;
        spec.container = "matroska";
        spec.videoCodec = "libx264";
        spec.durationSeconds = 1.0;
        return makeClip("source.mkv", spec);
    }
};

bool contains(const std::string& path, const std::string& text) {
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), {});
    return bytes.find(text) != std::string::npos;
}

// Counts Annex B start codes (00 00 00 01) in a file.
long startCodes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), {});
    const std::string code("\0\0\0\1", 4);
    long count = 0;
    for (size_t at = bytes.find(code); at != std::string::npos; at = bytes.find(code, at + 4)) {
        ++count;
    }
    return count;
}

TEST_F(BitstreamRunTest, FiltersApplyToCopiedAndEncodedPackets) {
    const std::string source = h264Clip();
    const long sourcePackets = ReadMediaFacts(source).find(AVMEDIA_TYPE_VIDEO)->packets;
    // The encoder's settings travel in an SEI unit (type 6) of the first picture.
    const std::string encoderNote = "x264 - core";
    ASSERT_TRUE(contains(source, encoderNote));
    const struct {
        const char* name;
        test::OptionList options;
        const char* codec;
        bool notePresent;
    } rows[] = {
        {"plain.mkv", {{"vcodec", "copy"}, {"an", "1"}}, "h264", true},
        {"nosei.mkv",
         {{"vcodec", "copy"}, {"an", "1"}, {"vbsf", "filter_units=remove_types=6"}},
         "h264",
         false},
        // Length-prefixed pictures become start-code ones; then the SEI goes.
        {"annexb.h264",
         {{"vcodec", "copy"},
          {"an", "1"},
          {"vbsf", "h264_mp4toannexb"},
          {"vbsf", "filter_units=remove_types=6"}},
         "h264",
         false},
        // After encoding, with arguments.
        {"dump.avi",
         {{"vcodec", "mpeg4"}, {"an", "1"}, {"vbsf", "dump_extra=freq=keyframe"}},
         "mpeg4",
         false},
        {"audio.mkv", {{"vn", "1"}, {"acodec", "copy"}, {"absf", "aac_adtstoasc"}}, "aac", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string target = m_dir.file(row.name);
        ASSERT_EQ(run({{source, {}}}, target, row.options), "");
        const test::MediaFacts facts = ReadMediaFacts(target);
        ASSERT_TRUE(facts.opened) << facts.error;
        ASSERT_EQ(facts.streams.size(), 1u);
        EXPECT_EQ(facts.streams[0].codec, row.codec);
        EXPECT_EQ(contains(target, encoderNote), row.notePresent);
        if (facts.streams[0].type == AVMEDIA_TYPE_VIDEO) {
            EXPECT_EQ(facts.streams[0].packets, sourcePackets);
        }
    }
    EXPECT_GE(startCodes(m_dir.file("annexb.h264")), sourcePackets);
}

TEST_F(BitstreamRunTest, HeldBackPacketsComeOutAtTheEnd) {
    // Packets of 10000 samples: the last 2050 of 22050 samples wait for more until the end.
    const std::string source = wavClip("tone.wav", 0.5);
    const std::string target = m_dir.file("chunks.wav");
    ASSERT_EQ(run({{source, {}}}, target, {{"absf", "pcm_rechunk=nb_out_samples=10000:pad=0"}}),
              "");
    EXPECT_EQ(test::WavSamples(target).size(), test::WavSamples(source).size());
}

TEST_F(BitstreamRunTest, BadFilterArgumentsFailTheRun) {
    const std::string source = h264Clip();
    const std::string message = run({{source, {}}}, m_dir.file("bad.mkv"),
                                    {{"vcodec", "copy"}, {"an", "1"}, {"vbsf", "null=nokey=1"}});
    EXPECT_EQ(message.rfind("null failed for stream 0, codec copy: ", 0), 0u) << message;
}

TEST_F(BitstreamRunTest, UnknownFilterRefusedAtOptionTime) {
    for (const char* option : {"vbsf", "absf", "sbsf"}) {
        SCOPED_TRACE(option);
        TCustomTranscoder engine;
        try {
            engine.SetOption(option, "no_such_filter=x");
            ADD_FAILURE() << "accepted";
        } catch (const TranscoderException& e) {
            EXPECT_STREQ(e.what(), "Unknown bitstream filter no_such_filter");
        }
    }
}

TEST_F(BitstreamRunTest, FilterForAnotherCodecFailsTheRun) {
    const std::string source = h264Clip();
    const std::string target = m_dir.file("wrong.avi");
    const std::string message = run(
        {{source, {}}}, target, {{"vcodec", "mpeg4"}, {"an", "1"}, {"vbsf", "h264_mp4toannexb"}});
    EXPECT_EQ(message.rfind("h264_mp4toannexb failed for stream 0, codec mpeg4", 0), 0u) << message;
}

}  // namespace
}  // namespace velmora
