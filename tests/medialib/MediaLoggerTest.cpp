#include "medialib/MediaLogger.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <stdexcept>
#include <thread>

#include "LogCapture.h"
#include "medialib/LibraryBindings.h"
#include "support/MediaLibraries.h"

namespace velmora {
namespace {

using test::LogCapture;

// A library context with its own class, so the "[name @ address]" prefix is predictable.
const char* probeItemName(void*) {
    return "probe";
}
AVClass makeProbeClass() {
    AVClass avClass{};
    avClass.class_name = "probe";
    avClass.item_name = probeItemName;
    avClass.version = LIBAVUTIL_VERSION_INT;
    return avClass;
}
const AVClass kProbeClass = makeProbeClass();
struct ProbeContext {
    const AVClass* avClass = &kProbeClass;
};

std::string prefixOf(const void* context) {
    char text[64];
    std::snprintf(text, sizeof text, "[probe @ %p]", context);
    return text;
}

class MediaLoggerTest : public ::testing::Test {
protected:
    void SetUp() override { test::requireMediaLibraries(); }

    LogCapture capture;
    ProbeContext context;
};

TEST(LogLevelTest, ConvertsBetweenLoggerAndLibraryLevels) {
    const struct {
        TLogLevel level;
        int libraryLevel;
    } levels[] = {{TLogLevel::llQuiet, -8},   {TLogLevel::llPanic, 0},    {TLogLevel::llFatal, 8},
                  {TLogLevel::llError, 16},   {TLogLevel::llWarning, 24}, {TLogLevel::llInfo, 32},
                  {TLogLevel::llVerbose, 40}, {TLogLevel::llDebug, 48}};
    for (const auto& row : levels) {
        EXPECT_EQ(LibraryLevelOf(row.level), row.libraryLevel);
        EXPECT_EQ(LogLevelOfLibrary(row.libraryLevel), row.level) << row.libraryLevel;
    }
    const struct {
        int libraryLevel;
        TLogLevel level;
    } between[] = {{-16, TLogLevel::llQuiet}, {-9, TLogLevel::llQuiet},  {-1, TLogLevel::llPanic},
                   {7, TLogLevel::llPanic},   {15, TLogLevel::llFatal},  {47, TLogLevel::llVerbose},
                   {56, TLogLevel::llDebug},  {1000, TLogLevel::llDebug}};
    for (const auto& row : between) {
        EXPECT_EQ(LogLevelOfLibrary(row.libraryLevel), row.level) << row.libraryLevel;
    }
}

TEST_F(MediaLoggerTest, SetsLevelByNameOrNumberAndPushesItIntoTheLibrary) {
    const struct {
        const char* text;
        TLogLevel level;
    } rows[] = {
        {"WARNING", TLogLevel::llWarning}, {"quiet", TLogLevel::llQuiet},
        {"Debug", TLogLevel::llDebug},     {"  error ", TLogLevel::llError},
        {"40", TLogLevel::llVerbose},      {"-8", TLogLevel::llQuiet},
        {"100", TLogLevel::llDebug},       {"0", TLogLevel::llPanic},
        {"fatal", TLogLevel::llFatal},     {"info", TLogLevel::llInfo},
    };
    for (const auto& row : rows) {
        Logger().SetLogLevelByName(row.text);
        EXPECT_EQ(Logger().LogLevel(), row.level) << row.text;
        EXPECT_EQ(lib::avutil.av_log_get_level(), LibraryLevelOf(row.level)) << row.text;
    }
    for (const char* bad : {"loud", "", "12abc", "4 0", "99999999999"}) {
        EXPECT_THROW(Logger().SetLogLevelByName(bad), std::invalid_argument) << bad;
        EXPECT_EQ(Logger().LogLevel(), TLogLevel::llInfo) << bad;
    }
}

TEST_F(MediaLoggerTest, ComponentMessagesPassTheLevelFilterWithTheVerboseException) {
    const struct {
        TLogLevel loggerLevel;
        TLogLevel messageLevel;
        bool delivered;
    } rows[] = {
        {TLogLevel::llError, TLogLevel::llWarning, false},
        {TLogLevel::llError, TLogLevel::llVerbose, true},
        {TLogLevel::llError, TLogLevel::llError, true},
        {TLogLevel::llError, TLogLevel::llPanic, true},
        {TLogLevel::llInfo, TLogLevel::llDebug, false},
        {TLogLevel::llDebug, TLogLevel::llDebug, true},
        {TLogLevel::llQuiet, TLogLevel::llVerbose, false},
        {TLogLevel::llQuiet, TLogLevel::llPanic, false},
        {TLogLevel::llQuiet, TLogLevel::llQuiet, false},
    };
    int sender = 0;
    for (const auto& row : rows) {
        Logger().SetLogLevel(row.loggerLevel);
        capture.clear();
        Logger().Log(&sender, row.messageLevel, "plain");
        Logger().LogFmt(&sender, row.messageLevel, "formatted %d", 7);
        const auto entries = capture.entries();
        ASSERT_EQ(entries.size(), row.delivered ? 2u : 0u)
            << static_cast<int>(row.loggerLevel) << " " << static_cast<int>(row.messageLevel);
        if (row.delivered) {
            EXPECT_EQ(entries[0].message, "plain");
            EXPECT_EQ(entries[1].message, "formatted 7");
            EXPECT_EQ(entries[1].sender, &sender);
            EXPECT_EQ(entries[1].level, row.messageLevel);
            EXPECT_EQ(entries[1].threadId, static_cast<std::uint32_t>(::gettid()));
        }
    }
}

TEST_F(MediaLoggerTest, AssemblesLibraryLinesPerThreadWithThePrefixOnlyAtTheStart) {
    lib::avutil.av_log(&context, AV_LOG_WARNING, "first part, ");
    EXPECT_EQ(capture.size(), 0u);
    lib::avutil.av_log(&context, AV_LOG_ERROR, "second part\n");
    lib::avutil.av_log(&context, AV_LOG_INFO, "one\ntwo\n");
    lib::avutil.av_log(nullptr, AV_LOG_INFO, "no context\n");
    lib::avutil.av_log(&context, AV_LOG_DEBUG, "above the threshold\n");

    const auto entries = capture.entries();
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[0].message, prefixOf(&context) + "first part, second part");
    EXPECT_EQ(entries[0].level, TLogLevel::llError);  // the level of the call that ended the line
    EXPECT_EQ(entries[1].message, prefixOf(&context) + "one");
    EXPECT_EQ(entries[2].message, "two");
    EXPECT_EQ(entries[3].message, "no context");
    EXPECT_EQ(entries[3].sender, &Logger());
    EXPECT_EQ(entries[3].level, TLogLevel::llInfo);
}

TEST_F(MediaLoggerTest, CutsOverlongLibraryMessagesButKeepsTheLineEnd) {
    const std::string longText(5000, 'x');
    lib::avutil.av_log(nullptr, AV_LOG_ERROR, "%s\n", longText.c_str());
    lib::avutil.av_log(nullptr, AV_LOG_ERROR, "next\n");
    const auto messages = capture.messages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0], std::string(2047, 'x'));
    EXPECT_EQ(messages[1], "next");
}

TEST_F(MediaLoggerTest, LinesFromConcurrentThreadsStayWholeAndReachTheMainThread) {
    constexpr int kThreads = 2;
    constexpr int kLines = 200;
    std::atomic<int> running{kThreads};
    std::uint32_t threadIds[kThreads] = {};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            threadIds[t] = static_cast<std::uint32_t>(::gettid());
            for (int line = 0; line < kLines; ++line) {
                // Each line in three calls, so other threads' text could land in between.
                lib::avutil.av_log(&context, AV_LOG_INFO, "thread %d ", t);
                lib::avutil.av_log(&context, AV_LOG_INFO, "line %d", line);
                lib::avutil.av_log(&context, AV_LOG_INFO, "\n");
            }
            --running;
        });
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (running.load() > 0 && std::chrono::steady_clock::now() < deadline) {
        PumpMessagesFor(std::chrono::milliseconds(10));
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    PumpMessages();
    const auto entries = capture.entries();
    ASSERT_EQ(entries.size(), static_cast<std::size_t>(kThreads * kLines));
    int next[kThreads] = {};
    for (const auto& entry : entries) {
        EXPECT_TRUE(entry.onMainThread);
        int t = -1;
        int line = -1;
        const std::string expectedStart = prefixOf(&context) + "thread ";
        ASSERT_EQ(entry.message.rfind(expectedStart, 0), 0u) << entry.message;
        ASSERT_EQ(
            std::sscanf(entry.message.c_str() + expectedStart.size(), "%d line %d", &t, &line), 2)
            << entry.message;
        ASSERT_TRUE(t >= 0 && t < kThreads);
        EXPECT_EQ(entry.threadId, threadIds[t]);
        EXPECT_EQ(line, next[t]++) << "lines of one thread arrive in order";
    }
}

TEST_F(MediaLoggerTest, WorkerDeliversOnItsOwnThreadWhenNotTriggeringInTheMainThread) {
    Logger().SetTriggerEventInMainThread(false);
    std::thread worker([] { Logger().Log(nullptr, TLogLevel::llError, "from worker"); });
    worker.join();
    const auto entries = capture.entries();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_FALSE(entries[0].onMainThread);
}

TEST_F(MediaLoggerTest, WorkerNeverWaitsForTheMainThreadToDeliver) {
    // The main thread joins the worker without pumping, as it does while it runs a conversion
    // whose codec threads log.
    std::thread worker([] { Logger().Log(nullptr, TLogLevel::llError, "from worker"); });
    worker.join();
    EXPECT_TRUE(capture.entries().empty());
    PumpMessages();
    const auto entries = capture.entries();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_TRUE(entries[0].onMainThread);
    EXPECT_EQ(entries[0].message, "from worker");
}

TEST_F(MediaLoggerTest, HandlerMayLogAgain) {
    std::vector<std::string> seen;
    Logger().SetOnLog([&](const void*, std::uint32_t, TLogLevel, const std::string& message) {
        seen.push_back(message);
        if (message == "outer") {
            Logger().Log(nullptr, TLogLevel::llError, "inner");
        }
    });
    Logger().Log(nullptr, TLogLevel::llError, "outer");
    EXPECT_EQ(seen, (std::vector<std::string>{"outer", "inner"}));
}

TEST_F(MediaLoggerTest, RemovedCallbackNoLongerReachesTheLogger) {
    TMediaLogger::RemoveLibraryCallback();
    lib::avutil.av_log(nullptr, AV_LOG_QUIET, "library default callback\n");
    EXPECT_EQ(capture.size(), 0u);
    TMediaLogger::InstallLibraryCallback();
    lib::avutil.av_log(nullptr, AV_LOG_ERROR, "back\n");
    EXPECT_EQ(capture.messages(), std::vector<std::string>{"back"});
}

}  // namespace
}  // namespace velmora
