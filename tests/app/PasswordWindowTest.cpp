// The start-up lock in the window: when the password window appears, what its buttons do, and
// that no way of closing it gets past the lock.
#include <sys/stat.h>
#include <unistd.h>
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <fstream>
#include <functional>

#include "WindowFixture.h"
#include "app/PasswordWindow.h"
#include "profiles/LockFile.h"

using velmora::app::LockOutcome;
using velmora::app::PasswordWindow;

namespace velmora::test {

namespace {

const QString kWrongPasswordText = QStringLiteral("输入的密码错误,请和本机管理人员联系！");

// Acts on the password window once it is shown modally, for as long as the driver lives.
class PasswordWindowDriver {
public:
    explicit PasswordWindowDriver(std::function<void(PasswordWindow&)> action)
        : m_action(std::move(action)) {
        m_poll.setInterval(10);
        QObject::connect(&m_poll, &QTimer::timeout, [this] {
            auto* window = qobject_cast<PasswordWindow*>(QApplication::activeModalWidget());
            if (window == nullptr || !window->isVisible()) {
                return;
            }
            m_poll.stop();
            ++m_shown;
            m_action(*window);
        });
        m_poll.start();
    }
    int shown() const { return m_shown; }

private:
    std::function<void(PasswordWindow&)> m_action;
    QTimer m_poll;
    int m_shown = 0;
};

}  // namespace

class PasswordWindowTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void noLockNoWindow();
    void lockThatDoesNotCountIsIgnored();
    void entries_data();
    void entries();
    void exitAndClosingEndTheProgram_data();
    void exitAndClosingEndTheProgram();
    void showingEmptiesTheEntryAndHidesIt();
    void starsUnderALook();

private:
    app::LockSetup lockSetup() const {
        return app::LockSetup{m_dir->filePath(QStringLiteral("Check_PsP")).toStdString(),
                              ::geteuid()};
    }
    void writeLock(const LockRecord& record, mode_t mode = 0644);

    std::unique_ptr<QTemporaryDir> m_dir;
};

void PasswordWindowTest::init() {
    m_dir = std::make_unique<QTemporaryDir>();
}

void PasswordWindowTest::writeLock(const LockRecord& record, mode_t mode) {
    const std::string path = lockSetup().lockFilePath;
    std::ofstream(path, std::ios::trunc) << lockFileText(record);
    ::chmod(path.c_str(), mode);
}

void PasswordWindowTest::noLockNoWindow() {
    WindowFixture fixture;
    auto window = fixture.makeWindow();
    const PasswordWindowDriver driver([](PasswordWindow& w) { w.reject(); });
    QCOMPARE(app::runLockCheck(*window, lockSetup(), fixture.desktop.seams()), LockOutcome::Open);
    QCOMPARE(driver.shown(), 0);
}

void PasswordWindowTest::lockThatDoesNotCountIsIgnored() {
    WindowFixture fixture;
    auto window = fixture.makeWindow();
    writeLock({scrambledForm("pw"), ""}, 0666);
    const PasswordWindowDriver driver([](PasswordWindow& w) { w.reject(); });
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("does not count")));
    QCOMPARE(app::runLockCheck(*window, lockSetup(), fixture.desktop.seams()), LockOutcome::Open);
    QCOMPARE(driver.shown(), 0);
}

void PasswordWindowTest::entries_data() {
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("master");
    QTest::addColumn<QString>("entered");
    QTest::addColumn<bool>("opens");
    QTest::newRow("right password") << "开门 Sesame"
                                    << ""
                                    << "开门 Sesame" << true;
    QTest::newRow("wrong case") << "Sesame"
                                << ""
                                << "sesame" << false;
    QTest::newRow("empty entry") << "Sesame"
                                 << ""
                                 << "" << false;
    QTest::newRow("no stored password, empty entry") << ""
                                                     << ""
                                                     << "" << true;
    QTest::newRow("master") << "Sesame"
                            << "Admin-9"
                            << "Admin-9" << true;
    QTest::newRow("no master, nothing else opens") << "Sesame"
                                                   << ""
                                                   << "Admin-9" << false;
}

void PasswordWindowTest::entries() {
    QFETCH(QString, password);
    QFETCH(QString, master);
    QFETCH(QString, entered);
    QFETCH(bool, opens);
    WindowFixture fixture;
    auto window = fixture.makeWindow();
    window->show();
    writeLock({scrambledForm(password.toStdString()),
               master.isEmpty() ? std::string() : scrambledForm(master.toStdString())});
    const PasswordWindowDriver driver([entered](PasswordWindow& w) {
        w.passwordEdit()->insert(entered);
        w.okButton()->click();
    });
    const LockOutcome outcome = app::runLockCheck(*window, lockSetup(), fixture.desktop.seams());
    QCOMPARE(driver.shown(), 1);
    QCOMPARE(outcome, opens ? LockOutcome::Open : LockOutcome::WrongPassword);
    if (opens) {
        QVERIFY(fixture.desktop.messages.empty());
        return;
    }
    QCOMPARE(fixture.desktop.messages.size(), std::size_t(1));
    QCOMPARE(fixture.desktop.messages[0].icon, QMessageBox::Critical);
    QCOMPARE(fixture.desktop.messages[0].title, QStringLiteral("错误"));
    QCOMPARE(fixture.desktop.messages[0].text, kWrongPasswordText);
}

void PasswordWindowTest::exitAndClosingEndTheProgram_data() {
    QTest::addColumn<int>("how");
    QTest::newRow("退出") << 0;
    QTest::newRow("Escape") << 1;
    QTest::newRow("window closed") << 2;
}

void PasswordWindowTest::exitAndClosingEndTheProgram() {
    QFETCH(int, how);
    WindowFixture fixture;
    auto window = fixture.makeWindow();
    window->show();
    writeLock({scrambledForm("pw"), ""});
    const PasswordWindowDriver driver([how](PasswordWindow& w) {
        QTest::keyClicks(w.passwordEdit(), QStringLiteral("pw"));
        if (how == 0) {
            w.exitButton()->click();
        } else if (how == 1) {
            QTest::keyClick(&w, Qt::Key_Escape);
        } else {
            w.close();
        }
    });
    QCOMPARE(app::runLockCheck(*window, lockSetup(), fixture.desktop.seams()), LockOutcome::Exit);
    QCOMPARE(driver.shown(), 1);
    QVERIFY(fixture.desktop.messages.empty());
}

void PasswordWindowTest::showingEmptiesTheEntryAndHidesIt() {
    RecordingDesktop desktop;
    PasswordWindow window({scrambledForm("pw"), ""}, desktop.seams());
    window.passwordEdit()->setText(QStringLiteral("left over"));
    window.show();
    QVERIFY(window.passwordEdit()->text().isEmpty());
    QTest::keyClicks(window.passwordEdit(), QStringLiteral("pw"));
    QCOMPARE(window.passwordEdit()->displayText(), QStringLiteral("**"));
}

// Over a main window with a look, the window takes the look and still shows "*".
void PasswordWindowTest::starsUnderALook() {
    WindowFixture fixture;
    auto main = fixture.makeWindow();
    main->chooseLook("skin7");
    QVERIFY(!main->styleSheet().isEmpty());
    PasswordWindow window({scrambledForm("pw"), ""}, fixture.desktop.seams(), main.get());
    window.show();
    QTest::keyClicks(window.passwordEdit(), QStringLiteral("secret"));
    QCOMPARE(window.passwordEdit()->displayText(), QStringLiteral("******"));
}

}  // namespace velmora::test

QTEST_MAIN(velmora::test::PasswordWindowTest)
#include "PasswordWindowTest.moc"
