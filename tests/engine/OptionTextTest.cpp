#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <string>
#include <vector>

#include "engine/EngineSettings.h"
#include "engine/FakeOptionActions.h"
#include "engine/OptionParser.h"
#include "engine/TranscoderException.h"
#include "support/MediaLibraries.h"

namespace velmora {
namespace {

using Lines = std::vector<OptionLine>;

TEST(OptionTextTest, SplitsIntoNamedLines) {
    const std::vector<std::pair<std::string, Lines>> cases = {
        {"", {}},
        {"  \r\n \t", {}},
        {"b=800000", {{"b", "800000"}}},
        {"vcodec=libx264<CRLF>b=800000", {{"vcodec", "libx264"}, {"b", "800000"}}},
        {"a=1\r\nb=2\rc=3\nd=4", {{"a", "1"}, {"b", "2"}, {"c", "3"}, {"d", "4"}}},
        {"\n\n  VCodec=MPEG4\n", {{"vcodec", "MPEG4"}}},       // only the name is lower-cased
        {"metadata=title=a b ", {{"metadata", "title=a b"}}},  // whole text trimmed
        {"b= 800 \nx=1", {{"b", " 800 "}, {"x", "1"}}},        // values stay untrimmed
        {"newaudio\nsn", {{"newaudio", ""}, {"sn", ""}}},      // no "=": empty value
        {"a=1\n\n=orphan\n \nb=", {{"a", "1"}, {"b", ""}}},    // lines without a name dropped
        {"s = 640x480", {{"s", " 640x480"}}},
        {"<CRLF><CRLF>a=<CRLF", {{"a", "<CRLF"}}},
        {"a=1<crlf>b=2", {{"a", "1<crlf>b=2"}}},  // the marker is case-sensitive
    };
    for (const auto& [text, lines] : cases) {
        SCOPED_TRACE(text);
        EXPECT_EQ(SplitOptionText(text), lines);
    }
}

TEST(OptionTextTest, PassesSkipTheirNames) {
    const std::vector<std::tuple<std::string, bool, bool>> cases = {
        // name, skipped in the input pass, skipped in the output pass
        {"newvideo", true, true}, {"newaudio", true, true}, {"newsubtitle", true, true},
        {"apre", true, true},     {"vpre", true, true},     {"spre", true, true},
        {"vfilters", true, true}, {"vf", true, true},       {"acodec", false, true},
        {"vcodec", false, true},  {"scodec", false, true},  {"s", false, true},
        {"fpre", false, false},   {"b", false, false},      {"ab", false, false},
        {"r", false, false},
    };
    for (const auto& [name, input, output] : cases) {
        SCOPED_TRACE(name);
        EXPECT_EQ(IsSkippedInPass(name, OptionPass::Input), input);
        EXPECT_EQ(IsSkippedInPass(name, OptionPass::Output), output);
    }
}

class OptionTextApplyTest : public ::testing::Test {
protected:
    void SetUp() override { test::requireMediaLibraries(); }

    EngineSettings settings;
    test::FakeOptionActions actions;
};

TEST_F(OptionTextApplyTest, OutputPassHoldsBackTheStreamCodecs) {
    ApplyOptionText(settings, actions, "vcodec=libx264<CRLF>b=800000", OptionPass::Output);
    EXPECT_TRUE(settings.videoCodecName.empty());
    EXPECT_EQ(actions.genericCalls,
              (std::vector<std::pair<std::string, std::string>>{{"b", "800000"}}));

    ApplyOptionText(settings, actions, "vcodec=libx264<CRLF>s=320x240\nvf=scale",
                    OptionPass::Input);
    EXPECT_EQ(settings.videoCodecName, "libx264");
    EXPECT_EQ(settings.frameWidth, 320);
    EXPECT_TRUE(settings.videoFilters.empty());
}

TEST_F(OptionTextApplyTest, AppliesInOrderAndStopsAtTheFirstFailure) {
    EXPECT_THROW(
        ApplyOptionText(settings, actions, "ar=22050\nAspect=16:0\nac=1", OptionPass::Input),
        TranscoderException);
    EXPECT_EQ(settings.audioSampleRate, 22050);
    EXPECT_EQ(settings.audioChannels, 2);
}

// Text from outside (profiles, the user's own option text) must never crash the parser or take
// more than linear time.
TEST_F(OptionTextApplyTest, HostileTextIsHandled) {
    std::mt19937 random(7);
    std::string binary(4 << 20, '\0');
    for (char& c : binary) {
        c = static_cast<char>(random());
    }
    const auto start = std::chrono::steady_clock::now();
    EXPECT_NO_THROW(SplitOptionText(binary));

    std::string manyLines;
    for (int i = 0; i < 200000; ++i) {
        manyLines += "x" + std::to_string(i % 50) + "=1<CRLF>";
    }
    EXPECT_EQ(SplitOptionText(manyLines).size(), 200000u);
    ApplyOptionText(settings, actions, manyLines, OptionPass::Output);
    EXPECT_EQ(actions.genericCalls.size(), 200000u);

    const std::string longLine = "metadata=k=" + std::string(8 << 20, 'v');
    ApplyOptionText(settings, actions, longLine, OptionPass::Input);
    EXPECT_EQ(settings.metadata.back().second.size(), 8u << 20);

    std::string markers;
    for (int i = 0; i < 500000; ++i) {
        markers += "<CRLF<CRLF>";
    }
    EXPECT_TRUE(SplitOptionText(markers).size() <= 500000u);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));

    // Binary values reach the table and are refused with a message, not a crash.
    for (const char* name : {"s", "r", "t", "timestamp", "aspect", "map", "streamid", "itsscale",
                             "intra_matrix", "vhook", "pix_fmt", "vbsf", "target", "fpre"}) {
        SCOPED_TRACE(name);
        const std::string value = binary.substr(static_cast<size_t>(name[0]) * 10, 64);
        try {
            SetEngineOption(settings, actions, name, value);
        } catch (const TranscoderException&) {
        }
    }
}

}  // namespace
}  // namespace velmora
