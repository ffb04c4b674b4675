// The online update window ("网上升级"): downloads the maker's version file into update.ini,
// compares its version with the program's and offers the download address it names, which is
// opened with the desktop only when it is an http or https address.
#pragma once

#include <QDialog>
#include <QString>
#include <QUrl>
#include <chrono>

#include "app/DesktopSeams.h"

class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

namespace velmora::app {

class FileDownload;

struct UpdateSetup {
    QUrl versionFileAddress;                   // the maker's version file
    QString versionFilePath;                   // where it is downloaded to ("update.ini")
    std::chrono::milliseconds timeout{15000};  // no complete answer by then: a failed download
};

// The build-time address, the update.ini of updateFilePath() and 15 s.
UpdateSetup defaultUpdateSetup();

// update.ini in the executable's folder when the program runs from a folder it may write (the
// build tree, an unpacked copy); else, and always for an installed program (one with
// ../share/velmora beside its folder), userDataFolder/velmora/update.ini.
QString updateFilePath(const QString& executableFolder, const QString& userDataFolder);

// The values of the [version] section of a version file; empty when absent.
struct VersionFile {
    QString latestVersion;  // new
    QString date;
    QString size;
    QString downloadAddress;  // links1
};
// A missing or unreadable file gives empty values.
VersionFile readVersionFile(const QString& path);

class UpdateWindow : public QDialog {
    Q_OBJECT
public:
    // The largest version file taken; a bigger answer is a failed download.
    static constexpr qint64 kMaxVersionFileBytes = 64 * 1024;

    UpdateWindow(UpdateSetup setup, DesktopSeams seams, QWidget* parent = nullptr);
    ~UpdateWindow() override;

    QLabel* statusLabel() const { return m_status; }
    QPlainTextEdit* memo() const { return m_memo; }
    QProgressBar* progressBar() const { return m_progress; }
    QPushButton* checkButton() const { return m_checkButton; }
    QPushButton* downloadButton() const { return m_downloadButton; }
    QPushButton* backButton() const { return m_backButton; }
    // The address of the last check that found a new version; kept until the program ends.
    const QString& downloadAddress() const { return m_downloadAddress; }

signals:
    // A check started by "检测升级" has ended, whatever its outcome.
    void checkFinished();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void checkForUpdate();
    void versionFileDownloaded(bool ok, const QString& error);
    void showNewVersion(const VersionFile& version);
    void openDownloadAddress();
    void setStatusAndOnlyLine(const QString& text);

    UpdateSetup m_setup;
    DesktopSeams m_seams;
    FileDownload* m_download = nullptr;
    QString m_downloadAddress;
    QLabel* m_status = nullptr;
    QPlainTextEdit* m_memo = nullptr;
    QProgressBar* m_progress = nullptr;
    QPushButton* m_checkButton = nullptr;
    QPushButton* m_downloadButton = nullptr;
    QPushButton* m_backButton = nullptr;
};

}  // namespace velmora::app
