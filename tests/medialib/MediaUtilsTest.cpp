#include "medialib/MediaUtils.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fstream>

#include "LogCapture.h"
#include "support/MediaLibraries.h"
#include "support/TempDir.h"

namespace velmora {
namespace {

TEST(ErrorTextTest, NamesTheFileAndTheErrorOfEachCode) {
    test::requireMediaLibraries();
    const struct {
        int code;
        const char* text;
    } rows[] = {
        {AVERROR(ENOENT), "No such file or directory"},
        // Codes outside the table: the library's own description, the number only without one.
        {-7, "Argument list too long"},
        {AVERROR(EBUSY), "Device or resource busy"},
        {-123456789, "Error number -123456789 occurred"},
        {AVERROR_PATCHWELCOME, "Not yet implemented in FFmpeg"},
        {AVERROR_PROTOCOL_NOT_FOUND, "Unsupported network protocol"},
        {AVERROR_DEMUXER_NOT_FOUND, "Unknown format"},
        {AVERROR(EDOM), "Number syntax expected in filename"},
        {AVERROR_EOF, "End of file"},
        {AVERROR_INVALIDDATA, "Invalid data found when processing input"},
        {AVERROR(ENOMEM), "Not enough memory"},
        {AVERROR(EIO), "I/O error"},
        {0, "Error number 0 occurred"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(ErrorText("clip.mkv", row.code), std::string("clip.mkv: ") + row.text);
    }
}

TEST(FormatTest, FormatsTimesAndSizes) {
    const struct {
        std::int64_t microseconds;
        const char* text;
    } times[] = {
        {0, "00:00:00.000"},          {999, "00:00:00.000"},
        {1000, "00:00:00.001"},       {59999999, "00:00:59.999"},
        {3723456789, "01:02:03.456"}, {100LL * 3600 * 1000000, "100:00:00.000"},
        {AV_NOPTS_VALUE, "N/A"},
    };
    for (const auto& row : times) {
        EXPECT_EQ(FormatTime(row.microseconds), row.text) << row.microseconds;
    }
    const struct {
        std::int64_t bytes;
        const char* text;
    } sizes[] = {
        {-5, "-5 Byte"},
        {0, "0 Byte"},
        {1024, "1024 Byte"},
        {1025, "1.00 KB"},
        {1048576, "1024.00 KB"},
        {1048577, "1.00 MB"},
        {1073741824, "1024.00 MB"},
        {1073741825, "1.00 GB"},
        {5LL << 40, "5120.00 GB"},
    };
    for (const auto& row : sizes) {
        EXPECT_EQ(FormatSize(row.bytes), row.text) << row.bytes;
    }
    const char* names[] = {"Video", "Audio", "Data", "Subtitle", "Attachment"};
    for (int kind = 0; kind < 5; ++kind) {
        EXPECT_EQ(MediaTypeName(kind), names[kind]);
    }
    EXPECT_EQ(MediaTypeName(7), "Unknown");
    EXPECT_EQ(MediaTypeName(-1), "Unknown");
}

TEST(FileNameTest, EveryNameThatIsNoUrlMeansAFile) {
    const struct {
        const char* name;
        bool plainProtocol;       // listed as a protocol that is never rewritten
        const char* libraryName;  // what the format library is given
    } rows[] = {
        {"http://host/clip.mp4", true, "http://host/clip.mp4"},
        {"udp://239.0.0.1:1234", true, "udp://239.0.0.1:1234"},
        {"https://host/clip.mp4", false, "https://host/clip.mp4"},
        {"rtmp+tls://host/x", false, "rtmp+tls://host/x"},
        {"/videos/a:b.mp4", false, "/videos/a:b.mp4"},
        {"/home/user/视频/片段.mkv", false, "/home/user/视频/片段.mkv"},
        {"file:clip.mkv", false, "file:clip.mkv"},
        // Relative names with a colon would be read as a protocol ("pipe:" reads standard
        // input); names without one get the file protocol too, so they can never turn into one.
        {"part1:intro.mkv", false, "file:part1:intro.mkv"},
        {"pipe:x.mkv", true, "file:pipe:x.mkv"},
        {"pipe:", true, "file:pipe:"},
        {"http:clip.mp4", true, "file:http:clip.mp4"},
        {"unicode:utf8:/x", true, "file:unicode:utf8:/x"},
        {"cp:x", false, "file:cp:x"},
        {"plain.mp4", false, "file:plain.mp4"},
        {"sub/dir/a.mkv", false, "file:sub/dir/a.mkv"},
        {":http", false, "file::http"},
        {"1abc://x", false, "file:1abc://x"},
        {"a b://x", false, "file:a b://x"},
        {"://x", false, "file:://x"},
        {"", false, ""},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(StartsWithPlainProtocol(row.name), row.plainProtocol) << row.name;
        EXPECT_EQ(ToLibraryFileName(row.name), row.libraryName) << row.name;
        if (*row.name != '\0') {
            EXPECT_EQ(FromLibraryFileName(ToLibraryFileName(row.name)),
                      std::string(row.name).rfind("file:", 0) == 0 ? row.name + 5 : row.name);
        }
    }

    const struct {
        const char* text;
        const char* name;
    } marked[] = {
        {"unicode:utf8:/home/user/视频.mkv", "/home/user/视频.mkv"},
        {"unicode:utf8:a", "a"},
        {"unicode:utf8:", "unicode:utf8:"},  // 13 bytes: not marked
        {"Unicode:utf8:/x", "Unicode:utf8:/x"},
        {"/plain/path.mp4", "/plain/path.mp4"},
        {"file:part1:intro.mkv", "part1:intro.mkv"},
        {"http://host/a.mp4", "http://host/a.mp4"},
    };
    for (const auto& row : marked) {
        EXPECT_EQ(FromLibraryFileName(row.text), row.name) << row.text;
    }
}

TEST(ReadWholeFileTest, ReadsBytesWithATrailingZero) {
    test::requireMediaLibraries();
    test::TempDir dir;
    {
        std::ofstream(dir.file("data.bin"), std::ios::binary) << std::string("ab\0c", 4);
        std::ofstream(dir.file("empty.bin"), std::ios::binary);
    }
    std::vector<char> contents;
    ASSERT_EQ(ReadWholeFile(dir.file("data.bin"), contents), 0);
    EXPECT_EQ(contents, (std::vector<char>{'a', 'b', '\0', 'c', '\0'}));
    ASSERT_EQ(ReadWholeFile(dir.file("empty.bin"), contents), 0);
    EXPECT_EQ(contents, std::vector<char>{'\0'});
    EXPECT_EQ(ReadWholeFile(dir.file("missing.bin"), contents), -1);
    EXPECT_TRUE(contents.empty());
    EXPECT_EQ(ReadWholeFile(dir.path().string(), contents), -1);
}

class MediaLibraryUtilsTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::requireMediaLibraries();
        ASSERT_TRUE(OptionContextsCreate(set, SWS_BICUBIC));
    }

    static CodecContextPtr encoderContext(const char* name) {
        const AVCodec* codec = lib::avcodec.avcodec_find_encoder_by_name(name);
        return CodecContextPtr(codec != nullptr ? lib::avcodec.avcodec_alloc_context3(codec)
                                                : nullptr);
    }

    static std::string optionText(void* object, const char* name) {
        std::uint8_t* text = nullptr;
        if (lib::avutil.av_opt_get(object, name, AV_OPT_SEARCH_CHILDREN, &text) < 0) {
            return "<missing>";
        }
        const LibraryMemoryPtr owner(text);
        return reinterpret_cast<const char*>(text);
    }

    test::LogCapture capture;
    OptionContexts set;
};

TEST_F(MediaLibraryUtilsTest, DescribesCodecsByIdNameOrTag) {
    CodecContextPtr context(lib::avcodec.avcodec_alloc_context3(nullptr));
    context->codec_id = AV_CODEC_ID_MPEG4;
    EXPECT_EQ(CodecDescription(context.get(), false), "mpeg4(MPEG-4 part 2)");
    context->codec_id = AV_CODEC_ID_MPEG2TS;
    EXPECT_EQ(CodecDescription(context.get(), false), "mpeg2ts");
    const struct {
        unsigned tag;
        const char* text;
    } tags[] = {
        {MKTAG('X', 'V', 'I', 'D'), "XVID / 0x44495658"},
        {MKTAG('a', ' ', '~', '1'), "a ~1 / 0x317E2061"},
        {0x01020304, "0x1020304"},
        {MKTAG('D', 'X', '5', 0x7F), "0x7f355844"},
        {0, "0x0000"},
    };
    context->codec_id = AV_CODEC_ID_NONE;
    for (const auto& row : tags) {
        context->codec_tag = row.tag;
        EXPECT_EQ(CodecDescription(context.get(), true), row.text);
    }
    EXPECT_EQ(CodecDescription(nullptr, true), "");
}

TEST_F(MediaLibraryUtilsTest, SetsOptionsOnTheContextsTheyBelongTo) {
    struct Row {
        const char* name;
        const char* value;
        bool accepted;
        void* object;  // where the value is read back
        const char* readName;
        const char* expected;
    };
    const Row rows[] = {
        {"b", "1000k", true, set.codec[AVMEDIA_TYPE_VIDEO].get(), "b", "1000000"},
        {"ab", "96k", true, set.codec[AVMEDIA_TYPE_AUDIO].get(), "b", "96000"},
        {"  g ", " 12 ", true, set.codec[AVMEDIA_TYPE_VIDEO].get(), "g", "12"},
        {"ar", "22050", true, set.codec[AVMEDIA_TYPE_AUDIO].get(), "ar", "22050"},
        {"probesize", "5000", true, set.format.get(), "probesize", "5000"},
        {"sws_flags", "bilinear", true, set.scaler.get(), "sws_flags", "0x00000002"},
        {"g", "", false, nullptr, nullptr, nullptr},
        {"", "1", false, nullptr, nullptr, nullptr},
        {"no_such_option", "1", false, nullptr, nullptr, nullptr},
        {"g", "twelve", false, set.codec[AVMEDIA_TYPE_VIDEO].get(), "g", "12"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(SetOption(set, row.name, row.value), row.accepted) << row.name;
        if (row.object != nullptr) {
            EXPECT_EQ(optionText(row.object, row.readName), row.expected) << row.name;
        }
    }
    EXPECT_TRUE(capture.contains("Invalid value \"twelve\" for option \"g\""));
    // "ab" is still an audio option of its own in the library, so no prefix rule was needed.
    EXPECT_EQ(set.names,
              (std::vector<std::string>{"b", "ab", "g", "ar", "probesize", "sws_flags"}));
    EXPECT_EQ(Logger().LogLevel(), TLogLevel::llInfo);
    EXPECT_TRUE(SetOption(set, "debug", "1"));
    EXPECT_EQ(Logger().LogLevel(), TLogLevel::llDebug);
}

TEST_F(MediaLibraryUtilsTest, AppliesOnlyOptionsWhoseFlagsMatch) {
    ASSERT_TRUE(SetOption(set, "g", "33"));
    ASSERT_TRUE(SetOption(set, "vb", "700k"));
    ASSERT_TRUE(SetOption(set, "ab", "64k"));
    CodecContextPtr video = encoderContext("mpeg4");
    CodecContextPtr audio = encoderContext("mp2");
    ASSERT_TRUE(video && audio);
    const int audioGop = audio->gop_size;
    EXPECT_TRUE(ApplyOptions(set, set.codec[AVMEDIA_TYPE_VIDEO].get(), video.get(),
                             AV_OPT_FLAG_VIDEO_PARAM | AV_OPT_FLAG_ENCODING_PARAM));
    EXPECT_TRUE(ApplyOptions(set, set.codec[AVMEDIA_TYPE_AUDIO].get(), audio.get(),
                             AV_OPT_FLAG_AUDIO_PARAM | AV_OPT_FLAG_ENCODING_PARAM));
    EXPECT_EQ(video->gop_size, 33);
    EXPECT_EQ(video->bit_rate, 700000);
    EXPECT_EQ(audio->bit_rate, 64000);
    EXPECT_EQ(audio->gop_size, audioGop);
}

// The lines of the built-in "libx264-default" preset plus the other legacy forms.
struct LegacyRow {
    const char* name;
    const char* value;
    const char* readName;
    const char* expected;
};
const LegacyRow kX264Rows[] = {
    {"coder", "1", "coder", "1"},
    {"flags", "+loop", "flags", "0x80000800"},  // libx264 starts with closed GOPs
    {"cmp", "+chroma", "cmp", "256"},
    {"partitions", "+parti8x8+parti4x4+partp8x8+partb8x8", "partitions",
     "+parti8x8+parti4x4+partp8x8+partb8x8"},
    {"me_method", "hex", "me_method", "1"},
    {"subq", "7", "subq", "7"},
    {"me_range", "16", "me_range", "16"},
    {"g", "250", "g", "250"},
    {"keyint_min", "25", "keyint_min", "25"},
    {"sc_threshold", "40", "sc_threshold", "40"},
    {"i_qfactor", "0.71", "i_qfactor", "0.710000"},
    {"b_strategy", "1", "b_strategy", "1"},
    {"qcomp", "0.6", "qcomp", "0.600000"},
    {"qmin", "10", "qmin", "10"},
    {"qmax", "51", "qmax", "51"},
    {"qdiff", "4", "qdiff", "4"},
    {"bf", "3", "bf", "3"},
    {"refs", "2", "refs", "2"},
    {"directpred", "1", "direct-pred", "1"},
    {"trellis", "1", "trellis", "1"},
    {"flags2", "+mixed_refs+wpred+dct8x8+fastpskip", "mixed-refs", "true"},
    {"wpredp", "2", "wpredp", "2"},
    {"cqp", "26", "qp", "26"},
    {"level", "13", "level", "13"},
};

TEST_F(MediaLibraryUtilsTest, LegacyX264OptionsReachALibx264Context) {
    CodecContextPtr x264 = encoderContext("libx264");
    ASSERT_TRUE(x264) << "libx264 encoder missing";
    for (const LegacyRow& row : kX264Rows) {
        std::string error;
        EXPECT_TRUE(
            SetLegacyAwareOption(x264.get(), row.name, row.value, AV_OPT_SEARCH_CHILDREN, &error))
            << row.name << ": " << error;
        EXPECT_EQ(optionText(x264.get(), row.readName), row.expected) << row.name;
    }
    for (const char* name : {"weightb", "8x8dct", "fast-pskip"}) {
        EXPECT_EQ(optionText(x264.get(), name), "true") << name;
    }

    const struct {
        const char* value;
        const char* flags2;
        const char* mixedRefs;
        const char* weightb;
    } flagRows[] = {
        {"-wpred-dct8x8", "0x00000000", "true", "false"},
        {"+fast-mixed_refs", "0x00000001", "false", "false"},
        {"wpred", "0x00000001", "false", "true"},
    };
    for (const auto& row : flagRows) {
        std::string error;
        EXPECT_TRUE(
            SetLegacyAwareOption(x264.get(), "flags2", row.value, AV_OPT_SEARCH_CHILDREN, &error))
            << row.value << ": " << error;
        EXPECT_EQ(optionText(x264.get(), "flags2"), row.flags2) << row.value;
        EXPECT_EQ(optionText(x264.get(), "mixed-refs"), row.mixedRefs) << row.value;
        EXPECT_EQ(optionText(x264.get(), "weightb"), row.weightb) << row.value;
    }
}

TEST_F(MediaLibraryUtilsTest, LegacyOptionWithoutEquivalentIsSkippedWithAWarning) {
    CodecContextPtr mpeg4 = encoderContext("mpeg4");
    std::string error;
    EXPECT_TRUE(
        SetLegacyAwareOption(mpeg4.get(), "directpred", "1", AV_OPT_SEARCH_CHILDREN, &error));
    EXPECT_TRUE(capture.contains("direct-pred"));
    EXPECT_EQ(capture.entries().at(0).level, TLogLevel::llWarning);
    EXPECT_FALSE(
        SetLegacyAwareOption(mpeg4.get(), "no_such_option", "1", AV_OPT_SEARCH_CHILDREN, &error));
    EXPECT_NE(error.find("no_such_option"), std::string::npos);
    EXPECT_FALSE(SetLegacyAwareOption(mpeg4.get(), "g", "many", AV_OPT_SEARCH_CHILDREN, &error));
    EXPECT_NE(error.find("Invalid value"), std::string::npos);
}

TEST_F(MediaLibraryUtilsTest, PresetThroughOptionContextsEndsUpOnTheEncoder) {
    for (const LegacyRow& row : kX264Rows) {
        EXPECT_TRUE(SetOption(set, row.name, row.value)) << row.name;
    }
    CodecContextPtr x264 = encoderContext("libx264");
    ASSERT_TRUE(x264);
    EXPECT_TRUE(ApplyOptions(set, set.codec[AVMEDIA_TYPE_VIDEO].get(), x264.get(),
                             AV_OPT_FLAG_VIDEO_PARAM | AV_OPT_FLAG_ENCODING_PARAM));
    for (const LegacyRow& row : kX264Rows) {
        // A flags value is copied whole from the option context, replacing the encoder's own
        // default flags rather than adding to them.
        const std::string expected = row.name == std::string("flags") ? "0x00000800" : row.expected;
        EXPECT_EQ(optionText(x264.get(), row.readName), expected) << row.name;
    }
    // A private option goes nowhere else: not onto the audio encoder, not onto a muxer.
    CodecContextPtr audio = encoderContext("mp2");
    EXPECT_TRUE(ApplyOptions(set, set.codec[AVMEDIA_TYPE_AUDIO].get(), audio.get(),
                             AV_OPT_FLAG_AUDIO_PARAM | AV_OPT_FLAG_ENCODING_PARAM));
}

}  // namespace
}  // namespace velmora
