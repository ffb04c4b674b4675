#include "app/PreviewGroup.h"

#include <QHBoxLayout>
#include <QIcon>
#include <QKeySequence>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/PreviewTrackBar.h"
#include "app/PreviewVideoPanel.h"

namespace velmora::app {

namespace {

struct ButtonLook {
    const char* hint;
    const char* picture;  // the normal picture; the highlighted one adds "-hot"
    const char* key;      // the video panel's key for it, shown in the tooltip; empty: none
};

// In the order of PreviewButton.
constexpr std::array<ButtonLook, kPreviewButtonCount> kButtons = {{
    {"播放", "play", "Space"},
    {"暂停", "preview-pause", "Space"},
    {"停止", "preview-stop", ""},
    {"声音/静音", "sound", ""},
    {"捕捉快照", "snapshot", ""},
    {"快照设置", "snapshot-settings", ""},
}};

constexpr int kButtonIconPx = 24;

// The normal picture, and the highlighted one while the mouse is over the button.
QIcon buttonIcon(const QString& picture) {
    QIcon icon;
    icon.addFile(QStringLiteral(":/icons/%1.svg").arg(picture), QSize(), QIcon::Normal);
    icon.addFile(QStringLiteral(":/icons/%1-hot.svg").arg(picture), QSize(), QIcon::Active);
    return icon;
}

QString keyText(const char* key) {
    return QKeySequence(QString::fromLatin1(key)).toString(QKeySequence::NativeText);
}

}  // namespace

PreviewGroup::PreviewGroup(QWidget* parent)
    : QGroupBox(QStringLiteral("视频预览"), parent),
      m_videoPanel(new PreviewVideoPanel(this)),
      m_trackBar(new PreviewTrackBar(this)) {
    setObjectName(QStringLiteral("previewGroup"));
    m_trackBar->setRange(0, kInitialTrackMax);
    m_trackBar->setValue(0);
    m_trackBar->setToolTip(
        QStringLiteral("定位 (%1/%2: 后退/前进 5 秒)").arg(keyText("Left"), keyText("Right")));

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(4);
    for (std::size_t i = 0; i < kPreviewButtonCount; ++i) {
        auto* button = new QToolButton(this);
        button->setIcon(buttonIcon(QString::fromLatin1(kButtons[i].picture)));
        button->setIconSize(QSize(kButtonIconPx, kButtonIconPx));
        QString tip = QString::fromUtf8(kButtons[i].hint);
        if (*kButtons[i].key != '\0') {
            tip += QStringLiteral(" (%1)").arg(keyText(kButtons[i].key));
        }
        button->setToolTip(tip);
        button->setAutoRaise(true);
        m_buttons[i] = button;
        buttons->addWidget(button);
    }
    buttons->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 6, 8, 6);
    layout->addWidget(m_videoPanel, 1);
    layout->addLayout(buttons);
    layout->addWidget(m_trackBar);
}

void PreviewGroup::showMuted(bool muted) {
    m_muted = muted;
    button(PreviewButton::Sound)
        ->setIcon(buttonIcon(muted ? QStringLiteral("sound-mute") : QStringLiteral("sound")));
}

}  // namespace velmora::app
