// Takes the window's screenshots on a real display (scripts/screenshots.sh runs it under Xvfb):
// the empty window, three jobs listed, converting with progress, paused, done, and the main window
// in each of the 17 looks of the skin menu. Real conversions of generated clips; the desktop is
// never touched (the seams record instead of showing boxes or opening folders).
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>

#include "WindowFixture.h"
#include "app/JobListView.h"
#include "app/MainWindow.h"
#include "medialib/MediaLibLoader.h"
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

bool shoot(MainWindow& window, const QString& folder, const QString& name) {
    QApplication::processEvents();
    QTest::qWait(150);  // let the window system deliver the last paints
    const QString file = QDir(folder).filePath(name + QStringLiteral(".png"));
    if (!window.grab().save(file)) {
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

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (argc != 2) {
        return fail("usage: velmora_screenshot_tour OUTPUT_FOLDER");
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
    MainWindow window(std::move(setup));
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) {
        return fail("the window was never shown");
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
    window.jobListView().selectRow(1);
    ok = shoot(window, out, QStringLiteral("05-done")) && ok;

    int number = 6;
    for (const velmora::ui::SkinLook& look : velmora::ui::skinMenu()) {
        window.chooseLook(std::string(look.value));
        ok = shoot(window, out,
                   QStringLiteral("%1-look-%2")
                       .arg(number++, 2, 10, QLatin1Char('0'))
                       .arg(QString::fromUtf8(look.value.data(),
                                              static_cast<qsizetype>(look.value.size())))) &&
             ok;
    }
    window.close();
    return ok ? 0 : 1;
}
