// Two-pass encoding: the statistics log named from the prefix and the output stream's index,
// written by the first pass and read by the second, and the failures of each pass.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "ConvertRunFixture.h"
#include "engine/MediaFacts.h"

namespace velmora {
namespace {

using test::ReadMediaFacts;

class TwoPassRunTest : public test::ConvertRunFixture {
protected:
    std::string clip() {
        SampleSpec spec;
        spec.container = "matroska";
        spec.durationSeconds = 1.0;
        return makeClip("source.mkv", spec);
    }
};

std::string readText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), {});
}

TEST_F(TwoPassRunTest, FirstPassWritesStatisticsSecondReadsThem) {
    const std::string source = clip();
    const std::string prefix = m_dir.file("stats");
    const test::OptionList common = {
        {"vcodec", "mpeg4"}, {"an", "1"}, {"passlogfile", prefix}, {"b", "200000"}};
    test::OptionList first = common;
    first.emplace_back("pass", "1");
    ASSERT_EQ(run({{source, {}}}, m_dir.file("pass1.avi"), first), "");
    const std::string log = readText(prefix + "-0.log");
    // One line of statistics per picture.
    long lines = 0;
    for (char c : log) {
        lines += c == '\n';
    }
    EXPECT_EQ(lines, 25);

    test::OptionList second = common;
    second.emplace_back("pass", "2");
    const std::string target = m_dir.file("pass2.avi");
    ASSERT_EQ(run({{source, {}}}, target, second), "");
    EXPECT_EQ(ReadMediaFacts(target).find(AVMEDIA_TYPE_VIDEO)->packets, 25);
    // The second pass leaves the log as it was.
    EXPECT_EQ(readText(prefix + "-0.log"), log);
}

TEST_F(TwoPassRunTest, DefaultPrefixAndSecondPassWithoutLog) {
    const std::string source = clip();
    // The default prefix names a file in the working folder.
    std::string firstPass;
    bool written = false;
    {
        const test::InFolder inFolder(m_dir.path());
        firstPass = run({{source, {}}}, m_dir.file("p1.avi"),
                        {{"vcodec", "mpeg4"}, {"an", "1"}, {"pass", "1"}});
        written = std::filesystem::exists(m_dir.file("velmora2pass-0.log"));
    }
    EXPECT_EQ(firstPass, "");
    EXPECT_TRUE(written);

    const std::string missing = m_dir.file("none");
    EXPECT_EQ(
        run({{source, {}}}, m_dir.file("p2.avi"),
            {{"vcodec", "mpeg4"}, {"an", "1"}, {"pass", "2"}, {"passlogfile", missing}}),
        "Cannot read file: Error reading log file \"" + missing + "-0.log\" for pass-2 encoding");
    const std::string unwritable = m_dir.file("no/such/folder/stats");
    EXPECT_EQ(run({{source, {}}}, m_dir.file("p3.avi"),
                  {{"vcodec", "mpeg4"}, {"an", "1"}, {"pass", "1"}, {"passlogfile", unwritable}}),
              "Cannot write log file " + unwritable + "-0.log for pass-1 encoding");
}

TEST_F(TwoPassRunTest, LogNumberCountsStreamsOverAllOutputs) {
    const std::string source = clip();
    const std::string prefix = m_dir.file("multi");
    TCustomTranscoder engine;
    ASSERT_TRUE(engine.OpenInput(source)) << engine.LastError();
    for (const char* name : {"first.avi", "second.avi"}) {
        engine.SetOption("vcodec", "mpeg4");
        engine.SetOption("an", "1");
        engine.SetOption("pass", "1");
        engine.SetOption("passlogfile", prefix);
        ASSERT_GT(engine.OpenOutput(m_dir.file(name), false), 0) << engine.LastError();
    }
    engine.Start(false);
    ASSERT_FALSE(engine.Exception()) << engine.ExceptionMessage();
    EXPECT_FALSE(readText(prefix + "-0.log").empty());
    EXPECT_FALSE(readText(prefix + "-1.log").empty());
    EXPECT_FALSE(std::filesystem::exists(prefix + "-2.log"));
}

TEST_F(TwoPassRunTest, EncoderWithItsOwnStatisticsFileUsesTheLogName) {
    const std::string source = clip();
    const std::string prefix = m_dir.file("x264stats");
    // Nothing may land in the working folder.
    std::string results;
    test::InFolder inFolder(m_dir.path());
    for (const char* pass : {"1", "2"}) {
        results += run({{source, {}}}, m_dir.file(std::string("x264-") + pass + ".mkv"),
                       {{"vcodec", "libx264"},
                        {"an", "1"},
                        {"pass", pass},
                        {"b", "200000"},
                        {"passlogfile", prefix}});
        if (std::string(pass) == "1") {
            results += readText(prefix + "-0.log").empty() ? "no statistics" : "";
        }
    }
    const bool stray = std::filesystem::exists(m_dir.file("x264_2pass.log"));
    EXPECT_EQ(results, "");
    EXPECT_FALSE(stray);
    EXPECT_EQ(ReadMediaFacts(m_dir.file("x264-2.mkv")).find(AVMEDIA_TYPE_VIDEO)->packets, 25);
}

}  // namespace
}  // namespace velmora
