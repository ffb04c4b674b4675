// A main window for the tests: its own settings file, output folder and skins folder in a
// temporary folder, fake engines whose runs the test controls, and desktop seams that record what
// the window asked for and answer from a script. Nothing here can show a modal box, open a
// folder, post a notification or power the machine off.
#pragma once

#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QUrl>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "FakeEngine.h"
#include "app/DesktopSeams.h"
#include "app/JobListModel.h"
#include "app/MainWindow.h"

namespace velmora::test {

// Writes text to path, making its folder first; a failed open fails the calling test.
void writeText(const QString& path, const QByteArray& text);
// The file's bytes; empty when it cannot be read.
QByteArray readText(const QString& path);

struct RecordedMessage {
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString title;
    QString text;
};

class RecordingDesktop {
public:
    app::DesktopSeams seams();

    std::vector<RecordedMessage> messages;
    // Answers for the next boxes, in order; afterwards Ok (or Yes when Ok is not offered).
    std::deque<QMessageBox::StandardButton> answers;
    // Called as each box is "shown", after it is recorded.
    std::function<void(const RecordedMessage&)> onMessage;

    QString folderToChoose;  // empty: the chooser is cancelled
    int folderChooserShown = 0;
    QString fileToChoose;
    QStringList filesToChoose;

    std::vector<QUrl> openedUrls;
    std::function<void(const QUrl&)> onOpenUrl;
    QStringList notifications;

    bool powerOffConfirmed = true;  // the countdown's outcome
    int powerOffCountdowns = 0;
    int powerOffRequests = 0;
};

class WindowFixture {
public:
    WindowFixture();

    // A file path inside the test's temporary folder.
    QString path(const QString& name) const;
    std::string settingsPath() const {
        return path(QStringLiteral("config/system.ini")).toStdString();
    }
    // The folder the window uses when system.ini names none.
    QString defaultOutputFolder() const { return path(QStringLiteral("Video_Directory")); }
    QString skinsFolder() const { return path(QStringLiteral("skins")); }
    // The snapshot folder when system.ini names none, and the folder of the shutter sound.
    QString defaultSnapshotFolder() const { return path(QStringLiteral("Video_Directory/快照")); }
    QString soundsFolder() const { return path(QStringLiteral("sounds")); }
    // The window's saved queue.
    std::string savedQueuePath() const {
        return path(QStringLiteral("state/velmora/queue.json")).toStdString();
    }

    app::WindowSetup setup(bool fakeEngines = true);
    std::unique_ptr<app::MainWindow> makeWindow(bool fakeEngines = true);

    // Adds a job through the records seam, as job creation's dialogs will. The output is named
    // after the source with ".avi" in the window's output folder.
    bool addJob(app::MainWindow& window, const QString& source);

    FakeEngineHub hub;
    RecordingDesktop desktop;

private:
    QTemporaryDir m_dir;
};

// The status texts of every row, top to bottom.
QStringList statusesOf(const app::JobListModel& jobs);
// The source files of every row, top to bottom.
QStringList sourcesOf(const app::JobListModel& jobs);

}  // namespace velmora::test
