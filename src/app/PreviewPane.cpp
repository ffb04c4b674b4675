#include "app/PreviewPane.h"

#include <QDir>
#include <QFileInfo>
#include <QMouseEvent>
#include <QToolButton>
#include <chrono>
#include <mutex>

#include "app/PreviewGroup.h"
#include "app/PreviewTrackBar.h"
#include "app/PreviewVideoPanel.h"
#include "app/SnapshotEncoder.h"
#include "app/SnapshotFiles.h"
#include "app/SnapshotMenu.h"
#include "medialib/Bitmap.h"
#include "medialib/MainThreadQueue.h"
#include "medialib/MediaLibLoader.h"
#include "ui/BitmapImage.h"

namespace velmora::app {

namespace {

constexpr int kSeekBackward = 1;  // the player's seek flag for "backward"

// Waits without handling window events (a click now must not start another preview), but runs
// what the player's threads queue for the main thread.
void settle(int milliseconds) {
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    for (auto now = std::chrono::steady_clock::now(); now < deadline;
         now = std::chrono::steady_clock::now()) {
        PumpMessagesFor(std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now));
    }
}

QImage visualisationImage(const std::vector<std::uint32_t>& pixels, int width, int height) {
    if (pixels.empty() || width <= 0 || height <= 0 ||
        pixels.size() < static_cast<std::size_t>(width) * height) {
        return {};
    }
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        std::copy_n(pixels.data() + static_cast<std::size_t>(y) * width, width,
                    reinterpret_cast<std::uint32_t*>(image.scanLine(y)));
    }
    return image;
}

}  // namespace

PreviewPane::PreviewPane(PreviewGroup& group, PreviewSetup setup, QObject* parent)
    : QObject(parent),
      m_group(group),
      m_setup(std::move(setup)),
      m_player(std::make_unique<TMediaPlayer>()),
      m_menu(new SnapshotMenu(SettingsFile(m_setup.settingsPath), m_setup.defaultSnapshotFolder,
                              m_setup.seams, &group)) {
    m_player->OnFileOpen = [this](TCustomPlayer*, std::int64_t duration, int, int, int&, int&) {
        fileOpened(duration);
    };
    m_player->OnPictureShown = [this](TCustomPlayer*, bool onWindow) {
        if (!onWindow) {
            pictureReady();
        }
    };

    connect(group.button(PreviewButton::Play), &QToolButton::clicked, this, &PreviewPane::play);
    connect(group.button(PreviewButton::Pause), &QToolButton::clicked, this, &PreviewPane::pause);
    connect(group.button(PreviewButton::Stop), &QToolButton::clicked, this, &PreviewPane::restart);
    connect(group.button(PreviewButton::Sound), &QToolButton::clicked, this,
            &PreviewPane::toggleSound);
    connect(group.button(PreviewButton::Snapshot), &QToolButton::clicked, this,
            &PreviewPane::takeSnapshot);
    // The settings menu opens on the mouse press itself; from the keyboard, under the button.
    QToolButton* settings = group.button(PreviewButton::SnapshotSettings);
    m_snapshotSettingsButton = settings;
    settings->installEventFilter(this);
    connect(settings, &QToolButton::clicked, this, [this, settings] {
        m_menu->rereadPictureType();
        m_menu->popup(settings->mapToGlobal(QPoint(0, settings->height())));
    });

    PreviewTrackBar* track = group.trackBar();
    connect(track, &PreviewTrackBar::mouseDown, this, [this] { m_player->TogglePause(); });
    connect(track, &PreviewTrackBar::mouseUp, this, &PreviewPane::trackReleased);

    PreviewVideoPanel* panel = group.videoPanel();
    connect(panel, &PreviewVideoPanel::togglePauseRequested, this,
            [this] { m_player->TogglePause(); });
    connect(panel, &PreviewVideoPanel::stepRequested, this, &PreviewPane::step);
    connect(panel, &PreviewVideoPanel::surfaceChanged, this,
            [this](QSize size) { m_player->HostWindowChanged(size.width(), size.height()); });
}

PreviewPane::~PreviewPane() {
    // Before the handlers go: no player thread may call into a pane that is going away.
    m_player->Stop(true);
}

std::string PreviewPane::libraryFolder() const {
    return m_setup.libraryFolder.empty() ? DefaultLibraryFolder() : m_setup.libraryFolder;
}

void PreviewPane::detachNotifications() {
    // Never assigned by the pane; cleared only when set, so nothing is written while the
    // player's threads may read them.
    if (m_player->OnPosition) {
        m_player->OnPosition = nullptr;
    }
    if (m_player->OnState) {
        m_player->OnState = nullptr;
    }
    if (m_player->OnHook) {
        m_player->OnHook = nullptr;
    }
}

void PreviewPane::preview(const QString& file) {
    detachNotifications();
    if (!m_player->LibrariesLoaded() && !m_player->LoadLibraries(libraryFolder())) {
        return;
    }
    m_player->Pause();
    settle(kSettleMs);
    openPreview(file);
}

bool PreviewPane::openPreview(const QString& file) {
    ++m_generation;
    m_file = file;
    m_duration = 0;
    PreviewVideoPanel& panel = *m_group.videoPanel();
    const std::uintptr_t surface = panel.surfaceWindow();
    m_player->SetOffscreenDisplay(surface == 0);
    if (surface != 0) {
        // The panel is an X11 window: SDL must use its X11 driver for it.
        m_player->SetVideoDriver(TVideoDriver::vdDirectDraw);
        panel.showSurface();
    } else {
        // The visualisation of an audio file is drawn at the panel's size.
        const QSize area = panel.contentsRect().size();
        m_player->SetScreenWidth(area.width());
        m_player->SetScreenHeight(area.height());
        panel.clear();
    }
    if (!m_player->Open(file.toStdString(), surface, true)) {
        ++m_generation;
        emit logLine(QString::fromStdString(m_player->LastError()));
        panel.clear();
        return false;
    }
    return true;
}

void PreviewPane::fileOpened(std::int64_t duration) {
    m_duration = duration;
    PreviewTrackBar* track = m_group.trackBar();
    track->setTickInterval(kTrackTickFrequency);
    track->setMaximum(std::max(1, track->width()));
    track->setValue(0);
}

void PreviewPane::stop() {
    ++m_generation;
    detachNotifications();
    m_player->Stop(true);
    m_group.videoPanel()->clear();
}

void PreviewPane::play() {
    m_player->Resume();
    emit listFocusRequested();
}

void PreviewPane::pause() {
    m_player->Pause();
    emit listFocusRequested();
}

void PreviewPane::restart() {
    const QString file = m_setup.selectedPreviewFile ? m_setup.selectedPreviewFile() : QString();
    if (file.isEmpty()) {
        return;
    }
    m_player->Stop(true);
    openPreview(file);
}

void PreviewPane::toggleSound() {
    m_player->SetMute(!m_player->Mute());
    m_group.showMuted(m_player->Mute());
}

void PreviewPane::trackReleased() {
    const PreviewTrackBar* track = m_group.trackBar();
    const std::int64_t max = track->maximum();
    const std::int64_t target = max > 0 ? m_duration * track->value() / max : 0;
    m_player->Pause();
    m_player->Seek(0, false, target);
    m_player->Resume();
}

void PreviewPane::step(int direction) {
    if (!m_player->IsOpen()) {
        return;
    }
    const std::int64_t target =
        std::max<std::int64_t>(0, m_player->CurrentPosition() + direction * kKeyStepUs);
    m_player->Seek(direction < 0 ? kSeekBackward : 0, false, target);
}

void PreviewPane::takeSnapshot() {
    Bitmap shot;
    {
        std::int64_t pts = 0;
        const Bitmap& frame = m_player->CurrentFrame(pts);
        std::lock_guard lock(frame.lock());
        shot.assign(frame);
    }
    const std::string folder = m_menu->snapshotFolder();
    const SnapshotType& type = snapshotTypeOf(m_menu->rereadPictureType());
    if (shot.empty()) {
        return;
    }
    const std::string path = nextSnapshotPath(folder, m_file.toStdString(), type);
    std::string error = "no free file name in " + folder;
    if (path.empty() || !writeSnapshot(shot, type.format, path, &error)) {
        const QString text = QStringLiteral("快照保存失败：") + QString::fromStdString(error);
        emit logLine(text);
        emit statusMessage(text);
        return;
    }
    const QString sound = QDir(m_setup.soundsFolder).filePath(QStringLiteral("cam.wav"));
    if (QFileInfo(sound).isFile()) {
        m_sound.play(sound);
    }
    emit statusMessage(QString::fromUtf8(kSnapshotTakenText));
}

void PreviewPane::showSnapshotPicture(const std::string& type) {
    m_menu->checkPictureType(type);
}

bool PreviewPane::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_snapshotSettingsButton &&
        (event->type() == QEvent::MouseButtonPress ||
         event->type() == QEvent::MouseButtonDblClick)) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        m_menu->rereadPictureType();
        if (mouse->button() == Qt::LeftButton) {
            m_menu->popup(mouse->globalPosition().toPoint());
        }
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void PreviewPane::pictureReady() {
    if (m_paintQueued.exchange(true)) {
        return;
    }
    const int generation = m_generation.load();
    QMetaObject::invokeMethod(
        this,
        [this, generation] {
            m_paintQueued = false;
            paintPicture(generation);
        },
        Qt::QueuedConnection);
}

void PreviewPane::paintPicture(int generation) {
    if (generation != m_generation.load() || !m_player->IsOpen()) {
        return;
    }
    std::int64_t pts = 0;
    QImage picture = ui::toQImage(m_player->CurrentFrame(pts));
    if (picture.isNull()) {
        int width = 0;
        int height = 0;
        const auto pixels = m_player->CurrentVisualisation(width, height);
        picture = visualisationImage(pixels, width, height);
    }
    if (!picture.isNull()) {
        m_group.videoPanel()->showPicture(picture);
    }
}

}  // namespace velmora::app
