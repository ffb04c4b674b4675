// The format chooser: the 75 profiles as large icons on four tabs. A selection writes its profile
// code into the pending job options at once; "下一步" (or a double click) hides the chooser and
// opens the option settings, whose cancel brings the chooser back. The chooser is made once and
// reused, so its lists keep their selection from one add to the next.
#pragma once

#include <QDialog>
#include <QString>
#include <array>
#include <functional>

#include "app/DesktopSeams.h"
#include "profiles/PendingJobOptions.h"
#include "profiles/ProfileCatalogue.h"

class QLabel;
class QListWidget;
class QPushButton;
class QTabWidget;

namespace velmora::app {

// ChooserResult while the chooser is shown, and after the user cancelled it.
inline constexpr const char* kChooserShown = "1";
inline constexpr const char* kChooserCancelled = "2";

inline constexpr const char* kChooseTypeMessage = "请选择一个要转换的类型,然后点击“下一步”按钮！";

class FormatChooser : public QDialog {
    Q_OBJECT
public:
    // pending: the main window's record, whose ProfileCode the selections write. applyLook gives
    // the chooser the saved look each time it is shown.
    FormatChooser(PendingJobOptions& pending, const DesktopSeams& seams,
                  std::function<void(QWidget&)> applyLook, QWidget* parent = nullptr);
    ~FormatChooser() override;

    // Shows the chooser modally until the user cancels it (false, ChooserResult "2") or the
    // option settings that openOptions shows are confirmed (true, ChooserResult "1"). openOptions
    // runs while the chooser is hidden; when it returns false the chooser is shown again.
    bool choose(const std::function<bool()>& openOptions);

    const QString& ChooserResult() const { return m_chooserResult; }

    // The widgets, for the tests and the screenshots.
    QTabWidget* tabs() const { return m_tabs; }
    QListWidget* list(ProfileTab tab) const;
    QPushButton* nextButton() const { return m_next; }
    QPushButton* cancelButton() const { return m_cancel; }
    // Shows a tab as a click on it does: its first entry becomes selected.
    void clickTab(ProfileTab tab);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QListWidget* buildList(ProfileTab tab);
    void fillLists();
    ProfileTab visibleTab() const;
    void selectionChanged(ProfileTab tab);
    // "下一步": on with the visible tab's selected entry, else the message.
    void goOn();
    void showChooseMessage();

    PendingJobOptions& m_pending;
    const DesktopSeams& m_seams;
    std::function<void(QWidget&)> m_applyLook;
    QString m_chooserResult = QString::fromLatin1(kChooserShown);

    QLabel* m_prompt = nullptr;
    QTabWidget* m_tabs = nullptr;
    std::array<QListWidget*, 4> m_lists{};  // by ProfileTab
    QPushButton* m_next = nullptr;
    QPushButton* m_cancel = nullptr;
};

}  // namespace velmora::app
