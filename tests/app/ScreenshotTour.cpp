// Takes the window's screenshots on a real display (scripts/screenshots.sh runs it under Xvfb):
// the empty window, three jobs listed, converting with progress, paused, done, the preview showing
// a clip (paused at its start, after playing, after a seek), the media information dialog, the
// main window in each of the 17 looks of the skin menu, and the format chooser on each tab with
// the option settings for a video, an audio and a disc profile, in the built-in look and three
// others. Real conversions of generated clips; the preview draws through SDL into the panel's X11
// window, so the pictures are taken from the screen. A snapshot in each of the four formats is
// saved and copied next to the screenshots. The desktop is never touched (the seams record instead
// of showing boxes or opening folders). With --dialogs after the folder only the dialogs are taken.
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>

#include <QPushButton>
#include <QScreen>
#include <QToolButton>

#include "WindowFixture.h"
#include "app/AddJobFlows.h"
#include "app/FormatChooser.h"
#include "app/JobListView.h"
#include "app/MainWindow.h"
#include "app/OptionSettingsDialog.h"
#include "app/MediaInfoDialog.h"
#include "app/PreviewGroup.h"
#include "app/PreviewPane.h"
#include "app/SnapshotFiles.h"
#include "medialib/MediaLibLoader.h"
#include "profiles/StoredSettings.h"
#include "samples/SampleMedia.h"
#include "ui/DataFolders.h"
#include "ui/Skins.h"

namespace {

using velmora::app::JobStatus;
using velmora::app::MainWindow;
using velmora::app::QueueState;
using velmora::app::WindowAction;

// Full-HD output: slow enough to catch a job half way.
constexpr int kProfile = 401;
constexpr int kWaitMs = 180000;
// The looks the dialogs are taken in besides the built-in one: a light, a blue and a dark one.
constexpr const char* kDialogLooks[] = {"skin1", "skin7", "skin15"};

bool waitFor(const std::function<bool()>& condition) {
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > kWaitMs) {
            return false;
        }
        QTest::qWait(20);
    }
    return true;
}

// From the screen, not from Qt: the preview's picture is drawn by SDL into a native window that
// Qt's own rendering of the window does not hold.
bool shoot(QWidget& window, const QString& folder, const QString& name) {
    QApplication::processEvents();
    QTest::qWait(150);  // let the window system deliver the last paints
    const QString file = QDir(folder).filePath(name + QStringLiteral(".png"));
    const QPixmap picture = window.screen()->grabWindow(window.winId());
    if (picture.isNull() || !picture.save(file)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
        return false;
    }
    std::printf("%s\n", qPrintable(file));
    return true;
}

int fail(const char* what) {
    std::fprintf(stderr, "screenshot tour: %s\n", what);
    return 1;
}

QString numbered(int& number, const QString& name) {
    return QStringLiteral("%1-%2").arg(number++, 2, 10, QLatin1Char('0')).arg(name);
}

// The format chooser on each tab, then the option settings for a video, an audio and a disc
// profile with source as the source, all in the window's saved look.
bool shootDialogs(MainWindow& window, const QString& source, const QString& folder,
                  const QString& look, int& number) {
    bool ok = true;
    velmora::app::FormatChooser& chooser = window.addFlows().chooser();
    window.applySavedLookTo(chooser);
    chooser.show();
    if (!QTest::qWaitForWindowExposed(&chooser)) {
        return false;
    }
    int tabNumber = 1;
    for (const velmora::ProfileTabInfo& tab : velmora::profileTabs()) {
        chooser.clickTab(tab.tab);
        ok = shoot(
                 chooser, folder,
                 numbered(number, QStringLiteral("chooser-tab%1-%2").arg(tabNumber++).arg(look))) &&
             ok;
    }
    chooser.hide();

    velmora::app::OptionSettingsDialog& options = window.addFlows().optionSettings();
    velmora::PendingJobOptions& pending = window.pendingJobOptions();
    const std::pair<int, const char*> profiles[] = {{4, "video"}, {200, "audio"}, {19, "disc"}};
    for (const auto& [code, mode] : profiles) {
        pending.reset();
        pending.SourceFile = source.toStdString();
        pending.ProfileCode = code;
        options.prepareCutSwitch(true);
        options.prepare();
        options.show();
        if (!QTest::qWaitForWindowExposed(&options)) {
            return false;
        }
        ok = shoot(options, folder,
                   numbered(
                       number,
                       QStringLiteral("options-%1-%2").arg(QString::fromLatin1(mode)).arg(look))) &&
             ok;
        options.hide();
    }
    return ok;
}

// The dialogs in the looks of kDialogLooks; the window keeps the last of them.
bool shootDialogsInOtherLooks(MainWindow& window, const QString& source, const QString& folder,
                              int& number) {
    bool ok = true;
    for (const char* look : kDialogLooks) {
        window.chooseLook(look);
        ok = shootDialogs(window, source, folder, QString::fromLatin1(look), number) && ok;
    }
    return ok;
}

// The preview of the selected row: its first picture, after playing a while, after a seek by the
// track bar; a snapshot in each format; the media information dialog.
bool tourPreview(MainWindow& window, velmora::test::WindowFixture& fixture, const QString& out,
                 bool& ok) {
    using velmora::app::PreviewButton;
    velmora::app::PreviewGroup& group = window.previewGroup();
    velmora::TMediaPlayer& player = window.previewPane().player();
    if (!waitFor([&] { return player.State() == velmora::TPlayState::psPause; })) {
        fail("the preview did not open");
        return false;
    }
    if (!group.videoPanel()->surfaceShown()) {
        std::fprintf(stderr, "screenshot tour: the preview is painted by Qt, not through SDL\n");
    }
    QTest::qWait(300);
    ok = shoot(window, out, QStringLiteral("06-preview")) && ok;

    group.button(PreviewButton::Play)->click();
    QTest::qWait(1500);
    group.button(PreviewButton::Pause)->click();
    ok = shoot(window, out, QStringLiteral("07-preview-played")) && ok;

    // A press and release three quarters along the track bar.
    velmora::app::PreviewTrackBar* track = group.trackBar();
    const QPoint at(track->width() * 3 / 4, track->height() / 2);
    QTest::mousePress(track, Qt::LeftButton, {}, at);
    QTest::mouseRelease(track, Qt::LeftButton, {}, at);
    QTest::qWait(500);
    group.button(PreviewButton::Pause)->click();
    ok = shoot(window, out, QStringLiteral("08-preview-seeked")) && ok;

    for (const velmora::app::SnapshotType& type : velmora::app::snapshotTypes()) {
        velmora::writeSnapshotPicture(window.settingsFile(), type.setting);
        group.button(PreviewButton::Snapshot)->click();
    }
    const QDir shots(QString::fromStdString(velmora::readSnapshotFolder(
        window.settingsFile(), fixture.defaultSnapshotFolder().toStdString())));
    const QStringList saved = shots.entryList(QDir::Files, QDir::Name);
    if (saved.size() != 4) {
        fail("the four snapshots were not saved");
        return false;
    }
    for (const QString& name : saved) {
        const QString copy = QDir(out).filePath(QStringLiteral("snapshot-") + name);
        QFile::remove(copy);
        QFile::copy(shots.filePath(name), copy);
        std::printf("%s\n", qPrintable(copy));
    }

    window.listButton(velmora::app::ListButton::Information)->click();
    velmora::app::MediaInfoDialog& dialog = window.mediaInfoDialog();
    if (!QTest::qWaitForWindowExposed(&dialog)) {
        fail("the media information dialog was not shown");
        return false;
    }
    ok = shoot(dialog, out, QStringLiteral("09-media-info")) && ok;
    dialog.accept();
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    const bool dialogsOnly = argc == 3 && qstrcmp(argv[2], "--dialogs") == 0;
    if (argc != 2 && !dialogsOnly) {
        return fail("usage: velmora_screenshot_tour OUTPUT_FOLDER [--dialogs]");
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(out);

    velmora::TMediaLibLoader& loader = velmora::TMediaLibLoader::instance();
    loader.SetLibraryPath("");
    if (!loader.LoadLibraries(velmora::kConverterSet)) {
        return fail(loader.LastError().c_str());
    }

    velmora::test::WindowFixture fixture;
    QStringList clips;
    for (const char* name : {"海边日落.mkv", "holiday-2024.mp4", "concert.avi"}) {
        velmora::SampleSpec spec;
        spec.durationSeconds = 20.0;
        spec.width = 640;
        spec.height = 360;
        spec.container = QString::fromUtf8(name).endsWith(QStringLiteral(".avi")) ? "avi" : "";
        const QString clip = fixture.path(QString::fromUtf8(name));
        std::string error;
        if (!velmora::makeSampleMedia(spec, clip.toStdString(), &error)) {
            return fail(error.c_str());
        }
        clips << clip;
    }

    velmora::app::WindowSetup setup = fixture.setup(/*fakeEngines=*/false);
    setup.skinsFolder = velmora::ui::dataFolder(QStringLiteral("skins"));
    setup.soundsFolder = velmora::ui::dataFolder(QStringLiteral("sounds"));
    MainWindow window(std::move(setup));
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) {
        return fail("the window was never shown");
    }
    // The dialogs come after the main window's pictures; the built-in look is only there until
    // the first look is chosen.
    int dialogNumber = 10 + static_cast<int>(velmora::ui::skinMenu().size());
    if (dialogsOnly) {
        const bool shot =
            shootDialogs(window, clips.front(), out, QStringLiteral("built-in"), dialogNumber) &&
            shootDialogsInOtherLooks(window, clips.front(), out, dialogNumber);
        return shot ? 0 : 1;
    }
    bool ok = shoot(window, out, QStringLiteral("01-empty"));

    window.addPresetFiles(kProfile, clips);
    if (window.jobList().rowCount() != 3) {
        return fail("the three clips were not added");
    }
    ok = shoot(window, out, QStringLiteral("02-three-jobs")) && ok;

    window.action(WindowAction::Convert)->trigger();
    if (!waitFor([&] {
            return window.jobList().job(0).progress >= 25 &&
                   window.jobList().job(0).status == JobStatus::Converting;
        })) {
        return fail("no progress");
    }
    ok = shoot(window, out, QStringLiteral("03-converting")) && ok;

    window.action(WindowAction::Pause)->trigger();
    QTest::qWait(300);
    ok = shoot(window, out, QStringLiteral("04-paused")) && ok;

    window.action(WindowAction::Convert)->trigger();
    if (!waitFor([&] { return window.queue().state() == QueueState::Idle; })) {
        return fail("the run did not end");
    }
    window.jobListView().selectRow(1);  // also opens its source in the preview
    ok = shoot(window, out, QStringLiteral("05-done")) && ok;
    ok = shootDialogs(window, clips.front(), out, QStringLiteral("built-in"), dialogNumber) && ok;

    if (!tourPreview(window, fixture, out, ok)) {
        return 1;
    }

    int number = 10;
    for (const velmora::ui::SkinLook& look : velmora::ui::skinMenu()) {
        window.chooseLook(std::string(look.value));
        ok = shoot(window, out,
                   QStringLiteral("%1-look-%2")
                       .arg(number++, 2, 10, QLatin1Char('0'))
                       .arg(QString::fromUtf8(look.value.data(),
                                              static_cast<qsizetype>(look.value.size())))) &&
             ok;
    }
    ok = shootDialogsInOtherLooks(window, clips.front(), out, dialogNumber) && ok;
    window.close();
    return ok ? 0 : 1;
}
