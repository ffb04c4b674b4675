#include "app/PreviewGroup.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QIcon>
#include <QSlider>
#include <QToolButton>
#include <QVBoxLayout>

namespace velmora::app {

namespace {

struct ButtonLook {
    const char* hint;
    const char* icon;
};

// In the order of PreviewButton.
constexpr std::array<ButtonLook, kPreviewButtonCount> kButtons = {{
    {"播放", ":/icons/play.svg"},
    {"暂停", ":/icons/preview-pause.svg"},
    {"停止", ":/icons/preview-stop.svg"},
    {"声音/静音", ":/icons/sound.svg"},
    {"捕捉快照", ":/icons/snapshot.svg"},
    {"快照设置", ":/icons/snapshot-settings.svg"},
}};

constexpr int kButtonIconPx = 24;

}  // namespace

PreviewGroup::PreviewGroup(QWidget* parent)
    : QGroupBox(QStringLiteral("视频预览"), parent),
      m_videoPanel(new QFrame(this)),
      m_trackBar(new QSlider(Qt::Horizontal, this)) {
    setObjectName(QStringLiteral("previewGroup"));
    // The player draws into this panel; black until it does.
    m_videoPanel->setObjectName(QStringLiteral("videoPanel"));
    m_videoPanel->setFrameShape(QFrame::StyledPanel);
    m_videoPanel->setAutoFillBackground(true);
    QPalette black = m_videoPanel->palette();
    black.setColor(QPalette::Window, Qt::black);
    m_videoPanel->setPalette(black);
    m_videoPanel->setStyleSheet(QStringLiteral("#videoPanel { background: black; }"));
    m_videoPanel->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);

    m_trackBar->setObjectName(QStringLiteral("trackBar"));
    m_trackBar->setRange(0, kInitialTrackMax);
    m_trackBar->setValue(0);

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(4);
    for (std::size_t i = 0; i < kPreviewButtonCount; ++i) {
        auto* button = new QToolButton(this);
        button->setIcon(QIcon(QString::fromUtf8(kButtons[i].icon)));
        button->setIconSize(QSize(kButtonIconPx, kButtonIconPx));
        button->setToolTip(QString::fromUtf8(kButtons[i].hint));
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

}  // namespace velmora::app
