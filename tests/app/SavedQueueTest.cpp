// The job list kept between sessions: saved after every change, offered again at start-up with
// its unfinished jobs, never written over when it cannot be read, and taken up by a new window
// after the one holding it was killed. Sources that changed or went since they were listed fail
// at Start without holding up the others.
#include <QAction>
#include <QFile>
#include <QProcess>
#include <QtTest>
#include <fstream>

#include "WindowFixture.h"
#include "app/JobQueue.h"
#include "profiles/JobListFile.h"

using velmora::app::JobStatus;
using velmora::app::MainWindow;
using velmora::app::QueueState;
using velmora::app::WindowAction;

namespace velmora::test {

namespace {

// Waits are generous: the machine may be loaded; nothing here measures time.
constexpr int kWaitMs = 30000;

QByteArray readBytes(const std::string& path) {
    QFile file(QString::fromStdString(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeBytes(const std::string& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(QString::fromStdString(path)).absolutePath());
    QFile file(QString::fromStdString(path));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// The saved jobs' sources (file names only) and states, as "a.mkv:ready".
QStringList savedJobs(const std::string& path) {
    const JobListRead read = readJobList(path);
    if (!read.jobs) {
        return {QStringLiteral("refused: ") + QString::fromStdString(read.error)};
    }
    QStringList jobs;
    for (const JobListEntry& job : *read.jobs) {
        jobs << QFileInfo(QString::fromStdString(job.input.FileName)).fileName() +
                    QLatin1Char(':') + QString::fromUtf8(jobStateName(job.state).data());
    }
    return jobs;
}

QStringList fileNames(const QStringList& paths) {
    QStringList names;
    for (const QString& path : paths) {
        names << QFileInfo(path).fileName();
    }
    return names;
}

}  // namespace

class SavedQueueTest : public QObject {
    Q_OBJECT

    std::unique_ptr<WindowFixture> m_fixture;

    // Real files, so that their size and time are listed with the jobs.
    QStringList makeSources(const QStringList& names) {
        QStringList paths;
        for (const QString& name : names) {
            const QString path = m_fixture->path(QStringLiteral("src/") + name);
            writeBytes(path.toStdString(), name.toUtf8().repeated(100));
            paths << path;
        }
        return paths;
    }
    FakeEngine& startedEngine(std::size_t k) {
        [&] { QTRY_VERIFY_WITH_TIMEOUT(m_fixture->hub.startOrder().size() > k, kWaitMs); }();
        return m_fixture->hub.engine(m_fixture->hub.startOrder().at(k));
    }
    // A saved list of the sources with the given states, made as the window makes its jobs.
    void saveList(const QStringList& sources, const std::vector<JobState>& states) {
        std::vector<JobListEntry> jobs;
        for (qsizetype i = 0; i < sources.size(); ++i) {
            JobListEntry job;
            job.input = makeInputOptions(sources[i].toStdString());
            job.output.FileName = m_fixture->defaultOutputFolder().toStdString() + "/" +
                                  QFileInfo(sources[i]).completeBaseName().toStdString() + ".avi";
            job.origin.choices.ProfileCode = 3;
            job.origin.source = readSourceFacts(job.input.FileName);
            job.state = states[static_cast<std::size_t>(i)];
            jobs.push_back(job);
        }
        std::string error;
        QVERIFY2(writeJobList(m_fixture->savedQueuePath(), jobs, &error), error.c_str());
    }

private slots:
    void init() { m_fixture = std::make_unique<WindowFixture>(); }
    void cleanup() { m_fixture.reset(); }

    void listIsSavedAfterEveryChange();
    void unfinishedJobsComeBackReadyInOrder_data();
    void unfinishedJobsComeBackReadyInOrder();
    void refusedSavedQueueIsNeverWrittenOver_data();
    void refusedSavedQueueIsNeverWrittenOver();
    void changedOrVanishedSourceFailsAtStart();
    void queueOfAKilledWindowComesBack();
};

void SavedQueueTest::listIsSavedAfterEveryChange() {
    const std::string saved = m_fixture->savedQueuePath();
    const QStringList sources = makeSources({"a.mkv", "b.mkv", "c.mkv"});
    auto window = m_fixture->makeWindow();
    // Nothing is written before the saved queue was taken up.
    QVERIFY(m_fixture->addJob(*window, sources[0]));
    QVERIFY(!QFileInfo::exists(QString::fromStdString(saved)));
    window->queue().clear();

    window->restoreSavedJobs();
    QVERIFY(m_fixture->desktop.messages.empty());  // nothing saved, nothing asked
    for (const QString& source : sources) {
        QVERIFY(m_fixture->addJob(*window, source));
    }
    QCOMPARE(savedJobs(saved), QStringList({"a.mkv:ready", "b.mkv:ready", "c.mkv:ready"}));
    const JobListEntry first = readJobList(saved).jobs->front();
    QCOMPARE(first.origin.source, readSourceFacts(sources[0].toStdString()));
    QCOMPARE(first.output.SubtitleLanguage, std::string(kSlotFull));

    window->queue().moveDown(0);
    QCOMPARE(savedJobs(saved), QStringList({"b.mkv:ready", "a.mkv:ready", "c.mkv:ready"}));
    window->queue().remove(1);
    QCOMPARE(savedJobs(saved), QStringList({"b.mkv:ready", "c.mkv:ready"}));

    window->action(WindowAction::Convert)->trigger();
    startedEngine(0).finish();
    QTRY_COMPARE_WITH_TIMEOUT(savedJobs(saved).first(), QStringLiteral("b.mkv:done"), kWaitMs);
    startedEngine(1).finish();
    QTRY_VERIFY_WITH_TIMEOUT(window->queue().isIdle(), kWaitMs);
    QCOMPARE(savedJobs(saved), QStringList({"b.mkv:done", "c.mkv:done"}));

    window->queue().clear();
    QCOMPARE(savedJobs(saved), QStringList());
}

void SavedQueueTest::unfinishedJobsComeBackReadyInOrder_data() {
    QTest::addColumn<bool>("accepted");
    QTest::newRow("restored") << true;
    QTest::newRow("declined") << false;
}

void SavedQueueTest::unfinishedJobsComeBackReadyInOrder() {
    QFETCH(bool, accepted);
    const QStringList sources = makeSources({"a.mkv", "b.mkv", "c.mkv", "d.mkv", "e.mkv", "f.mkv"});
    saveList(sources, {JobState::Done, JobState::Failed, JobState::Converting, JobState::Incomplete,
                       JobState::Stopped, JobState::Ready});
    m_fixture->desktop.answers.push_back(accepted ? QMessageBox::Yes : QMessageBox::No);
    auto window = m_fixture->makeWindow();
    window->restoreSavedJobs();

    QCOMPARE(m_fixture->desktop.messages.size(), std::size_t{1});
    const RecordedMessage& question = m_fixture->desktop.messages.front();
    QCOMPARE(question.icon, QMessageBox::Question);
    QVERIFY(question.text.startsWith(QStringLiteral("恢复上次未完成的转换任务？")));
    QVERIFY2(question.text.contains(QLatin1String("4")), qPrintable(question.text));

    if (!accepted) {
        QCOMPARE(window->jobList().rowCount(), 0);
        // Declined once, not offered again.
        QCOMPARE(savedJobs(m_fixture->savedQueuePath()), QStringList());
        return;
    }
    QCOMPARE(fileNames(sourcesOf(window->jobList())),
             QStringList({"b.mkv", "c.mkv", "e.mkv", "f.mkv"}));
    QCOMPARE(statusesOf(window->jobList()), QStringList(4, QStringLiteral("准备")));
    QCOMPARE(savedJobs(m_fixture->savedQueuePath()),
             QStringList({"b.mkv:ready", "c.mkv:ready", "e.mkv:ready", "f.mkv:ready"}));
    // Stored in the slots as an add stores a job, with what it was made from.
    const JobSlot& slot = window->queue().jobSlots().slot(0);
    QCOMPARE(slot.state(), std::string_view(kSlotFull));
    QCOMPARE(slot.origin.choices.ProfileCode, 3);
    QCOMPARE(QString::fromStdString(slot.input.FileName), sources[1]);

    // They convert as added jobs do, in their order, into their own output names.
    window->action(WindowAction::Convert)->trigger();
    std::vector<std::string> secondCalls;
    for (std::size_t k = 0; k < 4; ++k) {
        FakeEngine& engine = startedEngine(k);
        if (k == 1) {
            secondCalls = engine.calls();
        }
        engine.finish();
    }
    QTRY_VERIFY_WITH_TIMEOUT(window->queue().isIdle(), kWaitMs);
    QCOMPARE(statusesOf(window->jobList()), QStringList(4, QStringLiteral("完成")));
    const std::string output = m_fixture->defaultOutputFolder().toStdString() + "/c.avi";
    QCOMPARE(std::ranges::count(secondCalls, "open_input=" + sources[2].toStdString()), 1);
    QCOMPARE(std::ranges::count(secondCalls, "open_output=" + output), 1);
}

void SavedQueueTest::refusedSavedQueueIsNeverWrittenOver_data() {
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<QString>("lead");
    QTest::newRow("damaged") << QByteArray(R"({"format": "velmora-job-list", "version": 1, "jo)")
                             << QString::fromUtf8(kJobListDamagedMessage);
    QTest::newRow("newer") << QByteArray(R"({"format": "velmora-job-list", "version": 7})")
                           << QString::fromUtf8(kJobListNewerMessage);
}

void SavedQueueTest::refusedSavedQueueIsNeverWrittenOver() {
    QFETCH(QByteArray, contents);
    QFETCH(QString, lead);
    writeBytes(m_fixture->savedQueuePath(), contents);
    auto window = m_fixture->makeWindow();
    window->restoreSavedJobs();
    QCOMPARE(m_fixture->desktop.messages.size(), std::size_t{1});
    QCOMPARE(m_fixture->desktop.messages.front().icon, QMessageBox::Warning);
    QVERIFY2(m_fixture->desktop.messages.front().text.startsWith(lead),
             qPrintable(m_fixture->desktop.messages.front().text));

    QVERIFY(m_fixture->addJob(*window, makeSources({"a.mkv"}).front()));
    window->queue().clear();
    QCOMPARE(readBytes(m_fixture->savedQueuePath()), contents);
}

void SavedQueueTest::changedOrVanishedSourceFailsAtStart() {
    const QStringList sources = makeSources({"a.mkv", "b.mkv", "c.mkv"});
    auto window = m_fixture->makeWindow();
    window->restoreSavedJobs();
    for (const QString& source : sources) {
        QVERIFY(m_fixture->addJob(*window, source));
    }
    { std::ofstream(sources[1].toStdString(), std::ios::app) << "changed"; }
    QVERIFY(QFile::remove(sources[2]));

    window->action(WindowAction::Convert)->trigger();
    QCOMPARE(window->jobList().job(1).status, JobStatus::Failed);
    QCOMPARE(window->jobList().job(1).detail,
             QString::fromUtf8(kSourceChangedMessage) + sources[1]);
    QCOMPARE(window->jobList().job(2).status, JobStatus::Failed);
    QCOMPARE(window->jobList().job(2).detail,
             QString::fromUtf8(kSourceVanishedMessage) + sources[2]);
    // One box names both; the first job converts all the same.
    QCOMPARE(m_fixture->desktop.messages.size(), std::size_t{1});
    QVERIFY(m_fixture->desktop.messages.front().text.contains(sources[2]));
    startedEngine(0).finish();
    QTRY_VERIFY_WITH_TIMEOUT(window->queue().isIdle(), kWaitMs);
    QCOMPARE(statusesOf(window->jobList()),
             QStringList({QStringLiteral("完成"), QStringLiteral("失败"), QStringLiteral("失败")}));
    QCOMPARE(m_fixture->hub.startOrder().size(), std::size_t{1});
    QCOMPARE(savedJobs(m_fixture->savedQueuePath()),
             QStringList({"a.mkv:done", "b.mkv:failed", "c.mkv:failed"}));
}

void SavedQueueTest::queueOfAKilledWindowComesBack() {
    const QStringList sources = makeSources({"a.mkv", "b.mkv", "c.mkv"});
    QProcess holder;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // The holder's own temporary folder is never removed, since it is killed: keep it in ours.
    environment.insert(QStringLiteral("TMPDIR"), m_fixture->path(QString()));
    holder.setProcessEnvironment(environment);
    holder.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    holder.start(QStringLiteral(VELMORA_QUEUE_HOLDER),
                 QStringList{QString::fromStdString(m_fixture->savedQueuePath())} + sources);
    QVERIFY(holder.waitForStarted(kWaitMs));
    QTRY_VERIFY_WITH_TIMEOUT(holder.canReadLine() || holder.state() == QProcess::NotRunning,
                             kWaitMs * 2);
    QCOMPARE(holder.readLine().trimmed(), QByteArray("holding"));
    holder.kill();
    QVERIFY(holder.waitForFinished(kWaitMs));
    QCOMPARE(holder.exitStatus(), QProcess::CrashExit);
    // The second job may have been converting when the list was last saved.
    QStringList saved = savedJobs(m_fixture->savedQueuePath());
    saved.replaceInStrings(QStringLiteral(":converting"), QStringLiteral(":ready"));
    QCOMPARE(saved, QStringList({"a.mkv:done", "b.mkv:ready", "c.mkv:ready"}));

    auto window = m_fixture->makeWindow();
    window->restoreSavedJobs();
    QCOMPARE(m_fixture->desktop.messages.size(), std::size_t{1});
    QVERIFY(m_fixture->desktop.messages.front().text.contains(QLatin1String("2")));
    QCOMPARE(sourcesOf(window->jobList()), sources.mid(1));
    QCOMPARE(statusesOf(window->jobList()), QStringList(2, QStringLiteral("准备")));
    window->action(WindowAction::Convert)->trigger();
    startedEngine(0).finish();
    startedEngine(1).finish();
    QTRY_VERIFY_WITH_TIMEOUT(window->queue().isIdle(), kWaitMs);
    QCOMPARE(statusesOf(window->jobList()), QStringList(2, QStringLiteral("完成")));
}

}  // namespace velmora::test

QTEST_MAIN(velmora::test::SavedQueueTest)
#include "SavedQueueTest.moc"
