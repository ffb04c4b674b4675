// Real conversions through the window's own queue: two generated clips added as
// `velmora --profile CODE FILE...` adds them, converted one after the other to the end; and one
// profile of each chooser tab, added through the format chooser and the option settings, each
// read back for what its profile promises.
#include <QAction>
#include <QPushButton>
#include <QtTest>

#include "ModalScript.h"
#include "WindowFixture.h"
#include "app/FormatChooser.h"
#include "app/LogPane.h"
#include "app/OptionSettingsDialog.h"
#include "app/SettingsGroup.h"
#include "medialib/MediaLibLoader.h"
#include "probe/MediaProbe.h"
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
    void oneProfileOfEachTabThroughTheDialogs();
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
    QVERIFY(window->logPane().text().contains(QStringLiteral("装入成功.")));

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
    // As for dropped files: one message at the end names each file with its reason.
    QCOMPARE(fixture.desktop.messages.size(), std::size_t{1});
    QVERIFY(fixture.desktop.messages[0].text.contains(
        broken + QStringLiteral("\n    无法识别的音频或视频文件")));
    QVERIFY(window->logPane().text().contains(QStringLiteral("***文件打开失败 ")));
}

void ConversionTest::oneProfileOfEachTabThroughTheDialogs() {
    WindowFixture fixture;
    SampleSpec spec;
    spec.durationSeconds = 1.0;
    spec.width = 160;
    spec.height = 120;
    const QString clip = fixture.path(QStringLiteral("source.mkv"));
    std::string error;
    QVERIFY2(makeSampleMedia(spec, clip.toStdString(), &error), error.c_str());

    struct Pick {
        ProfileTab tab;
        int position;
        const char* extension;
        const char* videoCodec;  // empty: no video
        int width;               // 0: the source's
        const char* audioCodec;
    };
    const Pick picks[] = {
        {ProfileTab::Common, 0, "mkv", "mpeg4", 0, "aac"},      // 400 标准MKV视频格式
        {ProfileTab::Devices, 2, "mp4", "mpeg4", 704, "mp3"},   // 102 安卓MP4手机视频格式
        {ProfileTab::Computer, 0, "avi", "mpeg4", 320, "mp3"},  // 1 电脑上使用的AVI/MPEG视频
        {ProfileTab::Audio, 0, "mp3", "", 0, "mp3"},            // 200 MP3音频格式
    };
    auto window = fixture.makeWindow(/*fakeEngines=*/false);
    window->show();
    fixture.desktop.fileToChoose = clip;
    for (const Pick& pick : picks) {
        ModalScript script;
        script.on<app::FormatChooser>([&pick](app::FormatChooser& chooser) {
            clickChooserTab(chooser, pick.tab);
            clickItem(*chooser.list(pick.tab), pick.position);
            chooser.nextButton()->click();
        });
        script.on<app::OptionSettingsDialog>(
            [](app::OptionSettingsDialog& dialog) { dialog.okButton()->click(); });
        window->action(WindowAction::AddOneFile)->trigger();
        QVERIFY2(script.finished(), qPrintable(script.failure()));
    }
    QCOMPARE(window->jobList().rowCount(), 4);

    window->action(WindowAction::Convert)->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(window->queue().state() == QueueState::Idle, kConversionWaitMs);
    QCOMPARE(statusesOf(window->jobList()), QStringList({"完成", "完成", "完成", "完成"}));

    for (int row = 0; row < 4; ++row) {
        const Pick& pick = picks[row];
        const QString output = window->jobList().job(row).outputFile;
        QCOMPARE(QFileInfo(output).suffix(), QString::fromLatin1(pick.extension));
        TMediaProbe probe;
        QVERIFY2(probe.Open(output.toStdString()), probe.LastError().c_str());
        TAudioStreamInfo audio;
        QVERIFY2(probe.GetAudioStreamInfo(-1, audio), qPrintable(output));
        // The probe names the decoder ("mp3float" for MP3) and its description.
        QVERIFY2(QString::fromStdString(audio.Codec).startsWith(QLatin1String(pick.audioCodec)),
                 audio.Codec.c_str());
        if (*pick.videoCodec == '\0') {
            QCOMPARE(probe.VideoStreamCount(), 0);
            continue;
        }
        TVideoStreamInfo video;
        QVERIFY2(probe.GetVideoStreamInfo(-1, video), qPrintable(output));
        QCOMPARE(QString::fromStdString(video.Codec).section(QLatin1Char('('), 0, 0),
                 QString::fromLatin1(pick.videoCodec));
        QCOMPARE(video.Width, pick.width > 0 ? pick.width : spec.width);
    }
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
