// The drop-down of the toolbar button "帮助": the help pages, the online update, the maker's web
// site and mail, and the About box, in this order.
#pragma once

#include <QMenu>
#include <QString>

#include "app/AboutBox.h"
#include "app/DesktopSeams.h"
#include "app/UpdateWindow.h"

namespace velmora::app {

struct HelpSetup {
    QString helpFolder;  // holds index.html
    UpdateSetup update;
    MakerLinks links;
};

enum class HelpItem { HelpSystem, Update, WebSite, SupportMail, About };

class HelpMenu : public QMenu {
    Q_OBJECT
public:
    // window: the main window, parent of the update window and the About box.
    HelpMenu(HelpSetup setup, DesktopSeams seams, QWidget* window);

    QAction* item(HelpItem which) const;
    // Created on first use and kept, so that the update window keeps its last download address.
    UpdateWindow* updateWindow();
    AboutBox* aboutBox() const { return m_aboutBox; }

    // help/index.html opened with the desktop; a message names the file when it is missing.
    void openHelpSystem();

private:
    void showUpdateWindow();
    void showAboutBox();

    HelpSetup m_setup;
    DesktopSeams m_seams;
    QWidget* m_window = nullptr;
    UpdateWindow* m_updateWindow = nullptr;
    AboutBox* m_aboutBox = nullptr;
    QAction* m_items[5] = {};
};

}  // namespace velmora::app
