// velmora: the desktop window.
#include <QApplication>
#include <QDir>
#include <QTimer>
#include <cstdio>

#include "app/CommandLine.h"
#include "app/MainWindow.h"
#include "app/PasswordWindow.h"
#include "app/PowerOff.h"
#include "ui/DataFolders.h"

int main(int argc, char** argv) {
    // The command line is read before the window system is needed, so --help, --version and
    // usage errors work without a display.
    velmora::app::CommandLineParse parse;
    {
        const QCoreApplication commandLineOnly(argc, argv);
        parse = velmora::app::parseCommandLine(QCoreApplication::arguments(), QDir::currentPath());
    }
    if (!parse.commandLine) {
        std::fputs(parse.output.toLocal8Bit().constData(), stdout);
        if (!parse.errorText.isEmpty()) {
            std::fprintf(stderr, "velmora: %s\n", parse.errorText.toLocal8Bit().constData());
        }
        return parse.exitCode;
    }

    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Velmora"));
    QApplication::setApplicationVersion(QStringLiteral("0.1.0"));
    QApplication::setDesktopFileName(QStringLiteral("velmora"));

    velmora::app::WindowSetup setup = velmora::app::defaultWindowSetup();
    const velmora::app::CommandLine commandLine = *parse.commandLine;
    if (commandLine.reportDataFolders) {
        const QString report = QStringLiteral("skins=%1\nhelp=%2\nsounds=%3\n")
                                   .arg(setup.skinsFolder, setup.helpFolder,
                                        velmora::ui::dataFolder(QStringLiteral("sounds")));
        std::fputs(report.toLocal8Bit().constData(), stdout);
        return 0;
    }
    setup.seams.powerOff = velmora::app::requestPowerOff;
    const velmora::app::DesktopSeams seams = setup.seams;
    velmora::app::MainWindow window(std::move(setup));
    window.show();

    // The start-up lock, before the user can work: a wrong password or "退出" ends the program.
    switch (velmora::app::runLockCheck(window, velmora::app::defaultLockSetup(), seams)) {
        case velmora::app::LockOutcome::Open:
            break;
        case velmora::app::LockOutcome::Exit:
            window.close();
            return 0;
        case velmora::app::LockOutcome::WrongPassword:
            window.close();
            return 1;
    }

    // The jobs of the last session come back before anything new is added.
    window.restoreSavedJobs();

    // The files are added once the window is on screen, so that its messages have a parent.
    QTimer::singleShot(0, &window, [&window, commandLine] {
        if (commandLine.profileCode) {
            window.addPresetFiles(*commandLine.profileCode, commandLine.files);
        } else if (!commandLine.files.isEmpty()) {
            emit window.addDroppedFilesRequested(commandLine.files);
        }
    });
    return QApplication::exec();
}
