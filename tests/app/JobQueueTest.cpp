// The queue of the main window on fake engines: the controls per queue state, the status machine
// of the rows, removal and moves with their stored jobs, task building at Start, the end of a run
// and what follows it.
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QtTest>
#include <algorithm>
#include <optional>

#include "WindowFixture.h"
#include "app/JobListView.h"
#include "app/SettingsGroup.h"

using velmora::app::AfterAllAction;
using velmora::app::JobStatus;
using velmora::app::ListButton;
using velmora::app::MainWindow;
using velmora::app::QueueState;
using velmora::app::WindowAction;

namespace velmora::test {

namespace {

// Waits are generous: the machine may be loaded; nothing here measures time.
constexpr int kWaitMs = 30000;

// Every control whose enabled state the queue decides, by name.
struct Controls {
    bool add, remove, clear, convert, pause, stop, moveUp, moveDown, listRemove, listClear,
        selectors;
};

Controls controlsOf(const MainWindow& window) {
    const auto& settings = window.settingsGroup();
    return {window.action(WindowAction::Add)->isEnabled(),
            window.action(WindowAction::Remove)->isEnabled(),
            window.action(WindowAction::Clear)->isEnabled(),
            window.action(WindowAction::Convert)->isEnabled(),
            window.action(WindowAction::Pause)->isEnabled(),
            window.action(WindowAction::Stop)->isEnabled(),
            window.listButton(ListButton::MoveUp)->isEnabled(),
            window.listButton(ListButton::MoveDown)->isEnabled(),
            window.listButton(ListButton::Remove)->isEnabled(),
            window.listButton(ListButton::Clear)->isEnabled(),
            settings.browseButton()->isEnabled() && settings.existingFileBox()->isEnabled() &&
                settings.cpuUsageBox()->isEnabled() && settings.filesAtOnceBox()->isEnabled()};
}

TTerminateInfo endOf(int task, TaskEndState state, const std::string& text) {
    TTerminateInfo info;
    info.TaskIndex = task;
    info.Finished = isDone(state);
    info.EndState = state;
    info.EndStateText = text;
    info.EndReport.state = state;
    return info;
}

QString describe(const Controls& c) {
    return QStringLiteral(
               "add=%1 remove=%2 clear=%3 convert=%4 pause=%5 stop=%6 up=%7 down=%8 "
               "listRemove=%9 listClear=%10 selectors=%11")
        .arg(c.add)
        .arg(c.remove)
        .arg(c.clear)
        .arg(c.convert)
        .arg(c.pause)
        .arg(c.stop)
        .arg(c.moveUp)
        .arg(c.moveDown)
        .arg(c.listRemove)
        .arg(c.listClear)
        .arg(c.selectors);
}

}  // namespace

class JobQueueTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<WindowFixture> m_fixture;
    std::unique_ptr<MainWindow> m_window;

    const app::JobListModel& jobs() { return m_window->jobList(); }
    void addJobs(const QStringList& sources) {
        for (const QString& source : sources) {
            QVERIFY(m_fixture->addJob(*m_window, source));
        }
    }
    // Starts a run; how many tasks had started before it (the base for startedEngine).
    int startRun() {
        const int first = static_cast<int>(m_fixture->hub.startOrder().size());
        m_window->action(WindowAction::Convert)->trigger();
        return first;
    }
    // The engine of the k-th task to start, once it has started. Tasks start in order, so that is
    // the run's k-th task; engines of tasks that could not be added are skipped.
    FakeEngine& startedEngine(int k) {
        [&] {
            QTRY_VERIFY_WITH_TIMEOUT(
                m_fixture->hub.startOrder().size() > static_cast<std::size_t>(k), kWaitMs);
        }();
        return m_fixture->hub.engine(m_fixture->hub.startOrder().at(static_cast<std::size_t>(k)));
    }
    void waitForStatus(int row, JobStatus status) {
        QTRY_VERIFY_WITH_TIMEOUT(m_window->jobList().job(row).status == status, kWaitMs);
    }
    void waitForIdle() {
        QTRY_VERIFY_WITH_TIMEOUT(m_window->queue().state() == QueueState::Idle, kWaitMs);
    }
    void expectControls(const Controls& expected, const char* state) {
        QCOMPARE(describe(controlsOf(*m_window)) + QLatin1Char(' ') + QLatin1String(state),
                 describe(expected) + QLatin1Char(' ') + QLatin1String(state));
    }

private slots:
    void init();
    void cleanup();

    void controlsFollowTheQueueState();
    void threeJobsStopDuringTheSecond();
    void pauseThenConvertKeepsPausedUntilTheNextProgress();
    void failedTaskNeverReadsDone();
    void incompleteAndDoneWithRemarksKeepTheirDetail();
    void removeRowTwoOfFourKeepsEachRowWithItsOwnJob();
    void removeWithoutSelectionOnlyAsks();
    void movesCarryTheStoredJobs();
    void clearEmptiesListSlotsAndTasks();
    void sourceThatCannotBeOpenedAtStartFailsOnlyItsRow();
    void startAsksOnceAboutDoneRows_data();
    void startAsksOnceAboutDoneRows();
    void lastNoticeComesInItsOrder();
    void powerOffOnlyAfterAnUnstoppedRun_data();
    void powerOffOnlyAfterAnUnstoppedRun();
    void closingDuringARunStopsEverything();
};

void JobQueueTest::init() {
    m_fixture = std::make_unique<WindowFixture>();
    m_window = m_fixture->makeWindow();
    m_window->show();
}

void JobQueueTest::cleanup() {
    m_window.reset();
    m_fixture.reset();
}

void JobQueueTest::controlsFollowTheQueueState() {
    expectControls({true, false, false, false, false, false, false, false, false, false, true},
                   "idle, empty");
    addJobs({QStringLiteral("/src/a.mkv"), QStringLiteral("/src/b.mkv")});
    expectControls({true, true, true, true, false, false, true, true, true, true, true},
                   "idle, jobs listed, the new row selected");
    m_window->jobListView().clearSelection();
    expectControls({true, true, true, true, false, false, true, true, true, true, true},
                   "idle, jobs listed, nothing selected");
    m_window->action(WindowAction::Remove)->trigger();  // asks for a selection
    QCOMPARE(m_fixture->desktop.messages.size(), std::size_t{1});
    QCOMPARE(jobs().rowCount(), 2);
    m_window->jobListView().selectRow(1);
    m_window->action(WindowAction::Remove)->trigger();
    expectControls({true, false, true, true, false, false, true, true, false, true, true},
                   "idle, a row removed");
    addJobs({QStringLiteral("/src/b.mkv")});
    m_fixture->desktop.messages.clear();

    // Stopping: Convert and Stop off, Pause as it was.
    std::optional<Controls> whileStopping;
    connect(&m_window->queue(), &app::JobQueue::stateChanged, this, [&](QueueState state) {
        if (state == QueueState::Stopping) {
            whileStopping = controlsOf(*m_window);
        }
    });

    const int first = startRun();
    expectControls({false, false, false, false, true, true, false, false, false, false, false},
                   "running");
    m_window->action(WindowAction::Pause)->trigger();
    expectControls({false, false, false, true, false, true, false, false, false, false, false},
                   "paused");
    m_window->action(WindowAction::Convert)->trigger();
    expectControls({false, false, false, false, true, true, false, false, false, false, false},
                   "resumed");
    startedEngine(first + 0).finish();
    waitForStatus(1, JobStatus::Converting);
    m_window->action(WindowAction::Stop)->trigger();
    waitForIdle();
    QVERIFY(whileStopping);
    QCOMPARE(describe(*whileStopping), describe({false, false, false, false, true, false, false,
                                                 false, false, false, false}));
    expectControls({true, true, true, true, false, false, true, true, true, true, true},
                   "idle after the run");
}

void JobQueueTest::threeJobsStopDuringTheSecond() {
    addJobs(
        {QStringLiteral("/src/a.mkv"), QStringLiteral("/src/b.mkv"), QStringLiteral("/src/c.mkv")});
    QCOMPARE(statusesOf(jobs()), QStringList({"准备", "准备", "准备"}));
    const int first = startRun();

    // One at a time, top to bottom.
    waitForStatus(0, JobStatus::Converting);
    QCOMPARE(m_fixture->hub.startOrder().size(), std::size_t{1});
    QVERIFY(jobs().job(0).currentTime.endsWith(QStringLiteral("   (秒)")));
    startedEngine(first + 0).finish();
    waitForStatus(0, JobStatus::Done);
    QCOMPARE(jobs().job(0).progress, 100);
    waitForStatus(1, JobStatus::Converting);

    m_fixture->desktop.answers = {QMessageBox::Ok};
    m_window->action(WindowAction::Stop)->trigger();
    QCOMPARE(m_fixture->desktop.messages.front().text,
             QStringLiteral("您确实要终止目前的转换工作吗？"));
    QCOMPARE(m_fixture->desktop.messages.front().title, QStringLiteral("提示信息"));
    waitForIdle();
    QCOMPARE(statusesOf(jobs()), QStringList({"完成", "停止", "准备"}));
    QCOMPARE(m_window->converter().TasksCount(), 0);
    QCOMPARE(m_fixture->desktop.messages.size(), std::size_t{1});  // no failure box
}

void JobQueueTest::pauseThenConvertKeepsPausedUntilTheNextProgress() {
    addJobs({QStringLiteral("/src/a.mkv")});
    const int first = startRun();
    waitForStatus(0, JobStatus::Converting);

    m_window->action(WindowAction::Pause)->trigger();
    QCOMPARE(jobs().job(0).status, JobStatus::Paused);
    // The estimate shown as the pause begins leaves the pause out: the 5 s clip goes at about
    // half speed, so seconds are left; neither nothing nor hours, as a pause clock read before it
    // was started gave.
    const QString timeLeft = m_window->timeLeftLabel()->text().section(QStringLiteral("："), 1);
    QVERIFY2(timeLeft == QStringLiteral("估算中") || (timeLeft.startsWith(QStringLiteral("00:")) &&
                                                      timeLeft != QStringLiteral("00:00:00")),
             qPrintable(timeLeft));
    QTRY_VERIFY_WITH_TIMEOUT(startedEngine(first + 0).paused(), kWaitMs);
    QVERIFY(!m_window->action(WindowAction::Pause)->isEnabled());
    QVERIFY(m_window->action(WindowAction::Convert)->isEnabled());
    // Reports already on their way while pausing do not undo the pause.
    QTest::qWait(50);
    QCOMPARE(jobs().job(0).status, JobStatus::Paused);

    // Convert resumes; the row says "暂停" until its task reports again.
    m_window->action(WindowAction::Convert)->trigger();
    QCOMPARE(jobs().job(0).status, JobStatus::Paused);
    QCOMPARE(m_window->queue().state(), QueueState::Running);
    waitForStatus(0, JobStatus::Converting);

    startedEngine(first + 0).finish();
    waitForIdle();
    QCOMPARE(statusesOf(jobs()), QStringList({"完成"}));
}

void JobQueueTest::failedTaskNeverReadsDone() {
    addJobs({QStringLiteral("/src/a.mkv"), QStringLiteral("/src/b.mkv")});
    // The failing row stays selected through the end of the run.
    m_window->jobListView().selectRow(0);
    const int first = startRun();
    waitForStatus(0, JobStatus::Converting);
    startedEngine(first + 0).fail("Error while decoding stream #0:0");
    waitForStatus(1, JobStatus::Converting);
    startedEngine(first + 1).finish();
    waitForIdle();

    QCOMPARE(statusesOf(jobs()), QStringList({"失败", "完成"}));
    QCOMPARE(
        jobs().data(jobs().index(0, app::JobListModel::StatusColumn), Qt::ToolTipRole).toString(),
        QStringLiteral("Error while decoding stream #0:0"));
    const auto& messages = m_fixture->desktop.messages;
    QCOMPARE(messages.size(), std::size_t{1});
    QCOMPARE(messages[0].title, QStringLiteral("Velmora"));
    QCOMPARE(messages[0].icon, QMessageBox::Warning);
    QCOMPARE(messages[0].text, QStringLiteral("Error while decoding stream #0:0"));
}

void JobQueueTest::incompleteAndDoneWithRemarksKeepTheirDetail() {
    addJobs(
        {QStringLiteral("/src/a.mkv"), QStringLiteral("/src/b.mkv"), QStringLiteral("/src/c.mkv")});
    const int first = startRun();
    waitForStatus(0, JobStatus::Converting);
    // As the component reports them: Finished only for the done states.
    m_window->queue().handleTerminate(endOf(0, TaskEndState::Incomplete, "只转换了 40%"));
    m_window->queue().handleTerminate(
        endOf(1, TaskEndState::DoneWithSkippedData, "跳过了损坏的数据"));
    QCOMPARE(statusesOf(jobs()), QStringList({"不完整", "完成", "准备"}));
    QCOMPARE(jobs().job(0).detail, QStringLiteral("只转换了 40%"));
    QVERIFY(jobs().job(0).progress < 100);
    QCOMPARE(jobs().job(1).detail, QStringLiteral("跳过了损坏的数据"));
    QCOMPARE(jobs().job(1).progress, 100);
    for (int task = 0; task < 3; ++task) {
        QTRY_VERIFY_WITH_TIMEOUT(startedEngine(first + task).started(), kWaitMs);
        startedEngine(first + task).finish();
    }
    waitForIdle();
    // A task's first notice decides its row.
    QCOMPARE(statusesOf(jobs()), QStringList({"不完整", "完成", "完成"}));
}

void JobQueueTest::removeRowTwoOfFourKeepsEachRowWithItsOwnJob() {
    const QStringList sources = {"/src/a.mkv", "/src/b.mkv", "/src/c.mkv", "/src/d.mkv"};
    addJobs(sources);
    QCOMPARE(m_window->converter().TasksCount(), 4);
    const std::string removedOutput = jobs().job(1).outputFile.toStdString();
    m_window->jobListView().selectRow(1);
    m_window->listButton(ListButton::Remove)->click();

    // The removed job's names are free for the next add; the others stay taken.
    const JobListNames& listed = m_window->queue().listedNames();
    QVERIFY(!listed.sources.contains("/src/b.mkv"));
    QVERIFY(!listed.outputs.contains(removedOutput));
    QVERIFY(listed.sources.contains("/src/c.mkv"));
    QVERIFY(listed.outputs.contains(jobs().job(1).outputFile.toStdString()));
    QCOMPARE(listed.sources.size(), std::size_t{3});

    QCOMPARE(sourcesOf(jobs()), QStringList({"/src/a.mkv", "/src/c.mkv", "/src/d.mkv"}));
    for (int row = 0; row < 3; ++row) {
        QCOMPARE(jobs().data(jobs().index(row, app::JobListModel::NumberColumn)).toInt(), row + 1);
        const JobSlot& slot = m_window->queue().jobSlots().slot(row);
        QCOMPARE(QString::fromStdString(slot.input.FileName), jobs().job(row).sourceFile);
        QCOMPARE(QString::fromStdString(slot.output.FileName), jobs().job(row).outputFile);
        QVERIFY(slot.state() == kSlotFull);
    }
    QVERIFY(m_window->queue().jobSlots().slot(kJobSlotCount - 1).state() == kSlotDeleted);
    QCOMPARE(m_window->converter().TasksCount(), 3);
    QVERIFY(!m_window->action(WindowAction::Remove)->isEnabled());

    // Start builds the tasks from the slots: each row converts its own source.
    const int firstCreated = m_fixture->hub.engineCount();
    startRun();
    for (int task = 0; task < 3; ++task) {
        const auto calls = m_fixture->hub.engine(firstCreated + task).calls();
        const std::string expected = "open_input=" + jobs().job(task).sourceFile.toStdString();
        QVERIFY2(std::find(calls.begin(), calls.end(), expected) != calls.end(), expected.c_str());
    }
}

void JobQueueTest::removeWithoutSelectionOnlyAsks() {
    addJobs({QStringLiteral("/src/a.mkv")});
    m_window->jobListView().clearSelection();
    m_window->queue().remove(-1);
    QCOMPARE(jobs().rowCount(), 1);
    QCOMPARE(m_fixture->desktop.messages.size(), std::size_t{1});
    QCOMPARE(m_fixture->desktop.messages[0].text, QStringLiteral("请先选择您需要删除的项目！"));
    QCOMPARE(m_fixture->desktop.messages[0].title, QStringLiteral("提示"));
    QCOMPARE(m_fixture->desktop.messages[0].icon, QMessageBox::Information);
}

void JobQueueTest::movesCarryTheStoredJobs() {
    addJobs(
        {QStringLiteral("/src/a.mkv"), QStringLiteral("/src/b.mkv"), QStringLiteral("/src/c.mkv")});
    m_window->jobListView().selectRow(2);
    m_window->listButton(ListButton::MoveUp)->click();
    QCOMPARE(sourcesOf(jobs()), QStringList({"/src/a.mkv", "/src/c.mkv", "/src/b.mkv"}));
    QCOMPARE(m_window->jobListView().selectedRow(), 1);
    m_window->listButton(ListButton::MoveUp)->click();
    m_window->listButton(ListButton::MoveUp)->click();  // already at the top: nothing
    QCOMPARE(sourcesOf(jobs()), QStringList({"/src/c.mkv", "/src/a.mkv", "/src/b.mkv"}));
    QCOMPARE(m_window->jobListView().selectedRow(), 0);
    m_window->jobListView().selectRow(1);
    m_window->listButton(ListButton::MoveDown)->click();
    m_window->listButton(ListButton::MoveDown)->click();  // already at the bottom: nothing
    QCOMPARE(sourcesOf(jobs()), QStringList({"/src/c.mkv", "/src/b.mkv", "/src/a.mkv"}));
    for (int row = 0; row < 3; ++row) {
        QCOMPARE(QString::fromStdString(m_window->queue().jobSlots().slot(row).input.FileName),
                 jobs().job(row).sourceFile);
    }
}

void JobQueueTest::clearEmptiesListSlotsAndTasks() {
    addJobs({QStringLiteral("/src/a.mkv"), QStringLiteral("/src/b.mkv")});
    m_window->jobListView().selectRow(0);
    m_window->queue().remove(0);
    m_window->action(WindowAction::Clear)->trigger();
    QCOMPARE(jobs().rowCount(), 0);
    QCOMPARE(m_window->converter().TasksCount(), 0);
    QCOMPARE(m_window->queue().jobSlots().countInState(kSlotFree), kJobSlotCount);
    QCOMPARE(m_window->pendingJobOptions().VolumeText, std::string(kVolumeUnchanged));
    expectControls({true, false, false, false, false, false, false, false, false, false, true},
                   "after Clear");
}

void JobQueueTest::sourceThatCannotBeOpenedAtStartFailsOnlyItsRow() {
    addJobs(
        {QStringLiteral("/src/a.mkv"), QStringLiteral("/src/b.mkv"), QStringLiteral("/src/c.mkv")});
    // The second source went away after it was added.
    m_fixture->hub.failingInput = "/src/b.mkv";
    const int first = startRun();
    QCOMPARE(jobs().job(1).status, JobStatus::Failed);
    QCOMPARE(jobs().job(1).detail, QString::fromLatin1(FakeEngineHub::kOpenError));
    QVERIFY(m_fixture->desktop.messages.back().text.contains(QStringLiteral("/src/b.mkv")));

    waitForStatus(0, JobStatus::Converting);
    startedEngine(first + 0).finish();
    // Task 1 is the third row's: its progress goes there, not to the failed row.
    waitForStatus(2, JobStatus::Converting);
    QCOMPARE(jobs().job(1).status, JobStatus::Failed);
    startedEngine(first + 1).finish();
    waitForIdle();
    QCOMPARE(statusesOf(jobs()), QStringList({"完成", "失败", "完成"}));
}

void JobQueueTest::startAsksOnceAboutDoneRows_data() {
    QTest::addColumn<int>("answer");
    QTest::addColumn<int>("tasks");
    QTest::addColumn<QStringList>("statusesAtStart");
    QTest::newRow("yes converts all")
        << int(QMessageBox::Yes) << 2 << QStringList({"准备", "准备"});
    QTest::newRow("no converts the rest")
        << int(QMessageBox::No) << 1 << QStringList({"完成", "准备"});
}

void JobQueueTest::startAsksOnceAboutDoneRows() {
    QFETCH(int, answer);
    QFETCH(int, tasks);
    QFETCH(QStringList, statusesAtStart);
    addJobs({QStringLiteral("/src/a.mkv")});
    int first = startRun();
    startedEngine(first + 0).finish();
    waitForIdle();
    addJobs({QStringLiteral("/src/b.mkv")});
    QCOMPARE(statusesOf(jobs()), QStringList({"完成", "准备"}));
    m_fixture->desktop.messages.clear();

    m_fixture->desktop.answers = {static_cast<QMessageBox::StandardButton>(answer)};
    first = startRun();
    QCOMPARE(m_fixture->desktop.messages.size(), std::size_t{1});
    QCOMPARE(m_fixture->desktop.messages[0].text,
             QStringLiteral("列表中有已完成的任务，是否重新转换？"));
    QCOMPARE(m_window->converter().TasksCount(), tasks);
    QCOMPARE(statusesOf(jobs()), statusesAtStart);
    for (int task = 0; task < tasks; ++task) {
        QTRY_VERIFY_WITH_TIMEOUT(startedEngine(first + task).started(), kWaitMs);
        startedEngine(first + task).finish();
    }
    waitForIdle();
    QCOMPARE(statusesOf(jobs()), QStringList({"完成", "完成"}));
}

void JobQueueTest::lastNoticeComesInItsOrder() {
    addJobs({QStringLiteral("/src/a.mkv"), QStringLiteral("/src/b.mkv")});
    m_window->settingsGroup().afterAllBox()->setCurrentIndex(
        static_cast<int>(AfterAllAction::OpenOutputFolder));
    struct Seen {
        int tasks;
        QStringList statuses;
        bool convertEnabled;
        bool stopEnabled;
        bool browseEnabled;
    };
    std::vector<Seen> seen;
    m_fixture->desktop.onOpenUrl = [&](const QUrl&) {
        seen.push_back({m_window->converter().TasksCount(), statusesOf(jobs()),
                        m_window->action(WindowAction::Convert)->isEnabled(),
                        m_window->action(WindowAction::Stop)->isEnabled(),
                        m_window->settingsGroup().browseButton()->isEnabled()});
    };
    startRun();
    waitForStatus(0, JobStatus::Converting);
    m_window->action(WindowAction::Stop)->trigger();
    waitForIdle();

    // The output folder opens once, after the controls are back, the stopped rows are marked
    // and the converter's tasks are cleared.
    QCOMPARE(seen.size(), std::size_t{1});
    QCOMPARE(seen[0].tasks, 0);
    QCOMPARE(seen[0].statuses, QStringList({"停止", "准备"}));
    QVERIFY(seen[0].convertEnabled);
    QVERIFY(!seen[0].stopEnabled);
    QVERIFY(seen[0].browseEnabled);
    QCOMPARE(m_fixture->desktop.openedUrls[0],
             QUrl::fromLocalFile(m_window->settingsGroup().outputFolder()));
    QCOMPARE(m_fixture->desktop.notifications, QStringList({"转换已停止。"}));
}

void JobQueueTest::powerOffOnlyAfterAnUnstoppedRun_data() {
    QTest::addColumn<bool>("stop");
    QTest::addColumn<bool>("countdownRunsOut");
    QTest::addColumn<int>("countdowns");
    QTest::addColumn<int>("requests");
    QTest::newRow("run ends, countdown runs out") << false << true << 1 << 1;
    QTest::newRow("run ends, countdown cancelled") << false << false << 1 << 0;
    QTest::newRow("run stopped") << true << true << 0 << 0;
}

void JobQueueTest::powerOffOnlyAfterAnUnstoppedRun() {
    QFETCH(bool, stop);
    QFETCH(bool, countdownRunsOut);
    QFETCH(int, countdowns);
    QFETCH(int, requests);
    addJobs({QStringLiteral("/src/a.mkv")});
    m_window->settingsGroup().afterAllBox()->setCurrentIndex(
        static_cast<int>(AfterAllAction::PowerOff));
    m_fixture->desktop.powerOffConfirmed = countdownRunsOut;
    const int first = startRun();
    waitForStatus(0, JobStatus::Converting);
    if (stop) {
        m_window->action(WindowAction::Stop)->trigger();
    } else {
        startedEngine(first + 0).finish();
    }
    waitForIdle();
    QCOMPARE(m_fixture->desktop.powerOffCountdowns, countdowns);
    QCOMPARE(m_fixture->desktop.powerOffRequests, requests);
    QVERIFY(m_fixture->desktop.openedUrls.empty());
}

void JobQueueTest::closingDuringARunStopsEverything() {
    addJobs({QStringLiteral("/src/a.mkv"), QStringLiteral("/src/b.mkv")});
    const int first = startRun();
    waitForStatus(0, JobStatus::Converting);
    QVERIFY(m_window->close());
    QCOMPARE(m_fixture->hub.runningNow(), 0);
    QVERIFY(!startedEngine(first + 0).finished());
    m_window.reset();  // no notice may reach the destroyed window
    QTest::qWait(20);
}

}  // namespace velmora::test

QTEST_MAIN(velmora::test::JobQueueTest)
#include "JobQueueTest.moc"
