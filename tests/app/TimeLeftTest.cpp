// The whole list's time estimate in the status bar, on real conversions: six equal clips, and once
// the first is done the estimate is compared with the time the other five really take.
#include <QAction>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QtTest>

#include "WindowFixture.h"
#include "app/JobQueue.h"
#include "medialib/MediaLibLoader.h"
#include "samples/SampleMedia.h"

using velmora::app::JobStatus;
using velmora::app::WindowAction;

namespace velmora::test {

namespace {

constexpr int kConversionWaitMs = 300000;
constexpr int kAviProfile = 1;
constexpr int kClips = 6;
// Long enough that converting, not opening and closing, takes most of a job's time.
constexpr double kClipSeconds = 40.0;
// The estimate may miss the measured time by this much, plus a fixed allowance for the other
// work of a shared machine, which makes equal jobs take unequal times.
constexpr double kTolerance = 0.25;
constexpr double kAllowanceUs = 500'000;

}  // namespace

class TimeLeftTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        TMediaLibLoader& loader = TMediaLibLoader::instance();
        if (!loader.LibrariesLoaded(kConverterSet)) {
            loader.SetLibraryPath("");
            QVERIFY2(loader.LoadLibraries(kConverterSet), loader.LastError().c_str());
        }
    }

    void estimateAfterTheFirstOfSixEqualClips() {
        WindowFixture fixture;
        // One clip copied: the six are equal to the byte.
        SampleSpec spec;
        spec.durationSeconds = kClipSeconds;
        const QString first = fixture.path(QStringLiteral("clip0.mkv"));
        std::string error;
        QVERIFY2(makeSampleMedia(spec, first.toStdString(), &error), error.c_str());
        QStringList clips{first};
        for (int i = 1; i < kClips; ++i) {
            clips << fixture.path(QStringLiteral("clip%1.mkv").arg(i));
            QVERIFY(QFile::copy(first, clips.back()));
        }
        auto window = fixture.makeWindow(/*fakeEngines=*/false);
        window->show();
        window->addPresetFiles(kAviProfile, clips);
        QCOMPARE(window->jobList().rowCount(), kClips);
        // The add probed each source's duration for the estimate.
        QVERIFY(window->queue().jobSlots().slot(0).origin.source.durationUs >
                (kClipSeconds - 0.1) * 1e6);

        // The estimate is taken the moment the first job is shown done.
        std::optional<std::int64_t> estimateUs;
        bool firstDone = false;
        QElapsedTimer rest;
        connect(&window->jobList(), &QAbstractItemModel::dataChanged, this, [&] {
            if (!firstDone && window->jobList().job(0).status == JobStatus::Done) {
                firstDone = true;
                estimateUs = window->queue().timeLeftUs();
                rest.start();
            }
        });
        window->action(WindowAction::Convert)->trigger();
        QVERIFY(window->timeLeftLabel()->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(firstDone, kConversionWaitMs);
        QVERIFY(estimateUs.has_value());
        QVERIFY(window->timeLeftLabel()->text().startsWith(QStringLiteral("全部任务剩余时间：")));
        QTRY_VERIFY_WITH_TIMEOUT(window->queue().isIdle(), kConversionWaitMs);
        const double measuredUs = static_cast<double>(rest.nsecsElapsed()) / 1000.0;
        QCOMPARE(statusesOf(window->jobList()), QStringList(kClips, QStringLiteral("完成")));
        QVERIFY(!window->timeLeftLabel()->isVisible());

        const double missedBy = std::abs(static_cast<double>(*estimateUs) - measuredUs);
        qInfo("estimate %.3f s, measured %.3f s", static_cast<double>(*estimateUs) / 1e6,
              measuredUs / 1e6);
        QVERIFY2(missedBy <= kTolerance * measuredUs + kAllowanceUs,
                 qPrintable(QStringLiteral("estimate %1 s, measured %2 s")
                                .arg(static_cast<double>(*estimateUs) / 1e6)
                                .arg(measuredUs / 1e6)));
    }
};

}  // namespace velmora::test

QTEST_MAIN(velmora::test::TimeLeftTest)
#include "TimeLeftTest.moc"
