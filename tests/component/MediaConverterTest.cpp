// Scheduling, events and option application of the converter component, over a fake engine.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "FakeEngine.h"
#include "component/CodecThreadShare.h"
#include "component/MediaConverter.h"
#include "medialib/MainThreadQueue.h"

namespace velmora {
namespace {

using namespace std::chrono_literals;
using test::FakeEngine;
using test::FakeEngineHub;

// Termination notices as they arrive, from whichever thread.
class NoticeLog {
public:
    void add(const TTerminateInfo& info) {
        std::lock_guard lock(m_mutex);
        m_notices.push_back(info);
    }
    std::vector<TTerminateInfo> notices() {
        std::lock_guard lock(m_mutex);
        return m_notices;
    }
    int count() {
        std::lock_guard lock(m_mutex);
        return static_cast<int>(m_notices.size());
    }
    bool allDoneSeen() {
        std::lock_guard lock(m_mutex);
        for (const auto& n : m_notices) {
            if (n.TaskIndex == -1) {
                return true;
            }
        }
        return false;
    }

private:
    std::mutex m_mutex;
    std::vector<TTerminateInfo> m_notices;
};

// Waits on the main thread, running queued main-thread calls meanwhile.
bool waitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = 5s) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        PumpMessagesFor(2ms);
    }
    return true;
}

class MediaConverterTest : public ::testing::Test {
protected:
    void SetUp() override { SetMainThread(); }

    // Adds n tasks with one output each.
    void addTasks(int n) {
        for (int i = 0; i < n; ++i) {
            const int index = converter.AddTask("in" + std::to_string(i) + ".avi");
            ASSERT_EQ(index, i) << converter.LastErrMsg();
            ASSERT_TRUE(converter.SetOutputFile(index, "out" + std::to_string(i) + ".mp4"));
        }
    }
    void logNotices() {
        converter.SetOnTerminate(
            [this](TCustomMediaConverter&, const TTerminateInfo& info) { notices.add(info); });
    }
    // The set-up calls the engine received after its output was opened.
    std::vector<std::string> callsAfterOutput(int task) {
        auto calls = hub.engine(task).calls();
        for (auto it = calls.begin(); it != calls.end(); ++it) {
            if (it->rfind("open_output=", 0) == 0) {
                return {it + 1, calls.end()};
            }
        }
        return {};
    }
    // The set-up calls between the input's and the output's opening.
    std::vector<std::string> outputSetupCalls(int task) {
        std::vector<std::string> result;
        bool inside = false;
        for (const auto& call : hub.engine(task).calls()) {
            if (call.rfind("open_output=", 0) == 0) {
                break;
            }
            if (inside) {
                result.push_back(call);
            }
            if (call.rfind("open_input=", 0) == 0) {
                inside = true;
            }
        }
        return result;
    }

    FakeEngineHub hub;
    NoticeLog notices;
    TMediaConverter converter{hub.factory()};
};

TEST_F(MediaConverterTest, ProgressIntervalHasAFloorOf100ms) {
    const struct {
        int given;
        int stored;
    } cases[] = {{50, 100}, {-5, 100}, {99, 100}, {100, 100}, {500, 500}, {2000, 2000}};
    for (const auto& c : cases) {
        converter.SetProgressInterval(c.given);
        EXPECT_EQ(converter.ProgressInterval(), c.stored) << c.given;
    }
}

TEST_F(MediaConverterTest, StartTaskRunsAtMostCountAndStartsTheNextAsOneEnds) {
    addTasks(5);
    logNotices();
    converter.StartTask(3);
    EXPECT_EQ(hub.startOrder(), (std::vector<int>{0, 1, 2}));
    EXPECT_FALSE(hub.engine(3).started());

    hub.engine(1).finish();
    ASSERT_TRUE(waitUntil([&] { return hub.engine(3).started(); }));
    EXPECT_FALSE(hub.engine(4).started());

    hub.engine(0).finish();
    ASSERT_TRUE(waitUntil([&] { return hub.engine(4).started(); }));
    for (int i : {2, 3, 4}) {
        hub.engine(i).finish();
    }
    ASSERT_TRUE(waitUntil([&] { return notices.allDoneSeen(); }));
    EXPECT_LE(hub.maxRunning(), 3);
    EXPECT_EQ(hub.startOrder(), (std::vector<int>{0, 1, 2, 3, 4}));

    const auto seen = notices.notices();
    ASSERT_EQ(seen.size(), 6u);
    EXPECT_EQ(seen[0].TaskIndex, 1);  // in the order the tasks ended
    EXPECT_EQ(seen[1].TaskIndex, 0);
    for (std::size_t i = 0; i < 5; ++i) {
        EXPECT_TRUE(seen[i].Finished);
        EXPECT_FALSE(seen[i].Exception);
    }
    EXPECT_EQ(seen[5].TaskIndex, -1);
    EXPECT_TRUE(seen[5].Finished);
    EXPECT_TRUE(converter.AllDone());
}

TEST_F(MediaConverterTest, StartTaskWithMoreSlotsThanTasksStartsThemAll) {
    addTasks(2);
    converter.StartTask(3);
    EXPECT_EQ(hub.startOrder(), (std::vector<int>{0, 1}));
    hub.engine(0).finish();
    hub.engine(1).finish();
    ASSERT_TRUE(waitUntil([&] { return converter.AllDone(); }));
}

TEST_F(MediaConverterTest, MainThreadRunReturnsAfterTheAllDoneNotice) {
    addTasks(3);
    std::vector<bool> onMainThread;
    converter.SetOnTerminate([&](TCustomMediaConverter&, const TTerminateInfo& info) {
        notices.add(info);
        onMainThread.push_back(IsMainThread());
    });
    converter.StartTask(0);
    const auto seen = notices.notices();
    ASSERT_EQ(seen.size(), 4u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(seen[static_cast<std::size_t>(i)].TaskIndex, i);
    }
    EXPECT_EQ(seen[3].TaskIndex, -1);
    EXPECT_EQ(onMainThread, (std::vector<bool>{true, true, true, true}));
    EXPECT_EQ(hub.maxRunning(), 1);
}

TEST_F(MediaConverterTest, AllDoneHandlerMayClearTheListInMainThreadMode) {
    addTasks(2);
    converter.SetOnTerminate([&](TCustomMediaConverter& sender, const TTerminateInfo& info) {
        if (info.TaskIndex == -1) {
            sender.ClearTasks();
        }
    });
    converter.StartTask(0);
    EXPECT_EQ(converter.TasksCount(), 0);
    EXPECT_FALSE(converter.Working());
}

TEST_F(MediaConverterTest, BusyGuardHoldsFromStartUntilClearTasks) {
    addTasks(1);
    logNotices();
    converter.StartTask(1);
    EXPECT_THROW(
        {
            try {
                converter.ClearTasks();
            } catch (const ConverterBusyError& e) {
                EXPECT_STREQ(e.what(), "Cannot ClearTasks while working.");
                throw;
            }
        },
        ConverterBusyError);
    hub.engine(0).finish();
    ASSERT_TRUE(waitUntil([&] { return notices.allDoneSeen(); }));

    const struct {
        const char* text;
        std::function<void()> call;
    } guarded[] = {
        {"Cannot AddTask while working.", [&] { converter.AddTask("x.avi"); }},
        {"Cannot SetOutputFile while working.", [&] { converter.SetOutputFile(0, "y.mp4"); }},
        {"Cannot RemoveTask while working.", [&] { converter.RemoveTask(0); }},
        {"Cannot StartTask while working.", [&] { converter.StartTask(1); }},
    };
    for (const auto& g : guarded) {
        try {
            g.call();
            ADD_FAILURE() << "no busy error: " << g.text;
        } catch (const ConverterBusyError& e) {
            EXPECT_STREQ(e.what(), g.text);
        }
    }
    converter.ClearTasks();
    EXPECT_FALSE(converter.Working());
    EXPECT_EQ(converter.TasksCount(), 0);
    EXPECT_EQ(converter.AddTask("x.avi"), 0);
}

TEST_F(MediaConverterTest, StopTasksEndsRunningAndWaitingTasksThenGivesOneAllDone) {
    addTasks(4);
    logNotices();
    converter.StartTask(2);
    ASSERT_TRUE(waitUntil([&] { return hub.engine(0).progressCount() > 0; }));
    converter.StopTasks(true);
    ASSERT_TRUE(waitUntil([&] { return notices.count() >= 5; }));
    std::this_thread::sleep_for(20ms);  // a second all-done notice would show up meanwhile

    const auto seen = notices.notices();
    ASSERT_EQ(seen.size(), 5u);
    std::vector<int> indexes;
    for (std::size_t i = 0; i < 4; ++i) {
        indexes.push_back(seen[i].TaskIndex);
        EXPECT_FALSE(seen[i].Finished) << seen[i].TaskIndex;
        EXPECT_FALSE(seen[i].Exception);
    }
    std::sort(indexes.begin(), indexes.end());
    EXPECT_EQ(indexes, (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(seen[4].TaskIndex, -1);
    EXPECT_FALSE(hub.engine(2).started());
    EXPECT_FALSE(hub.engine(3).started());
}

TEST_F(MediaConverterTest, PausedTasksReportNothingUntilResumed) {
    addTasks(3);
    logNotices();
    std::atomic<int> reports{0};
    converter.SetOnProgress([&](TCustomMediaConverter&, PProgressInfo) { ++reports; });
    converter.StartTask(2);
    ASSERT_TRUE(waitUntil([&] { return reports.load() > 2; }));

    converter.PauseTasks();
    EXPECT_TRUE(hub.engine(0).paused());
    EXPECT_TRUE(hub.engine(1).paused());
    PumpMessagesFor(10ms);  // a report already under way when the pause came
    const int frozen = reports.load();
    for (int i = 0; i < 10; ++i) {
        PumpMessagesFor(3ms);
    }
    EXPECT_EQ(reports.load(), frozen);

    // A task started while paused joins the pause.
    hub.engine(0).finish();
    hub.engine(0).resume();
    ASSERT_TRUE(waitUntil([&] { return hub.engine(2).paused(); }));

    converter.ResumeTasks();
    EXPECT_FALSE(hub.engine(1).paused());
    ASSERT_TRUE(waitUntil([&] { return reports.load() > frozen + 2; }));

    converter.PauseTasks();
    converter.StopTasks(true);
    ASSERT_TRUE(waitUntil([&] { return notices.allDoneSeen(); }));
    for (const auto& n : notices.notices()) {
        if (n.TaskIndex == 1 || n.TaskIndex == 2) {
            EXPECT_FALSE(n.Finished) << n.TaskIndex;
        }
    }
}

TEST_F(MediaConverterTest, ProgressRunsOnTheMainThreadOnlyWhenAsked) {
    addTasks(1);
    for (bool mainThread : {true, false}) {
        SCOPED_TRACE(mainThread);
        converter.SetTriggerEventInMainThread(mainThread);
        std::atomic<int> onMain{0};
        std::atomic<int> offMain{0};
        std::atomic<int> taskIndex{-2};
        converter.SetOnProgress([&](TCustomMediaConverter& sender, PProgressInfo info) {
            EXPECT_EQ(&sender, &converter);
            taskIndex = info->TaskIndex;
            ++(IsMainThread() ? onMain : offMain);
        });
        logNotices();
        converter.StartTask(1);
        ASSERT_TRUE(waitUntil([&] { return onMain + offMain > 2; }));
        converter.StopTasks(true);
        ASSERT_TRUE(waitUntil([&] { return converter.AllDone(); }));
        converter.SetOnProgress(nullptr);
        EXPECT_EQ(taskIndex.load(), 0);
        EXPECT_EQ(onMain.load() > 0, mainThread);
        EXPECT_EQ(offMain.load() > 0, !mainThread);
        converter.ClearTasks();
        addTasks(1);
    }
}

TEST_F(MediaConverterTest, ThrowingHandlersDoNotStopTheRun) {
    addTasks(2);
    converter.SetOnProgress(
        [](TCustomMediaConverter&, PProgressInfo) { throw std::runtime_error("progress"); });
    std::atomic<bool> allDone{false};
    converter.SetOnTerminate([&](TCustomMediaConverter&, const TTerminateInfo& info) {
        if (info.TaskIndex == -1) {
            allDone = true;
            return;
        }
        throw std::runtime_error("terminate");
    });
    converter.StartTask(1);
    ASSERT_TRUE(waitUntil([&] { return hub.engine(0).progressCount() > 1; }));
    hub.engine(0).finish();
    ASSERT_TRUE(waitUntil([&] { return hub.engine(1).started(); }));
    hub.engine(1).finish();
    EXPECT_TRUE(waitUntil([&] { return allDone.load(); }));
}

TEST_F(MediaConverterTest, FailedTaskReportsItsErrorAndTheRunGoesOn) {
    addTasks(2);
    logNotices();
    converter.StartTask(1);
    hub.engine(0).fail("Error while opening encoder");
    ASSERT_TRUE(waitUntil([&] { return hub.engine(1).started(); }));
    hub.engine(1).finish();
    ASSERT_TRUE(waitUntil([&] { return notices.allDoneSeen(); }));
    const auto seen = notices.notices();
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_TRUE(seen[0].Exception);
    EXPECT_FALSE(seen[0].Finished);
    EXPECT_EQ(seen[0].ExceptionMsg, "Error while opening encoder");
    EXPECT_TRUE(seen[1].Finished);
}

TEST_F(MediaConverterTest, StartTaskOnAnEmptyListStaysIdle) {
    logNotices();
    converter.StartTask(2);
    EXPECT_FALSE(converter.Working());
    converter.StartTask(0);
    EXPECT_FALSE(converter.Working());
    PumpMessagesFor(10ms);
    EXPECT_EQ(notices.count(), 0);
    EXPECT_EQ(converter.AddTask("a.avi"), 0);
}

TEST_F(MediaConverterTest, StopTasksWhileIdleLeavesTasksRunnable) {
    addTasks(1);
    logNotices();
    converter.StopTasks(true);
    converter.StartTask(1);
    hub.engine(0).finish();
    ASSERT_TRUE(waitUntil([&] { return notices.allDoneSeen(); }));
    EXPECT_TRUE(notices.notices()[0].Finished);
}

TEST_F(MediaConverterTest, DestroyingDuringARunStopsEverything) {
    FakeEngineHub localHub;
    std::atomic<int> terminated{0};
    {
        TMediaConverter local(localHub.factory());
        for (int i = 0; i < 4; ++i) {
            ASSERT_EQ(local.AddTask("in.avi"), i);
            ASSERT_TRUE(local.SetOutputFile(i, "out.mp4"));
        }
        // Handlers that need the main thread: the destructor must keep it serving them.
        local.SetOnProgress([](TCustomMediaConverter&, PProgressInfo) {});
        local.SetOnTerminate([&](TCustomMediaConverter&, const TTerminateInfo&) {
            RunInMainThread([&] { ++terminated; });
        });
        local.StartTask(2);
        ASSERT_TRUE(waitUntil([&] { return localHub.engine(1).progressCount() > 0; }));
        localHub.engine(0).finish();
        ASSERT_TRUE(waitUntil([&] { return localHub.engine(2).started(); }));
    }
    // The engines are gone with the component: ask the hub.
    EXPECT_EQ(localHub.runningNow(), 0);
    EXPECT_EQ(localHub.startOrder(), (std::vector<int>{0, 1, 2}));
}

TEST_F(MediaConverterTest, AllDoneHandlerMayClearTheListThroughTheMainThread) {
    addTasks(3);
    std::atomic<bool> cleared{false};
    converter.SetOnTerminate([&](TCustomMediaConverter& sender, const TTerminateInfo& info) {
        if (info.TaskIndex == -1) {
            RunInMainThread([&] { sender.ClearTasks(); });
            cleared = true;
        }
    });
    converter.StartTask(3);
    hub.engine(2).finish();
    // Stopping with a wait while the clear is marshalled to this (pumping) thread.
    converter.StopTasks(true);
    ASSERT_TRUE(waitUntil([&] { return cleared.load(); }));
    EXPECT_EQ(converter.TasksCount(), 0);
    EXPECT_FALSE(converter.Working());
}

// --- building tasks ---

TEST_F(MediaConverterTest, AddTaskAppliesInputRecordAndReportsOpenFailures) {
    TInputOptions input;
    input.ExtOptions = "itsoffset=2";
    input.ForceFormat = "avi";
    input.StartTime = 1500000;
    input.ProgramID = 3;
    ASSERT_EQ(converter.AddTask("a.avi", &input), 0);
    EXPECT_EQ(hub.engine(0).calls(),
              (std::vector<std::string>{"reset", "v=1", "text:in:itsoffset=2", "f=avi",
                                        "ss=1.500000", "programid=3", "open_input=a.avi"}));

    const struct {
        std::string file;
        std::string ext;
        std::string error;
    } failures[] = {
        {hub.failingInput, "", FakeEngineHub::kOpenError},
        {"b.avi", "fail=1", "Invalid value \"1\" for option \"fail\""},
    };
    for (const auto& f : failures) {
        TInputOptions options;
        options.ExtOptions = f.ext;
        EXPECT_EQ(converter.AddTask(f.file, &options), -1);
        EXPECT_EQ(converter.LastErrMsg(), f.error);
        EXPECT_EQ(converter.TasksCount(), 1);
    }
}

TEST_F(MediaConverterTest, TwentyFirstOutputIsRefused) {
    ASSERT_EQ(converter.AddTask("a.avi"), 0);
    for (int i = 0; i < 20; ++i) {
        ASSERT_TRUE(converter.SetOutputFile(0, "out" + std::to_string(i) + ".mp4"));
    }
    EXPECT_FALSE(converter.SetOutputFile(0, "out20.mp4"));
    EXPECT_EQ(converter.LastErrMsg(), "max output files 20 reached");
}

TEST_F(MediaConverterTest, ExtraStreamsTakeTheOptionValuesInOrder) {
    const struct {
        std::string audioCodec;
        std::string ext;
        std::vector<std::string> before;  // codec calls before the output is opened
        std::vector<std::string> after;   // calls for the extra streams
    } cases[] = {
        {"",
         "acodec=mp2\nacodec=ac3\nnewaudio\nnewaudio",
         {"acodec=mp2"},
         {"acodec=mp2", "newaudio=", "acodec=ac3", "newaudio="}},
        {"aac",
         "acodec=mp2\r\nacodec=ac3<CRLF>newaudio\nnewaudio\nnewaudio=x",
         {"acodec=aac"},
         {"acodec=mp2", "newaudio=", "acodec=ac3", "newaudio=", "acodec=aac", "newaudio=x"}},
        {"",
         "vcodec=mpeg4\nvfilters=hflip\ns=320x240\nnewvideo\nnewsubtitle\nb=800000",
         {"vcodec=mpeg4"},
         {"vcodec=mpeg4", "s=320x240", "vf=hflip", "newvideo=", "newsubtitle="}},
    };
    int task = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ext);
        ASSERT_EQ(converter.AddTask("a.avi"), task);
        TOutputOptions output;
        output.AudioCodec = c.audioCodec;
        output.ExtOptions = c.ext;
        ASSERT_TRUE(converter.SetOutputFile(task, "out.mp4", &output)) << converter.LastErrMsg();
        const auto setup = outputSetupCalls(task);
        ASSERT_GE(setup.size(), c.before.size());
        EXPECT_EQ(std::vector<std::string>(setup.begin(), setup.begin() + c.before.size()),
                  c.before);
        EXPECT_EQ(callsAfterOutput(task), c.after);
        ++task;
    }
}

TEST_F(MediaConverterTest, OutputRecordFieldsAreAppliedInOrder) {
    ASSERT_EQ(converter.AddTask("a.avi"), 0);
    ASSERT_TRUE(converter.SetOutputFile(0, "plain.mp4"));
    EXPECT_TRUE(outputSetupCalls(0).empty());

    // A record left at its defaults sets only the two options that are always applied.
    ASSERT_EQ(converter.AddTask("a.avi"), 1);
    TOutputOptions defaults;
    ASSERT_TRUE(converter.SetOutputFile(1, "defaults.mp4", &defaults));
    EXPECT_EQ(outputSetupCalls(1), (std::vector<std::string>{"text:out:", "async=0", "vsync=-1"}));

    ASSERT_EQ(converter.AddTask("b.avi"), 2);
    TOutputOptions o;
    o.FileFormat = "mp4";
    o.MuxPreload = 0.44f;
    o.AudioCodec = "aac";
    o.AudioVolume = 0;
    o.AudioChannels = 2;
    o.AudioSampleRate = -1;
    o.AudioBitrate = 128000;
    o.AudioSync = 1;
    o.VideoCodec = "libx264";
    o.VideoPreset = "default";
    o.FrameSize = "640x480";
    o.FrameRate = "25";
    o.CropTop = 0;
    o.VideoBitrate = 800000;
    o.VideoFilters = "hflip";
    o.CopyTS = true;
    o.RecordingTime = 30000000;
    o.Metadata.Year = 2010;
    o.Metadata.Title = "Clip";
    o.Target = 3;
    o.TargetNorm = 7;
    o.TargetDefaultNorm = 1;
    o.ExtOptions = "b=900000";
    ASSERT_TRUE(converter.SetOutputFile(2, "out.mp4", &o));
    EXPECT_EQ(outputSetupCalls(2), (std::vector<std::string>{"target=dvd/auto/pal",
                                                             "acodec=aac",
                                                             "vcodec=libx264",
                                                             "vpre=default",
                                                             "text:out:b=900000",
                                                             "f=mp4",
                                                             "muxpreload=0.44",
                                                             "vol=0",
                                                             "ac=2",
                                                             "ab=128000",
                                                             "async=1",
                                                             "r=25",
                                                             "vb=800000",
                                                             "vsync=-1",
                                                             "copyts=1",
                                                             "t=30.000000",
                                                             "metadata=year=2010",
                                                             "metadata=title=Clip",
                                                             "s=640x480",
                                                             "vf=hflip"}));
}

TEST_F(MediaConverterTest, TimestampIsTheLocalDateTurnedIntoUtc) {
    const char* oldTz = std::getenv("TZ");
    const std::string saved = oldTz ? oldTz : "";
    const struct {
        const char* tz;
        double days;
        const char* expected;
    } cases[] = {
        {"UTC0", 25569.0, "timestamp=1970-01-01 00:00:00Z"},
        {"CST-8", 25569.0, "timestamp=1969-12-31 16:00:00Z"},
        {"EST5", 40179.5, "timestamp=2010-01-01 17:00:00Z"},
    };
    int task = 0;
    for (const auto& c : cases) {
        setenv("TZ", c.tz, 1);
        tzset();
        ASSERT_EQ(converter.AddTask("a.avi"), task);
        TOutputOptions o;
        o.Metadata.Timestamp = c.days;
        ASSERT_TRUE(converter.SetOutputFile(task, "out.mp4", &o));
        const auto calls = outputSetupCalls(task);
        EXPECT_NE(std::find(calls.begin(), calls.end(), c.expected), calls.end()) << c.tz;
        ++task;
    }
    if (oldTz) {
        setenv("TZ", saved.c_str(), 1);
    } else {
        unsetenv("TZ");
    }
    tzset();
}

TEST_F(MediaConverterTest, CustomHookRunsOnTheCallerAndCopiesTheFlagsBack) {
    ASSERT_EQ(converter.AddTask("a.avi"), 0);
    TOutputOptions o;
    o.CustomHook = true;
    ASSERT_TRUE(converter.SetOutputFile(0, "out.mp4", &o));
    ASSERT_TRUE(hub.engine(0).hasCustomHook());
    converter.SetTriggerEventInMainThread(true);  // not consulted for the hook

    int calls = 0;
    converter.SetOnCustomHook([&](TCustomMediaConverter&, PHookInfo info) {
        ++calls;
        EXPECT_EQ(info->FrameNumber, 7);
        EXPECT_EQ(info->PTS, 280000);
        EXPECT_TRUE(info->Update);
        info->StopHook = true;
        if (calls == 2) {
            throw std::runtime_error("drawing failed");
        }
    });
    HookFrame frame;
    std::thread worker([&] { frame = hub.engine(0).offerHookFrame(); });
    worker.join();
    EXPECT_TRUE(frame.update);
    EXPECT_TRUE(frame.stopHook);
    frame = hub.engine(0).offerHookFrame();
    EXPECT_FALSE(frame.update);  // a failed handler leaves the frame unchanged
    EXPECT_EQ(calls, 2);
}

TEST_F(MediaConverterTest, PreviewAndIntervalReachTheTasks) {
    addTasks(2);
    converter.SetPreview(true);
    EXPECT_TRUE(hub.engine(0).previewOn());
    EXPECT_TRUE(hub.engine(1).previewOn());
    converter.SetProgressInterval(250);
    converter.StartTask(2);
    EXPECT_EQ(hub.engine(0).reportIntervalUs(), 250000);
    converter.StopTasks(true);
}

// Tasks that run side by side share the cores out among their codecs; one at a time, or a run
// with fewer tasks than slots, leaves the choice to the codecs.
TEST_F(MediaConverterTest, CodecThreadsAreSharedOutAmongTheTasksThatRunAtOnce) {
    const int cores = AvailableCores();
    const struct {
        int tasks;
        int atOnce;
        int threads;
    } runs[] = {{3, 1, 0},
                {3, 2, CodecThreadsPerTask(2, cores)},
                {1, 3, 0},
                {2, 5, CodecThreadsPerTask(2, cores)},
                {3, 0, 0}};
    for (const auto& run : runs) {
        SCOPED_TRACE(testing::Message() << run.tasks << " tasks, " << run.atOnce << " at once");
        const int first = hub.engineCount();
        addTasks(run.tasks);
        converter.StartTask(run.atOnce);
        for (int i = first; i < hub.engineCount(); ++i) {
            if (hub.engine(i).started()) {
                EXPECT_EQ(hub.engine(i).codecThreads(), run.threads) << i;
            }
        }
        converter.StopTasks(true);
        converter.ClearTasks();
    }
}

}  // namespace
}  // namespace velmora
