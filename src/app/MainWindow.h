// The main window: toolbar, preview group, job list group, settings group and status bar around
// one converter component, the job list and its queue. It applies the saved look, keeps the
// output folder in system.ini, runs the after-all action, and detaches every notification before
// it stops the converter on closing.
#pragma once

#include <QMainWindow>
#include <QString>
#include <QStringList>
#include <array>
#include <memory>
#include <string>

#include "app/DesktopSeams.h"
#include "app/HelpMenu.h"
#include "app/JobQueue.h"
#include "app/MainThreadBridge.h"
#include "component/MediaConverter.h"
#include "component/TaskEngine.h"
#include "profiles/JobCreation.h"
#include "profiles/PendingJobOptions.h"
#include "profiles/SettingsFile.h"

class QAction;
class QLabel;
class QMenu;
class QPushButton;
class QToolButton;

namespace velmora::app {

class AddJobFlows;
class JobListModel;
class JobListView;
class LogPane;
class MediaInfoDialog;
class PreviewGroup;
class PreviewPane;
class SettingsGroup;

// What the window is built with; the tests give their own seams, engines and files.
struct WindowSetup {
    DesktopSeams seams;
    TaskEngineFactory engineFactory;    // empty: the real engine
    std::string settingsPath;           // system.ini
    std::string defaultOutputFolder;    // used when system.ini names none
    QString skinsFolder;                // the theme files of the looks
    QString helpFolder;                 // help/index.html
    UpdateSetup update;                 // the online update's version file
    MakerLinks makerLinks;              // the About box's and the help menu's addresses
    std::string defaultSnapshotFolder;  // used when system.ini names none
    QString soundsFolder;               // sounds/cam.wav
    // Where the job list is kept between sessions; empty: it is not kept.
    std::string savedQueuePath;
};

// The defaults for the running program: the desktop's seams (no power-off), the real engine,
// the settings file's usual place, $HOME/Video_Directory, the data folders, the build-time
// addresses of the maker and the saved queue in the state folder.
WindowSetup defaultWindowSetup();

// Commands of the toolbar and the keyboard.
enum class WindowAction {
    Add,
    AddOneFile,
    AddSeveralFiles,
    Remove,
    Clear,
    Convert,
    Pause,
    Stop,
    Skin,
    Help,
};
inline constexpr std::size_t kWindowActionCount = 10;

// The buttons under the job list.
enum class ListButton { MoveUp, MoveDown, Remove, Clear, Information };
inline constexpr std::size_t kListButtonCount = 5;

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    // The window's client area.
    static constexpr int kWidth = 851;
    static constexpr int kHeight = 588;

    explicit MainWindow(WindowSetup setup, QWidget* parent = nullptr);
    ~MainWindow() override;

    // --- job creation ---

    // Files named on the command line with a profile: each is added with the profile's
    // preselected choices, exactly as velmora-cli convert -p does, and like dropped files (a
    // folder stands for its media files; one message names what could not be added).
    void addPresetFiles(int profileCode, const QStringList& files);
    // Adds a job whose records are ready (the dialogs' flows end here): registers it with the
    // converter, appends its row, stores it and selects it. False, reported, when refused.
    bool addJobFromRecords(JobRecords records);
    // Lists a job registered with the converter: a new row, stored in a slot, Remove offered and
    // "装入成功." logged; with select, the row is selected. False (the task removed again, the
    // user told) when no slot is free.
    bool appendRegisteredJob(const JobCreation& creation,
                             bool select = true);  // Loads the media libraries when they are not
                                                   // yet loaded; false, reported, when they cannot.
    bool ensureLibraries();

    // --- the job list kept between sessions ---

    // Takes up the saved queue at start-up (after the lock, before any add): when it holds jobs
    // that did not finish, asks whether to list them again, and lists them as "准备" on yes. From
    // then on the list is saved after every change. A saved queue that cannot be read is left
    // untouched and not written over in this session; the user is told why.
    void restoreSavedJobs();
    // Writes the list now (the queue calls it after every change); false, logged, when it cannot.
    bool saveJobList();

    // --- what the tests and the status bar look at ---

    QAction* action(WindowAction which) const { return m_actions[static_cast<std::size_t>(which)]; }
    QPushButton* listButton(ListButton which) const {
        return m_listButtons[static_cast<std::size_t>(which)];
    }
    QToolButton* toolButton(WindowAction which) const;
    QMenu* skinMenu() const { return m_skinMenu; }
    HelpMenu* helpMenu() const { return m_helpMenu; }
    JobListModel& jobList() const { return *m_jobs; }
    JobListView& jobListView() const { return *m_listView; }
    JobQueue& queue() const { return *m_queue; }
    SettingsGroup& settingsGroup() const { return *m_settingsGroup; }
    PreviewGroup& previewGroup() const { return *m_previewGroup; }
    PreviewPane& previewPane() const { return *m_previewPane; }
    MediaInfoDialog& mediaInfoDialog() const { return *m_mediaInfoDialog; }
    LogPane& logPane() const { return *m_logPane; }
    TMediaConverter& converter() const { return *m_converter; }
    const PendingJobOptions& pendingJobOptions() const { return m_pending; }
    // The record the format chooser and the option settings fill for job creation.
    PendingJobOptions& pendingJobOptions() { return m_pending; }
    const DesktopSeams& seams() const { return m_setup.seams; }
    // The format chooser, the option settings and the add flows around them.
    AddJobFlows& addFlows() const { return *m_addFlows; }
    const QString& previewFile() const { return m_previewFile; }
    const std::string& snapshotPicture() const { return m_snapshotPicture; }
    const SettingsFile& settingsFile() const { return m_settings; }
    // The status bar's estimate for the rest of the run.
    QLabel* timeLeftLabel() const { return m_timeLeftLabel; }

    // Gives the window a look and saves it, as a skin menu item does.
    void chooseLook(const std::string& value);
    // Gives a dialog the saved look, as every window does when it is shown.
    void applySavedLookTo(QWidget& dialog) const;

signals:
    // The add commands' files, chosen in their open dialogs; the add flows take them from here.
    void addOneFileRequested(const QString& file);
    void addSeveralFilesRequested(const QStringList& files);
    // Files and folders dropped on the list, or named on the command line without a profile.
    void addDroppedFilesRequested(const QStringList& paths);
    // The preview pane and the media information dialog hang here.
    void previewRequested(const QString& file);
    void previewStopRequested();
    void mediaInformationRequested(const QString& file);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildActions();
    void buildToolBar();
    void buildSkinMenu();
    QWidget* buildListGroup();
    void buildLayout();
    void buildPreviewAndInformation();
    void connectSignals();
    void startUp();

    void applySavedLook();
    void queueStateChanged(QueueState state);
    void updateControls();
    void selectRow(int row);
    void rowSelected(int row);
    void addOneFile();
    void addSeveralFiles();
    void filesDropped(const QStringList& paths);
    void removeSelected();
    void clearList();
    void moveSelected(bool up);
    void showInformation();
    void browseOutputFolder();
    void openOutputFolder();
    void runEnded(const RunSummary& summary);
    void showTimeLeft();
    void runAfterAllAction(const RunSummary& summary);
    RunSettings runSettings() const;
    // Detaches the notifications and stops the converter; safe to call twice.
    void shutDown();

    WindowSetup m_setup;
    MainThreadBridge m_bridge;
    std::unique_ptr<TMediaConverter> m_converter;
    SettingsFile m_settings;
    PendingJobOptions m_pending;
    QString m_openFileFilter;
    QString m_previewFile;
    std::string m_snapshotPicture;
    bool m_shutDown = false;
    // The list is saved once the saved queue was taken up and as long as it was not refused.
    bool m_keepsJobList = false;
    std::string m_lastSaveError;
    // Remove is offered after an add, a selection or the end of a run, and withdrawn by a
    // removal, Clear and Start.
    bool m_removeOffered = false;
    QueueState m_lastState = QueueState::Idle;

    JobListModel* m_jobs = nullptr;
    JobListView* m_listView = nullptr;
    JobQueue* m_queue = nullptr;
    PreviewGroup* m_previewGroup = nullptr;
    PreviewPane* m_previewPane = nullptr;
    MediaInfoDialog* m_mediaInfoDialog = nullptr;
    SettingsGroup* m_settingsGroup = nullptr;
    LogPane* m_logPane = nullptr;
    AddJobFlows* m_addFlows = nullptr;
    QLabel* m_timeLeftLabel = nullptr;  // the whole list's time estimate, while a run lasts
    QMenu* m_addMenu = nullptr;
    QMenu* m_skinMenu = nullptr;
    HelpMenu* m_helpMenu = nullptr;
    std::array<QAction*, kWindowActionCount> m_actions{};
    std::array<QPushButton*, kListButtonCount> m_listButtons{};
};

}  // namespace velmora::app
