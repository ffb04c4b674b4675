// The online update window against a local HTTP server: the outcomes of a check, the download
// address that may be opened, the time-out, and where the version file goes.
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "LocalHttpServer.h"
#include "WindowFixture.h"
#include "app/FileDownload.h"
#include "app/UpdateWindow.h"

using velmora::app::UpdateSetup;
using velmora::app::UpdateWindow;

namespace velmora::test {

namespace {

const QString kConnectionFailed = QStringLiteral("连接失败!可能网络忙或没连接到网络...");
const QString kNoNewVersion = QStringLiteral("没有检测到新版本,现在使用的为最新版本!");
const QString kInvalidFile = QStringLiteral("检测失败!版本信息文件不完整,没有找到最新版本号...");
const QString kRefused = QStringLiteral("下载链接不是http或https网址,已拒绝打开:");
constexpr int kWaitMs = 20000;  // a bound for a broken test, never a measured time

QByteArray versionFile(const QByteArray& latest, const QByteArray& link) {
    return "[version]\r\nnew=" + latest + "\r\ndate=2026-12-01\r\nsize=12.5MB\r\nlinks1=" + link +
           "\r\n";
}

QStringList memoLines(const UpdateWindow& window) {
    return window.memo()->toPlainText().split(QLatin1Char('\n'));
}

}  // namespace

class UpdateWindowTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void checkOutcomes_data();
    void checkOutcomes();
    void newVersionIsShownAndItsAddressOpened();
    void downloadOpensOnlyWebAddresses_data();
    void downloadOpensOnlyWebAddresses();
    void timeOutCountsAsAFailedDownload();
    void failedDownloadChangesNothingElse();
    void showingAgainStartsClean();
    void hidingEndsARunningCheck();
    void versionFileGoesWhereItMayBeWritten();

private:
    std::unique_ptr<UpdateWindow> makeWindow(
        const QUrl& address, std::chrono::milliseconds timeout = std::chrono::seconds(15));
    // Clicks "检测升级" and waits for the check to end.
    bool check(UpdateWindow& window);
    QString versionFilePath() const { return m_dir->filePath(QStringLiteral("update.ini")); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<LocalHttpServer> m_server;
    RecordingDesktop m_desktop;
};

void UpdateWindowTest::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    m_server = std::make_unique<LocalHttpServer>();
    QVERIFY(m_server->start());
    m_desktop = RecordingDesktop();
}

void UpdateWindowTest::cleanup() {
    m_server.reset();
    m_dir.reset();
}

std::unique_ptr<UpdateWindow> UpdateWindowTest::makeWindow(const QUrl& address,
                                                           std::chrono::milliseconds timeout) {
    UpdateSetup setup{address, versionFilePath(), timeout};
    auto window = std::make_unique<UpdateWindow>(setup, m_desktop.seams());
    window->show();
    return window;
}

bool UpdateWindowTest::check(UpdateWindow& window) {
    QSignalSpy finished(&window, &UpdateWindow::checkFinished);
    window.checkButton()->click();
    return finished.count() == 1 || finished.wait(kWaitMs);
}

void UpdateWindowTest::checkOutcomes_data() {
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<bool>("serverDown");
    QTest::addColumn<QString>("statusText");
    QTest::addColumn<bool>("newVersion");
    QTest::addColumn<int>("progress");

    const QByteArray link = "https://example.org/velmora.deb";
    const QString found = QStringLiteral("发现新版本程序,您可以升级下载新版本。");
    QTest::newRow("same version") << 200 << versionFile("1.63", link) << false << kNoNewVersion
                                  << false << 100;
    QTest::newRow("same version, blanks around it")
        << 200 << QByteArray("[Version]\nnew = 1.63 \n") << false << kNoNewVersion << false << 100;
    QTest::newRow("newer") << 200 << versionFile("1.7", link) << false << found << true << 100;
    QTest::newRow("older text, compared as text")
        << 200 << versionFile("1.5", link) << false << found << true << 100;
    QTest::newRow("no new key") << 200 << QByteArray("[version]\ndate=2026-12-01\nlinks1=" + link)
                                << false << kInvalidFile << false << 50;
    QTest::newRow("an error page") << 200 << QByteArray("<html><body>Sign in</body></html>")
                                   << false << kInvalidFile << false << 50;
    QTest::newRow("binary") << 200 << QByteArray("\x00\xff\xfe[version\nnew", 15) << false
                            << kInvalidFile << false << 50;
    QTest::newRow("empty") << 200 << QByteArray() << false << kInvalidFile << false << 50;
    QTest::newRow("not found") << 404 << QByteArray("gone") << false << kConnectionFailed << false
                               << 20;
    QTest::newRow("server error") << 500 << QByteArray() << false << kConnectionFailed << false
                                  << 20;
    QTest::newRow("larger than a version file")
        << 200 << QByteArray(UpdateWindow::kMaxVersionFileBytes + 1, 'a') << false
        << kConnectionFailed << false << 20;
    QTest::newRow("server down") << 0 << QByteArray() << true << kConnectionFailed << false << 20;
}

void UpdateWindowTest::checkOutcomes() {
    QFETCH(int, status);
    QFETCH(QByteArray, body);
    QFETCH(bool, serverDown);
    QFETCH(QString, statusText);
    QFETCH(bool, newVersion);
    QFETCH(int, progress);
    m_server->answer(QStringLiteral("/update.ini"), status, body);
    const QUrl address =
        serverDown ? QUrl(QStringLiteral("http://127.0.0.1:%1/update.ini").arg(closedLocalPort()))
                   : m_server->address(QStringLiteral("/update.ini"));
    auto window = makeWindow(address);
    QVERIFY(check(*window));
    QCOMPARE(window->statusLabel()->text(), statusText);
    QCOMPARE(window->downloadButton()->isEnabled(), newVersion);
    QCOMPARE(window->progressBar()->value(), progress);
    QVERIFY(window->checkButton()->isEnabled());
    if (!newVersion) {
        QCOMPARE(memoLines(*window), QStringList{statusText});
    }
    QVERIFY(m_desktop.openedUrls.empty());
}

void UpdateWindowTest::newVersionIsShownAndItsAddressOpened() {
    m_server->answer(QStringLiteral("/v/update.ini"), 200,
                     versionFile("2.0", "https://example.org/velmora-2.0.deb"));
    auto window = makeWindow(m_server->address(QStringLiteral("/v/update.ini")));
    QVERIFY(check(*window));
    const QStringList expected = {
        QStringLiteral("发现新版本程序...."),
        QStringLiteral("软件名称:Velmora"),
        QStringLiteral("最新版本:2.0"),
        QStringLiteral("更新日期:2026-12-01"),
        QStringLiteral("软件大小:12.5MB"),
        QStringLiteral("下载链接:https://example.org/velmora-2.0.deb"),
        QString(),
        QStringLiteral("检测完成,您可以点击<开始下载>"
                       "按钮打开下载最新升级版本。推荐您使用（网际快车）软件下载。"),
    };
    QCOMPARE(memoLines(*window), expected);
    QCOMPARE(window->downloadAddress(), QStringLiteral("https://example.org/velmora-2.0.deb"));
    QVERIFY(QFile::exists(versionFilePath()));

    window->downloadButton()->click();
    QCOMPARE(m_desktop.openedUrls.size(), std::size_t(1));
    QCOMPARE(m_desktop.openedUrls[0], QUrl(QStringLiteral("https://example.org/velmora-2.0.deb")));
    QVERIFY(window->memo()->toPlainText().isEmpty());
}

void UpdateWindowTest::downloadOpensOnlyWebAddresses_data() {
    QTest::addColumn<QByteArray>("link");
    QTest::addColumn<bool>("opened");
    QTest::newRow("https") << QByteArray("https://example.org/v.zip") << true;
    QTest::newRow("http, upper case scheme") << QByteArray("HTTP://example.org/v.zip") << true;
    QTest::newRow("a local file") << QByteArray("file:///etc/passwd") << false;
    QTest::newRow("a plain path") << QByteArray("/etc/passwd") << false;
    QTest::newRow("ftp") << QByteArray("ftp://example.org/v.zip") << false;
    QTest::newRow("script") << QByteArray("javascript:alert(1)") << false;
    QTest::newRow("no host") << QByteArray("http:///v.zip") << false;
    QTest::newRow("empty") << QByteArray() << false;
}

void UpdateWindowTest::downloadOpensOnlyWebAddresses() {
    QFETCH(QByteArray, link);
    QFETCH(bool, opened);
    m_server->answer(QStringLiteral("/update.ini"), 200, versionFile("9.9", link));
    auto window = makeWindow(m_server->address(QStringLiteral("/update.ini")));
    QVERIFY(check(*window));
    QVERIFY(window->downloadButton()->isEnabled());
    window->downloadButton()->click();
    QCOMPARE(m_desktop.openedUrls.size(), std::size_t(opened ? 1 : 0));
    if (!opened) {
        QCOMPARE(window->memo()->toPlainText(), kRefused + QString::fromUtf8(link));
    }
}

void UpdateWindowTest::timeOutCountsAsAFailedDownload() {
    m_server->stayQuiet(QStringLiteral("/slow.ini"));
    auto window =
        makeWindow(m_server->address(QStringLiteral("/slow.ini")), std::chrono::milliseconds(200));
    QVERIFY(check(*window));
    QCOMPARE(window->statusLabel()->text(), kConnectionFailed);
    QCOMPARE(m_server->requests(), 1);
    QVERIFY(!QFile::exists(versionFilePath()));
}

void UpdateWindowTest::failedDownloadChangesNothingElse() {
    const QByteArray first = versionFile("1.7", "https://example.org/a.deb");
    m_server->answer(QStringLiteral("/update.ini"), 200, first);
    auto window = makeWindow(m_server->address(QStringLiteral("/update.ini")));
    QVERIFY(check(*window));
    m_server->answer(QStringLiteral("/update.ini"), 200,
                     QByteArray(UpdateWindow::kMaxVersionFileBytes * 2, 'x'));
    QVERIFY(check(*window));
    QCOMPARE(window->statusLabel()->text(), kConnectionFailed);
    // The last good version file and its download address stay.
    QFile file(versionFilePath());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), first);
    QCOMPARE(window->downloadAddress(), QStringLiteral("https://example.org/a.deb"));
}

void UpdateWindowTest::showingAgainStartsClean() {
    m_server->answer(QStringLiteral("/update.ini"), 200,
                     versionFile("1.7", "https://example.org/a.deb"));
    auto window = makeWindow(m_server->address(QStringLiteral("/update.ini")));
    QCOMPARE(window->windowTitle(), QStringLiteral("网上升级"));
    QCOMPARE(window->statusLabel()->text(), QStringLiteral("状态信息:"));
    QVERIFY(!window->downloadButton()->isEnabled());
    QVERIFY(check(*window));
    window->backButton()->click();
    QVERIFY(!window->isVisible());
    window->show();
    QVERIFY(window->memo()->toPlainText().isEmpty());
    QCOMPARE(window->statusLabel()->text(), QStringLiteral("状态信息:"));
    QVERIFY(!window->downloadButton()->isEnabled());
    QCOMPARE(window->progressBar()->value(), 0);
    QCOMPARE(window->downloadAddress(), QStringLiteral("https://example.org/a.deb"));
}

void UpdateWindowTest::hidingEndsARunningCheck() {
    m_server->stayQuiet(QStringLiteral("/slow.ini"));
    auto window = makeWindow(m_server->address(QStringLiteral("/slow.ini")));
    QSignalSpy finished(window.get(), &UpdateWindow::checkFinished);
    window->checkButton()->click();
    QVERIFY(!window->checkButton()->isEnabled());
    window->backButton()->click();
    QVERIFY(window->checkButton()->isEnabled());
    QCoreApplication::processEvents();
    QCOMPARE(finished.count(), 0);
    QVERIFY(!QFile::exists(versionFilePath()));
}

void UpdateWindowTest::versionFileGoesWhereItMayBeWritten() {
    const QString root = m_dir->path();
    QDir(root).mkpath(QStringLiteral("tree/bin"));
    QDir(root).mkpath(QStringLiteral("usr/bin"));
    QDir(root).mkpath(QStringLiteral("usr/share/velmora"));
    const QString data = root + QStringLiteral("/home/.local/share");
    QCOMPARE(app::updateFilePath(root + QStringLiteral("/tree/bin"), data),
             root + QStringLiteral("/tree/bin/update.ini"));
    QCOMPARE(app::updateFilePath(root + QStringLiteral("/usr/bin"), data),
             data + QStringLiteral("/velmora/update.ini"));

    // The folder is made when the check starts.
    m_server->answer(QStringLiteral("/update.ini"), 200, versionFile("1.63", ""));
    UpdateSetup setup{m_server->address(QStringLiteral("/update.ini")),
                      data + QStringLiteral("/velmora/update.ini"), std::chrono::seconds(15)};
    UpdateWindow window(setup, m_desktop.seams());
    window.show();
    QVERIFY(check(window));
    QCOMPARE(window.statusLabel()->text(), kNoNewVersion);
    QVERIFY(QFile::exists(setup.versionFilePath));
}

}  // namespace velmora::test

QTEST_MAIN(velmora::test::UpdateWindowTest)
#include "UpdateWindowTest.moc"
