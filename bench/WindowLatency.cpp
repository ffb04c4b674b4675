// Window responsiveness: the main window (offscreen) with ROWS jobs of a short clip, converting
// FILES_AT_ONCE at a time. A 10 ms timer on the GUI thread records how late each tick comes; the
// job list's viewport counts its paints and how much of itself each one covers; the list model
// counts its row updates. Prints one line of figures per measurement, then a summary.
//   velmora-bench-window WORK_FOLDER [ROWS [FILES_AT_ONCE [SECONDS]]]
#include <QAbstractItemModel>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPaintEvent>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "app/JobListModel.h"
#include "app/JobListView.h"
#include "app/MainWindow.h"
#include "app/SettingsGroup.h"
#include "medialib/MediaLibLoader.h"
#include "samples/SampleMedia.h"

namespace {

using velmora::app::MainWindow;

constexpr int kTickMs = 10;
constexpr double kStallMs = 50.0;  // ticks later than this are listed
constexpr int kProfile = 401;      // Matroska at its preselected choices

// Seams that never show anything and answer every box with its first offer.
velmora::app::DesktopSeams quietSeams() {
    velmora::app::DesktopSeams seams;
    seams.messageBox = [](QWidget*, QMessageBox::Icon, const QString&, const QString&,
                          QMessageBox::StandardButtons buttons) {
        return buttons.testFlag(QMessageBox::Yes) ? QMessageBox::Yes : QMessageBox::Ok;
    };
    seams.chooseFolder = [](QWidget*, const QString&, const QString&) { return QString(); };
    seams.chooseSourceFile = [](QWidget*, const QString&, const QString&) { return QString(); };
    seams.chooseSourceFiles = [](QWidget*, const QString&, const QString&) {
        return QStringList();
    };
    seams.openUrl = [](const QUrl&) { return true; };
    seams.notify = [](const QString&, const QString&) {};
    seams.confirmPowerOff = [](QWidget*) { return false; };
    return seams;
}

// Counts the paints of a widget and the share of its area they cover.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget& widget) : m_widget(widget) { widget.installEventFilter(this); }

    int paints = 0;
    int wholePaints = 0;  // paints that covered the whole widget
    double coveredShare = 0.0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &m_widget && event->type() == QEvent::Paint) {
            const QRegion region = static_cast<QPaintEvent*>(event)->region();
            const double whole = static_cast<double>(m_widget.width()) * m_widget.height();
            double area = 0.0;
            for (const QRect& rect : region) {
                area += static_cast<double>(rect.width()) * rect.height();
            }
            ++paints;
            const double share = whole > 0 ? std::min(1.0, area / whole) : 0.0;
            coveredShare += share;
            wholePaints += share >= 0.99 ? 1 : 0;
        }
        return false;
    }

private:
    QWidget& m_widget;
};

double percentile(std::vector<double> values, double p) {
    if (values.empty()) {
        return 0.0;
    }
    std::sort(values.begin(), values.end());
    const auto at = static_cast<std::size_t>(p * static_cast<double>(values.size() - 1));
    return values[at];
}

QStringList makeSources(const QString& folder, int rows) {
    velmora::SampleSpec spec;
    spec.durationSeconds = 4.0;
    const QString first = QDir(folder).filePath(QStringLiteral("clip0000.mkv"));
    std::string error;
    if (!velmora::makeSampleMedia(spec, first.toStdString(), &error)) {
        std::fprintf(stderr, "velmora-bench-window: %s\n", error.c_str());
        return {};
    }
    // Copies, not links: the list takes two names of one file for one source.
    QStringList sources{first};
    for (int i = 1; i < rows; ++i) {
        const QString copy =
            QDir(folder).filePath(QStringLiteral("clip%1.mkv").arg(i, 4, 10, QLatin1Char('0')));
        QFile::remove(copy);
        if (!QFile::copy(first, copy)) {
            std::fprintf(stderr, "velmora-bench-window: cannot write %s\n", qPrintable(copy));
            return {};
        }
        sources << copy;
    }
    return sources;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr,
                     "usage: velmora-bench-window WORK_FOLDER [ROWS [FILES_AT_ONCE [SECONDS]]]\n");
        return 2;
    }
    const QString work = QString::fromLocal8Bit(argv[1]);
    const int rows = argc > 2 ? std::max(1, std::atoi(argv[2])) : 500;
    const int filesAtOnce = argc > 3 ? std::clamp(std::atoi(argv[3]), 1, 3) : 1;
    const double seconds = argc > 4 ? std::max(1.0, std::atof(argv[4])) : 10.0;
    QDir().mkpath(work + QStringLiteral("/sources"));
    QDir().mkpath(work + QStringLiteral("/out"));

    velmora::TMediaLibLoader& loader = velmora::TMediaLibLoader::instance();
    if (!loader.LoadLibraries(velmora::kConverterSet)) {
        std::fprintf(stderr, "velmora-bench-window: %s\n", loader.LastError().c_str());
        return 1;
    }
    const QStringList sources = makeSources(work + QStringLiteral("/sources"), rows);
    if (sources.isEmpty()) {
        return 1;
    }

    velmora::app::WindowSetup setup = velmora::app::defaultWindowSetup();
    setup.seams = quietSeams();
    setup.settingsPath = (work + QStringLiteral("/system.ini")).toStdString();
    setup.defaultOutputFolder = (work + QStringLiteral("/out")).toStdString();
    setup.savedQueuePath = (work + QStringLiteral("/state/queue.json")).toStdString();
    MainWindow window(std::move(setup));
    window.show();

    QElapsedTimer adding;
    adding.start();
    window.addPresetFiles(kProfile, sources);
    std::printf("rows %d added in %.2f s\n", window.jobList().rowCount(), adding.elapsed() / 1e3);

    // The control for several files at once is hidden in the window; its box still sets it.
    window.settingsGroup().filesAtOnceBox()->setCurrentIndex(filesAtOnce - 1);
    // The rows that convert first are the ones in view, as after adding files to an empty list.
    window.jobListView().scrollToTop();
    PaintCounter paints(*window.jobListView().viewport());
    std::vector<double> lateMs;
    std::vector<std::pair<double, double>> stalls;  // (seconds into the run, lateness in ms)
    QElapsedTimer clock;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    qint64 lastNs = 0;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        lateMs.push_back(std::max(0.0, (now - lastNs) / 1e6 - kTickMs));
        if (lateMs.back() > kStallMs) {
            stalls.push_back({lastNs / 1e9, lateMs.back()});
        }
        lastNs = now;
    });
    QElapsedTimer starting;
    starting.start();
    window.action(velmora::app::WindowAction::Convert)->trigger();
    std::printf("start pressed: %.1f ms until the window takes events again\n",
                starting.nsecsElapsed() / 1e6);
    // Row updates, and how many came less than 100 ms after the same row's previous one, counted
    // from here on: starting the run announces every row once.
    int rowUpdates = 0;
    int rapidUpdates = 0;
    std::vector<qint64> lastUpdateNs(static_cast<std::size_t>(window.jobList().rowCount()), -1);
    QElapsedTimer updateClock;
    updateClock.start();
    QObject::connect(&window.jobList(), &QAbstractItemModel::dataChanged,
                     [&](const QModelIndex& first, const QModelIndex& last) {
                         const qint64 now = updateClock.nsecsElapsed();
                         for (int row = first.row(); row <= last.row(); ++row) {
                             ++rowUpdates;
                             qint64& previous = lastUpdateNs.at(static_cast<std::size_t>(row));
                             rapidUpdates += previous >= 0 && now - previous < 100'000'000 ? 1 : 0;
                             previous = now;
                         }
                     });

    clock.start();
    ticker.start(kTickMs);
    QTimer::singleShot(static_cast<int>(seconds * 1000), &app, &QApplication::quit);
    app.exec();
    ticker.stop();
    const double elapsed = clock.elapsed() / 1e3;
    window.action(velmora::app::WindowAction::Stop)->trigger();

    int finished = 0;
    for (int row = 0; row < window.jobList().rowCount(); ++row) {
        finished += window.jobList().job(row).progress >= 100 ? 1 : 0;
    }
    std::printf("files at once %d, %.1f s measured, %d jobs at 100 %%\n", filesAtOnce, elapsed,
                finished);
    std::printf("timer lateness: ticks %zu, median %.2f ms, p99 %.2f ms, max %.2f ms\n",
                lateMs.size(), percentile(lateMs, 0.5), percentile(lateMs, 0.99),
                percentile(lateMs, 1.0));
    for (const auto& [at, late] : stalls) {
        std::printf("  stall of %.1f ms at %.2f s\n", late, at);
    }
    std::printf("list viewport: %.1f paints/s, %d whole-list paints, mean share painted %.3f\n",
                paints.paints / elapsed, paints.wholePaints,
                paints.paints > 0 ? paints.coveredShare / paints.paints : 0.0);
    std::printf("row updates: %.1f /s, %d of %d within 100 ms of the row's previous one\n",
                rowUpdates / elapsed, rapidUpdates, rowUpdates);
    return 0;
}
