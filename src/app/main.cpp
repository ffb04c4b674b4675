// velmora: the desktop window.
#include <QApplication>
#include <QDir>
#include <QTimer>
#include <cstdio>

#include "app/CommandLine.h"
#include "app/MainWindow.h"
#include "app/PowerOff.h"

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
    setup.seams.powerOff = velmora::app::requestPowerOff;
    velmora::app::MainWindow window(std::move(setup));
    window.show();

    // The files are added once the window is on screen, so that its messages have a parent.
    const velmora::app::CommandLine commandLine = *parse.commandLine;
    QTimer::singleShot(0, &window, [&window, commandLine] {
        if (commandLine.profileCode) {
            window.addPresetFiles(*commandLine.profileCode, commandLine.files);
        } else if (!commandLine.files.isEmpty()) {
            emit window.addSeveralFilesRequested(commandLine.files);
        }
    });
    return QApplication::exec();
}
