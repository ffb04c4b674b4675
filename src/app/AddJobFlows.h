// Adding jobs in the window: the one-file add, the several-files add, and files and folders
// dropped on the job list or named on the command line. Each shows the format chooser and the
// option settings (made once, kept for the window's life), then creates the jobs through the
// rules of profiles/ and lists them. Every step's failure goes to the log pane, and the user
// learns of it in a message box.
//
// Threads: GUI thread only.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "profiles/JobCreation.h"

namespace velmora::app {

class FormatChooser;
class MainWindow;
class OptionSettingsDialog;

// The log pane's line for a job that could not be added ("***" and why), and the reason alone
// as the message boxes give it.
QString refusalLogLine(const JobCreation& creation);
QString refusalReason(const JobCreation& creation);

class AddJobFlows : public QObject {
    Q_OBJECT
public:
    explicit AddJobFlows(MainWindow& window);
    ~AddJobFlows() override;

    FormatChooser& chooser() const { return *m_chooser; }
    OptionSettingsDialog& optionSettings() const { return *m_optionSettings; }

    // The one-file add of a chosen file: the cut range is offered.
    void addOneFile(const QString& file);
    // The several-files add of the files chosen in the open dialog: one choice of profile and
    // options for all, no cut range, the files walked from the last to the first.
    void addSeveralFiles(const QStringList& files);
    // Files and folders dropped on the list or named on the command line: as the several-files
    // add, but in the order given, a folder standing for the media files directly inside it, the
    // walk going on past any file that cannot be added, and one message at the end naming each
    // such file with its reason. With a preset profile the chooser and the option settings are
    // skipped and the profile's preselected choices are taken.
    void addDroppedFiles(const QStringList& paths, std::optional<int> presetProfile = {});

    // A job that could not be added: the log pane's lines and a message box.
    void reportRefusal(const QString& source, const JobCreation& creation);

private:
    struct NotAdded {
        QString path;
        QString reason;
    };

    // The preparation every add starts with: the pending options reset, the libraries loaded.
    bool prepareAdd();
    // The chooser and then the option settings; false when the user cancelled.
    bool chooseOptions(bool cutOffered);
    // The files a drop stands for, with the paths that stand for none.
    QStringList expandDropped(const QStringList& paths, std::vector<NotAdded>& notAdded) const;
    void reportNotAdded(const std::vector<NotAdded>& notAdded);
    void selectLastRow();

    MainWindow& m_window;
    FormatChooser* m_chooser;
    OptionSettingsDialog* m_optionSettings;
};

}  // namespace velmora::app
