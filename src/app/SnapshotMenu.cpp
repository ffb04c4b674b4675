#include "app/SnapshotMenu.h"

#include <QActionGroup>
#include <QUrl>

#include "app/SnapshotFiles.h"
#include "profiles/StoredSettings.h"

namespace velmora::app {

namespace {

QString fromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

SnapshotMenu::SnapshotMenu(SettingsFile settings, std::string defaultFolder, DesktopSeams seams,
                           QWidget* parent)
    : QMenu(parent),
      m_settings(std::move(settings)),
      m_defaultFolder(std::move(defaultFolder)),
      m_seams(std::move(seams)) {
    setObjectName(QStringLiteral("snapshotMenu"));
    m_openFolder = addAction(QStringLiteral("打开快照目录"));
    m_chooseFolder = addAction(QStringLiteral("设置快照目录"));
    addSeparator();
    m_typeMenu = addMenu(QStringLiteral("快照保存类型"));
    auto* group = new QActionGroup(this);
    group->setExclusive(true);
    const auto types = snapshotTypes();
    for (std::size_t i = 0; i < m_types.size(); ++i) {
        QAction* item = m_typeMenu->addAction(fromUtf8(types[i].menuCaption));
        item->setCheckable(true);
        group->addAction(item);
        const std::string setting(types[i].setting);
        connect(item, &QAction::triggered, this, [this, setting] {
            writeSnapshotPicture(m_settings, setting);
            checkPictureType(setting);
        });
        m_types[i] = item;
    }
    m_types.front()->setChecked(true);
    connect(m_openFolder, &QAction::triggered, this, &SnapshotMenu::openFolder);
    connect(m_chooseFolder, &QAction::triggered, this, &SnapshotMenu::chooseFolder);
}

std::string SnapshotMenu::snapshotFolder() const {
    return readSnapshotFolder(m_settings, m_defaultFolder);
}

std::string SnapshotMenu::rereadPictureType() {
    const std::string type = readSnapshotPicture(m_settings);
    checkPictureType(type);
    return type;
}

void SnapshotMenu::checkPictureType(std::string_view type) {
    const auto types = snapshotTypes();
    for (std::size_t i = 0; i < m_types.size(); ++i) {
        m_types[i]->setChecked(types[i].setting == snapshotTypeOf(type).setting);
    }
}

void SnapshotMenu::openFolder() {
    const std::string folder = snapshotFolder();
    if (m_seams.openUrl) {
        m_seams.openUrl(QUrl::fromLocalFile(QString::fromStdString(folder)));
    }
}

void SnapshotMenu::chooseFolder() {
    if (!m_seams.chooseFolder) {
        return;
    }
    const QString current =
        fromUtf8(m_settings.read(kSnapshotSection, kSnapshotDirKey).value_or(""));
    const QString folder =
        m_seams.chooseFolder(parentWidget(), QStringLiteral("选择快照文件存放目录"), current);
    if (!folder.isEmpty()) {
        writeSnapshotFolder(m_settings, folder.toStdString());
    }
}

}  // namespace velmora::app
