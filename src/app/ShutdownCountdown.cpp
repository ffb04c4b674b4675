#include "app/ShutdownCountdown.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace velmora::app {

namespace {

constexpr int kTickMs = 1000;

}  // namespace

ShutdownCountdown::ShutdownCountdown(QWidget* parent)
    : QDialog(parent), m_label(new QLabel(this)), m_timer(new QTimer(this)) {
    setWindowTitle(QStringLiteral("提示"));
    setModal(true);
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* now = buttons->addButton(QStringLiteral("立即关机"), QDialogButtonBox::AcceptRole);
    QPushButton* cancel = buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole);
    // Cancel is what Return and Escape do: powering off must be a deliberate choice.
    cancel->setDefault(true);
    now->setAutoDefault(false);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_label);
    layout->addWidget(buttons);
    m_label->setText(text());

    m_timer->setInterval(kTickMs);
    connect(m_timer, &QTimer::timeout, this, &ShutdownCountdown::tick);
    m_timer->start();
}

bool ShutdownCountdown::confirm(QWidget* parent) {
    ShutdownCountdown countdown(parent);
    return countdown.exec() == QDialog::Accepted;
}

QString ShutdownCountdown::text() const {
    return QStringLiteral("全部文件已转换完毕，计算机将在 %1 秒后关闭。").arg(m_secondsLeft);
}

void ShutdownCountdown::tick() {
    if (m_secondsLeft <= 0) {
        return;
    }
    --m_secondsLeft;
    m_label->setText(text());
    if (m_secondsLeft == 0) {
        m_timer->stop();
        accept();
    }
}

}  // namespace velmora::app
