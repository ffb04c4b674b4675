// The help menu of the toolbar, the About box and the help pages.
#include <QAction>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QToolButton>
#include <QtTest>

#include "WindowFixture.h"
#include "app/AboutBox.h"
#include "app/HelpMenu.h"
#include "app/JobListView.h"
#include "app/UpdateWindow.h"

using velmora::app::HelpItem;
using velmora::app::MainWindow;
using velmora::app::WindowAction;

namespace velmora::test {

class HelpMenuTest : public QObject {
    Q_OBJECT

private slots:
    void menuItemsInOrder();
    void helpSystemOpensTheIndexOrSaysItIsMissing();
    void f1OpensTheHelpFromTheWindow();
    void makerLinksOpenThroughTheDesktop();
    void aboutBoxShowsVersionAuthorAndLinks();
    void updateWindowIsKeptBetweenShowings();
    void helpPagesLinkOnlyToEachOther();
};

void HelpMenuTest::menuItemsInOrder() {
    WindowFixture fixture;
    auto window = fixture.makeWindow();
    QCOMPARE(window->action(WindowAction::Help)->menu(), window->helpMenu());
    QToolButton* button = window->toolButton(WindowAction::Help);
    QVERIFY(button);
    QCOMPARE(button->popupMode(), QToolButton::InstantPopup);

    QStringList texts;
    for (const QAction* item : window->helpMenu()->actions()) {
        texts << (item->isSeparator() ? QStringLiteral("-") : item->text());
    }
    QCOMPARE(texts, QStringList({"帮助系统?", "网上升级...", "-", "软件网站", "作者联系信箱", "-",
                                 "关于软件"}));
    QCOMPARE(window->helpMenu()->item(HelpItem::HelpSystem)->shortcut(), QKeySequence(Qt::Key_F1));
}

void HelpMenuTest::helpSystemOpensTheIndexOrSaysItIsMissing() {
    WindowFixture fixture;
    auto window = fixture.makeWindow();
    window->helpMenu()->item(HelpItem::HelpSystem)->trigger();
    QVERIFY(fixture.desktop.openedUrls.empty());
    QCOMPARE(fixture.desktop.messages.size(), std::size_t(1));
    QVERIFY(fixture.desktop.messages[0].text.startsWith(QStringLiteral("没有找到帮助文件：")));

    const QString index = fixture.path(QStringLiteral("help/index.html"));
    writeText(index, "<html></html>");
    window->helpMenu()->item(HelpItem::HelpSystem)->trigger();
    QCOMPARE(fixture.desktop.openedUrls.size(), std::size_t(1));
    QCOMPARE(fixture.desktop.openedUrls[0], QUrl::fromLocalFile(index));
}

void HelpMenuTest::f1OpensTheHelpFromTheWindow() {
    WindowFixture fixture;
    writeText(fixture.path(QStringLiteral("help/index.html")), "<html></html>");
    auto window = fixture.makeWindow();
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    window->activateWindow();
    window->jobListView().setFocus();
    QTest::keyClick(window.get(), Qt::Key_F1);
    QCOMPARE(fixture.desktop.openedUrls.size(), std::size_t(1));
    QCOMPARE(fixture.desktop.openedUrls[0].fileName(), QStringLiteral("index.html"));
}

void HelpMenuTest::makerLinksOpenThroughTheDesktop() {
    WindowFixture fixture;
    app::WindowSetup setup = fixture.setup();
    setup.makerLinks = {QStringLiteral("测试作者"), QUrl(QStringLiteral("https://maker.example/")),
                        QStringLiteral("help@maker.example")};
    MainWindow window(std::move(setup));
    window.helpMenu()->item(HelpItem::WebSite)->trigger();
    window.helpMenu()->item(HelpItem::SupportMail)->trigger();
    QCOMPARE(fixture.desktop.openedUrls.size(), std::size_t(2));
    QCOMPARE(fixture.desktop.openedUrls[0], QUrl(QStringLiteral("https://maker.example/")));
    QCOMPARE(fixture.desktop.openedUrls[1], QUrl(QStringLiteral("mailto:help@maker.example")));
}

void HelpMenuTest::aboutBoxShowsVersionAuthorAndLinks() {
    WindowFixture fixture;
    app::WindowSetup setup = fixture.setup();
    setup.makerLinks = {QStringLiteral("<b>作者</b>"),
                        QUrl(QStringLiteral("https://maker.example/")),
                        QStringLiteral("help@maker.example")};
    MainWindow window(std::move(setup));
    window.helpMenu()->item(HelpItem::About)->trigger();
    app::AboutBox* about = window.helpMenu()->aboutBox();
    QVERIFY(about);
    QVERIFY(about->isVisible());
    QVERIFY(about->isModal());
    QCOMPARE(about->windowTitle(), QStringLiteral("关于"));
    QStringList texts;
    for (const QLabel* label : about->findChildren<QLabel*>()) {
        texts << label->text();
    }
    QVERIFY(texts.contains(QStringLiteral("Velmora 3.5.5")));
    // The author is configuration text, shown as it is, never as markup.
    QVERIFY(texts.contains(QStringLiteral("作者：<b>作者</b>")));

    emit about->webLink()->linkActivated(QStringLiteral("https://maker.example/"));
    emit about->mailLink()->linkActivated(QStringLiteral("mailto:help@maker.example"));
    QCOMPARE(fixture.desktop.openedUrls.size(), std::size_t(2));
    QVERIFY(about->webLink()->text().contains(QStringLiteral("href=\"https://maker.example/\"")));
    QVERIFY(about->mailLink()->text().contains(QStringLiteral("mailto:help@maker.example")));
    QVERIFY(!about->webLink()->openExternalLinks());
    about->okButton()->click();
    QVERIFY(!about->isVisible());
}

void HelpMenuTest::updateWindowIsKeptBetweenShowings() {
    WindowFixture fixture;
    auto window = fixture.makeWindow();
    window->helpMenu()->item(HelpItem::Update)->trigger();
    app::UpdateWindow* update = window->helpMenu()->updateWindow();
    QVERIFY(update->isVisible());
    QVERIFY(update->isModal());
    QCOMPARE(update->parentWidget(), window.get());
    update->backButton()->click();
    window->helpMenu()->item(HelpItem::Update)->trigger();
    QCOMPARE(window->helpMenu()->updateWindow(), update);
    update->backButton()->click();
}

// The pages in the build tree: every page is reachable from the index, every link inside the
// help leads to a page that is there, and every page is Chinese UTF-8.
void HelpMenuTest::helpPagesLinkOnlyToEachOther() {
    const QDir help(QStringLiteral(VELMORA_BUILD_HELP_DIR));
    QVERIFY2(help.exists(QStringLiteral("index.html")), VELMORA_BUILD_HELP_DIR);
    const QStringList pages = help.entryList({QStringLiteral("*.html")}, QDir::Files);
    QVERIFY(pages.size() >= 7);
    const QRegularExpression link(QStringLiteral("(?:href|src)=\"([^\"]+)\""));
    const QString index = QString::fromUtf8(readText(help.filePath(QStringLiteral("index.html"))));
    for (const QString& page : pages) {
        const QString text = QString::fromUtf8(readText(help.filePath(page)));
        QVERIFY2(text.contains(QStringLiteral("<html lang=\"zh-CN\">")), qPrintable(page));
        QVERIFY2(text.contains(QStringLiteral("<meta charset=\"utf-8\">")), qPrintable(page));
        if (page != QLatin1String("index.html")) {
            QVERIFY2(index.contains(QStringLiteral("href=\"%1\"").arg(page)), qPrintable(page));
        }
        for (auto match = link.globalMatch(text); match.hasNext();) {
            const QString target = match.next().captured(1);
            QVERIFY2(!target.contains(QLatin1Char(':')),
                     qPrintable(page + QStringLiteral(" leaves the help: ") + target));
            QVERIFY2(help.exists(target.section(QLatin1Char('#'), 0, 0)),
                     qPrintable(page + QStringLiteral(" links to a missing ") + target));
        }
    }
}

}  // namespace velmora::test

QTEST_MAIN(velmora::test::HelpMenuTest)
#include "HelpMenuTest.moc"
