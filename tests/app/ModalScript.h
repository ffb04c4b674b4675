// Drives the modal dialogs of a flow while their own event loops run: each step waits until a
// visible modal dialog of its type is the active one, then acts on it through its widgets. A step
// that is not met within the time limit closes the dialogs still open, so a broken flow fails its
// test instead of hanging it.
#pragma once

#include <QApplication>
#include <QObject>
#include <QString>
#include <QTimer>
#include <deque>
#include <functional>

#include "profiles/ProfileCatalogue.h"

class QComboBox;
class QListWidget;
class QTabWidget;
class QWidget;

namespace velmora::app {
class FormatChooser;
}

namespace velmora::test {

class ModalScript : public QObject {
    Q_OBJECT
public:
    static constexpr int kStepLimitMs = 20000;

    ModalScript();

    // Acts on the next visible modal Dialog.
    template <typename Dialog>
    ModalScript& on(std::function<void(Dialog&)> action) {
        m_steps.push_back({[](QWidget* widget) { return qobject_cast<Dialog*>(widget) != nullptr; },
                           [action](QWidget* widget) { action(*qobject_cast<Dialog*>(widget)); }});
        return *this;
    }

    // True when every step ran.
    bool finished() const { return m_steps.empty() && !m_timedOut; }
    // What the script was waiting for when it gave up; empty while it has not.
    const QString& failure() const { return m_failure; }

private:
    struct Step {
        std::function<bool(QWidget*)> matches;
        std::function<void(QWidget*)> act;
    };

    void poll();

    QTimer m_timer;
    std::deque<Step> m_steps;
    int m_waitedMs = 0;
    bool m_timedOut = false;
    QString m_failure;
};

// Widget helpers that act as a user does.
void clickTab(QTabWidget& tabs, int index);
// A click on the chooser's tab of that name.
void clickChooserTab(app::FormatChooser& chooser, ProfileTab tab);
void clickItem(QListWidget& list, int row, bool doubleClick = false);
// A click on the list's empty space (beside or below the last entry); false when the place
// clicked holds an entry.
bool clickEmptySpace(QListWidget& list);
// Picks an entry of a pick-only list with the keyboard; false when it holds no such entry.
bool pickEntry(QComboBox& box, const QString& text);
QStringList entriesOf(const QComboBox& box);

}  // namespace velmora::test
