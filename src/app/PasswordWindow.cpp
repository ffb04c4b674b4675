#include "app/PasswordWindow.h"

#include <QCoreApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <QtGlobal>

#include "medialib/MediaLogger.h"

namespace velmora::app {

namespace {

// The edit box shows "*" for every character, whatever the look's own password character is.
constexpr const char* kStarsStyle = "QLineEdit#passwordEdit { lineedit-password-character: 42; }";

void logLockProblem(const std::string& problem) {
    qWarning("velmora: %s", problem.c_str());
    Logger().Log(nullptr, TLogLevel::llWarning, "start-up lock: " + problem);
}

}  // namespace

PasswordWindow::PasswordWindow(LockRecord lock, DesktopSeams seams, QWidget* parent)
    : QDialog(parent), m_lock(std::move(lock)), m_seams(std::move(seams)) {
    setObjectName(QStringLiteral("passwordWindow"));
    setWindowTitle(QStringLiteral("密码窗口"));
    auto* prompt = new QLabel(QStringLiteral("请输入您设置的密码："), this);
    m_edit = new QLineEdit(this);
    m_edit->setEchoMode(QLineEdit::Password);
    m_edit->setObjectName(QStringLiteral("passwordEdit"));
    setStyleSheet(QString::fromLatin1(kStarsStyle));
    m_okButton = new QPushButton(QStringLiteral("确定"), this);
    m_okButton->setDefault(true);
    m_exitButton = new QPushButton(QStringLiteral("退出"), this);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_okButton);
    buttons->addWidget(m_exitButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(prompt);
    layout->addWidget(m_edit);
    layout->addLayout(buttons);
    setMinimumWidth(300);

    connect(m_okButton, &QPushButton::clicked, this, &PasswordWindow::confirm);
    connect(m_exitButton, &QPushButton::clicked, this, &QDialog::reject);
}

void PasswordWindow::showEvent(QShowEvent* event) {
    // Under a look inherited from the main window the edit box keeps the character it took
    // before its own rule applied; a style change makes it read the rule again.
    QEvent styleChange(QEvent::StyleChange);
    QCoreApplication::sendEvent(m_edit, &styleChange);
    m_edit->clear();
    m_edit->setFocus();
    QDialog::showEvent(event);
}

void PasswordWindow::confirm() {
    if (passwordAccepted(m_lock, m_edit->text().toStdString())) {
        accept();
        return;
    }
    m_seams.messageBox(this, QMessageBox::Critical, QStringLiteral("错误"),
                       QStringLiteral("输入的密码错误,请和本机管理人员联系！"), QMessageBox::Ok);
    done(kWrongPassword);
}

LockSetup defaultLockSetup() {
    return LockSetup{lockFilePath(), 0};
}

LockOutcome runLockCheck(QWidget& mainWindow, const LockSetup& setup, const DesktopSeams& seams) {
    const LockCheck check = checkLockFile(setup.lockFilePath, setup.trustedOwner);
    if (!check.problem.empty()) {
        logLockProblem(check.problem);
    }
    if (check.state != LockState::On) {
        return LockOutcome::Open;
    }
    PasswordWindow window(check.record, seams, &mainWindow);
    const int result = window.exec();  // closing the window is "退出"
    if (result == QDialog::Accepted) {
        return LockOutcome::Open;
    }
    return result == PasswordWindow::kWrongPassword ? LockOutcome::WrongPassword
                                                    : LockOutcome::Exit;
}

}  // namespace velmora::app
