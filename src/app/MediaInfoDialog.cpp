#include "app/MediaInfoDialog.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "profiles/StoredSettings.h"
#include "ui/Skins.h"

namespace velmora::app {

namespace {

struct Row {
    MediaInfoField field;
    const char* caption;
};

struct Group {
    const char* caption;
    std::vector<Row> rows;
};

const std::array<Group, 3>& groups() {
    static const std::array<Group, 3> table = {{
        {"文件格式信息",
         {{MediaInfoField::FileName, "文件名："},
          {MediaInfoField::FormatName, "文件格式："},
          {MediaInfoField::FormatLongName, "文件格式全名："},
          {MediaInfoField::Extension, "文件扩展名："},
          {MediaInfoField::Duration, "播放时长："},
          {MediaInfoField::FileSize, "文件大小："},
          {MediaInfoField::BitRate, "比特率："}}},
        {"视频格式信息",
         {{MediaInfoField::Resolution, "视频分辨率："},
          {MediaInfoField::FrameRate, "视频帧率："},
          {MediaInfoField::VideoBitRate, "视频比特率："},
          {MediaInfoField::VideoStream, "视频流信息："}}},
        {"音频格式信息",
         {{MediaInfoField::SampleRate, "音频采样率："},
          {MediaInfoField::Channels, "音频声道："},
          {MediaInfoField::AudioBitRate, "音频比特率："},
          {MediaInfoField::AudioStream, "音频流信息："}}},
    }};
    return table;
}

constexpr int kValueWidth = 400;

// The cut-out pieces keep their line breaks; a label shows the text without them.
QString oneLine(const QString& text) {
    QString shown = text;
    while (shown.endsWith(QLatin1Char('\n')) || shown.endsWith(QLatin1Char('\r'))) {
        shown.chop(1);
    }
    return shown;
}

}  // namespace

MediaInfoDialog::MediaInfoDialog(TCustomMediaProbe& probe, DesktopSeams seams,
                                 SettingsFile settings, QString skinsFolder, QWidget* parent)
    : QDialog(parent),
      m_probe(probe),
      m_seams(std::move(seams)),
      m_settings(std::move(settings)),
      m_skinsFolder(std::move(skinsFolder)) {
    setObjectName(QStringLiteral("mediaInfoDialog"));
    setWindowTitle(QStringLiteral("视频信息提示"));
    auto* layout = new QVBoxLayout(this);
    // As high as the texts of the file shown need, no higher.
    layout->setSizeConstraint(QLayout::SetFixedSize);
    for (const Group& group : groups()) {
        auto* box = new QGroupBox(QString::fromUtf8(group.caption), this);
        auto* grid = new QGridLayout(box);
        grid->setColumnStretch(1, 1);
        int line = 0;
        for (const Row& row : group.rows) {
            auto* caption = new QLabel(QString::fromUtf8(row.caption), box);
            caption->setAlignment(Qt::AlignRight | Qt::AlignTop);
            auto* value = new QLabel(box);
            value->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            value->setWordWrap(true);
            value->setFixedWidth(kValueWidth);
            value->setTextInteractionFlags(Qt::TextSelectableByMouse);
            value->setTextFormat(Qt::PlainText);
            grid->addWidget(caption, line, 0);
            grid->addWidget(value, line, 1);
            m_values[static_cast<std::size_t>(row.field)] = value;
            ++line;
        }
        layout->addWidget(box);
    }
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QStringLiteral("确定"), QDialogButtonBox::AcceptRole);
    ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
}

bool MediaInfoDialog::present(const QString& file) {
    MediaInfoTexts texts;
    std::string error;
    if (!gatherMediaInfo(m_probe, file.toStdString(), texts, &error)) {
        if (m_seams.messageBox) {
            m_seams.messageBox(parentWidget(), QMessageBox::Information, QStringLiteral("提示"),
                               QStringLiteral("无法识别的音频或视频文件！") + file,
                               QMessageBox::Ok);
        }
        return false;
    }
    showTexts(texts);
    setWindowModality(Qt::WindowModal);
    open();
    raise();
    return true;
}

void MediaInfoDialog::showTexts(const MediaInfoTexts& texts) {
    for (QLabel* label : m_values) {
        label->clear();
    }
    auto set = [this](MediaInfoField field, const QString& text) {
        value(field)->setText(oneLine(text));
    };
    set(MediaInfoField::FileName, QFileInfo(texts.fileName).fileName());
    set(MediaInfoField::FormatName, texts.formatName);
    set(MediaInfoField::FormatLongName, texts.formatLongName);
    set(MediaInfoField::Extension, extensionWithDot(texts.fileName));
    set(MediaInfoField::Duration, texts.pieces.duration);
    set(MediaInfoField::FileSize, texts.pieces.fileSize);
    set(MediaInfoField::BitRate, texts.pieces.totalBitRate);
    set(MediaInfoField::Resolution, texts.videoWidth + QLatin1Char('*') + texts.videoHeight);
    set(MediaInfoField::FrameRate, texts.videoFrameRate);
    set(MediaInfoField::VideoBitRate, texts.videoBitRate + QStringLiteral("  kbps"));
    set(MediaInfoField::VideoStream, streamText(texts.pieces.videoStream));
    set(MediaInfoField::SampleRate, texts.audioSampleRate);
    // Other counts than one and two leave the label as it is.
    const QString words = channelWords(texts.audioChannels);
    if (!words.isEmpty()) {
        set(MediaInfoField::Channels, words);
    }
    set(MediaInfoField::AudioBitRate, texts.audioBitRate + QStringLiteral("  kbps"));
    set(MediaInfoField::AudioStream, streamText(texts.pieces.audioStream));
}

void MediaInfoDialog::showEvent(QShowEvent* event) {
    if (const auto saved = readSkin(m_settings)) {
        ui::applySkin(*this, *saved, m_skinsFolder);
    }
    QDialog::showEvent(event);
}

}  // namespace velmora::app
