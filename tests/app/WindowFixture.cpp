#include "WindowFixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtTest>

#include "app/SettingsGroup.h"
#include "profiles/JobRecords.h"

// The preview starts SDL; SDL keeps a few process-wide allocations that only SDL_Quit frees, and
// the player quits its subsystems, not SDL. Every window test links this file.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libSDL2";
}

namespace velmora::test {

void writeText(const QString& path, const QByteArray& text) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(text);
}

QByteArray readText(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

app::DesktopSeams RecordingDesktop::seams() {
    app::DesktopSeams seams;
    seams.messageBox = [this](QWidget*, QMessageBox::Icon icon, const QString& title,
                              const QString& text, QMessageBox::StandardButtons buttons) {
        messages.push_back({icon, title, text});
        if (onMessage) {
            onMessage(messages.back());
        }
        if (!answers.empty()) {
            const auto answer = answers.front();
            answers.pop_front();
            return answer;
        }
        return buttons.testFlag(QMessageBox::Ok) ? QMessageBox::Ok : QMessageBox::Yes;
    };
    seams.chooseFolder = [this](QWidget*, const QString&, const QString&) {
        ++folderChooserShown;
        return folderToChoose;
    };
    seams.chooseSourceFile = [this](QWidget*, const QString&, const QString&) {
        return fileToChoose;
    };
    seams.chooseSourceFiles = [this](QWidget*, const QString&, const QString&) {
        return filesToChoose;
    };
    seams.openUrl = [this](const QUrl& url) {
        openedUrls.push_back(url);
        if (onOpenUrl) {
            onOpenUrl(url);
        }
        return true;
    };
    seams.notify = [this](const QString&, const QString& body) { notifications << body; };
    seams.confirmPowerOff = [this](QWidget*) {
        ++powerOffCountdowns;
        return powerOffConfirmed;
    };
    seams.powerOff = [this](QString*) {
        ++powerOffRequests;
        return true;
    };
    return seams;
}

WindowFixture::WindowFixture() {
    QDir(m_dir.path()).mkpath(QStringLiteral("skins"));
}

QString WindowFixture::path(const QString& name) const {
    return QDir(m_dir.path()).filePath(name);
}

app::WindowSetup WindowFixture::setup(bool fakeEngines) {
    app::WindowSetup setup;
    setup.seams = desktop.seams();
    if (fakeEngines) {
        setup.engineFactory = hub.factory();
    }
    setup.settingsPath = settingsPath();
    setup.defaultOutputFolder = defaultOutputFolder().toStdString();
    setup.skinsFolder = skinsFolder();
    setup.helpFolder = path(QStringLiteral("help"));
    // No address: a check from a test window is refused at once and never leaves the machine.
    setup.update.versionFilePath = path(QStringLiteral("update.ini"));
    setup.defaultSnapshotFolder = defaultSnapshotFolder().toStdString();
    setup.soundsFolder = soundsFolder();
    setup.savedQueuePath = savedQueuePath();
    return setup;
}

std::unique_ptr<app::MainWindow> WindowFixture::makeWindow(bool fakeEngines) {
    return std::make_unique<app::MainWindow>(setup(fakeEngines));
}

bool WindowFixture::addJob(app::MainWindow& window, const QString& source) {
    JobRecords records;
    records.input = makeInputOptions(source.toStdString());
    const QString stem = QFileInfo(source).completeBaseName();
    records.output.FileName = QDir(window.settingsGroup().outputFolder())
                                  .filePath(stem + QStringLiteral(".avi"))
                                  .toStdString();
    return window.addJobFromRecords(std::move(records));
}

QStringList statusesOf(const app::JobListModel& jobs) {
    QStringList statuses;
    for (int row = 0; row < jobs.rowCount(); ++row) {
        statuses << app::statusText(jobs.job(row).status);
    }
    return statuses;
}

QStringList sourcesOf(const app::JobListModel& jobs) {
    QStringList sources;
    for (int row = 0; row < jobs.rowCount(); ++row) {
        sources << jobs.job(row).sourceFile;
    }
    return sources;
}

}  // namespace velmora::test
