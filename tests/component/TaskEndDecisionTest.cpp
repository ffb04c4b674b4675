// The end-state rule and its two wordings, one row per case.
#include "component/TaskEndDecision.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

constexpr std::int64_t kSecond = 1'000'000;

TEST(TaskEndDecision, ShortMeansMoreThanFivePercentAndHalfASecond) {
    const struct {
        std::int64_t expectedUs;
        std::int64_t actualUs;
        bool isShort;
    } rows[] = {
        {10 * kSecond, 10 * kSecond, false},
        {10 * kSecond, 9'500'000, false},  // 0.5 s short: the floor
        {10 * kSecond, 9'499'999, true},
        {100 * kSecond, 95 * kSecond, false},  // 5 %: the share
        {100 * kSecond, 94'999'999, true},
        {2 * kSecond, 1'500'000, false},
        {10 * kSecond, 12 * kSecond, false},  // longer is never short
        {-1, 0, false},                       // nothing expected
        {10 * kSecond, -1, false},            // the file does not tell
        {10 * kSecond, 0, true},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(fallsShort(row.expectedUs, row.actualUs), row.isShort)
            << row.expectedUs << " " << row.actualUs;
    }
}

StreamCoverage video(std::int64_t expectedUs, std::int64_t actualUs) {
    return {0, AVMEDIA_TYPE_VIDEO, expectedUs, actualUs};
}
StreamCoverage audio(std::int64_t expectedUs, std::int64_t actualUs) {
    return {1, AVMEDIA_TYPE_AUDIO, expectedUs, actualUs};
}

TEST(TaskEndDecision, DecidesOnceAndWordsItTwice) {
    TaskEndFacts finished;
    finished.finished = true;
    const auto with = [&](auto change) {
        TaskEndFacts facts = finished;
        change(facts);
        return facts;
    };
    const struct {
        const char* what;
        TaskEndFacts facts;
        TaskEndState state;
        const char* chinese;
        const char* english;
    } rows[] = {
        {"complete", with([](TaskEndFacts& f) { f.streams = {video(10 * kSecond, 10 * kSecond)}; }),
         TaskEndState::Done, "", ""},
        {"nothing could be expected",
         with([](TaskEndFacts& f) { f.streams = {video(-1, 3 * kSecond)}; }), TaskEndState::Done,
         "", ""},
        {"every stream short", with([](TaskEndFacts& f) {
             f.streams = {video(10'030'000, 4'890'000), audio(10'030'000, 4'900'000)};
         }),
         TaskEndState::Incomplete, "只转换了 4.9 秒，源文件应有 10.0 秒",
         "only 4.9 s of 10.0 s converted"},
        {"only the audio short", with([](TaskEndFacts& f) {
             f.streams = {video(10 * kSecond, 10 * kSecond), audio(10 * kSecond, 50'000)};
         }),
         TaskEndState::Incomplete, "音频只转换了 0.1 秒，源文件应有 10.0 秒",
         "only 0.1 s of 10.0 s of the audio converted"},
        {"the shortest share is told", with([](TaskEndFacts& f) {
             f.streams = {video(60 * kSecond, 24'500'000), audio(60 * kSecond, 30 * kSecond)};
         }),
         TaskEndState::Incomplete, "只转换了 24.5 秒，源文件应有 60.0 秒",
         "only 24.5 s of 60.0 s converted"},
        {"skipped data", with([](TaskEndFacts& f) {
             f.streams = {video(10 * kSecond, 10 * kSecond)};
             f.damage.skippedPackets = 3;
         }),
         TaskEndState::DoneWithSkippedData, "已跳过 3 个损坏的数据包", "3 damaged packets skipped"},
        {"a dropped stream and skipped data", with([](TaskEndFacts& f) {
             f.damage.skippedPackets = 1;
             f.damage.droppedStreams = {"#0.1 (audio): bad header"};
         }),
         TaskEndState::DoneWithDroppedStream,
         "已略去 1 个无法解码的流：#0.1 (audio): bad header；已跳过 1 个损坏的数据包",
         "1 stream left out that could not be decoded: #0.1 (audio): bad header; 1 damaged packet "
         "skipped"},
        {"incomplete wins over damage", with([](TaskEndFacts& f) {
             f.streams = {video(10 * kSecond, 2 * kSecond)};
             f.damage.skippedPackets = 2;
         }),
         TaskEndState::Incomplete, "只转换了 2.0 秒，源文件应有 10.0 秒；已跳过 2 个损坏的数据包",
         "only 2.0 s of 10.0 s converted; 2 damaged packets skipped"},
        {"unreadable output", with([](TaskEndFacts& f) {
             f.outputProblem = "cannot be read back";
             f.streams = {video(10 * kSecond, 2 * kSecond)};
         }),
         TaskEndState::Failed, "转换失败：cannot be read back", "cannot be read back"},
        {"output not put in place",
         with([](TaskEndFacts& f) { f.keepProblem = "Cannot put output file in place"; }),
         TaskEndState::Failed, "转换失败：Cannot put output file in place",
         "Cannot put output file in place"},
        {"engine error", with([](TaskEndFacts& f) {
             f.finished = false;
             f.exception = true;
             f.exceptionMessage = "Audio encoding failed";
             f.damage.skippedPackets = 5;
         }),
         TaskEndState::Failed, "转换失败：Audio encoding failed", "Audio encoding failed"},
        {"stopped, even short and unreadable", with([](TaskEndFacts& f) {
             f.finished = false;
             f.outputProblem = "cannot be read back";
             f.streams = {video(10 * kSecond, 1 * kSecond)};
         }),
         TaskEndState::Stopped, "已停止", "stopped by the user"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const TaskEndReport report = decideTaskEnd(row.facts);
        EXPECT_EQ(report.state, row.state);
        EXPECT_EQ(endStateText(report), row.chinese);
        EXPECT_EQ(endStateTextEnglish(report), row.english);
    }
}

TEST(TaskEndDecision, RowStatusTexts) {
    EXPECT_STREQ(endStateStatusText(TaskEndState::Done), "完成");
    EXPECT_STREQ(endStateStatusText(TaskEndState::DoneWithSkippedData), "完成");
    EXPECT_STREQ(endStateStatusText(TaskEndState::DoneWithDroppedStream), "完成");
    EXPECT_STREQ(endStateStatusText(TaskEndState::Incomplete), "不完整");
    EXPECT_STREQ(endStateStatusText(TaskEndState::Failed), "失败");
    EXPECT_STREQ(endStateStatusText(TaskEndState::Stopped), "停止");
}

}  // namespace
}  // namespace velmora
