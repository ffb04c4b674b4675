#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "engine/EngineSettings.h"
#include "engine/FakeOptionActions.h"
#include "engine/OptionParser.h"
#include "engine/TranscoderException.h"
#include "medialib/FrameHook.h"
#include "support/MediaLibraries.h"

namespace velmora {
namespace {

using test::FakeOptionActions;
using test::LogCapture;

class OptionParserTest : public ::testing::Test {
protected:
    void SetUp() override { test::requireMediaLibraries(); }

    void set(const std::string& name, const std::string& value) {
        SetEngineOption(settings, actions, name, value);
    }
    // The text of the exception the option raises; empty when it raises none.
    std::string failureOf(const std::string& name, const std::string& value) {
        try {
            set(name, value);
        } catch (const TranscoderException& error) {
            return error.what();
        }
        return {};
    }

    EngineSettings settings;
    FakeOptionActions actions;
};

std::string matrixText(int count, int value = 16) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        text += (i > 0 ? "," : "") + std::to_string(value);
    }
    return text;
}

TEST_F(OptionParserTest, ResetRestoresEveryDefault) {
    const EngineSettings defaults;
    EXPECT_EQ(defaults.recordingTimeUs, std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(defaults.maxFrames[AVMEDIA_TYPE_VIDEO], 2147483647);
    EXPECT_EQ(defaults.audioSampleRate, 44100);
    EXPECT_EQ(defaults.audioChannels, 2);
    EXPECT_EQ(defaults.audioQscale, -99999.0);
    EXPECT_EQ(defaults.intraDcPrecision, 8);
    EXPECT_EQ(defaults.topFieldFirst, -1);
    EXPECT_EQ(defaults.loopOutput, -1);
    EXPECT_EQ(defaults.videoSyncMethod, -1);
    EXPECT_EQ(defaults.audioVolume, 256);
    EXPECT_EQ(defaults.verbosity, 1);
    EXPECT_DOUBLE_EQ(defaults.muxPreloadSeconds, 0.5);
    EXPECT_DOUBLE_EQ(defaults.muxMaxDelaySeconds, 0.7);
    EXPECT_DOUBLE_EQ(defaults.audioDriftThresholdSeconds, 0.1);
    EXPECT_DOUBLE_EQ(defaults.dtsDeltaThresholdSeconds, 10.0);
    EXPECT_EQ(defaults.pixelFormat, AV_PIX_FMT_NONE);
    EXPECT_EQ(defaults.sampleFormat, AV_SAMPLE_FMT_NONE);
    EXPECT_EQ(defaults.totalDurationUs, -1);

    for (const auto& [name, value] :
         std::vector<std::pair<std::string, std::string>>{{"s", "640x480"},
                                                          {"r", "25"},
                                                          {"ar", "48000"},
                                                          {"t", "10"},
                                                          {"vcodec", "copy"},
                                                          {"map", "0:1"},
                                                          {"streamid", "1:5"},
                                                          {"metadata", "a=b"},
                                                          {"vol", "100"},
                                                          {"itsscale", "0:2"},
                                                          {"vhook", VELMORA_ADDING_HOOK},
                                                          {"intra_matrix", matrixText(64)}}) {
        set(name, value);
    }
    settings.reset();
    EXPECT_EQ(settings.frameWidth, 0);
    EXPECT_EQ(settings.frameRate.den, 0);
    EXPECT_EQ(settings.audioSampleRate, 44100);
    EXPECT_EQ(settings.recordingTimeUs, defaults.recordingTimeUs);
    EXPECT_EQ(settings.totalDurationUs, -1);
    EXPECT_FALSE(settings.videoStreamCopy);
    EXPECT_TRUE(settings.streamMaps.empty());
    EXPECT_EQ(settings.streamIds, defaults.streamIds);
    EXPECT_TRUE(settings.metadata.empty());
    EXPECT_EQ(settings.audioVolume, 256);
    EXPECT_EQ(settings.nextInputTsScale, defaults.nextInputTsScale);
    EXPECT_TRUE(settings.frameHooks.empty());
    EXPECT_EQ(settings.frameHookList, nullptr);
    EXPECT_FALSE(settings.intraMatrix.has_value());
}

struct EffectCase {
    std::string name;
    std::string value;
    std::function<void(const EngineSettings&)> check;
};

TEST_F(OptionParserTest, OptionsSetTheirSettings) {
    const std::vector<EffectCase> cases = {
        {"vn", "1", [](auto& s) { EXPECT_TRUE(s.videoDisable); }},
        {"vn", "yes", [](auto& s) { EXPECT_TRUE(s.videoDisable); }},
        {"vn", "0", [](auto& s) { EXPECT_FALSE(s.videoDisable); }},
        {"shortest", "", [](auto& s) { EXPECT_TRUE(s.shortest); }},
        {"copyts", "0", [](auto& s) { EXPECT_TRUE(s.copyTimestamps); }},
        {"vframes", "100", [](auto& s) { EXPECT_EQ(s.maxFrames[AVMEDIA_TYPE_VIDEO], 100); }},
        {"aframes", "7", [](auto& s) { EXPECT_EQ(s.maxFrames[AVMEDIA_TYPE_AUDIO], 7); }},
        {"dframes", "3", [](auto& s) { EXPECT_EQ(s.maxFrames[AVMEDIA_TYPE_DATA], 3); }},
        {"top", "1", [](auto& s) { EXPECT_EQ(s.topFieldFirst, 1); }},
        {"v", "-1", [](auto& s) { EXPECT_EQ(s.verbosity, -1); }},
        {"vol", " 512 ", [](auto& s) { EXPECT_EQ(s.audioVolume, 512); }},
        {"aq", "4.5", [](auto& s) { EXPECT_DOUBLE_EQ(s.audioQscale, 4.5); }},
        {"muxdelay", "0.25", [](auto& s) { EXPECT_DOUBLE_EQ(s.muxMaxDelaySeconds, 0.25); }},
        {"fs", "5000000000", [](auto& s) { EXPECT_EQ(s.limitFileSizeBytes, 5000000000LL); }},
        {"f", "avi", [](auto& s) { EXPECT_EQ(s.formatName, "avi"); }},
        {"f", "pgmyuv",
         [](auto& s) {
             EXPECT_EQ(s.formatName, "image2");
             EXPECT_TRUE(s.pgmyuvFormat);
         }},
        {"map", "0:1",
         [](auto& s) {
             EXPECT_EQ(s.streamMaps.back(), (StreamMap{0, 1, 0, 1}));
         }},
        {"map", "1.2:0.3",
         [](auto& s) {
             EXPECT_EQ(s.streamMaps.back(), (StreamMap{1, 2, 0, 3}));
         }},
        {"map_meta_data", "1:0",
         [](auto& s) {
             EXPECT_EQ(s.metadataMaps.back(), (MetadataMap{1, 0}));
         }},
        {"itsscale", "3:1.5", [](auto& s) { EXPECT_DOUBLE_EQ(s.nextInputTsScale[3], 1.5); }},
        {"metadata", "title=a=b",
         [](auto& s) {
             EXPECT_EQ(s.metadata.back(), (std::pair<std::string, std::string>{"title", "a=b"}));
         }},
        {"t", "1:00",
         [](auto& s) {
             EXPECT_EQ(s.recordingTimeUs, 60000000);
             EXPECT_EQ(s.totalDurationUs, 60000000);
         }},
        {"ss", "1.5", [](auto& s) { EXPECT_EQ(s.startTimeUs, 1500000); }},
        {"itsoffset", "-2", [](auto& s) { EXPECT_EQ(s.inputTsOffsetUs, -2000000); }},
        {"timestamp", "1970-01-01 00:01:40Z",
         [](auto& s) { EXPECT_EQ(s.recordTimestampSeconds, 100); }},
        {"s", "640x480",
         [](auto& s) {
             EXPECT_EQ(s.frameWidth, 640);
             EXPECT_EQ(s.frameHeight, 480);
         }},
        {"s", "vga", [](auto& s) { EXPECT_EQ(s.frameWidth * 10000 + s.frameHeight, 6400480); }},
        {"s", "hd720", [](auto& s) { EXPECT_EQ(s.frameWidth * 10000 + s.frameHeight, 12800720); }},
        {"s", "2k", [](auto& s) { EXPECT_EQ(s.frameWidth * 10000 + s.frameHeight, 20481080); }},
        {"s", "320*240", [](auto& s) { EXPECT_EQ(s.frameWidth * 10000 + s.frameHeight, 3200240); }},
        {"s", "480*272  (PSP 3.03或更高固件版本适用)",
         [](auto& s) { EXPECT_EQ(s.frameWidth * 10000 + s.frameHeight, 4800272); }},
        {"s", " 352 x 288 ",
         [](auto& s) { EXPECT_EQ(s.frameWidth * 10000 + s.frameHeight, 3520288); }},
        {"r", "25",
         [](auto& s) {
             EXPECT_EQ(av_cmp_q(s.frameRate, AVRational{25, 1}), 0);
         }},
        {"r", "30000/1001",
         [](auto& s) {
             EXPECT_EQ(av_cmp_q(s.frameRate, AVRational{30000, 1001}), 0);
         }},
        {"r", "ntsc",
         [](auto& s) {
             EXPECT_EQ(av_cmp_q(s.frameRate, AVRational{30000, 1001}), 0);
         }},
        {"r", "film",
         [](auto& s) {
             EXPECT_EQ(av_cmp_q(s.frameRate, AVRational{24, 1}), 0);
         }},
        {"r", "29.97", [](auto& s) { EXPECT_NEAR(av_q2d(s.frameRate), 29.97, 1e-6); }},
        {"aspect", "16:9", [](auto& s) { EXPECT_DOUBLE_EQ(s.frameAspectRatio, 16.0 / 9.0); }},
        {"aspect", "1.3333", [](auto& s) { EXPECT_DOUBLE_EQ(s.frameAspectRatio, 1.3333); }},
        {"pix_fmt", "yuv422p", [](auto& s) { EXPECT_EQ(s.pixelFormat, AV_PIX_FMT_YUV422P); }},
        {"sample_fmt", "s16", [](auto& s) { EXPECT_EQ(s.sampleFormat, AV_SAMPLE_FMT_S16); }},
        {"sample_fmt", "bogus", [](auto& s) { EXPECT_EQ(s.sampleFormat, AV_SAMPLE_FMT_NONE); }},
        {"qscale", "255", [](auto& s) { EXPECT_DOUBLE_EQ(s.videoQscale, 255.0); }},
        {"vcodec", "libx264", [](auto& s) { EXPECT_EQ(s.videoCodecName, "libx264"); }},
        {"acodec", "copy",
         [](auto& s) {
             EXPECT_TRUE(s.audioStreamCopy);
             EXPECT_TRUE(s.audioCodecName.empty());
         }},
        {"pass", "2", [](auto& s) { EXPECT_EQ(s.pass, 2); }},
        {"vtag", "XVID", [](auto& s) { EXPECT_EQ(s.videoTag, MKTAG('X', 'V', 'I', 'D')); }},
        {"stag", "mp4s", [](auto& s) { EXPECT_EQ(s.subtitleTag, MKTAG('m', 'p', '4', 's')); }},
        {"streamid", "3:7", [](auto& s) { EXPECT_EQ(s.streamIds[3], 7); }},
        {"streamid", "19:1", [](auto& s) { EXPECT_EQ(s.streamIds[19], 1); }},
        {"ar", "0", [](auto& s) { EXPECT_EQ(s.audioSampleRate, 44100); }},
        {"ar", "48000", [](auto& s) { EXPECT_EQ(s.audioSampleRate, 48000); }},
        {"ac", "-1", [](auto& s) { EXPECT_EQ(s.audioChannels, 2); }},
        {"vbsf", "h264_mp4toannexb",
         [](auto& s) { EXPECT_EQ(s.videoBitstreamFilters.back(), "h264_mp4toannexb"); }},
        {"absf", "aac_adtstoasc",
         [](auto& s) { EXPECT_EQ(s.audioBitstreamFilters.back(), "aac_adtstoasc"); }},
        {"vhook", std::string(VELMORA_ADDING_HOOK) + "|2|x y",
         [](auto& s) {
             EXPECT_EQ(s.frameHooks.back(), (FrameHookCommand{VELMORA_ADDING_HOOK, "2", "x y"}));
             ASSERT_NE(s.frameHookList, nullptr);
             EXPECT_EQ(s.frameHookList->size(), 1u);
         }},
        {"vhook", std::string(VELMORA_ADDING_HOOK) + "  3",
         [](auto& s) {
             EXPECT_EQ(s.frameHooks.back(), (FrameHookCommand{VELMORA_ADDING_HOOK, "3"}));
         }},
        {"vstats_file", "/tmp/stats.log",
         [](auto& s) { EXPECT_EQ(s.statisticsFileName, "/tmp/stats.log"); }},
        {"vstats", "",
         [](auto& s) {
             EXPECT_NE(s.statisticsFileName.find("vstats_"), std::string::npos);
             EXPECT_TRUE(s.statisticsFileName.ends_with(".log"));
         }},
        {"vf", "scale=320:240", [](auto& s) { EXPECT_EQ(s.videoFilters, "scale=320:240"); }},
        {"tvstd", "pal", [](auto& s) { EXPECT_EQ(s.videoStandard, "pal"); }},
        {"alang", "chi", [](auto& s) { EXPECT_EQ(s.audioLanguage, "chi"); }},
        {"croptop", "0", [](auto& s) { EXPECT_EQ(s.cropTop, 0); }},
    };
    for (const EffectCase& c : cases) {
        SCOPED_TRACE(c.name + " " + c.value);
        settings.reset();
        ASSERT_NO_THROW(set(c.name, c.value));
        c.check(settings);
    }
}

TEST_F(OptionParserTest, OptionsRaiseTheirTexts) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"threads", "2"}, "TODO: option - threads"},
        {{"aspect", "16:0"}, "Incorrect aspect ratio specification."},
        {{"aspect", "0"}, "Incorrect aspect ratio specification."},
        {{"aspect", "abc"}, "Incorrect aspect ratio specification."},
        {{"aspect", "-4:3"}, "Incorrect aspect ratio specification."},
        {{"r", "abc"}, "Incorrect frame rate"},
        {{"r", "0"}, "Incorrect frame rate"},
        {{"r", "-25"}, "Incorrect frame rate"},
        {{"s", "abc"}, "Incorrect frame size"},
        {{"s", "0x480"}, "Incorrect frame size"},
        {{"s", "640x"}, "Incorrect frame size"},
        {{"s", "99999999999x480"}, "Incorrect frame size"},
        {{"s", "100000x100000"}, "Incorrect frame size"},
        {{"pix_fmt", "bogus"}, "Unknown pixel format requested: bogus"},
        {{"croptop", "10"},  // no frame size set yet
         "Vertical crop dimensions are outside the range of the original image.\n"
         "Remember to crop first and scale second."},
        {{"cropleft", "8"},
         "Horizontal crop dimensions are outside the range of the original image.\n"
         "Remember to crop first and scale second."},
        {{"padtop", "8"}, "Please use vfilters=pad"},
        {{"padcolor", "000000"}, "Please use vfilters=pad"},
        {{"qscale", "0"}, "qscale must be > 0.0 and <= 255"},
        {{"qscale", "255.5"}, "qscale must be > 0.0 and <= 255"},
        {{"pass", "3"}, "pass number can be only 1 or 2"},
        {{"pass", "one"}, "pass number can be only 1 or 2"},
        {{"vtag", "XVI"}, "video tag parameter must be 4 chars"},
        {{"atag", "mp4aa"}, "audio tag parameter must be 4 chars"},
        {{"stag", ""}, "subtitle tag parameter must be 4 chars"},
        {{"newvideo", ""}, "At least one output file must be specified"},
        {{"newaudio", ""}, "At least one output file must be specified"},
        {{"newsubtitle", ""}, "At least one output file must be specified"},
        {{"streamid", "3"},
         "Invalid value \"3\" for option \"streamid\", required syntax is \"index:value\""},
        {{"streamid", "3:"},
         "Invalid value \"3:\" for option \"streamid\", required syntax is \"index:value\""},
        {{"streamid", "20:1"},
         "Invalid stream index \"20\" for option \"streamid\": must be 0 to 19"},
        {{"streamid", "-1:1"},
         "Invalid stream index \"-1\" for option \"streamid\": must be 0 to 19"},
        {{"streamid", "1:x"}, "Invalid value \"x\" for option \"streamid\""},
        {{"itsscale", "20:1.0"}, "stream index over MAX_STREAMS(20)"},
        {{"itsscale", "1:abc"}, "Invalid value \"1:abc\" for option \"itsscale\""},
        {{"metadata", "title"}, "Missing ="},
        {{"t", "abc"}, "Invalid duration specification for t: abc"},
        {{"ss", "1:xx"}, "Invalid duration specification for ss: 1:xx"},
        {{"timestamp", "yesterday"}, "Invalid date specification for timestamp: yesterday"},
        {{"vbsf", "no_such_filter"}, "Unknown bitstream filter no_such_filter"},
        {{"vhook", "   "}, "Failed to add video hook function:    "},
        {{"vhook", "/no/such/hook.so 1"}, "Failed to add video hook function: /no/such/hook.so 1"},
        {{"map", "x:1"}, "Invalid value \"x:1\" for option \"map\""},
        {{"map", "0"}, "Invalid value \"0\" for option \"map\""},
        {{"vframes", "abc"}, "Invalid value \"abc\" for option \"vframes\""},
        {{"vol", "1.5"}, "Invalid value \"1.5\" for option \"vol\""},
        {{"ar", "44k"}, "Invalid value \"44k\" for option \"ar\""},
        {{"v", "99999999999"}, "Invalid value \"99999999999\" for option \"v\""},
        {{"aq", "nan"}, "Invalid value \"nan\" for option \"aq\""},
        {{"muxdelay", ""}, "Invalid value \"\" for option \"muxdelay\""},
        {{"intra_matrix", "1,2,3"}, "Syntax error in matrix \"1,2,3\" at coeff 2"},
        {{"target", "bluray"}, "Unknown target type"},
        {{"vpre", "no-such-preset"}, "Preset \"no-such-preset\" not found"},
    };
    for (const auto& [option, message] : cases) {
        SCOPED_TRACE(option[0] + " " + option[1]);
        settings.reset();
        EXPECT_EQ(failureOf(option[0], option[1]), message);
    }
}

TEST_F(OptionParserTest, RefusedBitRateNamesTheOptionAndValue) {
    actions.refused = {"ab"};
    EXPECT_EQ(failureOf("ab", "abc"), "Invalid value \"abc\" for option \"ab\"");
}

TEST_F(OptionParserTest, OptionsLogTheirLines) {
    const std::string lowBitRate =
        "WARNING: The bitrate parameter is set too low. It takes bits/s as argument, not kbits/s";
    const std::vector<std::tuple<std::string, std::string, TLogLevel, std::string>> cases = {
        {"L", "", TLogLevel::llInfo, "Do nothing: option - L"},
        {"benchmark", "1", TLogLevel::llInfo, "Do nothing: option - benchmark"},
        {"i", "x.avi", TLogLevel::llInfo, "Do nothing: option - i"},
        {"timelimit", "10", TLogLevel::llWarning, "Warning: -timelimit not implemented on Windows"},
        {"f", "pgmyuv", TLogLevel::llInfo, "pgmyuv format is deprecated, use image2"},
        {"b", "800", TLogLevel::llWarning, lowBitRate},
        {"ab", "64", TLogLevel::llWarning, lowBitRate},
    };
    for (const auto& [name, value, level, text] : cases) {
        SCOPED_TRACE(name);
        LogCapture log;
        set(name, value);
        EXPECT_TRUE(log.contains(level, text));
    }

    LogCapture log;
    set("b", "800000");
    EXPECT_TRUE(log.lines().empty());
    EXPECT_EQ(actions.generic.at("b"), "800000");
}

TEST_F(OptionParserTest, CropReducesTheFrameAndWarns) {
    set("s", "720x576");
    LogCapture log;
    set("croptop", "16");
    set("cropleft", "8");
    EXPECT_EQ(settings.cropTop, 16);
    EXPECT_EQ(settings.frameHeight, 560);
    EXPECT_EQ(settings.cropLeft, 8);
    EXPECT_EQ(settings.frameWidth, 712);
    EXPECT_TRUE(
        log.contains(TLogLevel::llWarning, "CropXXX is deprecated in favor of the crop avfilter"));
    EXPECT_NE(failureOf("cropbottom", "600"), "");  // 600 >= 560
}

TEST_F(OptionParserTest, ListsLogEveryFormat) {
    LogCapture log;
    set("pix_fmt", "list");
    set("sample_fmt", "list");
    EXPECT_EQ(settings.pixelFormat, AV_PIX_FMT_NONE);
    size_t yuv420pLines = 0;
    for (const auto& line : log.lines()) {
        EXPECT_EQ(line.level, TLogLevel::llInfo);
        yuv420pLines += line.text.starts_with("yuv420p ") ? 1 : 0;
    }
    EXPECT_EQ(yuv420pLines, 1u);
    EXPECT_TRUE(log.contains(TLogLevel::llInfo, "fltp"));
}

TEST_F(OptionParserTest, UnknownNamesGoToTheGenericSetterAndItsRefusalIsIgnored) {
    actions.refused = {"nosuchoption"};
    EXPECT_NO_THROW(set("g", "12"));
    EXPECT_NO_THROW(set("nosuchoption", "1"));
    EXPECT_NO_THROW(set("Vcodec", "x"));  // names are case-sensitive: not the codec option
    EXPECT_EQ(actions.genericCalls, (std::vector<std::pair<std::string, std::string>>{
                                        {"g", "12"}, {"nosuchoption", "1"}, {"Vcodec", "x"}}));
    EXPECT_TRUE(settings.videoCodecName.empty());
}

TEST_F(OptionParserTest, NewStreamsGoToTheEngine) {
    actions.outputs = 1;
    set("newvideo", "");
    set("newaudio", "");
    set("newaudio", "");
    set("newsubtitle", "");
    EXPECT_EQ(actions.newVideoStreams, 1);
    EXPECT_EQ(actions.newAudioStreams, 2);
    EXPECT_EQ(actions.newSubtitleStreams, 1);
}

TEST_F(OptionParserTest, CodecCopyKeepsCopyWhenANameFollows) {
    set("vcodec", "copy");
    set("vcodec", "mpeg4");
    EXPECT_TRUE(settings.videoStreamCopy);
    EXPECT_EQ(settings.videoCodecName, "mpeg4");
}

TEST(MatrixTest, ParsesSixtyFourCoefficients) {
    std::string text = matrixText(64);
    text += ",999,junk";  // text after the 64th coefficient is ignored
    const auto matrix = ParseMatrix(" " + text);
    for (std::uint16_t coefficient : matrix) {
        EXPECT_EQ(coefficient, 16);
    }

    std::string spaced;
    for (int i = 1; i <= 64; ++i) {
        spaced += (i > 1 ? ", " : "") + std::to_string(i);
    }
    const auto rising = ParseMatrix(spaced);
    EXPECT_EQ(rising[0], 1);
    EXPECT_EQ(rising[63], 64);
}

TEST(MatrixTest, ReportsTheFailingCoefficient) {
    const std::vector<std::pair<std::string, int>> cases = {
        {matrixText(63), 62},                       // the 64th is missing
        {"", 0},                                    // no number at all
        {"8,,8", 1},                                // empty coefficient
        {"8,x," + matrixText(62), 1},               // not a number
        {"8,0," + matrixText(62), 1},               // zero divides by zero in the encoders
        {"8,256," + matrixText(62), 1},             // matrices are 8-bit
        {"8,99999999999999," + matrixText(62), 1},  // does not fit
    };
    for (const auto& [text, coefficient] : cases) {
        SCOPED_TRACE(text);
        try {
            ParseMatrix(text);
            ADD_FAILURE() << "no exception";
        } catch (const TranscoderException& error) {
            EXPECT_EQ(error.what(), "Syntax error in matrix \"" + text + "\" at coeff " +
                                        std::to_string(coefficient));
        }
    }
}

}  // namespace
}  // namespace velmora
