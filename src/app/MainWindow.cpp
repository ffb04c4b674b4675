#include "app/MainWindow.h"

#include <QActionGroup>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "app/AddJobFlows.h"
#include "app/JobListModel.h"
#include "app/JobListView.h"
#include "app/LogPane.h"
#include "app/MediaInfoDialog.h"
#include "app/OpenFileFilter.h"
#include "app/PreviewGroup.h"
#include "app/PreviewPane.h"
#include "app/SettingsGroup.h"
#include "medialib/MediaLibLoader.h"
#include "medialib/MediaLogger.h"
#include "profiles/JobListFile.h"
#include "profiles/StoredSettings.h"
#include "ui/DataFolders.h"
#include "ui/Skins.h"

// Resources of a static library are registered by name, outside any namespace.
static void registerIconResources() {
    Q_INIT_RESOURCE(icons);
}

namespace velmora::app {

namespace {

struct ActionSpec {
    WindowAction which;
    const char* text;
    const char* hint;  // the status-bar hint while the mouse is over the toolbar button
    const char* icon;
    const char* shortcut;
};

// In the order of WindowAction.
const std::array<ActionSpec, kWindowActionCount> kActionSpecs = {{
    {WindowAction::Add, "       添加      ", "添加要转换的视频音频文件", ":/icons/add.svg", ""},
    {WindowAction::AddOneFile, "添加一个视频文件", "", "", "Ctrl+O"},
    {WindowAction::AddSeveralFiles, "添加多个视频文件", "", "", "Ctrl+Shift+O"},
    {WindowAction::Remove, "移除", "从列表中删除选中的文件", ":/icons/remove.svg", "Delete"},
    {WindowAction::Clear, "清空", "清空转换列表", ":/icons/clear.svg", ""},
    {WindowAction::Convert, "转换", "开始转换视频", ":/icons/convert.svg", "Ctrl+Return"},
    {WindowAction::Pause, "暂停", "暂停视频转换", ":/icons/pause.svg", "Ctrl+P"},
    {WindowAction::Stop, "停止", "停止视频转换", ":/icons/stop.svg", "Escape"},
    {WindowAction::Skin, "皮肤", "更换软件外观皮肤", ":/icons/skin.svg", ""},
    {WindowAction::Help, "帮助", "软件帮助", ":/icons/help.svg", "F1"},
}};

constexpr int kToolIconPx = 32;
constexpr int kPreviewGroupWidth = 292;

QString fromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString fromView(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString withShortcut(const QString& text, const QList<QKeySequence>& shortcuts) {
    if (shortcuts.isEmpty()) {
        return text;
    }
    return text + QStringLiteral(" (") + shortcuts.first().toString(QKeySequence::NativeText) +
           QLatin1Char(')');
}

QString runEndedText(const RunSummary& summary) {
    if (summary.stopped) {
        return QStringLiteral("转换已停止。");
    }
    if (summary.failed == 0 && summary.incomplete == 0) {
        return QStringLiteral("全部文件转换完毕，共 %1 个文件。").arg(summary.done);
    }
    return QStringLiteral("转换结束：%1 个完成，%2 个不完整，%3 个失败。")
        .arg(summary.done)
        .arg(summary.incomplete)
        .arg(summary.failed);
}

}  // namespace

WindowSetup defaultWindowSetup() {
    WindowSetup setup;
    setup.seams = desktopSeams();
    setup.settingsPath = settingsFilePath();
    setup.defaultOutputFolder = defaultOutputFolderPath();
    setup.skinsFolder = ui::dataFolder(QStringLiteral("skins"));
    setup.helpFolder = ui::dataFolder(QStringLiteral("help"));
    setup.update = defaultUpdateSetup();
    setup.makerLinks = defaultMakerLinks();
    setup.defaultSnapshotFolder = defaultSnapshotFolderPath();
    setup.soundsFolder = ui::dataFolder(QStringLiteral("sounds"));
    setup.savedQueuePath = savedQueuePath();
    return setup;
}

MainWindow::MainWindow(WindowSetup setup, QWidget* parent)
    : QMainWindow(parent),
      m_setup(std::move(setup)),
      m_converter(std::make_unique<TMediaConverter>(m_setup.engineFactory)),
      m_settings(m_setup.settingsPath) {
    registerIconResources();
    setObjectName(QStringLiteral("mainWindow"));
    m_jobs = new JobListModel(this);
    m_logPane = new LogPane(this);
    m_queue = new JobQueue(*m_converter, *m_jobs, *m_logPane, m_setup.seams, this);
    buildActions();
    buildToolBar();
    buildLayout();
    buildPreviewAndInformation();
    connectSignals();
    startUp();
    m_addFlows = new AddJobFlows(*this);
    connect(this, &MainWindow::addOneFileRequested, m_addFlows, &AddJobFlows::addOneFile);
    connect(this, &MainWindow::addSeveralFilesRequested, m_addFlows, &AddJobFlows::addSeveralFiles);
    connect(this, &MainWindow::addDroppedFilesRequested, m_addFlows,
            [this](const QStringList& paths) { m_addFlows->addDroppedFiles(paths); });
    m_queue->attach();
    QPointer<LogPane> log(m_logPane);
    Logger().SetOnLog(
        [log](const void*, std::uint32_t threadId, TLogLevel level, const std::string& message) {
            if (log) {
                log->appendLine(LogPane::loggerLine(threadId, level, message));
            }
        });
    updateControls();
}

MainWindow::~MainWindow() {
    shutDown();
}

void MainWindow::buildActions() {
    for (const ActionSpec& spec : kActionSpecs) {
        auto* action = new QAction(QString::fromUtf8(spec.text), this);
        if (*spec.icon != '\0') {
            action->setIcon(QIcon(QString::fromUtf8(spec.icon)));
        }
        if (*spec.shortcut != '\0') {
            QList<QKeySequence> keys{QKeySequence(QString::fromLatin1(spec.shortcut))};
            // The keypad's Enter converts too.
            if (spec.which == WindowAction::Convert) {
                keys << QKeySequence(QStringLiteral("Ctrl+Enter"));
            }
            action->setShortcuts(keys);
        }
        const QString hint = QString::fromUtf8(spec.hint);
        action->setStatusTip(hint);
        action->setToolTip(
            withShortcut(hint.isEmpty() ? action->text() : hint, action->shortcuts()));
        addAction(action);  // shortcuts work wherever the focus is in the window
        m_actions[static_cast<std::size_t>(spec.which)] = action;
    }
    QAction* add = action(WindowAction::Add);
    add->setToolTip(
        add->statusTip() + QStringLiteral(" (") +
        QKeySequence(QStringLiteral("Ctrl+O")).toString(QKeySequence::NativeText) +
        QStringLiteral(", ") +
        QKeySequence(QStringLiteral("Ctrl+Shift+O")).toString(QKeySequence::NativeText) +
        QLatin1Char(')'));
    m_addMenu = new QMenu(this);
    m_addMenu->addAction(action(WindowAction::AddOneFile));
    m_addMenu->addAction(action(WindowAction::AddSeveralFiles));
    add->setMenu(m_addMenu);
    buildSkinMenu();
    action(WindowAction::Skin)->setMenu(m_skinMenu);
    m_helpMenu = new HelpMenu(HelpSetup{m_setup.helpFolder, m_setup.update, m_setup.makerLinks},
                              m_setup.seams, this);
    action(WindowAction::Help)->setMenu(m_helpMenu);
}

void MainWindow::buildSkinMenu() {
    m_skinMenu = new QMenu(this);
    auto* group = new QActionGroup(m_skinMenu);
    group->setExclusive(true);
    for (const ui::SkinLook& look : ui::skinMenu()) {
        QAction* item = m_skinMenu->addAction(fromView(look.menuCaption));
        item->setCheckable(true);
        item->setData(fromView(look.value));
        group->addAction(item);
        const std::string value(look.value);
        connect(item, &QAction::triggered, this, [this, value] { chooseLook(value); });
    }
}

QToolButton* MainWindow::toolButton(WindowAction which) const {
    auto* bar = findChild<QToolBar*>(QStringLiteral("toolBar"));
    return bar ? qobject_cast<QToolButton*>(bar->widgetForAction(action(which))) : nullptr;
}

void MainWindow::buildToolBar() {
    auto* bar = new QToolBar(QStringLiteral("工具栏"), this);
    bar->setObjectName(QStringLiteral("toolBar"));
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setContextMenuPolicy(Qt::PreventContextMenu);
    bar->setIconSize(QSize(kToolIconPx, kToolIconPx));
    bar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    bar->addAction(action(WindowAction::Add));
    bar->addAction(action(WindowAction::Remove));
    bar->addAction(action(WindowAction::Clear));
    bar->addSeparator();
    bar->addAction(action(WindowAction::Convert));
    bar->addAction(action(WindowAction::Pause));
    bar->addAction(action(WindowAction::Stop));
    bar->addSeparator();
    bar->addAction(action(WindowAction::Skin));
    bar->addAction(action(WindowAction::Help));
    addToolBar(Qt::TopToolBarArea, bar);
    for (const WindowAction withMenu :
         {WindowAction::Add, WindowAction::Skin, WindowAction::Help}) {
        if (auto* button = qobject_cast<QToolButton*>(bar->widgetForAction(action(withMenu)))) {
            button->setPopupMode(QToolButton::InstantPopup);
        }
    }
}

QWidget* MainWindow::buildListGroup() {
    auto* group = new QGroupBox(QStringLiteral("转换列表"), this);
    group->setObjectName(QStringLiteral("jobListGroup"));
    m_listView = new JobListView(group);
    m_listView->setJobModel(m_jobs);

    const std::array<const char*, kListButtonCount> captions = {"上移", "下移", "移除", "清空",
                                                                "信息"};
    auto* buttons = new QHBoxLayout;
    for (std::size_t i = 0; i < kListButtonCount; ++i) {
        m_listButtons[i] = new QPushButton(QString::fromUtf8(captions[i]), group);
        buttons->addWidget(m_listButtons[i]);
    }
    buttons->addStretch();

    auto* layout = new QVBoxLayout(group);
    layout->setContentsMargins(8, 6, 8, 6);
    layout->addWidget(m_listView, 1);
    layout->addLayout(buttons);
    return group;
}

void MainWindow::buildLayout() {
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("centralArea"));
    m_previewGroup = new PreviewGroup(central);
    m_previewGroup->setFixedWidth(kPreviewGroupWidth);
    m_settingsGroup = new SettingsGroup(central);

    auto* top = new QHBoxLayout;
    top->setSpacing(6);
    top->addWidget(m_previewGroup);
    top->addWidget(buildListGroup(), 1);

    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(6, 4, 6, 4);
    layout->setSpacing(4);
    layout->addLayout(top, 1);
    layout->addWidget(m_settingsGroup);
    layout->addWidget(m_logPane);
    setCentralWidget(central);
    statusBar()->setObjectName(QStringLiteral("statusBar"));
    statusBar()->setSizeGripEnabled(false);
    // Permanent, so the buttons' hints do not hide it.
    m_timeLeftLabel = new QLabel(statusBar());
    m_timeLeftLabel->setObjectName(QStringLiteral("timeLeftLabel"));
    m_timeLeftLabel->hide();
    statusBar()->addPermanentWidget(m_timeLeftLabel);
}

void MainWindow::buildPreviewAndInformation() {
    PreviewSetup preview;
    preview.seams = m_setup.seams;
    preview.settingsPath = m_setup.settingsPath;
    preview.defaultSnapshotFolder = m_setup.defaultSnapshotFolder;
    preview.soundsFolder = m_setup.soundsFolder;
    preview.libraryFolder = DefaultLibraryFolder();
    preview.selectedPreviewFile = [this] {
        return m_listView->selectedRow() >= 0 ? m_previewFile : QString();
    };
    m_previewPane = new PreviewPane(*m_previewGroup, std::move(preview), this);
    m_mediaInfoDialog = new MediaInfoDialog(m_converter->MediaProbe(), m_setup.seams, m_settings,
                                            m_setup.skinsFolder, this);
}

void MainWindow::connectSignals() {
    connect(action(WindowAction::AddOneFile), &QAction::triggered, this, &MainWindow::addOneFile);
    connect(action(WindowAction::AddSeveralFiles), &QAction::triggered, this,
            &MainWindow::addSeveralFiles);
    connect(action(WindowAction::Remove), &QAction::triggered, this, &MainWindow::removeSelected);
    connect(action(WindowAction::Clear), &QAction::triggered, this, &MainWindow::clearList);
    connect(action(WindowAction::Convert), &QAction::triggered, this,
            [this] { m_queue->startOrResume(runSettings()); });
    connect(action(WindowAction::Pause), &QAction::triggered, m_queue, &JobQueue::pause);
    connect(action(WindowAction::Stop), &QAction::triggered, m_queue, &JobQueue::stop);
    // F1; the toolbar button itself drops the help menu down.
    connect(action(WindowAction::Help), &QAction::triggered, m_helpMenu, &HelpMenu::openHelpSystem);

    connect(listButton(ListButton::MoveUp), &QPushButton::clicked, this,
            [this] { moveSelected(true); });
    connect(listButton(ListButton::MoveDown), &QPushButton::clicked, this,
            [this] { moveSelected(false); });
    connect(listButton(ListButton::Remove), &QPushButton::clicked, this,
            &MainWindow::removeSelected);
    connect(listButton(ListButton::Clear), &QPushButton::clicked, this, &MainWindow::clearList);
    connect(listButton(ListButton::Information), &QPushButton::clicked, this,
            &MainWindow::showInformation);

    connect(m_listView, &JobListView::selectedRowChanged, this, &MainWindow::rowSelected);
    connect(m_listView, &JobListView::emptyAreaClicked, this, &MainWindow::previewStopRequested);
    connect(m_listView, &JobListView::rowActivated, this, &MainWindow::showInformation);
    connect(m_listView, &JobListView::filesDropped, this, &MainWindow::filesDropped);
    connect(m_listView, &JobListView::openOutputFileRequested, this,
            [this](const QString& file) { m_setup.seams.openUrl(QUrl::fromLocalFile(file)); });
    connect(m_listView, &JobListView::openOutputFolderRequested, this,
            [this](const QString& folder) { m_setup.seams.openUrl(QUrl::fromLocalFile(folder)); });

    connect(m_settingsGroup, &SettingsGroup::browseRequested, this,
            &MainWindow::browseOutputFolder);
    connect(m_settingsGroup, &SettingsGroup::openRequested, this, &MainWindow::openOutputFolder);

    connect(this, &MainWindow::previewRequested, m_previewPane, &PreviewPane::preview);
    connect(this, &MainWindow::previewStopRequested, m_previewPane, &PreviewPane::stop);
    connect(m_previewPane, &PreviewPane::logLine, m_logPane, &LogPane::appendLine);
    connect(m_previewPane, &PreviewPane::statusMessage, statusBar(),
            [this](const QString& text) { statusBar()->showMessage(text); });
    connect(m_previewPane, &PreviewPane::listFocusRequested, m_listView,
            [this] { m_listView->setFocus(); });
    connect(this, &MainWindow::mediaInformationRequested, m_mediaInfoDialog,
            [this](const QString& file) {
                if (ensureLibraries()) {
                    m_mediaInfoDialog->present(file);
                }
            });

    connect(m_queue, &JobQueue::stateChanged, this, &MainWindow::queueStateChanged);
    connect(m_queue, &JobQueue::runEnded, this, &MainWindow::runEnded);
    connect(m_queue, &JobQueue::jobsChanged, this, &MainWindow::saveJobList);
    connect(m_queue, &JobQueue::timeLeftChanged, this, &MainWindow::showTimeLeft);
    connect(m_queue, &JobQueue::previewStopRequested, this, &MainWindow::previewStopRequested);
    connect(m_jobs, &QAbstractItemModel::rowsInserted, this, &MainWindow::updateControls);
    connect(m_jobs, &QAbstractItemModel::rowsRemoved, this, &MainWindow::updateControls);
    connect(m_jobs, &QAbstractItemModel::modelReset, this, &MainWindow::updateControls);
}

void MainWindow::startUp() {
    setWindowTitle(QStringLiteral("Velmora"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/velmora.svg")));
    setFixedSize(kWidth, kHeight);
    if (const QScreen* display = screen()) {
        move(display->availableGeometry().center() - rect().center());
    }
    applySavedLook();
    m_pending.reset();
    const std::string folder = readOutputFolder(m_settings, m_setup.defaultOutputFolder);
    m_settingsGroup->setOutputFolder(fromUtf8(folder));
    m_settingsGroup->resetQueueSettings();
    m_openFileFilter = openFileFilter();
    m_snapshotPicture = readSnapshotPicture(m_settings);
    m_previewPane->showSnapshotPicture(m_snapshotPicture);
}

void MainWindow::applySavedLook() {
    const auto saved = readSkin(m_settings);
    if (!saved) {
        return;
    }
    // Any value that names no look leaves the built-in one.
    if (ui::applySkin(*this, *saved, m_setup.skinsFolder)) {
        for (QAction* item : m_skinMenu->actions()) {
            item->setChecked(item->data().toString() == fromUtf8(*saved));
        }
    }
}

void MainWindow::applySavedLookTo(QWidget& dialog) const {
    if (const auto saved = readSkin(m_settings)) {
        ui::applySkin(dialog, *saved, m_setup.skinsFolder);
    }
}

void MainWindow::chooseLook(const std::string& value) {
    ui::applySkin(*this, value, m_setup.skinsFolder);
    for (QAction* item : m_skinMenu->actions()) {
        item->setChecked(item->data().toString() == fromUtf8(value));
    }
    writeSkin(m_settings, value);
}

void MainWindow::queueStateChanged(QueueState state) {
    if (state == QueueState::Running && m_lastState == QueueState::Idle) {
        m_removeOffered = false;
    } else if (state == QueueState::Idle && m_lastState != QueueState::Idle) {
        m_removeOffered = true;
    }
    m_lastState = state;
    updateControls();
    showTimeLeft();
}

void MainWindow::showTimeLeft() {
    if (m_queue->isIdle()) {
        m_timeLeftLabel->clear();
        m_timeLeftLabel->hide();
        return;
    }
    const auto leftUs = m_queue->timeLeftUs();
    m_timeLeftLabel->setText(QStringLiteral("全部任务剩余时间：") +
                             (leftUs ? fromUtf8(timeLeftText(*leftUs)) : QStringLiteral("估算中")));
    m_timeLeftLabel->show();
}

void MainWindow::updateControls() {
    const QueueState state = m_queue->state();
    const bool idle = state == QueueState::Idle;
    const bool hasRows = m_jobs->rowCount() > 0;
    const bool removable = idle && hasRows && m_removeOffered;

    action(WindowAction::Add)->setEnabled(idle);
    action(WindowAction::AddOneFile)->setEnabled(idle);
    action(WindowAction::AddSeveralFiles)->setEnabled(idle);
    action(WindowAction::Remove)->setEnabled(removable);
    listButton(ListButton::Remove)->setEnabled(removable);
    action(WindowAction::Clear)->setEnabled(idle && hasRows);
    listButton(ListButton::Clear)->setEnabled(idle && hasRows);
    listButton(ListButton::MoveUp)->setEnabled(idle && hasRows);
    listButton(ListButton::MoveDown)->setEnabled(idle && hasRows);
    action(WindowAction::Convert)->setEnabled((idle && hasRows) || state == QueueState::Paused);
    // While stopping, Pause stays as it was.
    if (state != QueueState::Stopping) {
        action(WindowAction::Pause)->setEnabled(state == QueueState::Running);
    }
    action(WindowAction::Stop)
        ->setEnabled(state == QueueState::Running || state == QueueState::Paused);
    m_settingsGroup->setQueueControlsEnabled(idle);
}

void MainWindow::selectRow(int row) {
    m_listView->selectRow(row);
    m_listView->setFocus();
}

void MainWindow::rowSelected(int row) {
    if (!m_jobs->isValidRow(row)) {
        updateControls();
        return;
    }
    if (m_queue->isIdle()) {
        m_removeOffered = true;
    }
    updateControls();
    m_previewGroup->trackBar()->setValue(0);
    m_previewFile = m_jobs->job(row).sourceFile;
    if (!m_queue->busy()) {
        emit previewRequested(m_previewFile);
    }
}

void MainWindow::addOneFile() {
    if (!m_queue->isIdle()) {
        return;
    }
    const QString file = m_setup.seams.chooseSourceFile(
        this, action(WindowAction::AddOneFile)->text(), m_openFileFilter);
    if (!file.isEmpty() && QFileInfo(file).isFile()) {
        emit addOneFileRequested(file);
    }
}

void MainWindow::addSeveralFiles() {
    if (!m_queue->isIdle()) {
        return;
    }
    const QStringList files = m_setup.seams.chooseSourceFiles(
        this, action(WindowAction::AddSeveralFiles)->text(), m_openFileFilter);
    if (!files.isEmpty()) {
        emit addSeveralFilesRequested(files);
    }
}

void MainWindow::filesDropped(const QStringList& paths) {
    if (m_queue->isIdle() && !paths.isEmpty()) {
        emit addDroppedFilesRequested(paths);
    }
}

void MainWindow::removeSelected() {
    const int row = m_listView->selectedRow();
    m_queue->remove(row);
    if (row >= 0) {
        // Remove is offered again only once the user selects a row.
        m_listView->clearSelection();
        m_removeOffered = false;
    }
    updateControls();
}

void MainWindow::clearList() {
    if (!m_queue->isIdle()) {
        return;
    }
    m_pending.reset();
    m_queue->clear();
    m_removeOffered = false;
    updateControls();
}

void MainWindow::moveSelected(bool up) {
    const int row = m_listView->selectedRow();
    if (row < 0) {
        return;
    }
    const int moved = up ? m_queue->moveUp(row) : m_queue->moveDown(row);
    if (moved >= 0) {
        selectRow(moved);
    }
}

void MainWindow::showInformation() {
    const int row = m_listView->selectedRow();
    if (m_jobs->isValidRow(row) && QFileInfo(m_jobs->job(row).sourceFile).isFile()) {
        emit mediaInformationRequested(m_jobs->job(row).sourceFile);
    }
}

void MainWindow::browseOutputFolder() {
    const QString folder = m_setup.seams.chooseFolder(this, QStringLiteral("选择输出文件存放目录"),
                                                      m_settingsGroup->outputFolder());
    if (folder.isEmpty()) {
        return;
    }
    m_settingsGroup->setOutputFolder(folder);
    writeOutputFolder(m_settings, folder.toStdString());
}

void MainWindow::openOutputFolder() {
    m_setup.seams.openUrl(QUrl::fromLocalFile(m_settingsGroup->outputFolder()));
}

RunSettings MainWindow::runSettings() const {
    RunSettings settings;
    settings.outputFolder = m_settingsGroup->outputFolder().toStdString();
    settings.rule = m_settingsGroup->existingFileRule();
    settings.priority = m_settingsGroup->workerPriority();
    settings.filesAtOnce = m_settingsGroup->filesAtOnce();
    return settings;
}

void MainWindow::runEnded(const RunSummary& summary) {
    updateControls();
    if (m_setup.seams.notify) {
        m_setup.seams.notify(QStringLiteral("Velmora"), runEndedText(summary));
    }
    runAfterAllAction(summary);
}

void MainWindow::runAfterAllAction(const RunSummary& summary) {
    switch (m_settingsGroup->afterAllAction()) {
        case AfterAllAction::Nothing:
            return;
        case AfterAllAction::OpenOutputFolder:
            openOutputFolder();
            return;
        case AfterAllAction::PowerOff:
            break;
    }
    // A stopped run, or one in which nothing ran, never ends in a power-off.
    if (summary.stopped || summary.tasks == 0) {
        return;
    }
    if (!m_setup.seams.confirmPowerOff || !m_setup.seams.confirmPowerOff(this)) {
        return;
    }
    QString error = QStringLiteral("no power-off available");
    if (!m_setup.seams.powerOff || !m_setup.seams.powerOff(&error)) {
        m_logPane->appendNotice(QStringLiteral("***关闭计算机失败: ") + error);
    }
}

bool MainWindow::ensureLibraries() {
    if (m_converter->AVLibLoaded() || m_converter->LoadAVLib(DefaultLibraryFolder())) {
        return true;
    }
    const QString reason = fromUtf8(m_converter->LastErrMsg());
    m_logPane->appendLine(reason);
    m_setup.seams.messageBox(this, QMessageBox::Warning, QStringLiteral("Velmora"),
                             QStringLiteral("无法加载媒体库：") + reason, QMessageBox::Ok);
    return false;
}

void MainWindow::addPresetFiles(int profileCode, const QStringList& files) {
    m_addFlows->addDroppedFiles(files, profileCode);
}

bool MainWindow::addJobFromRecords(JobRecords records) {
    if (!m_queue->isIdle()) {
        return false;
    }
    if (!m_queue->hasFreeSlot()) {
        m_setup.seams.messageBox(this, QMessageBox::Information, QStringLiteral("提示"),
                                 QString::fromUtf8(kNoFreeSlotMessage), QMessageBox::Ok);
        return false;
    }
    const QString source = fromUtf8(records.input.FileName);
    JobCreation created = registerJob(*m_converter, std::move(records));
    if (!created.added()) {
        m_addFlows->reportRefusal(source, created);
        return false;
    }
    created.origin.source = readSourceFacts(created.records.input.FileName);
    return appendRegisteredJob(created);
}

bool MainWindow::appendRegisteredJob(const JobCreation& creation, bool select) {
    const int row = m_queue->appendJob(creation.records, creation.origin);
    if (row < 0) {
        m_converter->RemoveTask(creation.taskIndex);
        m_setup.seams.messageBox(this, QMessageBox::Information, QStringLiteral("提示"),
                                 QString::fromUtf8(kNoFreeSlotMessage), QMessageBox::Ok);
        return false;
    }
    if (select) {
        selectRow(row);
    }
    m_removeOffered = true;
    m_logPane->appendNotice(QStringLiteral("装入成功."));
    updateControls();
    return true;
}

void MainWindow::restoreSavedJobs() {
    if (m_keepsJobList || m_setup.savedQueuePath.empty()) {
        return;
    }
    const JobListRead saved = readJobList(m_setup.savedQueuePath);
    if (!saved.jobs && saved.problem != JobListProblem::Missing) {
        // Whatever is wrong with it, the file may still matter to the user (or to a newer
        // program): it is neither repaired nor replaced.
        m_logPane->appendNotice(QStringLiteral("***") + fromUtf8(saved.error));
        m_setup.seams.messageBox(
            this, QMessageBox::Warning, QStringLiteral("提示"),
            fromUtf8(saved.error) + QStringLiteral("\n本次运行中的转换列表不会被保存。"),
            QMessageBox::Ok);
        return;
    }
    m_keepsJobList = true;
    const std::vector<JobListEntry> jobs = saved.jobs.value_or(std::vector<JobListEntry>{});
    const auto unfinished =
        std::ranges::count_if(jobs, [](const JobListEntry& job) { return !isFinished(job.state); });
    if (unfinished == 0 || !m_queue->isIdle()) {
        return;
    }
    const auto answer = m_setup.seams.messageBox(
        this, QMessageBox::Question, QStringLiteral("提示"),
        QStringLiteral("恢复上次未完成的转换任务？\n共有 %1 个任务未完成。").arg(unfinished),
        QMessageBox::Yes | QMessageBox::No);
    if (answer != QMessageBox::Yes) {
        // Declined once, the old jobs are not offered again.
        saveJobList();
        return;
    }
    const int restored = m_queue->restoreJobs(jobs);
    if (restored < unfinished) {
        m_setup.seams.messageBox(this, QMessageBox::Information, QStringLiteral("提示"),
                                 QString::fromUtf8(kNoFreeSlotMessage), QMessageBox::Ok);
    }
    if (restored > 0) {
        m_removeOffered = false;
        m_logPane->appendNotice(QStringLiteral("已恢复 %1 个未完成的转换任务.").arg(restored));
    }
    updateControls();
}

bool MainWindow::saveJobList() {
    if (!m_keepsJobList) {
        return false;
    }
    std::string error;
    if (writeJobList(m_setup.savedQueuePath, m_queue->listedJobs(), &error)) {
        m_lastSaveError.clear();
        return true;
    }
    // Said once per cause, not after every change.
    if (error != m_lastSaveError) {
        m_logPane->appendNotice(QStringLiteral("***无法保存转换列表: ") + fromUtf8(error));
        m_lastSaveError = error;
    }
    return false;
}

void MainWindow::shutDown() {
    if (m_shutDown) {
        return;
    }
    m_shutDown = true;
    emit previewStopRequested();
    // No progress or end notice may reach a window that is going away.
    m_queue->detach();
    m_converter->StopTasks(true);
    Logger().SetOnLog({});
}

void MainWindow::closeEvent(QCloseEvent* event) {
    shutDown();
    event->accept();
}

}  // namespace velmora::app
