#include "ModalScript.h"

#include <QComboBox>
#include <QListWidget>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

#include "app/FormatChooser.h"

namespace velmora::test {

namespace {

constexpr int kPollMs = 10;

}  // namespace

ModalScript::ModalScript() {
    m_timer.setInterval(kPollMs);
    connect(&m_timer, &QTimer::timeout, this, &ModalScript::poll);
    m_timer.start();
}

void ModalScript::poll() {
    if (m_steps.empty()) {
        m_timer.stop();
        return;
    }
    QWidget* active = QApplication::activeModalWidget();
    if (active != nullptr && active->isVisible() && m_steps.front().matches(active)) {
        const Step step = m_steps.front();
        m_steps.pop_front();
        m_waitedMs = 0;
        step.act(active);
        return;
    }
    m_waitedMs += kPollMs;
    if (m_waitedMs < kStepLimitMs) {
        return;
    }
    m_timedOut = true;
    m_failure = QStringLiteral("a step waited in vain; the active modal window is ") +
                (active ? active->metaObject()->className() : QStringLiteral("none"));
    m_steps.clear();
    m_timer.stop();
    // Close whatever is still open so that the flow under test returns.
    while (QWidget* open = QApplication::activeModalWidget()) {
        open->close();
        QApplication::processEvents();
        if (QApplication::activeModalWidget() == open) {
            break;
        }
    }
}

void clickTab(QTabWidget& tabs, int index) {
    QTabBar* bar = tabs.tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
}

void clickChooserTab(app::FormatChooser& chooser, ProfileTab tab) {
    const auto tabs = profileTabs();
    for (std::size_t i = 0; i < tabs.size(); ++i) {
        if (tabs[i].tab == tab) {
            clickTab(*chooser.tabs(), static_cast<int>(i));
        }
    }
}

void clickItem(QListWidget& list, int row, bool doubleClick) {
    list.doItemsLayout();
    QListWidgetItem* item = list.item(row);
    list.scrollToItem(item);
    const QPoint centre = list.visualItemRect(item).center();
    if (doubleClick) {
        QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, centre);
    } else {
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, centre);
    }
}

bool clickEmptySpace(QListWidget& list) {
    list.doItemsLayout();
    list.scrollToBottom();
    const QRect area = list.viewport()->rect();
    const QPoint corner(area.right() - 3, area.bottom() - 3);
    if (list.indexAt(corner).isValid()) {
        return false;
    }
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, corner);
    return true;
}

bool pickEntry(QComboBox& box, const QString& text) {
    if (box.findText(text, Qt::MatchExactly) < 0) {
        return false;
    }
    QTest::keyClick(&box, Qt::Key_Home);
    for (int step = 0; step < box.count() && box.currentText() != text; ++step) {
        QTest::keyClick(&box, Qt::Key_Down);
    }
    return box.currentText() == text;
}

QStringList entriesOf(const QComboBox& box) {
    QStringList entries;
    for (int i = 0; i < box.count(); ++i) {
        entries << box.itemText(i);
    }
    return entries;
}

}  // namespace velmora::test
