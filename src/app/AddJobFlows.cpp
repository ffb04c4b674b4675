#include "app/AddJobFlows.h"

#include <QFileInfo>

#include "app/FormatChooser.h"
#include "app/JobListModel.h"
#include "app/JobListView.h"
#include "app/LogPane.h"
#include "app/MainWindow.h"
#include "app/OptionSettingsDialog.h"
#include "app/SettingsGroup.h"
#include "profiles/JobSlots.h"
#include "profiles/SourceFiles.h"

namespace velmora::app {

namespace {

// Files the end-of-drop message names one by one; the rest are counted.
constexpr std::size_t kListedNotAdded = 12;

QString fromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

QString refusalReason(const JobCreation& creation) {
    const QString message = fromUtf8(creation.message);
    switch (creation.failedAt) {
        case JobStep::Added:
            return {};
        case JobStep::OpenSource:
            return QStringLiteral("无法识别的音频或视频文件（%1）").arg(message);
        case JobStep::AddTask:
            return QStringLiteral("打开文件失败: ") + message;
        case JobStep::SetOutputFile:
            return QStringLiteral("不能进行正常转换: ") + message;
        case JobStep::Options:
            return message;
        case JobStep::OutputName:
            return QString::fromUtf8(kNoOutputNameMessage) + message;
        case JobStep::OutputIsSource:
            return QString::fromUtf8(kOutputIsSourceMessage) + message;
        case JobStep::SourceIsListedOutput:
            return QString::fromUtf8(kSourceIsOutputMessage) + message;
    }
    return message;
}

QString refusalLogLine(const JobCreation& creation) {
    if (creation.failedAt == JobStep::OpenSource) {
        return QStringLiteral("***文件打开失败 ") + fromUtf8(creation.message);
    }
    return QStringLiteral("***") + refusalReason(creation);
}

AddJobFlows::AddJobFlows(MainWindow& window)
    : QObject(&window),
      m_window(window),
      m_chooser(new FormatChooser(
          window.pendingJobOptions(), window.seams(),
          [&window](QWidget& dialog) { window.applySavedLookTo(dialog); }, &window)),
      m_optionSettings(new OptionSettingsDialog(
          window.pendingJobOptions(), window.seams(),
          [&window] { return window.settingsGroup().outputFolder(); },
          [&window](QWidget& dialog) { window.applySavedLookTo(dialog); }, &window)) {}

AddJobFlows::~AddJobFlows() = default;

bool AddJobFlows::prepareAdd() {
    m_window.pendingJobOptions().reset();
    return m_window.ensureLibraries();
}

bool AddJobFlows::chooseOptions(bool cutOffered) {
    m_optionSettings->prepareCutSwitch(cutOffered);
    return m_chooser->choose([this] { return m_optionSettings->run(); });
}

void AddJobFlows::addOneFile(const QString& file) {
    if (!m_window.queue().isIdle() || !prepareAdd()) {
        return;
    }
    PendingJobOptions& pending = m_window.pendingJobOptions();
    pending.SourceFile = file.toStdString();
    if (!chooseOptions(/*cutOffered=*/true)) {
        return;
    }
    if (!m_window.queue().hasFreeSlot()) {
        m_window.seams().messageBox(&m_window, QMessageBox::Information, QStringLiteral("提示"),
                                    QString::fromUtf8(kNoFreeSlotMessage), QMessageBox::Ok);
        return;
    }
    const JobCreation created =
        createOneFileJob(m_window.converter(), pending, m_window.settingsGroup().existingFileRule(),
                         m_window.queue().listedNames());
    if (!created.added()) {
        reportRefusal(file, created);
        return;
    }
    m_window.appendRegisteredJob(created);
}

void AddJobFlows::addSeveralFiles(const QStringList& files) {
    if (files.isEmpty() || !m_window.queue().isIdle() || !prepareAdd()) {
        return;
    }
    // The option settings still show the previous add's source; the files get their own names.
    if (!chooseOptions(/*cutOffered=*/false)) {
        return;
    }
    PendingJobOptions& pending = m_window.pendingJobOptions();
    const std::string folder = m_window.settingsGroup().outputFolder().toStdString();
    const ExistingFileRule rule = m_window.settingsGroup().existingFileRule();
    // From the last file to the first.
    for (auto file = files.crbegin(); file != files.crend(); ++file) {
        if (!QFileInfo::exists(*file)) {
            break;
        }
        if (!m_window.queue().hasFreeSlot()) {
            m_window.seams().messageBox(&m_window, QMessageBox::Information, QStringLiteral("提示"),
                                        QString::fromUtf8(kNoFreeSlotMessage), QMessageBox::Ok);
            break;
        }
        pending.SourceFile = file->toStdString();
        const JobCreation created =
            createSeveralFilesJob(m_window.converter(), pending, pending.SourceFile, folder, rule,
                                  m_window.queue().listedNames());
        if (!created.added()) {
            reportRefusal(*file, created);
            if (created.failedAt == JobStep::AddTask) {
                break;
            }
            continue;
        }
        m_window.appendRegisteredJob(created, /*select=*/false);
    }
    selectLastRow();
}

QStringList AddJobFlows::expandDropped(const QStringList& paths,
                                       std::vector<NotAdded>& notAdded) const {
    QStringList files;
    for (const QString& path : paths) {
        const QFileInfo info(path);
        if (!info.exists()) {
            notAdded.push_back({path, QStringLiteral("文件不存在")});
        } else if (info.isDir()) {
            const FolderSources sources = mediaFilesInFolder(path.toStdString());
            if (!sources.error.empty()) {
                notAdded.push_back(
                    {path, QStringLiteral("无法读取文件夹: ") + fromUtf8(sources.error)});
            } else if (sources.files.empty()) {
                notAdded.push_back({path, QStringLiteral("文件夹中没有支持的音频或视频文件")});
            }
            for (const std::string& file : sources.files) {
                files << fromUtf8(file);
            }
        } else {
            files << path;
        }
    }
    return files;
}

void AddJobFlows::addDroppedFiles(const QStringList& paths, std::optional<int> presetProfile) {
    if (paths.isEmpty() || !m_window.queue().isIdle()) {
        return;
    }
    std::vector<NotAdded> notAdded;
    const QStringList files = expandDropped(paths, notAdded);
    if (files.isEmpty()) {
        reportNotAdded(notAdded);
        return;
    }
    if (!prepareAdd()) {
        return;
    }
    JobChoices preset;
    if (presetProfile) {
        preset.profileCode = *presetProfile;
    } else if (!chooseOptions(/*cutOffered=*/false)) {
        return;
    }

    PendingJobOptions& pending = m_window.pendingJobOptions();
    const std::string folder = m_window.settingsGroup().outputFolder().toStdString();
    const ExistingFileRule rule = m_window.settingsGroup().existingFileRule();
    for (qsizetype i = 0; i < files.size(); ++i) {
        const QString& file = files[i];
        if (!m_window.queue().hasFreeSlot()) {
            for (; i < files.size(); ++i) {
                notAdded.push_back({files[i], QString::fromUtf8(kNoFreeSlotMessage)});
            }
            break;
        }
        const std::string source = file.toStdString();
        JobCreation created;
        if (presetProfile) {
            created = createJob(m_window.converter(), source, preset, folder, rule,
                                m_window.queue().listedNames());
        } else {
            pending.SourceFile = source;
            created = createSeveralFilesJob(m_window.converter(), pending, source, folder, rule,
                                            m_window.queue().listedNames());
        }
        if (!created.added()) {
            m_window.logPane().appendNotice(refusalLogLine(created));
            notAdded.push_back({file, refusalReason(created)});
            continue;
        }
        m_window.appendRegisteredJob(created, /*select=*/false);
    }
    selectLastRow();
    reportNotAdded(notAdded);
}

void AddJobFlows::reportNotAdded(const std::vector<NotAdded>& notAdded) {
    if (notAdded.empty()) {
        return;
    }
    QString text = QStringLiteral("以下文件没有添加到转换列表：");
    for (std::size_t i = 0; i < notAdded.size() && i < kListedNotAdded; ++i) {
        text += QStringLiteral("\n\n") + notAdded[i].path + QStringLiteral("\n    ") +
                notAdded[i].reason;
    }
    if (notAdded.size() > kListedNotAdded) {
        text +=
            QStringLiteral("\n\n……另有 %1 个文件没有添加。").arg(notAdded.size() - kListedNotAdded);
    }
    m_window.seams().messageBox(&m_window, QMessageBox::Information, QStringLiteral("提示"), text,
                                QMessageBox::Ok);
}

void AddJobFlows::reportRefusal(const QString& source, const JobCreation& creation) {
    if (creation.added()) {
        return;
    }
    const QString logLine = refusalLogLine(creation);
    m_window.logPane().appendNotice(logLine);
    // The log pane is not shown: without a box the user would never learn why a file is missing.
    const QString boxText = creation.failedAt == JobStep::OpenSource
                                ? QStringLiteral("无法识别的音频或视频文件！") + source
                                : QStringLiteral("无法添加文件：") + source + QLatin1Char('\n') +
                                      refusalReason(creation);
    m_window.seams().messageBox(&m_window, QMessageBox::Information, QStringLiteral("提示"),
                                boxText, QMessageBox::Ok);
}

void AddJobFlows::selectLastRow() {
    const int last = m_window.jobList().rowCount() - 1;
    if (last >= 0) {
        m_window.jobListView().selectRow(last);
        m_window.jobListView().setFocus();
    }
}

}  // namespace velmora::app
