#include "app/DesktopSeams.h"

#include <QDesktopServices>
#include <QFileDialog>

#include "app/DesktopNotification.h"
#include "app/ShutdownCountdown.h"

namespace velmora::app {

namespace {

// The filters' descriptions carry their own pattern text, so Qt's copy of the patterns is hidden.
constexpr QFileDialog::Options kOpenOptions = QFileDialog::HideNameFilterDetails;

}  // namespace

DesktopSeams desktopSeams() {
    DesktopSeams seams;
    seams.messageBox = [](QWidget* parent, QMessageBox::Icon icon, const QString& title,
                          const QString& text, QMessageBox::StandardButtons buttons) {
        QMessageBox box(icon, title, text, buttons, parent);
        return static_cast<QMessageBox::StandardButton>(box.exec());
    };
    seams.chooseFolder = [](QWidget* parent, const QString& title, const QString& startFolder) {
        return QFileDialog::getExistingDirectory(parent, title, startFolder);
    };
    seams.chooseSourceFile = [](QWidget* parent, const QString& title, const QString& filter) {
        return QFileDialog::getOpenFileName(parent, title, {}, filter, nullptr, kOpenOptions);
    };
    seams.chooseSourceFiles = [](QWidget* parent, const QString& title, const QString& filter) {
        return QFileDialog::getOpenFileNames(parent, title, {}, filter, nullptr, kOpenOptions);
    };
    seams.openUrl = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    seams.notify = [](const QString& title, const QString& body) { notifyDesktop(title, body); };
    seams.confirmPowerOff = [](QWidget* parent) { return ShutdownCountdown::confirm(parent); };
    return seams;
}

}  // namespace velmora::app
