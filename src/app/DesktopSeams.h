// What the window asks of the desktop: message boxes, the file and folder choosers, opening a
// file or folder with its default application, the desktop notification, and the power-off with
// its countdown. Each is a function the tests replace, so no test shows a modal box, opens a
// folder, posts a notification or can ever power the machine off.
#pragma once

#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <functional>

class QWidget;

namespace velmora::app {

struct DesktopSeams {
    // A message box; the button chosen.
    std::function<QMessageBox::StandardButton(QWidget* parent, QMessageBox::Icon icon,
                                              const QString& title, const QString& text,
                                              QMessageBox::StandardButtons buttons)>
        messageBox;
    // The folder chooser; empty when cancelled.
    std::function<QString(QWidget* parent, const QString& title, const QString& startFolder)>
        chooseFolder;
    // The open dialogs of the two add commands (existing files only); empty when cancelled.
    std::function<QString(QWidget* parent, const QString& title, const QString& filter)>
        chooseSourceFile;
    std::function<QStringList(QWidget* parent, const QString& title, const QString& filter)>
        chooseSourceFiles;
    // Opens a file or folder with the desktop's default application; false when none did.
    std::function<bool(const QUrl& url)> openUrl;
    // A desktop notification; quietly nothing where no notification service runs.
    std::function<void(const QString& title, const QString& body)> notify;
    // The countdown before a power-off: true when it ran out or the user confirmed at once.
    std::function<bool(QWidget* parent)> confirmPowerOff;
    // Asks the system for a normal power-off; false with the reason. Left empty by
    // desktopSeams(): only the program's entry installs the real request.
    std::function<bool(QString* error)> powerOff;
};

// The desktop's dialogs, QDesktopServices and the notification service; powerOff stays empty.
DesktopSeams desktopSeams();

}  // namespace velmora::app
