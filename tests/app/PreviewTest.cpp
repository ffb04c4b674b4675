// The preview pane on the player (dummy SDL drivers, offscreen Qt: the pane paints the pictures
// itself): a selected row opens paused, the track bar and the keys seek, "停止" starts over, the
// closers end the preview, and snapshots in the four formats with their names, settings and
// sound. Generated clips; the snapshot folder and system.ini live in a temporary folder.
#include <QAction>
#include <QFile>
#include <QMenu>
#include <QStatusBar>
#include <QToolButton>
#include <QtTest>
#include <cmath>
#include <mutex>
#include <set>

#include "WindowFixture.h"
#include "app/JobListView.h"
#include "app/LogPane.h"
#include "app/PreviewGroup.h"
#include "app/PreviewPane.h"
#include "app/SnapshotEncoder.h"
#include "app/SnapshotFiles.h"
#include "app/SnapshotMenu.h"
#include "app/SnapshotSound.h"
#include "medialib/LibraryHandles.h"
#include "medialib/MediaLibLoader.h"
#include "medialib/PictureConverter.h"
#include "player/PlaybackCore.h"
#include "profiles/StoredSettings.h"
#include "samples/SampleMedia.h"
#include "support/BitmapDifference.h"

using velmora::app::ListButton;
using velmora::app::MainWindow;
using velmora::app::PreviewButton;
using velmora::app::PreviewPane;

namespace velmora::test {

namespace {

constexpr int kWaitMs = 10000;

bool waitFor(const std::function<bool()>& condition, int timeoutMs = kWaitMs) {
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > timeoutMs) {
            return false;
        }
        QTest::qWait(10);
    }
    return true;
}

// The first picture of an image file, decoded through the media libraries.
bool decodePicture(const QString& path, PictureConverter& converter) {
    AVFormatContext* opened = nullptr;
    if (lib::avformat.avformat_open_input(&opened, path.toUtf8().constData(), nullptr, nullptr) <
        0) {
        return false;
    }
    InputFormatPtr input(opened);
    if (lib::avformat.avformat_find_stream_info(input.get(), nullptr) < 0 ||
        input->nb_streams < 1) {
        return false;
    }
    const AVCodecParameters* parameters = input->streams[0]->codecpar;
    const AVCodec* decoder = lib::avcodec.avcodec_find_decoder(parameters->codec_id);
    CodecContextPtr codec(lib::avcodec.avcodec_alloc_context3(decoder));
    if (!codec || lib::avcodec.avcodec_parameters_to_context(codec.get(), parameters) < 0 ||
        lib::avcodec.avcodec_open2(codec.get(), decoder, nullptr) < 0) {
        return false;
    }
    PacketPtr packet = makePacket();
    FramePtr frame = makeFrame();
    if (lib::avformat.av_read_frame(input.get(), packet.get()) < 0 ||
        lib::avcodec.avcodec_send_packet(codec.get(), packet.get()) < 0) {
        return false;
    }
    lib::avcodec.avcodec_send_packet(codec.get(), nullptr);
    return lib::avcodec.avcodec_receive_frame(codec.get(), frame.get()) >= 0 &&
           converter.PictureToBitmap(frame.get());
}

int distinctColours(const Bitmap& bitmap) {
    std::set<std::uint32_t> colours;
    for (int y = 0; y < bitmap.height(); ++y) {
        const std::uint8_t* row = bitmap.row(y);
        for (int x = 0; x < bitmap.width(); ++x) {
            colours.insert(row[3 * x] | (row[3 * x + 1] << 8) | (row[3 * x + 2] << 16));
        }
    }
    return static_cast<int>(colours.size());
}

QStringList filesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::Files, QDir::Name);
}

}  // namespace

class PreviewTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void selectingARowOpensItsFilePaused();
    void trackBarReleasedAtTheMiddleSeeksToHalfTheDuration();
    void keysInTheVideoPanelPauseAndStep();
    void stopButtonStartsOverOnlyWithASelectedRow();
    void closersEndThePreview();
    void buttonsShowTheirPicturesAndSound();
    void snapshotsTakeTheSmallestFreeNumber();
    void unknownPictureTypeSavesABmpAndWritesItBack();
    void eachFormatDecodesBackToTheFrameShown();
    void gifPaletteComesFromThePicture();
    void nothingOnScreenSavesNothing();
    void snapshotSettingsMenu();

private:
    // A window with one job whose source is a generated clip, its preview open and paused.
    // Without sound when silent: SDL's dummy audio driver has a single device, which a playing
    // file with sound holds, so the shutter sound cannot start then.
    std::unique_ptr<MainWindow> windowWithClip(WindowFixture& fixture, bool silent = false);
    static PreviewPane& pane(MainWindow& window) { return window.previewPane(); }

    QString m_clip;
    QString m_silentClip;
    QTemporaryDir m_clips;
};

void PreviewTest::initTestCase() {
    TMediaLibLoader& loader = TMediaLibLoader::instance();
    loader.SetLibraryPath("");
    QVERIFY2(loader.LoadLibraries(kPlayerSet), loader.LastError().c_str());
    SampleSpec spec;
    spec.container = "matroska";
    spec.durationSeconds = 4.0;
    spec.videoBitRate = 2000000;
    m_clip = QDir(m_clips.path()).filePath(QStringLiteral("clip.mkv"));
    std::string error;
    QVERIFY2(makeSampleMedia(spec, m_clip.toStdString(), &error), error.c_str());
    spec.audio = false;
    m_silentClip = QDir(m_clips.path()).filePath(QStringLiteral("silent.mkv"));
    QVERIFY2(makeSampleMedia(spec, m_silentClip.toStdString(), &error), error.c_str());
}

std::unique_ptr<MainWindow> PreviewTest::windowWithClip(WindowFixture& fixture, bool silent) {
    const QString source = fixture.path(QStringLiteral("movie.mkv"));
    QFile::copy(silent ? m_silentClip : m_clip, source);
    auto window = fixture.makeWindow();
    window->show();
    window->activateWindow();
    if (!QTest::qWaitForWindowActive(window.get())) {
        qWarning("the window did not become active");
    }
    fixture.addJob(*window, source);  // selects the new row, which opens the preview
    return window;
}

void PreviewTest::selectingARowOpensItsFilePaused() {
    WindowFixture fixture;
    auto window = windowWithClip(fixture);
    TMediaPlayer& player = pane(*window).player();
    QVERIFY(player.IsOpen());
    QVERIFY(waitFor([&] { return player.State() == TPlayState::psPause; }));
    QVERIFY(std::llabs(pane(*window).previewDuration() - 4000000) < 100000);
    auto* track = window->previewGroup().trackBar();
    QCOMPARE(track->maximum(), track->width());
    QCOMPARE(track->value(), 0);
    QCOMPARE(track->tickInterval(), PreviewPane::kTrackTickFrequency);
    // Offscreen there is no native window: the panel paints the first picture itself.
    auto* panel = window->previewGroup().videoPanel();
    QVERIFY(waitFor([&] { return !panel->picture().isNull(); }));
    QVERIFY(!panel->surfaceShown());
    std::int64_t pts = -1;
    player.CurrentFrame(pts);
    QVERIFY(pts >= 0 && pts < 200000);

    // A file that cannot be played leaves the panel black and says why in the log.
    const QString broken = fixture.path(QStringLiteral("broken.mkv"));
    QFile file(broken);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("not a media file");
    file.close();
    emit window->previewRequested(broken);
    QVERIFY(!player.IsOpen());
    QVERIFY(panel->picture().isNull());
    QVERIFY(window->logPane().lines().join('\n').contains(broken));
}

void PreviewTest::trackBarReleasedAtTheMiddleSeeksToHalfTheDuration() {
    WindowFixture fixture;
    auto window = windowWithClip(fixture);
    TMediaPlayer& player = pane(*window).player();
    QVERIFY(waitFor([&] { return player.State() == TPlayState::psPause; }));
    auto* track = window->previewGroup().trackBar();
    track->setValue(track->maximum() / 2);
    QStyleOptionSlider option;
    option.initFrom(track);
    option.minimum = track->minimum();
    option.maximum = track->maximum();
    option.sliderPosition = track->value();
    option.sliderValue = track->value();
    const QPoint handle =
        track->style()
            ->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, track)
            .center();
    QTest::mousePress(track, Qt::LeftButton, {}, handle);
    QTest::mouseRelease(track, Qt::LeftButton, {}, handle);
    const std::int64_t duration = pane(*window).previewDuration();
    const std::int64_t expected = duration * track->value() / track->maximum();
    QVERIFY(std::llabs(expected - duration / 2) < duration / track->maximum() + 1);
    QCOMPARE(player.core()->seekTarget(), expected + player.core()->startTime());
    // It plays on from there.
    QVERIFY(waitFor([&] { return player.CurrentPosition() >= expected - 40000; }));
    QVERIFY(player.CurrentPosition() < duration);
    QCOMPARE(player.State(), TPlayState::psResume);
}

void PreviewTest::keysInTheVideoPanelPauseAndStep() {
    WindowFixture fixture;
    auto window = windowWithClip(fixture);
    TMediaPlayer& player = pane(*window).player();
    QVERIFY(waitFor([&] { return player.State() == TPlayState::psPause; }));
    auto* panel = window->previewGroup().videoPanel();
    QTest::mouseClick(panel, Qt::LeftButton);
    QVERIFY(panel->hasFocus());
    QTest::keyClick(panel, Qt::Key_Space);
    QCOMPARE(player.State(), TPlayState::psResume);
    QTest::keyClick(panel, Qt::Key_Space);
    QCOMPARE(player.State(), TPlayState::psPause);

    // Right: 5 s on, bounded by the duration (the clip is 4 s long); Left: 5 s back, never
    // before the start.
    const std::int64_t start = player.core()->startTime();
    const std::int64_t from = player.CurrentPosition();
    QTest::keyClick(panel, Qt::Key_Right);
    QCOMPARE(player.core()->seekTarget(),
             std::min(from + PreviewPane::kKeyStepUs, player.Duration()) + start);
    QVERIFY(waitFor([&] { return !player.core()->seekPending(); }));
    QTest::keyClick(panel, Qt::Key_Left);
    QCOMPARE(player.core()->seekTarget(), start);
    QVERIFY(window->previewGroup().button(PreviewButton::Play)->toolTip().contains("Space"));
}

void PreviewTest::stopButtonStartsOverOnlyWithASelectedRow() {
    WindowFixture fixture;
    auto window = windowWithClip(fixture);
    TMediaPlayer& player = pane(*window).player();
    QVERIFY(waitFor([&] { return player.State() == TPlayState::psPause; }));
    player.Seek(0, true, 2000000);
    QToolButton* stop = window->previewGroup().button(PreviewButton::Stop);
    stop->click();
    QVERIFY(player.IsOpen());
    std::int64_t pts = -1;
    QVERIFY(waitFor([&] {
        player.CurrentFrame(pts);
        return pts >= 0;
    }));
    QVERIFY(pts < 200000);

    window->jobListView().clearSelection();
    emit window->previewStopRequested();  // what the empty click does
    QVERIFY(!player.IsOpen());
    stop->click();
    QVERIFY(!player.IsOpen());
}

void PreviewTest::closersEndThePreview() {
    WindowFixture fixture;
    auto window = windowWithClip(fixture);
    TMediaPlayer& player = pane(*window).player();
    auto* panel = window->previewGroup().videoPanel();
    const std::vector<std::function<void()>> closers = {
        [&] { window->action(app::WindowAction::Remove)->trigger(); },
        [&] { window->action(app::WindowAction::Clear)->trigger(); },
        [&] {
            QTest::mouseClick(
                window->jobListView().viewport(), Qt::LeftButton, {},
                window->jobListView().viewport()->rect().bottomRight() - QPoint(5, 5));
        },
        [&] { window->close(); },
    };
    for (std::size_t i = 0; i < closers.size(); ++i) {
        if (window->jobList().rowCount() == 0) {
            fixture.addJob(*window, fixture.path(QStringLiteral("movie.mkv")));
        } else {
            window->jobListView().selectRow(0);
        }
        QVERIFY2(waitFor([&] { return !panel->picture().isNull(); }),
                 qPrintable(QString::number(i)));
        closers[i]();
        QVERIFY2(!player.IsOpen(), qPrintable(QString::number(i)));
        QVERIFY(panel->picture().isNull());
    }
}

void PreviewTest::buttonsShowTheirPicturesAndSound() {
    WindowFixture fixture;
    auto window = windowWithClip(fixture);
    app::PreviewGroup& group = window->previewGroup();
    for (std::size_t i = 0; i < app::kPreviewButtonCount; ++i) {
        const QIcon icon = group.button(static_cast<PreviewButton>(i))->icon();
        QVERIFY(icon.pixmap(24, QIcon::Normal).toImage() !=
                icon.pixmap(24, QIcon::Active).toImage());
    }
    QToolButton* sound = group.button(PreviewButton::Sound);
    const QImage sounding = sound->icon().pixmap(24).toImage();
    sound->click();
    QVERIFY(pane(*window).player().Mute());
    QVERIFY(group.showsMuted());
    QVERIFY(sound->icon().pixmap(24).toImage() != sounding);
    sound->click();
    QVERIFY(!pane(*window).player().Mute());
    QCOMPARE(sound->icon().pixmap(24).toImage(), sounding);

    // Play and pause give the keyboard back to the job list.
    group.button(PreviewButton::Play)->click();
    QCOMPARE(pane(*window).player().State(), TPlayState::psResume);
    group.button(PreviewButton::Pause)->click();
    QCOMPARE(pane(*window).player().State(), TPlayState::psPause);
    QVERIFY(window->jobListView().hasFocus());
}

void PreviewTest::snapshotsTakeTheSmallestFreeNumber() {
    WindowFixture fixture;
    auto window = windowWithClip(fixture, /*silent=*/true);
    QVERIFY(waitFor([&] { return !window->previewGroup().videoPanel()->picture().isNull(); }));
    QToolButton* snapshot = window->previewGroup().button(PreviewButton::Snapshot);
    snapshot->click();
    snapshot->click();
    const QString folder = fixture.defaultSnapshotFolder();
    QCOMPARE(filesIn(folder), QStringList({"movie_1.bmp", "movie_2.bmp"}));
    QCOMPARE(window->statusBar()->currentMessage(), QString::fromUtf8(app::kSnapshotTakenText));
    QVERIFY(QFile::remove(QDir(folder).filePath("movie_1.bmp")));
    snapshot->click();
    QCOMPARE(filesIn(folder), QStringList({"movie_1.bmp", "movie_2.bmp"}));
    QCOMPARE(window->settingsFile().read("SnapShot", "Dir"), folder.toStdString());
    // No sound file: nothing played; with one, it plays.
    QVERIFY(!pane(*window).sound().playing());
    SampleSpec tone;
    tone.container = "wav";
    tone.video = false;
    tone.audioCodec = "pcm_s16le";
    tone.durationSeconds = 0.5;
    QDir().mkpath(fixture.soundsFolder());
    std::string error;
    QVERIFY2(makeSampleMedia(tone, QDir(fixture.soundsFolder()).filePath("cam.wav").toStdString(),
                             &error),
             error.c_str());
    snapshot->click();
    QVERIFY(pane(*window).sound().playing());
    QCOMPARE(filesIn(folder).size(), 3);
}

void PreviewTest::unknownPictureTypeSavesABmpAndWritesItBack() {
    WindowFixture fixture;
    auto window = windowWithClip(fixture);
    QVERIFY(waitFor([&] { return !window->previewGroup().videoPanel()->picture().isNull(); }));
    window->settingsFile().write("SnapShot", "Picture", "TIFF");
    window->previewGroup().button(PreviewButton::Snapshot)->click();
    QCOMPARE(window->settingsFile().read("SnapShot", "Picture"), std::string("BMP"));
    QCOMPARE(filesIn(fixture.defaultSnapshotFolder()), QStringList({"movie_1.bmp"}));
    QVERIFY(pane(*window).snapshotMenu().typeAction(0)->isChecked());
}

void PreviewTest::eachFormatDecodesBackToTheFrameShown() {
    WindowFixture fixture;
    auto window = windowWithClip(fixture);
    TMediaPlayer& player = pane(*window).player();
    QVERIFY(waitFor([&] { return player.State() == TPlayState::psPause; }));
    player.Seek(0, true, 1500000);
    std::int64_t pts = -1;
    QVERIFY(waitFor([&] {
        player.CurrentFrame(pts);
        return pts >= 1000000;
    }));
    Bitmap shown;
    shown.assign(player.CurrentFrame(pts));
    const struct {
        const char* type;
        const char* file;
        double within;  // mean difference per colour sample, 0..255
    } rows[] = {
        {"BMP", "movie_1.bmp", 0.0},
        {"PNG", "movie_1.png", 0.0},
        {"JPG", "movie_1.jpg", 4.0},
        // Dithered on a palette of the picture's own colours.
        {"GIF", "movie_1.gif", 2.0},
    };
    for (const auto& row : rows) {
        QVERIFY(writeSnapshotPicture(window->settingsFile(), row.type));
        window->previewGroup().button(PreviewButton::Snapshot)->click();
        const QString path = QDir(fixture.defaultSnapshotFolder()).filePath(row.file);
        PictureConverter decoded;
        QVERIFY2(decodePicture(path, decoded), row.file);
        const double difference = meanDifference(decoded.bitmap(), shown);
        QVERIFY2(difference <= row.within,
                 qPrintable(QStringLiteral("%1: %2").arg(row.file).arg(difference)));
    }
}

void PreviewTest::gifPaletteComesFromThePicture() {
    // Soft gradients between colours far from any fixed palette's grid: a fixed palette, even
    // dithered, misses them by ten and more per colour sample.
    Bitmap gradient(256, 96);
    for (int y = 0; y < gradient.height(); ++y) {
        for (int x = 0; x < gradient.width(); ++x) {
            std::uint8_t* pixel = gradient.row(y) + 3 * x;
            pixel[0] = static_cast<std::uint8_t>(66 + x * 135 / 255);   // blue
            pixel[1] = static_cast<std::uint8_t>(90 + y * 30 / 95);     // green
            pixel[2] = static_cast<std::uint8_t>(201 - x * 164 / 255);  // red
        }
    }
    QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath(QStringLiteral("gradient.gif"));
    std::string error;
    QVERIFY2(app::writeSnapshot(gradient, app::SnapshotFormat::Gif, path.toStdString(), &error),
             error.c_str());
    PictureConverter decoded;
    QVERIFY(decodePicture(path, decoded));
    QVERIFY2(meanDifference(decoded.bitmap(), gradient) < 3.0,
             qPrintable(QString::number(meanDifference(decoded.bitmap(), gradient))));
    QVERIFY(distinctColours(decoded.bitmap()) > 128);

    // Nothing is left behind when the picture cannot be written.
    const QString unwritable = QDir(dir.path()).filePath(QStringLiteral("no/such/folder/x.gif"));
    QVERIFY(
        !app::writeSnapshot(gradient, app::SnapshotFormat::Gif, unwritable.toStdString(), &error));
    QVERIFY(error.find("no/such/folder") != std::string::npos);
    QVERIFY(!app::writeSnapshot(Bitmap(), app::SnapshotFormat::Png,
                                QDir(dir.path()).filePath("empty.png").toStdString(), &error));
    QVERIFY(!QFileInfo::exists(QDir(dir.path()).filePath("empty.png")));
}

void PreviewTest::nothingOnScreenSavesNothing() {
    WindowFixture fixture;
    auto window = fixture.makeWindow();
    window->settingsFile().write("SnapShot", "Picture", "PNG");
    window->previewGroup().button(PreviewButton::Snapshot)->click();
    QVERIFY(filesIn(fixture.defaultSnapshotFolder()).isEmpty());
    QVERIFY(window->statusBar()->currentMessage().isEmpty());
    // The folder and the type are still settled, as every snapshot does first.
    QVERIFY(QFileInfo(fixture.defaultSnapshotFolder()).isDir());
    QVERIFY(pane(*window).snapshotMenu().typeAction(3)->isChecked());
}

void PreviewTest::snapshotSettingsMenu() {
    WindowFixture fixture;
    auto window = fixture.makeWindow();
    window->show();
    app::SnapshotMenu& menu = pane(*window).snapshotMenu();
    QToolButton* settings = window->previewGroup().button(PreviewButton::SnapshotSettings);
    QCOMPARE(menu.typeMenu()->title(), QStringLiteral("快照保存类型"));

    // Any press reads the type again; only the left button opens the menu.
    window->settingsFile().write("SnapShot", "Picture", "Error");
    QTest::mousePress(settings, Qt::RightButton);
    QCOMPARE(window->settingsFile().read("SnapShot", "Picture"), std::string("BMP"));
    QVERIFY(!menu.isVisible());
    window->settingsFile().write("SnapShot", "Picture", "GIF");
    QTest::mousePress(settings, Qt::LeftButton);
    QVERIFY(menu.isVisible());
    QVERIFY(menu.typeAction(2)->isChecked());
    menu.hide();

    menu.typeAction(1)->trigger();
    QCOMPARE(window->settingsFile().read("SnapShot", "Picture"), std::string("JPG"));
    QVERIFY(menu.typeAction(1)->isChecked() && !menu.typeAction(2)->isChecked());

    fixture.desktop.folderToChoose.clear();
    menu.chooseFolderAction()->trigger();
    QCOMPARE(fixture.desktop.folderChooserShown, 1);
    QVERIFY(!window->settingsFile().read("SnapShot", "Dir"));
    fixture.desktop.folderToChoose = fixture.path(QStringLiteral("gone"));
    menu.chooseFolderAction()->trigger();
    QVERIFY(!window->settingsFile().read("SnapShot", "Dir"));
    fixture.desktop.folderToChoose = fixture.path(QStringLiteral("skins"));
    menu.chooseFolderAction()->trigger();
    QCOMPARE(window->settingsFile().read("SnapShot", "Dir"),
             fixture.desktop.folderToChoose.toStdString());

    menu.openFolderAction()->trigger();
    QCOMPARE(fixture.desktop.openedUrls.back(),
             QUrl::fromLocalFile(fixture.desktop.folderToChoose));
}

}  // namespace velmora::test

QTEST_MAIN(velmora::test::PreviewTest)
#include "PreviewTest.moc"
