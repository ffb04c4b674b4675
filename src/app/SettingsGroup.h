// The settings group across the bottom of the main window: the output folder with its browse and
// open buttons, what to do after the last job, what to do when an output exists, and the hidden
// controls whose values stay at their defaults (worker priority, files at once, output type).
// None of these settings is stored except the output folder.
#pragma once

#include <QGroupBox>

#include "engine/ConvertThread.h"
#include "profiles/OutputNaming.h"

class QComboBox;
class QLineEdit;
class QPushButton;

namespace velmora::app {

enum class AfterAllAction { Nothing = 0, PowerOff = 1, OpenOutputFolder = 2 };

class SettingsGroup : public QGroupBox {
    Q_OBJECT
public:
    explicit SettingsGroup(QWidget* parent = nullptr);

    // Every start begins with these: open the folder after the last job, normal priority, one
    // file at a time, and a new name for an existing output.
    void resetQueueSettings();

    QString outputFolder() const;
    void setOutputFolder(const QString& folder);

    AfterAllAction afterAllAction() const;
    ExistingFileRule existingFileRule() const;
    // The CPU-usage choice as the workers' priority: idle, lowest, lower, normal.
    ThreadPriority workerPriority() const;
    // Files converted at the same time, 1..10.
    int filesAtOnce() const;

    // The browse button and the priority, files-at-once and existing-file selectors: off while
    // the queue runs.
    void setQueueControlsEnabled(bool enabled);

    QPushButton* browseButton() const { return m_browse; }
    QPushButton* openButton() const { return m_open; }
    QComboBox* afterAllBox() const { return m_afterAll; }
    QComboBox* existingFileBox() const { return m_existingFile; }
    QComboBox* cpuUsageBox() const { return m_cpuUsage; }
    QComboBox* filesAtOnceBox() const { return m_filesAtOnce; }
    QComboBox* outputTypeBox() const { return m_outputType; }

signals:
    void browseRequested();
    void openRequested();

private:
    QLineEdit* m_folder;
    QPushButton* m_browse;
    QPushButton* m_open;
    QComboBox* m_afterAll;
    QComboBox* m_existingFile;
    QComboBox* m_cpuUsage;
    QComboBox* m_filesAtOnce;
    QComboBox* m_outputType;
};

}  // namespace velmora::app
