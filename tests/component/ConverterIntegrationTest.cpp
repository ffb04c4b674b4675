// The converter over the real engine: whole batches on generated sample media.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include "component/MediaConverter.h"
#include "medialib/MainThreadQueue.h"
#include "samples/SampleMedia.h"
#include "support/MediaLibraries.h"
#include "support/TempDir.h"

namespace velmora {
namespace {

using namespace std::chrono_literals;

bool waitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = 60s) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        PumpMessagesFor(5ms);
    }
    return true;
}

class ConverterIntegration : public ::testing::Test {
protected:
    void SetUp() override {
        SetMainThread();
        test::requireMediaLibraries();
        for (int i = 0; i < 2; ++i) {
            SampleSpec spec;
            spec.container = "avi";
            spec.durationSeconds = 2.0;
            spec.audioCodec = "mp2";
            const std::string path = dir.file("in" + std::to_string(i) + ".avi");
            std::string error;
            ASSERT_TRUE(makeSampleMedia(spec, path, &error)) << error;
            inputs.push_back(path);
        }
    }

    // One task per input, each with one MPEG-4/MP2 AVI output.
    void buildTasks(TMediaConverter& converter) {
        for (std::size_t i = 0; i < inputs.size(); ++i) {
            const int task = converter.AddTask(inputs[i]);
            ASSERT_EQ(task, static_cast<int>(i)) << converter.LastErrMsg();
            TOutputOptions output;
            output.VideoCodec = "mpeg4";
            output.AudioCodec = "mp2";
            output.FrameSize = "160x120";
            const std::string path = dir.file("out" + std::to_string(i) + ".avi");
            ASSERT_TRUE(converter.SetOutputFile(task, path, &output)) << converter.LastErrMsg();
            outputs.push_back(path);
        }
    }

    test::TempDir dir;
    std::vector<std::string> inputs;
    std::vector<std::string> outputs;
};

TEST_F(ConverterIntegration, ThreadModeBatchConvertsEveryTask) {
    TMediaConverter converter;
    buildTasks(converter);
    converter.SetProgressInterval(100);

    std::mutex mutex;
    std::vector<TTerminateInfo> notices;
    std::atomic<std::int64_t> lastDuration{-1};
    std::atomic<int> progressOffMain{0};
    converter.SetOnProgress([&](TCustomMediaConverter&, PProgressInfo info) {
        if (!IsMainThread()) {
            ++progressOffMain;
        }
        lastDuration = info->CurrentDuration;
    });
    converter.SetOnTerminate([&](TCustomMediaConverter&, const TTerminateInfo& info) {
        std::lock_guard lock(mutex);
        notices.push_back(info);
    });
    converter.StartTask(1);
    ASSERT_TRUE(waitUntil([&] { return converter.AllDone(); }));
    ASSERT_TRUE(waitUntil([&] {
        std::lock_guard lock(mutex);
        return notices.size() == 3;
    }));

    for (std::size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(notices[i].TaskIndex, static_cast<int>(i));
        EXPECT_TRUE(notices[i].Finished) << notices[i].ExceptionMsg;
        EXPECT_FALSE(notices[i].Exception) << notices[i].ExceptionMsg;
        EXPECT_GT(std::filesystem::file_size(outputs[i]), 0u);
    }
    EXPECT_EQ(notices[2].TaskIndex, -1);
    EXPECT_EQ(progressOffMain.load(), 0);
    EXPECT_GT(lastDuration.load(), 0);
    converter.ClearTasks();
    EXPECT_FALSE(converter.Working());
}

TEST_F(ConverterIntegration, ProgressOfALookAheadEncoderNeverGoesBack) {
    // libx264 gives no picture until its look-ahead is full; the audio's time must not make
    // the job's time run ahead of where the pictures then start.
    SampleSpec spec;
    spec.container = "matroska";
    spec.videoCodec = "libx264";
    spec.width = 640;
    spec.height = 360;
    spec.durationSeconds = 4.0;
    const std::string input = dir.file("source.mkv");
    std::string error;
    ASSERT_TRUE(makeSampleMedia(spec, input, &error)) << error;

    TMediaConverter converter;
    const int task = converter.AddTask(input);
    ASSERT_EQ(task, 0) << converter.LastErrMsg();
    TOutputOptions output;
    output.VideoCodec = "libx264";
    output.AudioCodec = "aac";
    ASSERT_TRUE(converter.SetOutputFile(task, dir.file("out.mkv"), &output))
        << converter.LastErrMsg();
    converter.SetProgressInterval(0);  // as often as the converter reports
    std::vector<std::int64_t> durations;
    std::atomic<bool> ended{false};
    converter.SetOnProgress([&](TCustomMediaConverter&, PProgressInfo info) {
        durations.push_back(info->CurrentDuration);  // on the main thread
    });
    converter.SetOnTerminate([&](TCustomMediaConverter&, const TTerminateInfo& info) {
        if (info.TaskIndex < 0) {
            ended = true;
        }
    });
    converter.StartTask(1);
    ASSERT_TRUE(waitUntil([&] { return ended.load(); }));

    ASSERT_FALSE(durations.empty());
    for (std::size_t i = 1; i < durations.size(); ++i) {
        EXPECT_GE(durations[i], durations[i - 1]) << "report " << i;
    }
    EXPECT_NEAR(static_cast<double>(durations.back()) / 1e6, 4.0, 0.1);
}

TEST_F(ConverterIntegration, StoppingAPausedRunEndsItUnfinished) {
    TMediaConverter converter;
    buildTasks(converter);
    std::mutex mutex;
    std::vector<TTerminateInfo> notices;
    converter.SetOnTerminate([&](TCustomMediaConverter&, const TTerminateInfo& info) {
        std::lock_guard lock(mutex);
        notices.push_back(info);
    });
    converter.StartTask(2);
    converter.PauseTasks();
    converter.StopTasks(true);
    ASSERT_TRUE(waitUntil([&] {
        std::lock_guard lock(mutex);
        return notices.size() == 3;
    }));
    for (std::size_t i = 0; i < 2; ++i) {
        EXPECT_FALSE(notices[i].Exception) << notices[i].ExceptionMsg;
    }
    EXPECT_EQ(notices[2].TaskIndex, -1);
}

TEST_F(ConverterIntegration, DestroyingDuringARunStopsAndWaits) {
    auto converter = std::make_unique<TMediaConverter>();
    buildTasks(*converter);
    converter->SetOnProgress([](TCustomMediaConverter&, PProgressInfo) {});
    converter->StartTask(2);
    converter.reset();
    SUCCEED();
}

}  // namespace
}  // namespace velmora
