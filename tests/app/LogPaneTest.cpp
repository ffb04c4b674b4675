// The log pane keeps its lines while hidden and shows them all once it is shown.
#include <QtTest>

#include "app/LogPane.h"

namespace velmora::test {

using app::LogPane;

class LogPaneTest : public QObject {
    Q_OBJECT

private slots:
    void hiddenLinesAreKeptAndShownWhenThePaneIs() {
        LogPane pane;
        pane.appendLine(QStringLiteral("#1.3: first"));
        pane.appendNotice(QStringLiteral("装入成功."));
        pane.appendLine(QStringLiteral("two\nlines"));
        const QStringList expected{QStringLiteral("#1.3: first"), QString(),
                                   QStringLiteral("装入成功."),   QString(),
                                   QStringLiteral("two"),         QStringLiteral("lines")};
        QCOMPARE(pane.lines(), expected);
        QVERIFY(pane.toPlainText().isEmpty());  // nothing laid out while hidden

        pane.show();
        QCOMPARE(pane.toPlainText(), expected.join(QLatin1Char('\n')));
        pane.appendLine(QStringLiteral("while shown"));
        QCOMPARE(pane.toPlainText(), pane.text());
        QCOMPARE(pane.lines().last(), QStringLiteral("while shown"));

        pane.clearLines();
        QVERIFY(pane.lines().isEmpty());
        QVERIFY(pane.toPlainText().isEmpty());
    }

    void aChattyLibraryCannotFillTheMemory() {
        LogPane pane;
        for (int i = 0; i < LogPane::kMaxLines + 10; ++i) {
            pane.appendLine(QString::number(i));
        }
        QCOMPARE(pane.lines().size(), LogPane::kMaxLines);
        QCOMPARE(pane.lines().first(), QStringLiteral("10"));
        pane.show();
        QCOMPARE(pane.document()->blockCount(), LogPane::kMaxLines);
    }
};

}  // namespace velmora::test

QTEST_MAIN(velmora::test::LogPaneTest)
#include "LogPaneTest.moc"
