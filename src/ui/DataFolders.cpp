#include "ui/DataFolders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace velmora::ui {

QString dataFolder(const QString& name, const QString& executableFolder) {
    const QString nextToExecutable = QDir(executableFolder).filePath(name);
    if (QFileInfo(nextToExecutable).isDir()) {
        return nextToExecutable;
    }
    const QString installed = QDir::cleanPath(
        QDir(executableFolder).filePath(QStringLiteral("../share/velmora/") + name));
    if (QFileInfo(installed).isDir()) {
        return installed;
    }
    return nextToExecutable;
}

QString dataFolder(const QString& name) {
    return dataFolder(name, QCoreApplication::applicationDirPath());
}

}  // namespace velmora::ui
