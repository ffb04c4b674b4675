#include "app/HelpMenu.h"

#include <QDir>
#include <QFileInfo>

namespace velmora::app {

HelpMenu::HelpMenu(HelpSetup setup, DesktopSeams seams, QWidget* window)
    : QMenu(window), m_setup(std::move(setup)), m_seams(std::move(seams)), m_window(window) {
    setObjectName(QStringLiteral("helpMenu"));
    QAction* help = addAction(QStringLiteral("帮助系统?"), this, &HelpMenu::openHelpSystem);
    // F1 itself belongs to the toolbar's help command, which works wherever the focus is in the
    // window; here it is shown, and works while the menu is open.
    help->setShortcut(QKeySequence(Qt::Key_F1));
    help->setShortcutContext(Qt::WidgetShortcut);
    m_items[static_cast<int>(HelpItem::HelpSystem)] = help;
    m_items[static_cast<int>(HelpItem::Update)] =
        addAction(QStringLiteral("网上升级..."), this, &HelpMenu::showUpdateWindow);
    addSeparator();
    m_items[static_cast<int>(HelpItem::WebSite)] =
        addAction(QStringLiteral("软件网站"), this, [this] {
            if (m_seams.openUrl) {
                m_seams.openUrl(m_setup.links.webSite);
            }
        });
    m_items[static_cast<int>(HelpItem::SupportMail)] =
        addAction(QStringLiteral("作者联系信箱"), this, [this] {
            if (m_seams.openUrl) {
                m_seams.openUrl(mailAddress(m_setup.links.supportMail));
            }
        });
    addSeparator();
    m_items[static_cast<int>(HelpItem::About)] =
        addAction(QStringLiteral("关于软件"), this, &HelpMenu::showAboutBox);
}

QAction* HelpMenu::item(HelpItem which) const {
    return m_items[static_cast<int>(which)];
}

void HelpMenu::openHelpSystem() {
    const QString index = QDir(m_setup.helpFolder).filePath(QStringLiteral("index.html"));
    if (QFileInfo(index).isFile()) {
        m_seams.openUrl(QUrl::fromLocalFile(index));
        return;
    }
    m_seams.messageBox(m_window, QMessageBox::Information, QStringLiteral("提示"),
                       QStringLiteral("没有找到帮助文件：") + index, QMessageBox::Ok);
}

UpdateWindow* HelpMenu::updateWindow() {
    if (m_updateWindow == nullptr) {
        m_updateWindow = new UpdateWindow(m_setup.update, m_seams, m_window);
    }
    return m_updateWindow;
}

void HelpMenu::showUpdateWindow() {
    // Modal over the main window; open() returns at once, the window's buttons drive the rest.
    updateWindow()->open();
}

void HelpMenu::showAboutBox() {
    if (m_aboutBox == nullptr) {
        m_aboutBox = new AboutBox(m_setup.links, m_seams, m_window);
    }
    m_aboutBox->open();
}

}  // namespace velmora::app
