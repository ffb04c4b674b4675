// The main window around the queue: start-up with the settings file, the looks, the output folder
// chooser, the toolbar's hints and shortcuts, drops, the row's context menu, the log pane, the
// open-file filter, the command line and the power-off countdown.
#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QStatusBar>
#include <QToolButton>
#include <QtTest>
#include <fstream>

#include "ModalScript.h"
#include "WindowFixture.h"
#include "app/CommandLine.h"
#include "app/FormatChooser.h"
#include "app/JobListView.h"
#include "app/LogPane.h"
#include "app/OpenFileFilter.h"
#include "app/PreviewGroup.h"
#include "app/SettingsGroup.h"
#include "app/ShutdownCountdown.h"
#include "medialib/MediaLogger.h"
#include "profiles/SettingsFile.h"

using velmora::app::MainWindow;
using velmora::app::WindowAction;

namespace velmora::test {

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void firstStartWritesTheDefaults();
    void deletedOutputFolderIsCreatedAgain();
    void unusableOutputFolderFallsBackToTheDefault();
    void savedLookIsApplied_data();
    void savedLookIsApplied();
    void lookFromTheMenuIsAppliedAndSaved();
    void browseCancelledChangesNothing();
    void browseChosenIsShownAndSaved();
    void windowLayoutAndDefaults();
    void toolbarHintsAndShortcuts_data();
    void toolbarHintsAndShortcuts();
    void deleteKeyRemovesTheSelectedRow();
    void dropIsAcceptedAndHandedToTheDropFlow();
    void addCommandsUseTheFilterAndHandOverTheirFiles();
    void rowMenuOpensTheOutputOnceItExists();
    void rowSelectionPreparesThePreview();
    void loggerLinesReachTheLogPane();
    void openFileFilterKeepsItsDescriptions();
    void commandLine_data();
    void commandLine();
    void countdownRunsOutAfterSixtySeconds();
};

void MainWindowTest::firstStartWritesTheDefaults() {
    WindowFixture fixture;
    QVERIFY(!QFileInfo::exists(QString::fromStdString(fixture.settingsPath())));
    auto window = fixture.makeWindow();
    QCOMPARE(window->settingsGroup().outputFolder(), fixture.defaultOutputFolder());
    QVERIFY(QFileInfo(fixture.defaultOutputFolder()).isDir());
    const SettingsFile settings(fixture.settingsPath());
    QCOMPARE(QString::fromStdString(settings.read("OutPath", "OutPath").value_or("")),
             fixture.defaultOutputFolder());
    QCOMPARE(settings.read("SnapShot", "Picture").value_or(""), std::string("BMP"));
    QCOMPARE(window->snapshotPicture(), std::string("BMP"));
    QVERIFY(window->styleSheet().isEmpty());
}

void MainWindowTest::deletedOutputFolderIsCreatedAgain() {
    WindowFixture fixture;
    const QString folder = fixture.path(QStringLiteral("deleted/out"));
    writeText(QString::fromStdString(fixture.settingsPath()),
              "[OutPath]\nOutPath=" + folder.toUtf8() + "\n");
    auto window = fixture.makeWindow();
    QCOMPARE(window->settingsGroup().outputFolder(), folder);
    QVERIFY(QFileInfo(folder).isDir());
    QVERIFY(!QFileInfo::exists(fixture.defaultOutputFolder()));
}

void MainWindowTest::unusableOutputFolderFallsBackToTheDefault() {
    WindowFixture fixture;
    writeText(fixture.path(QStringLiteral("plain")), "not a folder");
    writeText(QString::fromStdString(fixture.settingsPath()),
              "[OutPath]\nOutPath=" + fixture.path(QStringLiteral("plain/out")).toUtf8() + "\n");
    auto window = fixture.makeWindow();
    QCOMPARE(window->settingsGroup().outputFolder(), fixture.defaultOutputFolder());
    QCOMPARE(QString::fromStdString(
                 SettingsFile(fixture.settingsPath()).read("OutPath", "OutPath").value_or("")),
             fixture.defaultOutputFolder());
}

void MainWindowTest::savedLookIsApplied_data() {
    QTest::addColumn<QByteArray>("saved");
    QTest::addColumn<bool>("applied");
    QTest::newRow("skin17, offered by no menu item") << QByteArray("skin17") << true;
    QTest::newRow("a theme file of the menu") << QByteArray("skin2") << true;
    QTest::newRow("unknown value") << QByteArray("skin99") << false;
    QTest::newRow("Error") << QByteArray("Error") << false;
    QTest::newRow("other") << QByteArray("other") << false;
}

void MainWindowTest::savedLookIsApplied() {
    QFETCH(QByteArray, saved);
    QFETCH(bool, applied);
    WindowFixture fixture;
    const QByteArray royale = "QMainWindow { background: #203040; } /* royale */";
    const QByteArray msn = "QMainWindow { background: #e0ecf8; } /* msn */";
    writeText(QDir(fixture.skinsFolder()).filePath(QStringLiteral("royale.sui")), royale);
    writeText(QDir(fixture.skinsFolder()).filePath(QStringLiteral("msn.sui")), msn);
    writeText(QString::fromStdString(fixture.settingsPath()), "[skin]\nSetSkin=" + saved + "\n");
    auto window = fixture.makeWindow();
    if (!applied) {
        QVERIFY(window->styleSheet().isEmpty());
        return;
    }
    QCOMPARE(window->styleSheet().toUtf8(), saved == "skin17" ? royale : msn);
}

void MainWindowTest::lookFromTheMenuIsAppliedAndSaved() {
    WindowFixture fixture;
    writeText(QDir(fixture.skinsFolder()).filePath(QStringLiteral("winter.sui")),
              "QMainWindow { background: white; } /* winter */");
    auto window = fixture.makeWindow();
    const QList<QAction*> items = window->skinMenu()->actions();
    QCOMPARE(items.size(), 17);
    QCOMPARE(items[0]->text(), QStringLiteral("微软MSN皮肤"));
    QCOMPARE(items[1]->text(), QStringLiteral("冬天的色彩皮肤"));
    QCOMPARE(items[16]->text(), QStringLiteral("XP绿色皮肤"));
    items[1]->trigger();
    QVERIFY(window->styleSheet().contains(QStringLiteral("winter")));
    QVERIFY(items[1]->isChecked());
    QCOMPARE(SettingsFile(fixture.settingsPath()).read("skin", "SetSkin").value_or(""),
             std::string("skin18"));
}

void MainWindowTest::browseCancelledChangesNothing() {
    WindowFixture fixture;
    auto window = fixture.makeWindow();
    const QByteArray before = readText(QString::fromStdString(fixture.settingsPath()));
    fixture.desktop.folderToChoose.clear();
    window->settingsGroup().browseButton()->click();
    QCOMPARE(fixture.desktop.folderChooserShown, 1);
    QCOMPARE(window->settingsGroup().outputFolder(), fixture.defaultOutputFolder());
    QCOMPARE(readText(QString::fromStdString(fixture.settingsPath())), before);
}

void MainWindowTest::browseChosenIsShownAndSaved() {
    WindowFixture fixture;
    auto window = fixture.makeWindow();
    const QString chosen = fixture.path(QStringLiteral("chosen"));
    QDir().mkpath(chosen);
    fixture.desktop.folderToChoose = chosen;
    window->settingsGroup().browseButton()->click();
    QCOMPARE(window->settingsGroup().outputFolder(), chosen);
    QCOMPARE(QString::fromStdString(
                 SettingsFile(fixture.settingsPath()).read("OutPath", "OutPath").value_or("")),
             chosen);
    window->settingsGroup().openButton()->click();
    QCOMPARE(fixture.desktop.openedUrls.back(), QUrl::fromLocalFile(chosen));
}

void MainWindowTest::windowLayoutAndDefaults() {
    WindowFixture fixture;
    auto window = fixture.makeWindow();
    QCOMPARE(window->windowTitle(), QStringLiteral("Velmora"));
    QCOMPARE(window->size(), QSize(MainWindow::kWidth, MainWindow::kHeight));
    QCOMPARE(window->minimumSize(), window->maximumSize());
    const auto& settings = window->settingsGroup();
    QCOMPARE(settings.afterAllBox()->currentText(), QStringLiteral("打开文件夹查看转换的文件"));
    QCOMPARE(settings.existingFileBox()->currentText(), QStringLiteral("自动生成相应的新文件名"));
    QCOMPARE(settings.cpuUsageBox()->currentText(), QStringLiteral("正常转换"));
    QCOMPARE(settings.filesAtOnceBox()->currentText(), QStringLiteral("1个文件"));
    QCOMPARE(settings.filesAtOnceBox()->count(), 10);
    window->show();
    QVERIFY(settings.afterAllBox()->isVisible());
    QVERIFY(!settings.cpuUsageBox()->isVisible());
    QVERIFY(!settings.filesAtOnceBox()->isVisible());
    QVERIFY(!settings.outputTypeBox()->isVisible());
    QVERIFY(!window->logPane().isVisible());
    QCOMPARE(window->previewGroup().trackBar()->maximum(), app::PreviewGroup::kInitialTrackMax);
    const QStringList headers = {"序号",     "视频源文件", "源格式", "目标格式",
                                 "当前时间", "转换进度",   "状态"};
    for (int column = 0; column < headers.size(); ++column) {
        QCOMPARE(window->jobList().headerData(column, Qt::Horizontal).toString(), headers[column]);
    }
}

void MainWindowTest::toolbarHintsAndShortcuts_data() {
    QTest::addColumn<int>("action");
    QTest::addColumn<QString>("hint");
    QTest::addColumn<QString>("shortcut");
    QTest::newRow("add") << int(WindowAction::Add) << "添加要转换的视频音频文件"
                         << "Ctrl+O";
    QTest::newRow("add one") << int(WindowAction::AddOneFile) << ""
                             << "Ctrl+O";
    QTest::newRow("add several") << int(WindowAction::AddSeveralFiles) << ""
                                 << "Ctrl+Shift+O";
    QTest::newRow("remove") << int(WindowAction::Remove) << "从列表中删除选中的文件"
                            << "Del";
    QTest::newRow("clear") << int(WindowAction::Clear) << "清空转换列表"
                           << "";
    QTest::newRow("convert") << int(WindowAction::Convert) << "开始转换视频"
                             << "Ctrl+Return";
    QTest::newRow("pause") << int(WindowAction::Pause) << "暂停视频转换"
                           << "Ctrl+P";
    QTest::newRow("stop") << int(WindowAction::Stop) << "停止视频转换"
                          << "Esc";
    QTest::newRow("skin") << int(WindowAction::Skin) << "更换软件外观皮肤"
                          << "";
    QTest::newRow("help") << int(WindowAction::Help) << "软件帮助"
                          << "F1";
}

void MainWindowTest::toolbarHintsAndShortcuts() {
    QFETCH(int, action);
    QFETCH(QString, hint);
    QFETCH(QString, shortcut);
    WindowFixture fixture;
    auto window = fixture.makeWindow();
    QAction* command = window->action(static_cast<WindowAction>(action));
    QCOMPARE(command->statusTip(), hint);
    if (!shortcut.isEmpty()) {
        QVERIFY2(command->toolTip().contains(shortcut), qPrintable(command->toolTip()));
        if (static_cast<WindowAction>(action) != WindowAction::Add) {
            QCOMPARE(command->shortcut().toString(), QKeySequence(shortcut).toString());
        }
    }
    if (QToolButton* button = window->toolButton(static_cast<WindowAction>(action))) {
        command->showStatusText(button);
        QCOMPARE(window->statusBar()->currentMessage(), hint);
    }
}

void MainWindowTest::deleteKeyRemovesTheSelectedRow() {
    WindowFixture fixture;
    auto window = fixture.makeWindow();
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    QVERIFY(fixture.addJob(*window, QStringLiteral("/src/a.mkv")));
    QVERIFY(fixture.addJob(*window, QStringLiteral("/src/b.mkv")));
    window->activateWindow();
    window->jobListView().setFocus();
    window->jobListView().selectRow(0);
    QTest::keyClick(&window->jobListView(), Qt::Key_Delete);
    QCOMPARE(sourcesOf(window->jobList()), QStringList({"/src/b.mkv"}));
}

void MainWindowTest::dropIsAcceptedAndHandedToTheDropFlow() {
    WindowFixture fixture;
    auto window = fixture.makeWindow();
    QSignalSpy several(window.get(), &MainWindow::addDroppedFilesRequested);
    // The flow shows the format chooser; cancelling it adds nothing.
    ModalScript script;
    script.on<app::FormatChooser>(
        [](app::FormatChooser& chooser) { chooser.cancelButton()->click(); });
    const QString file = fixture.path(QStringLiteral("dropped.mkv"));
    writeText(file, "x");
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(file), QUrl::fromLocalFile(fixture.path(QString())),
                  QUrl(QStringLiteral("https://example.org/remote.mkv"))});
    QWidget* viewport = window->jobListView().viewport();
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &drop);
    QVERIFY(drop.isAccepted());
    QCOMPARE(several.count(), 1);
    const QStringList paths = several.at(0).at(0).toStringList();
    QCOMPARE(paths.size(), 2);  // the remote address is not a file here
    QCOMPARE(paths[0], file);
    QVERIFY2(script.finished(), qPrintable(script.failure()));
    QCOMPARE(window->jobList().rowCount(), 0);

    QMimeData text;
    text.setText(QStringLiteral("no files"));
    QDragEnterEvent refused(QPoint(5, 5), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &refused);
    QVERIFY(!refused.isAccepted());
}

void MainWindowTest::addCommandsUseTheFilterAndHandOverTheirFiles() {
    WindowFixture fixture;
    auto window = fixture.makeWindow();
    QSignalSpy one(window.get(), &MainWindow::addOneFileRequested);
    QSignalSpy several(window.get(), &MainWindow::addSeveralFilesRequested);
    const QString file = fixture.path(QStringLiteral("clip.mkv"));
    writeText(file, "x");
    // Each add that gets its files shows the format chooser; both are cancelled.
    ModalScript script;
    for (int add = 0; add < 2; ++add) {
        script.on<app::FormatChooser>(
            [](app::FormatChooser& chooser) { chooser.cancelButton()->click(); });
    }

    fixture.desktop.fileToChoose = fixture.path(QStringLiteral("gone.mkv"));
    window->action(WindowAction::AddOneFile)->trigger();
    QCOMPARE(one.count(), 0);  // a name that does not exist stops the add
    fixture.desktop.fileToChoose = file;
    window->action(WindowAction::AddOneFile)->trigger();
    QCOMPARE(one.count(), 1);
    fixture.desktop.filesToChoose = {file, file};
    window->action(WindowAction::AddSeveralFiles)->trigger();
    QCOMPARE(several.count(), 1);
    fixture.desktop.filesToChoose.clear();
    window->action(WindowAction::AddSeveralFiles)->trigger();
    QCOMPARE(several.count(), 1);
    QVERIFY2(script.finished(), qPrintable(script.failure()));
    QCOMPARE(window->jobList().rowCount(), 0);
}

void MainWindowTest::rowMenuOpensTheOutputOnceItExists() {
    WindowFixture fixture;
    auto window = fixture.makeWindow();
    QVERIFY(fixture.addJob(*window, QStringLiteral("/src/movie.mkv")));
    const QString output = window->jobList().job(0).outputFile;
    QCOMPARE(QFileInfo(output).fileName(), QStringLiteral("movie.avi"));

    std::unique_ptr<QMenu> before(window->jobListView().createRowMenu(0, nullptr));
    QCOMPARE(before->actions().size(), 2);
    QCOMPARE(before->actions()[0]->text(), QStringLiteral("打开输出文件"));
    QCOMPARE(before->actions()[1]->text(), QStringLiteral("打开所在文件夹"));
    QVERIFY(!before->actions()[0]->isEnabled());
    QVERIFY(!before->actions()[1]->isEnabled());

    writeText(output, "converted");
    std::unique_ptr<QMenu> after(window->jobListView().createRowMenu(0, nullptr));
    QVERIFY(after->actions()[0]->isEnabled());
    after->actions()[0]->trigger();
    after->actions()[1]->trigger();
    QCOMPARE(fixture.desktop.openedUrls.size(), std::size_t{2});
    QCOMPARE(fixture.desktop.openedUrls[0], QUrl::fromLocalFile(output));
    QCOMPARE(fixture.desktop.openedUrls[1], QUrl::fromLocalFile(QFileInfo(output).absolutePath()));
}

void MainWindowTest::rowSelectionPreparesThePreview() {
    WindowFixture fixture;
    auto window = fixture.makeWindow();
    QSignalSpy preview(window.get(), &MainWindow::previewRequested);
    QSignalSpy stopPreview(window.get(), &MainWindow::previewStopRequested);
    QVERIFY(fixture.addJob(*window, QStringLiteral("/src/a.mkv")));
    QVERIFY(fixture.addJob(*window, QStringLiteral("/src/b.mkv")));
    window->previewGroup().trackBar()->setValue(7);
    window->jobListView().selectRow(0);
    QCOMPARE(window->previewFile(), QStringLiteral("/src/a.mkv"));
    QCOMPARE(window->previewGroup().trackBar()->value(), 0);
    QCOMPARE(preview.last().at(0).toString(), QStringLiteral("/src/a.mkv"));
    QVERIFY(window->action(WindowAction::Remove)->isEnabled());

    // A removal changes the selection while the list is busy: no preview starts then.
    const int previews = preview.count();
    window->action(WindowAction::Remove)->trigger();
    QCOMPARE(preview.count(), previews);
    QVERIFY(stopPreview.count() >= 1);
}

void MainWindowTest::loggerLinesReachTheLogPane() {
    QCOMPARE(app::LogPane::loggerLine(4711, TLogLevel::llWarning, "decoder warning\n"),
             QStringLiteral("#4711.4: decoder warning"));
    QCOMPARE(app::LogPane::loggerLine(1, TLogLevel::llQuiet, ""), QStringLiteral("#1.0: "));
    WindowFixture fixture;
    auto window = fixture.makeWindow();
    Logger().Log(nullptr, TLogLevel::llError, "from the engine");
    QTRY_VERIFY(window->logPane().text().contains(QStringLiteral(".3: from the engine")));
    QVERIFY(window->logPane().lines().last().startsWith(QLatin1Char('#')));
}

void MainWindowTest::openFileFilterKeepsItsDescriptions() {
    const auto entries = app::openFileFilterEntries();
    QCOMPARE(entries.size(), std::size_t{20});
    const QStringList filters = app::openFileFilter().split(QStringLiteral(";;"));
    QCOMPARE(filters.size(), 20);
    QVERIFY(filters[0].startsWith(QStringLiteral("所有支持的文件类型 (*.AVI *.ASF *.asx ")));
    QVERIFY(filters[0].endsWith(QStringLiteral(" *.3gpp *.3gp2 *.qt)")));
    QCOMPARE(filters[1], QStringLiteral("所有的文件 (*.*) (*)"));
    QCOMPARE(filters[3], QStringLiteral("MPEG文件 (*.mpg;*.mpeg) (*.mpg *.mpeg)"));
    QCOMPARE(filters[19], QStringLiteral("DV视频文件 (*.dv;*.dif) (*.dv *.dif)"));
}

void MainWindowTest::commandLine_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("runs");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<int>("profile");  // -1: none
    QTest::addColumn<QStringList>("files");
    QTest::newRow("nothing") << QStringList{"velmora"} << true << 0 << -1 << QStringList{};
    QTest::newRow("files only") << QStringList{"velmora", "a.mkv", "/abs/b.avi"} << true << 0 << -1
                                << QStringList{"/work/dir/a.mkv", "/abs/b.avi"};
    QTest::newRow("profile and files") << QStringList{"velmora", "--profile", "200", "../c.mkv"}
                                       << true << 0 << 200 << QStringList{"/work/c.mkv"};
    QTest::newRow("short profile")
        << QStringList{"velmora", "-p", "1"} << true << 0 << 1 << QStringList{};
    QTest::newRow("unknown profile")
        << QStringList{"velmora", "--profile", "99", "a.mkv"} << false << 2 << -1 << QStringList{};
    QTest::newRow("profile not a number")
        << QStringList{"velmora", "--profile", "mkv"} << false << 2 << -1 << QStringList{};
    QTest::newRow("unknown option")
        << QStringList{"velmora", "--bogus"} << false << 2 << -1 << QStringList{};
    QTest::newRow("help") << QStringList{"velmora", "--help"} << false << 0 << -1 << QStringList{};
}

void MainWindowTest::commandLine() {
    QFETCH(QStringList, arguments);
    QFETCH(bool, runs);
    QFETCH(int, exitCode);
    QFETCH(int, profile);
    QFETCH(QStringList, files);
    const app::CommandLineParse parse =
        app::parseCommandLine(arguments, QStringLiteral("/work/dir"));
    QCOMPARE(parse.commandLine.has_value(), runs);
    if (!runs) {
        QCOMPARE(parse.exitCode, exitCode);
        QVERIFY(!(parse.output + parse.errorText).isEmpty());
        return;
    }
    QCOMPARE(parse.commandLine->profileCode.value_or(-1), profile);
    QCOMPARE(parse.commandLine->files, files);
}

void MainWindowTest::countdownRunsOutAfterSixtySeconds() {
    app::ShutdownCountdown countdown;
    QVERIFY(countdown.text().contains(QStringLiteral("60")));
    for (int second = 0; second < app::ShutdownCountdown::kSeconds - 1; ++second) {
        countdown.tick();
    }
    QCOMPARE(countdown.secondsLeft(), 1);
    QCOMPARE(countdown.result(), int(QDialog::Rejected));
    countdown.tick();
    QCOMPARE(countdown.secondsLeft(), 0);
    QCOMPARE(countdown.result(), int(QDialog::Accepted));

    // Return and Escape cancel: powering off is never the default.
    app::ShutdownCountdown cancelled;
    auto* defaultButton = [&]() -> QPushButton* {
        for (QPushButton* button : cancelled.findChildren<QPushButton*>()) {
            if (button->isDefault()) {
                return button;
            }
        }
        return nullptr;
    }();
    QVERIFY(defaultButton);
    QCOMPARE(defaultButton->text(), QStringLiteral("取消"));
}

}  // namespace velmora::test

QTEST_MAIN(velmora::test::MainWindowTest)
#include "MainWindowTest.moc"
