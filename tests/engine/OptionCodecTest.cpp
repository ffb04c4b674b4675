#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/CodecResolver.h"
#include "engine/FakeOptionActions.h"
#include "support/MediaLibraries.h"

namespace velmora {
namespace {

class OptionCodecTest : public ::testing::Test {
protected:
    void SetUp() override { test::requireMediaLibraries(); }
};

TEST_F(OptionCodecTest, ResolvesByNameKindAndDirection) {
    struct Case {
        std::string name;
        AVMediaType type;
        CodecDirection direction;
        int strictness;
        std::string resolved;  // codec name on success
        std::string error;
    };
    const auto encoder = CodecDirection::Encoder;
    const auto decoder = CodecDirection::Decoder;
    const std::vector<Case> cases = {
        {"", AVMEDIA_TYPE_VIDEO, encoder, 0, "", ""},
        {"libx264", AVMEDIA_TYPE_VIDEO, encoder, 0, "libx264", ""},
        {"mp2", AVMEDIA_TYPE_AUDIO, encoder, 0, "mp2", ""},
        {"h264", AVMEDIA_TYPE_VIDEO, decoder, 0, "h264", ""},
        {"nosuch", AVMEDIA_TYPE_VIDEO, encoder, 0, "", "Unknown encoder 'nosuch'"},
        {"nosuch", AVMEDIA_TYPE_AUDIO, decoder, 0, "", "Unknown decoder 'nosuch'"},
        {"h264", AVMEDIA_TYPE_VIDEO, encoder, 0, "", "Unknown encoder 'h264'"},
        {"mp2", AVMEDIA_TYPE_VIDEO, encoder, 0, "", "Invalid encoder type 'mp2'"},
        {"h264", AVMEDIA_TYPE_AUDIO, decoder, 0, "", "Invalid decoder type 'h264'"},
        {"vorbis", AVMEDIA_TYPE_AUDIO, encoder, -1, "",
         "encoder 'vorbis' is experimental and might produce bad results.\r\nAdd '-strict "
         "experimental' if you want to use it.\r\nOr use the non experimental encoder "
         "'libvorbis'."},
        {"vorbis", AVMEDIA_TYPE_AUDIO, encoder, -2, "vorbis", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const CodecResolution resolution = ResolveCodec(c.name, c.type, c.direction, c.strictness);
        EXPECT_EQ(resolution.error, c.error);
        EXPECT_EQ(resolution.codec == nullptr ? "" : resolution.codec->name, c.resolved);
    }
}

TEST_F(OptionCodecTest, RemovedEncoderUsesItsSuccessorWithOneWarning) {
    test::LogCapture log;
    const CodecResolution resolution =
        ResolveCodec("libfaac", AVMEDIA_TYPE_AUDIO, CodecDirection::Encoder, 0);
    ASSERT_TRUE(resolution.ok());
    EXPECT_STREQ(resolution.codec->name, "aac");
    ASSERT_EQ(log.lines().size(), 1u);
    EXPECT_EQ(log.lines()[0].level, TLogLevel::llWarning);
    EXPECT_EQ(log.lines()[0].text, "Encoder 'libfaac' is not available, using 'aac' instead");

    EXPECT_EQ(ResolveCodec("libfaac", AVMEDIA_TYPE_AUDIO, CodecDirection::Decoder, 0).error,
              "Unknown decoder 'libfaac'");
}

}  // namespace
}  // namespace velmora
