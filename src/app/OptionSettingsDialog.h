// The option settings ("选项设置"): the source path, the ten lists the chosen profile offers with
// their preselections, the three picture effects and the cut range preset from the source's
// duration. "确定" runs the confirmation of profiles/ on what the window shows and, when it is
// accepted, leaves the choices in the pending job options. The window is made once and reused;
// every opening starts from the profile's preselections again.
#pragma once

#include <QDialog>
#include <array>
#include <functional>
#include <memory>

#include "app/DesktopSeams.h"
#include "component/MediaConverter.h"
#include "profiles/OptionSettings.h"
#include "profiles/PendingJobOptions.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;

namespace velmora::app {

// Hours, minutes, seconds.
inline constexpr std::size_t kCutEditCount = 3;

class OptionSettingsDialog : public QDialog {
    Q_OBJECT
public:
    // pending: the main window's record. outputFolder gives the text of the main window's
    // output-folder field; applyLook gives the window the saved look each time it is shown.
    OptionSettingsDialog(PendingJobOptions& pending, const DesktopSeams& seams,
                         std::function<QString()> outputFolder,
                         std::function<void(QWidget&)> applyLook, QWidget* parent = nullptr);
    ~OptionSettingsDialog() override;

    // Before an add: the cut switch unchecked, and offered only for a one-file add.
    void prepareCutSwitch(bool offered);

    // The show sequence (look, clear step, fill step for pending.ProfileCode, duration probe),
    // then the window modally. True when the choices were confirmed.
    bool run();

    // The window's state, for the tests and the screenshots.
    const std::string& MediaMode() const { return m_state.MediaMode; }
    const std::string& SourceSeconds() const { return m_sourceSeconds; }
    QLineEdit* sourceField() const { return m_source; }
    QComboBox* list(OptionKind kind) const { return m_lists[indexOf(kind)]; }
    QCheckBox* flipHorizontalBox() const { return m_flipHorizontal; }
    QCheckBox* flipVerticalBox() const { return m_flipVertical; }
    QCheckBox* negativeBox() const { return m_negative; }
    QCheckBox* cutSwitch() const { return m_cutSwitch; }
    QLineEdit* cutStartEdit(std::size_t part) const { return m_cutStart[part]; }
    QLineEdit* cutStopEdit(std::size_t part) const { return m_cutStop[part]; }
    QPushButton* previewButton() const { return m_preview; }
    QPushButton* okButton() const { return m_ok; }
    QPushButton* cancelButton() const { return m_cancel; }

    // Fills the window for the pending record without showing it (the screenshots use it).
    void prepare();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QComboBox* makeList(OptionKind kind);
    QLineEdit* makeTimeEdit();
    QWidget* buildCutGroup();
    void clearStep();
    void fillStep();
    void durationProbe();
    void showList(OptionKind kind);
    void setVideoControlsEnabled(bool enabled);
    void listPicked(OptionKind kind);
    void cutSwitchToggled(bool checked);
    void confirm();
    ShownOptions shownOptions() const;
    void showNotice(const QString& text);

    PendingJobOptions& m_pending;
    const DesktopSeams& m_seams;
    std::function<QString()> m_outputFolder;
    std::function<void(QWidget&)> m_applyLook;
    // The window's own converter: the duration probe opens the source through it.
    std::unique_ptr<TMediaConverter> m_converter;
    OptionSettingsState m_state;
    std::string m_sourceSeconds;

    QLineEdit* m_source = nullptr;
    std::array<QComboBox*, kOptionKindCount> m_lists{};
    QCheckBox* m_flipHorizontal = nullptr;
    QCheckBox* m_flipVertical = nullptr;
    QCheckBox* m_negative = nullptr;
    QCheckBox* m_cutSwitch = nullptr;
    std::array<QLineEdit*, kCutEditCount> m_cutStart{};
    std::array<QLineEdit*, kCutEditCount> m_cutStop{};
    QPushButton* m_preview = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
};

}  // namespace velmora::app
