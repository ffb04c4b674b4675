// The media information dialog "视频信息提示": the file format, video and audio facts of a job's
// source, gathered through the converter's probe each time it is asked for. Created once with
// the window and reused; each showing starts from empty labels, so nothing of an earlier file
// stays. It takes the saved look each time it is shown.
#pragma once

#include <QDialog>
#include <array>

#include "app/DesktopSeams.h"
#include "app/MediaInfo.h"
#include "profiles/SettingsFile.h"

class QLabel;

namespace velmora {
class TCustomMediaProbe;
}

namespace velmora::app {

enum class MediaInfoField {
    FileName,
    FormatName,
    FormatLongName,
    Extension,
    Duration,
    FileSize,
    BitRate,
    Resolution,
    FrameRate,
    VideoBitRate,
    VideoStream,
    SampleRate,
    Channels,
    AudioBitRate,
    AudioStream,
};
inline constexpr std::size_t kMediaInfoFieldCount = 15;

class MediaInfoDialog : public QDialog {
    Q_OBJECT
public:
    MediaInfoDialog(TCustomMediaProbe& probe, DesktopSeams seams, SettingsFile settings,
                    QString skinsFolder, QWidget* parent = nullptr);

    // Gathers the file's facts and shows them, modal to the window, without waiting for the
    // dialog to close. A file the probe cannot open is reported in a message box instead; false
    // then.
    bool present(const QString& file);
    // Empties the labels, then fills them from the texts.
    void showTexts(const MediaInfoTexts& texts);

    QLabel* value(MediaInfoField field) const { return m_values[static_cast<std::size_t>(field)]; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    TCustomMediaProbe& m_probe;
    DesktopSeams m_seams;
    SettingsFile m_settings;
    QString m_skinsFolder;
    std::array<QLabel*, kMediaInfoFieldCount> m_values{};
};

}  // namespace velmora::app
