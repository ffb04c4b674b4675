// Real conversions through the window's own queue: two generated clips added as
// `velmora --profile CODE FILE...` adds them, converted one after the other to the end.
#include <QAction>
#include <QtTest>

#include "WindowFixture.h"
#include "app/LogPane.h"
#include "app/SettingsGroup.h"
#include "medialib/MediaLibLoader.h"
#include "samples/SampleMedia.h"

using velmora::app::JobStatus;
using velmora::app::MainWindow;
using velmora::app::QueueState;
using velmora::app::WindowAction;

namespace velmora::test {

namespace {

constexpr int kConversionWaitMs = 120000;
constexpr int kAviProfile = 1;
// Full-HD output from a small clip: slow enough to be caught converting.
constexpr int kFullHdProfile = 401;

}  // namespace

class ConversionTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void twoClipsConvertThroughTheQueue();
    void presetAddReportsWhatItCannotAdd();
    void closingInTheMiddleOfAConversion();
};

void ConversionTest::initTestCase() {
    TMediaLibLoader& loader = TMediaLibLoader::instance();
    if (!loader.LibrariesLoaded(kConverterSet)) {
        loader.SetLibraryPath("");
        QVERIFY2(loader.LoadLibraries(kConverterSet), loader.LastError().c_str());
    }
}

void ConversionTest::twoClipsConvertThroughTheQueue() {
    WindowFixture fixture;
    QStringList clips;
    for (const char* name : {"first.mkv", "second.mkv"}) {
        SampleSpec spec;
        spec.durationSeconds = 1.0;
        spec.width = 160;
        spec.height = 120;
        const QString clip = fixture.path(QString::fromLatin1(name));
        std::string error;
        QVERIFY2(makeSampleMedia(spec, clip.toStdString(), &error), error.c_str());
        clips << clip;
    }
    auto window = fixture.makeWindow(/*fakeEngines=*/false);
    window->show();
    window->addPresetFiles(kAviProfile, clips);
    QCOMPARE(window->jobList().rowCount(), 2);
    QCOMPARE(statusesOf(window->jobList()), QStringList({"准备", "准备"}));
    QCOMPARE(window->jobList().job(0).targetFormat, QStringLiteral("AVI"));
    QVERIFY(window->logPane().toPlainText().contains(QStringLiteral("装入成功.")));

    window->action(WindowAction::Convert)->trigger();
    QCOMPARE(window->queue().state(), QueueState::Running);
    QTRY_VERIFY_WITH_TIMEOUT(window->queue().state() == QueueState::Idle, kConversionWaitMs);

    QCOMPARE(statusesOf(window->jobList()), QStringList({"完成", "完成"}));
    for (int row = 0; row < 2; ++row) {
        const auto& job = window->jobList().job(row);
        QCOMPARE(job.progress, 100);
        QCOMPARE(QFileInfo(job.outputFile).absolutePath(), fixture.defaultOutputFolder());
        QVERIFY2(QFileInfo(job.outputFile).size() > 0, qPrintable(job.outputFile));
    }
    QVERIFY(fixture.desktop.messages.empty());
    QCOMPARE(fixture.desktop.openedUrls.size(), std::size_t{1});
    QCOMPARE(fixture.desktop.notifications.size(), 1);
    QCOMPARE(window->converter().TasksCount(), 0);
}

void ConversionTest::presetAddReportsWhatItCannotAdd() {
    WindowFixture fixture;
    auto window = fixture.makeWindow(/*fakeEngines=*/false);
    const QString broken = fixture.path(QStringLiteral("broken.mkv"));
    {
        QFile file(broken);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("this is not a media file");
    }
    window->addPresetFiles(kAviProfile, {broken});
    QCOMPARE(window->jobList().rowCount(), 0);
    QCOMPARE(fixture.desktop.messages.size(), std::size_t{1});
    QCOMPARE(fixture.desktop.messages[0].text,
             QStringLiteral("无法识别的音频或视频文件！") + broken);
    QVERIFY(window->logPane().toPlainText().contains(QStringLiteral("***文件打开失败 ")));
}

void ConversionTest::closingInTheMiddleOfAConversion() {
    WindowFixture fixture;
    SampleSpec spec;
    spec.durationSeconds = 20.0;
    spec.width = 640;
    spec.height = 360;
    const QString clip = fixture.path(QStringLiteral("long.mkv"));
    std::string error;
    QVERIFY2(makeSampleMedia(spec, clip.toStdString(), &error), error.c_str());
    auto window = fixture.makeWindow(/*fakeEngines=*/false);
    window->show();
    window->addPresetFiles(kFullHdProfile, {clip, clip});
    QCOMPARE(window->jobList().rowCount(), 2);
    window->action(WindowAction::Convert)->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(window->jobList().job(0).status == JobStatus::Converting,
                             kConversionWaitMs);

    // Closing stops the conversion and waits for it; no notice reaches the window afterwards.
    QVERIFY(window->close());
    QCOMPARE(window->jobList().job(1).status, JobStatus::Ready);
    window.reset();
    QTest::qWait(50);
    QVERIFY(fixture.desktop.messages.empty());
    QVERIFY(fixture.desktop.openedUrls.empty());
}

}  // namespace velmora::test

QTEST_MAIN(velmora::test::ConversionTest)
#include "ConversionTest.moc"
