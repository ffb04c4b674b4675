// The password window ("密码窗口") of the start-up lock, and the lock check the program runs once
// its main window is on screen.
#pragma once

#include <sys/types.h>
#include <QDialog>
#include <string>

#include "app/DesktopSeams.h"
#include "profiles/LockFile.h"

class QLineEdit;
class QPushButton;

namespace velmora::app {

class PasswordWindow : public QDialog {
    Q_OBJECT
public:
    // The window's result after a wrong password (Accepted: opened; Rejected: "退出" or closed).
    static constexpr int kWrongPassword = 2;

    PasswordWindow(LockRecord lock, DesktopSeams seams, QWidget* parent = nullptr);

    QLineEdit* passwordEdit() const { return m_edit; }
    QPushButton* okButton() const { return m_okButton; }
    QPushButton* exitButton() const { return m_exitButton; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    // Accepts the window when the entry opens the lock; otherwise says so and rejects it.
    void confirm();

    LockRecord m_lock;
    DesktopSeams m_seams;
    QLineEdit* m_edit = nullptr;
    QPushButton* m_okButton = nullptr;
    QPushButton* m_exitButton = nullptr;
};

// Where the lock file is and who must own it for the lock to count.
struct LockSetup {
    std::string lockFilePath;
    uid_t trustedOwner = 0;
};

// lockFilePath() and root.
LockSetup defaultLockSetup();

enum class LockOutcome {
    Open,           // no lock, a lock that does not count (logged), or the right password
    Exit,           // "退出", or the password window closed
    WrongPassword,  // refused after the error message
};

// The lock check of a shown main window: the password window, modal over mainWindow, when the
// lock file counts. The caller closes the main window unless the outcome is Open.
LockOutcome runLockCheck(QWidget& mainWindow, const LockSetup& setup, const DesktopSeams& seams);

}  // namespace velmora::app
