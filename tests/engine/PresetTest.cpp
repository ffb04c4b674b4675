#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "engine/EngineSettings.h"
#include "engine/FakeOptionActions.h"
#include "engine/OptionParser.h"
#include "engine/Presets.h"
#include "engine/TranscoderException.h"
#include "medialib/LibraryHandles.h"
#include "support/MediaLibraries.h"
#include "support/TempDir.h"

namespace velmora {
namespace {

using test::FakeOptionActions;
using test::LogCapture;

std::map<std::string, std::string> pairsOf(std::string_view text) {
    std::map<std::string, std::string> pairs;
    for (const OptionLine& line : SplitOptionText(text)) {
        pairs[line.name] = line.value;
    }
    return pairs;
}

TEST(BuiltInPresetTest, TableHoldsTheThirtySixLibx264Presets) {
    const auto names = BuiltInPresetNames();
    ASSERT_EQ(names.size(), 36u);
    const std::set<std::string> allowedKeys = {
        "coder",  "flags",      "cmp",          "partitions", "me_method",  "subq",    "me_range",
        "g",      "keyint_min", "sc_threshold", "i_qfactor",  "b_strategy", "qcomp",   "qmin",
        "qmax",   "qdiff",      "bf",           "refs",       "directpred", "trellis", "flags2",
        "wpredp", "cqp",        "level",        "maxrate",    "bufsize"};
    for (std::string_view name : names) {
        SCOPED_TRACE(std::string(name));
        EXPECT_TRUE(name.starts_with("libx264-"));
        const auto text = FindBuiltInPreset(name);
        ASSERT_TRUE(text.has_value());
        EXPECT_TRUE(text->ends_with("\n"));
        for (const OptionLine& line : SplitOptionText(*text)) {
            EXPECT_TRUE(allowedKeys.contains(line.name)) << line.name;
            EXPECT_FALSE(line.value.empty());
        }
    }
    EXPECT_EQ(FindBuiltInPreset("LIBX264-Default"), FindBuiltInPreset("libx264-default"));
    EXPECT_FALSE(FindBuiltInPreset("libx264-").has_value());
    EXPECT_FALSE(FindBuiltInPreset("default").has_value());

    EXPECT_EQ(*FindBuiltInPreset("libx264-main"), "flags2=-dct8x8\n");
    EXPECT_EQ(*FindBuiltInPreset("libx264-baseline"),
              "coder=0\nbf=0\nflags2=-wpred-dct8x8\nwpredp=0\n");
    for (const auto& [alias, original] : std::vector<std::pair<const char*, const char*>>{
             {"libx264-medium_firstpass", "libx264-fast_firstpass"},
             {"libx264-placebo_firstpass", "libx264-placebo"},
             {"libx264-slower_firstpass", "libx264-slow_firstpass"},
             {"libx264-ultrafast_firstpass", "libx264-ultrafast"}}) {
        EXPECT_EQ(FindBuiltInPreset(alias), FindBuiltInPreset(original)) << alias;
    }
}

TEST(BuiltInPresetTest, SpeedPresetsAreGradedBySpeed) {
    const std::vector<std::string> bySpeed = {"ultrafast", "superfast", "veryfast", "faster",
                                              "fast",      "medium",    "slow",     "slower",
                                              "veryslow",  "placebo"};
    int previousSubq = -1;
    int previousRefs = 0;
    for (const std::string& speed : bySpeed) {
        SCOPED_TRACE(speed);
        auto pairs = pairsOf(*FindBuiltInPreset("libx264-" + speed));
        const int subq = std::stoi(pairs["subq"]);
        const int refs = std::stoi(pairs["refs"]);
        EXPECT_GE(subq, previousSubq);
        EXPECT_GE(refs, previousRefs);
        previousSubq = subq;
        previousRefs = refs;
        // First passes analyse less than their full preset.
        if (const auto firstPass = FindBuiltInPreset("libx264-" + speed + "_firstpass");
            firstPass && speed != "placebo" && speed != "ultrafast") {
            auto first = pairsOf(*firstPass);
            EXPECT_LE(std::stoi(first["subq"]), subq);
            EXPECT_EQ(first["refs"], "1");
        }
    }
    for (const char* lossless : {"ultrafast", "fast", "medium", "slow", "slower", "max"}) {
        EXPECT_EQ(pairsOf(*FindBuiltInPreset(std::string("libx264-lossless_") + lossless))["cqp"],
                  "0");
    }
}

class PresetTest : public ::testing::Test {
protected:
    void SetUp() override { test::requireMediaLibraries(); }

    void set(const std::string& name, const std::string& value) {
        SetEngineOption(settings, actions, name, value);
    }
    std::string failureOf(const std::string& name, const std::string& value) {
        try {
            set(name, value);
        } catch (const TranscoderException& error) {
            return error.what();
        }
        return {};
    }
    std::string writeFile(const std::string& name, const std::string& text) {
        const std::string path = temp.file(name);
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }

    test::TempDir temp;
    EngineSettings settings;
    FakeOptionActions actions;
};

TEST_F(PresetTest, NameIsLookedUpWithTheCodecPrefix) {
    set("vcodec", "libx264");
    set("vpre", "slow");
    EXPECT_EQ(settings.presetsApplied, std::vector<std::string>{"slow"});
    std::map<std::string, std::string> applied;
    for (const PresetOption& option : settings.presetOptions) {
        EXPECT_EQ(option.kind, AVMEDIA_TYPE_VIDEO);
        applied[option.key] = option.value;
    }
    EXPECT_EQ(applied, pairsOf(*FindBuiltInPreset("libx264-slow")));

    // Without a video codec the subtitle codec name is tried.
    settings.reset();
    set("scodec", "libx264");
    EXPECT_EQ(failureOf("vpre", "Medium"), "");
    EXPECT_EQ(failureOf("apre", "nope"), "Preset \"nope\" not found");
    EXPECT_EQ(failureOf("vpre", ""), "");  // empty value: nothing happens
    EXPECT_EQ(failureOf("fpre", "libx264-default"), "Preset \"libx264-default\" not found");
}

TEST_F(PresetTest, PresetFilesSetCodecsAndOptions) {
    const std::string path =
        writeFile("mine.preset", "\r\n  VCODEC=mpeg4 \r\n\r\n qmin = 3\nacodec=mp2\ng=12\n\n");
    set("fpre", path);
    EXPECT_EQ(settings.videoCodecName, "mpeg4");
    EXPECT_EQ(settings.audioCodecName, "mp2");
    EXPECT_EQ(actions.genericCalls,
              (std::vector<std::pair<std::string, std::string>>{{"qmin", "3"}, {"g", "12"}}));
    ASSERT_EQ(settings.presetOptions.size(), 2u);
    EXPECT_EQ(settings.presetOptions[0].kind, AVMEDIA_TYPE_UNKNOWN);

    // vpre falls back to a file when no built-in preset matches.
    settings.reset();
    set("vpre", path);
    EXPECT_EQ(settings.videoCodecName, "mpeg4");
}

TEST_F(PresetTest, PresetFileErrorsNameThePresetAndLine) {
    actions.refused = {"nosuchoption"};
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"qmin=2\nqmin\n", "%s: Invalid syntax: \"qmin\""},
        {"=5", "%s: Invalid syntax: \"=5\""},
        {"qmax=  \n", "%s: Invalid syntax: \"qmax=\""},
        {"nosuchoption = 1",
         "%s: Invalid option or argument: \"nosuchoption = 1\", parsed as \"nosuchoption\" = "
         "\"1\""},
    };
    for (const auto& [text, message] : cases) {
        SCOPED_TRACE(text);
        const std::string path = writeFile("bad.preset", text);
        std::string expected = message;
        expected.replace(expected.find("%s"), 2, path);
        EXPECT_EQ(failureOf("fpre", path), expected);
    }
    EXPECT_EQ(failureOf("fpre", temp.path().string()),
              "Preset \"" + temp.path().string() + "\" not found");  // a folder is no preset
}

// The built-in presets keep their 2010 option names; they must still configure libx264.
TEST_F(PresetTest, DefaultPresetConfiguresLibx264) {
    actions.checkGenericCodecOptions = true;  // private and legacy names are refused generically
    set("vcodec", "libx264");
    ASSERT_EQ(failureOf("vpre", "default"), "");

    const AVCodec* x264 = lib::avcodec.avcodec_find_encoder_by_name("libx264");
    ASSERT_NE(x264, nullptr);
    CodecContextPtr encoder(lib::avcodec.avcodec_alloc_context3(x264));
    LogCapture log;
    ApplyPresetOptions(encoder.get(), AVMEDIA_TYPE_VIDEO, settings);
    EXPECT_TRUE(log.lines().empty());

    EXPECT_EQ(encoder->refs, 3);
    EXPECT_EQ(encoder->max_b_frames, 3);
    EXPECT_EQ(encoder->gop_size, 250);
    EXPECT_EQ(encoder->keyint_min, 25);
    EXPECT_EQ(encoder->qmin, 10);
    EXPECT_EQ(encoder->qmax, 51);
    EXPECT_EQ(encoder->me_subpel_quality, 7);
    EXPECT_EQ(encoder->me_range, 16);
    EXPECT_EQ(encoder->trellis, 1);
    EXPECT_TRUE(encoder->flags & AV_CODEC_FLAG_LOOP_FILTER);
    const std::map<std::string, std::string> privateOptions = {
        {"me_method", "1"}, {"direct-pred", "1"},   {"mixed-refs", "true"}, {"weightb", "true"},
        {"8x8dct", "true"}, {"fast-pskip", "true"}, {"wpredp", "2"},        {"coder", "1"},
    };
    for (const auto& [name, expected] : privateOptions) {
        uint8_t* value = nullptr;
        ASSERT_GE(
            lib::avutil.av_opt_get(encoder.get(), name.c_str(), AV_OPT_SEARCH_CHILDREN, &value), 0)
            << name;
        EXPECT_EQ(reinterpret_cast<const char*>(value), expected) << name;
        lib::avutil.av_free(value);
    }
}

TEST_F(PresetTest, LegacyNamesTranslateOrAreSkipped) {
    actions.checkGenericCodecOptions = true;
    set("vcodec", "libx264");
    set("vpre", "baseline");
    set("vpre", "lossless_medium");
    const AVCodec* x264 = lib::avcodec.avcodec_find_encoder_by_name("libx264");
    CodecContextPtr encoder(lib::avcodec.avcodec_alloc_context3(x264));
    ApplyPresetOptions(encoder.get(), AVMEDIA_TYPE_VIDEO, settings);
    for (const auto& [name, expected] : std::map<std::string, std::string>{
             {"8x8dct", "true"}, {"qp", "0"}, {"mixed-refs", "true"}}) {
        uint8_t* value = nullptr;
        ASSERT_GE(
            lib::avutil.av_opt_get(encoder.get(), name.c_str(), AV_OPT_SEARCH_CHILDREN, &value), 0);
        EXPECT_EQ(reinterpret_cast<const char*>(value), expected) << name;
        lib::avutil.av_free(value);
    }
    EXPECT_EQ(encoder->max_b_frames, 0);

    // An encoder without the x264 options: the legacy flags are skipped with a warning.
    CodecContextPtr mpeg4(
        lib::avcodec.avcodec_alloc_context3(lib::avcodec.avcodec_find_encoder_by_name("mpeg4")));
    LogCapture log;
    ApplyPresetOptions(mpeg4.get(), AVMEDIA_TYPE_VIDEO, settings);
    EXPECT_EQ(mpeg4->max_b_frames, 0);
    bool warned = false;
    for (const auto& line : log.lines()) {
        warned |=
            line.level == TLogLevel::llWarning && line.text.find("flags2") != std::string::npos;
    }
    EXPECT_TRUE(warned);
}

struct TargetCase {
    std::string value;
    AVRational rate;  // pending frame rate before the option
    std::string format, size, frameRate, videoCodec, audioCodec, g, bitRate, audioBitRate;
    int sampleRate;
    int channels;
    double aspect;
    AVPixelFormat pixelFormat;
};

TEST_F(PresetTest, TargetsForEveryTypeAndNorm) {
    const double standard = 4.0 / 3.0;
    const double wide = 16.0 / 9.0;
    const AVPixelFormat none = AV_PIX_FMT_NONE;
    const std::vector<TargetCase> cases = {
        {"pal-vcd",
         {0, 0},
         "vcd",
         "352x288",
         "25/1",
         "mpeg1video",
         "mp2",
         "15",
         "1150000",
         "224000",
         44100,
         2,
         standard,
         none},
        {"ntsc-vcd",
         {0, 0},
         "vcd",
         "352x240",
         "30000/1001",
         "mpeg1video",
         "mp2",
         "18",
         "1150000",
         "224000",
         44100,
         2,
         standard,
         none},
        {"film-vcd",
         {0, 0},
         "vcd",
         "352x240",
         "24000/1001",
         "mpeg1video",
         "mp2",
         "18",
         "1150000",
         "224000",
         44100,
         2,
         standard,
         none},
        {"vcd",
         {25, 1},
         "vcd",
         "352x288",
         "25/1",
         "mpeg1video",
         "mp2",
         "15",
         "1150000",
         "224000",
         44100,
         2,
         standard,
         none},
        {"pal-svcd",
         {0, 0},
         "svcd",
         "480x576",
         "25/1",
         "mpeg2video",
         "mp2",
         "15",
         "2040000",
         "224000",
         44100,
         2,
         standard,
         none},
        {"ntsc-svcd",
         {0, 0},
         "svcd",
         "480x480",
         "30000/1001",
         "mpeg2video",
         "mp2",
         "18",
         "2040000",
         "224000",
         44100,
         2,
         standard,
         none},
        {"film-svcd",
         {0, 0},
         "svcd",
         "480x480",
         "24000/1001",
         "mpeg2video",
         "mp2",
         "18",
         "2040000",
         "224000",
         44100,
         2,
         standard,
         none},
        {"svcd",
         {30000, 1001},
         "svcd",
         "480x480",
         "30000/1001",
         "mpeg2video",
         "mp2",
         "18",
         "2040000",
         "224000",
         44100,
         2,
         standard,
         none},
        {"pal-dvd",
         {0, 0},
         "dvd",
         "720x576",
         "25/1",
         "mpeg2video",
         "ac3",
         "15",
         "6000000",
         "448000",
         48000,
         2,
         wide,
         none},
        {"ntsc-dvd",
         {0, 0},
         "dvd",
         "720x480",
         "30000/1001",
         "mpeg2video",
         "ac3",
         "18",
         "6000000",
         "448000",
         48000,
         2,
         wide,
         none},
        {"film-dvd",
         {0, 0},
         "dvd",
         "720x480",
         "24000/1001",
         "mpeg2video",
         "ac3",
         "18",
         "6000000",
         "448000",
         48000,
         2,
         wide,
         none},
        {"dvd",
         {24000, 1001},
         "dvd",
         "720x480",
         "30000/1001",
         "mpeg2video",
         "ac3",
         "18",
         "6000000",
         "448000",
         48000,
         2,
         wide,
         none},
        {"pal-dv",
         {0, 0},
         "dv",
         "720x576",
         "25/1",
         "",
         "",
         "",
         "",
         "",
         48000,
         2,
         0.0,
         AV_PIX_FMT_YUV420P},
        {"ntsc-dv",
         {0, 0},
         "dv",
         "720x480",
         "30000/1001",
         "",
         "",
         "",
         "",
         "",
         48000,
         2,
         0.0,
         AV_PIX_FMT_YUV411P},
        {"film-dv",
         {0, 0},
         "dv",
         "720x480",
         "24000/1001",
         "",
         "",
         "",
         "",
         "",
         48000,
         2,
         0.0,
         AV_PIX_FMT_YUV411P},
        {"dv",
         {25, 1},
         "dv",
         "720x576",
         "25/1",
         "",
         "",
         "",
         "",
         "",
         48000,
         2,
         0.0,
         AV_PIX_FMT_YUV420P},
        {"pal-dv50",
         {0, 0},
         "dv",
         "720x576",
         "25/1",
         "",
         "",
         "",
         "",
         "",
         48000,
         2,
         0.0,
         AV_PIX_FMT_YUV422P},
        {"ntsc-dv50",
         {0, 0},
         "dv",
         "720x480",
         "30000/1001",
         "",
         "",
         "",
         "",
         "",
         48000,
         2,
         0.0,
         AV_PIX_FMT_YUV422P},
        {"dv50",
         {30, 1},
         "dv",
         "720x480",
         "30000/1001",
         "",
         "",
         "",
         "",
         "",
         48000,
         2,
         0.0,
         AV_PIX_FMT_YUV422P},
    };
    for (const TargetCase& c : cases) {
        SCOPED_TRACE(c.value);
        settings.reset();
        actions.generic.clear();
        settings.frameRate = c.rate;
        settings.audioChannels = 1;
        ASSERT_EQ(failureOf("target", c.value), "");
        EXPECT_EQ(settings.formatName, c.format);
        EXPECT_EQ(std::to_string(settings.frameWidth) + "x" + std::to_string(settings.frameHeight),
                  c.size);
        EXPECT_EQ(
            std::to_string(settings.frameRate.num) + "/" + std::to_string(settings.frameRate.den),
            c.frameRate);
        EXPECT_EQ(settings.videoCodecName, c.videoCodec);
        EXPECT_EQ(settings.audioCodecName, c.audioCodec);
        EXPECT_EQ(actions.generic["g"], c.g);
        EXPECT_EQ(actions.generic["b"], c.bitRate);
        EXPECT_EQ(actions.generic["ab"], c.audioBitRate);
        EXPECT_EQ(settings.audioSampleRate, c.sampleRate);
        EXPECT_EQ(settings.audioChannels, c.channels);
        EXPECT_DOUBLE_EQ(settings.frameAspectRatio, c.aspect);
        EXPECT_EQ(settings.pixelFormat, c.pixelFormat);
    }
}

TEST_F(PresetTest, TargetLibraryOptionsPerType) {
    set("target", "pal-vcd");
    EXPECT_EQ(actions.generic["maxrate"], "1150000");
    EXPECT_EQ(actions.generic["minrate"], "1150000");
    EXPECT_EQ(actions.generic["bufsize"], "327680");
    EXPECT_EQ(actions.generic["packetsize"], "2324");
    EXPECT_EQ(actions.generic["muxrate"], "1411200");
    EXPECT_DOUBLE_EQ(settings.muxPreloadSeconds, 0.44);

    actions.generic.clear();
    set("target", "pal-svcd");
    EXPECT_EQ(actions.generic["flags"], "+scan_offset");
    EXPECT_EQ(actions.generic["maxrate"], "2516000");
    EXPECT_EQ(actions.generic["bufsize"], "1835008");

    actions.generic.clear();
    set("target", "pal-dvd");
    EXPECT_EQ(actions.generic["packetsize"], "2048");
    EXPECT_EQ(actions.generic["muxrate"], "10080000");
    EXPECT_EQ(actions.generic["maxrate"], "9000000");
}

TEST_F(PresetTest, AutomaticNormFollowsRateThenInputsThenDefault) {
    struct Case {
        AVRational rate;
        std::vector<AVRational> inputs;
        std::string defaultNorm;
        std::string size;
        std::string logged;
    };
    const std::vector<Case> cases = {
        {{25, 1}, {}, "ntsc", "352x288", "Assuming PAL for target."},
        {{30000, 1001}, {}, "pal", "352x240", "Assuming NTSC for target."},
        {{24000, 1001}, {}, "pal", "352x240", "Assuming NTSC for target."},
        {{30, 1}, {{1, 50}, {1, 25}}, "ntsc", "352x288", "Assuming PAL for target."},
        {{30, 1}, {{0, 1}, {1001, 30000}, {1, 25}}, "pal", "352x240", "Assuming NTSC for target."},
        {{30, 1}, {{1, 30}}, "ntsc", "352x240", "Assuming NTSC for target."},
        {{30, 1}, {{1, 30}}, "pal", "352x288", "Assuming PAL for target."},
        {{30, 1}, {}, "film", "352x240", "Assuming NTSC for target."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size + " " + c.defaultNorm);
        settings.reset();
        settings.frameRate = c.rate;
        actions.videoTimeBases = c.inputs;
        LogCapture log;
        ApplyTargetPreset(settings, actions, "vcd", c.defaultNorm);
        EXPECT_EQ(std::to_string(settings.frameWidth) + "x" + std::to_string(settings.frameHeight),
                  c.size);
        EXPECT_TRUE(log.contains(TLogLevel::llVerbose, c.logged));
    }
    // The film default gives the film rate.
    EXPECT_EQ(settings.frameRate.num, 24000);

    settings.reset();
    EXPECT_EQ(failureOf("target", "vcd"), "frame_rate is invalid.");

    settings.reset();
    settings.frameRate = {25, 1};
    set("v", "0");
    LogCapture quiet;
    set("target", "dvd");
    EXPECT_FALSE(quiet.contains(TLogLevel::llVerbose, "Assuming PAL for target."));
}

TEST_F(PresetTest, TargetAspectIsAssumedOnlyWhenUnset) {
    {
        LogCapture log;
        set("target", "pal-svcd");
        EXPECT_TRUE(log.contains(TLogLevel::llInfo, "Assuming 4:3 for aspect ratio"));
    }
    {
        LogCapture log;
        set("target", "pal-dvd");  // the 4:3 of the previous target stays
        EXPECT_DOUBLE_EQ(settings.frameAspectRatio, 4.0 / 3.0);
        EXPECT_TRUE(log.lines().empty());
    }
    settings.reset();
    LogCapture log;
    set("target", "ntsc-dvd");
    EXPECT_TRUE(log.contains(TLogLevel::llInfo, "Assuming 16:9 for aspect ratio"));
}

}  // namespace
}  // namespace velmora
