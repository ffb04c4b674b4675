#include "medialib/Previewer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "LogCapture.h"
#include "medialib/MainThreadQueue.h"

namespace velmora {
namespace {

constexpr char kUnavailable[] = "Preview window is not available without the graphical interface";

struct WindowRecord {
    int created = 0;
    int shown = 0;
    int closed = 0;
    bool allOnMainThread = true;
    int lastTask = -1;
    int lastWidth = 0;
    std::string lastTitle;
    int closeAfterShows = -1;  // the user closes the window on this show; -1 never
};

class FakeWindow : public IPreviewWindow {
public:
    explicit FakeWindow(WindowRecord& record) : m_record(record) { ++m_record.created; }
    bool show(const Bitmap& bitmap, int taskNumber, const std::string& title) override {
        m_record.allOnMainThread = m_record.allOnMainThread && IsMainThread();
        ++m_record.shown;
        m_record.lastTask = taskNumber;
        m_record.lastWidth = bitmap.width();
        m_record.lastTitle = title;
        return m_record.shown != m_record.closeAfterShows;
    }
    void close() override {
        m_record.allOnMainThread = m_record.allOnMainThread && IsMainThread();
        ++m_record.closed;
    }

private:
    WindowRecord& m_record;
};

class PreviewerTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetPreviewWindowFactory([this] { return std::make_unique<FakeWindow>(record); });
    }
    void TearDown() override { SetPreviewWindowFactory({}); }

    // Runs fn on a worker thread (as a conversion does) while this thread pumps.
    template <typename Fn>
    static void onWorker(Fn fn) {
        std::atomic<bool> done{false};
        std::thread worker([&] {
            fn();
            done = true;
        });
        while (!done.load()) {
            PumpMessagesFor(std::chrono::milliseconds(5));
        }
        worker.join();
    }

    test::LogCapture capture;
    WindowRecord record;
    Bitmap bitmap{6, 4};
};

TEST_F(PreviewerTest, ShowsOnTheMainThreadWithTheTimeAsTitle) {
    {
        TPreviewer previewer;
        bool shown = false;
        onWorker([&] { shown = previewer.Show(bitmap, 3, 62500000); });
        EXPECT_TRUE(shown);
        onWorker([&] { shown = previewer.Show(bitmap, 3, 63000000); });
        EXPECT_TRUE(shown);
        EXPECT_EQ(record.created, 1);
        EXPECT_EQ(record.shown, 2);
        EXPECT_EQ(record.lastTask, 3);
        EXPECT_EQ(record.lastWidth, 6);
        EXPECT_EQ(record.lastTitle, "00:01:03.000");
        EXPECT_EQ(record.closed, 0);
    }
    EXPECT_EQ(record.closed, 1) << "destroying the previewer closes its window";
    EXPECT_TRUE(record.allOnMainThread);
}

TEST_F(PreviewerTest, ClosedWindowIsNeverShownOrCreatedAgain) {
    record.closeAfterShows = 2;
    TPreviewer previewer;
    EXPECT_TRUE(previewer.Show(bitmap, 1, 0));
    EXPECT_FALSE(previewer.Show(bitmap, 1, 40000));
    EXPECT_FALSE(previewer.Show(bitmap, 1, 80000));
    EXPECT_TRUE(previewer.Closed());
    EXPECT_EQ(record.created, 1);
    EXPECT_EQ(record.shown, 2);
}

TEST_F(PreviewerTest, WithoutAWindowFactorySaysSoOnce) {
    SetPreviewWindowFactory({});
    TPreviewer previewer;
    bool shown = true;
    onWorker([&] { shown = previewer.Show(bitmap, 1, 0); });
    EXPECT_FALSE(shown);
    EXPECT_FALSE(previewer.Show(bitmap, 1, 40000));
    const auto entries = capture.entries();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].message, kUnavailable);
    EXPECT_EQ(entries[0].level, TLogLevel::llWarning);
    EXPECT_EQ(record.created, 0);
}

}  // namespace
}  // namespace velmora
