// The snapshot settings menu of the preview pane: "打开快照目录", "设置快照目录" and the submenu
// "快照保存类型" with the four picture types as radio items. Every choice goes straight to
// system.ini; nothing is cached, the settings are read again at each use.
#pragma once

#include <QMenu>
#include <array>
#include <string>
#include <string_view>

#include "app/DesktopSeams.h"
#include "profiles/SettingsFile.h"

class QAction;

namespace velmora::app {

class SnapshotMenu : public QMenu {
    Q_OBJECT
public:
    SnapshotMenu(SettingsFile settings, std::string defaultFolder, DesktopSeams seams,
                 QWidget* parent = nullptr);

    // The snapshot folder as a snapshot uses it: the saved one, created when missing, else the
    // default folder, created and written back.
    std::string snapshotFolder() const;
    // The picture type as a snapshot uses it ("BMP" written back when absent or not one of the
    // four); its radio item is checked.
    std::string rereadPictureType();
    // Checks the radio item of a type; BMP for anything else.
    void checkPictureType(std::string_view type);

    QAction* openFolderAction() const { return m_openFolder; }
    QAction* chooseFolderAction() const { return m_chooseFolder; }
    QAction* typeAction(std::size_t index) const { return m_types[index]; }
    QMenu* typeMenu() const { return m_typeMenu; }

private:
    void openFolder();
    void chooseFolder();

    SettingsFile m_settings;
    std::string m_defaultFolder;
    DesktopSeams m_seams;
    QAction* m_openFolder;
    QAction* m_chooseFolder;
    QMenu* m_typeMenu;
    std::array<QAction*, 4> m_types{};
};

}  // namespace velmora::app
