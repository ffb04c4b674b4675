#include "ui/DataFolders.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

namespace velmora::ui {
namespace {

TEST(DataFolders, NextToTheExecutableElseInstalled) {
    QTemporaryDir root;
    QDir dir(root.path());
    dir.mkpath(QStringLiteral("build/bin/skins"));
    dir.mkpath(QStringLiteral("usr/bin"));
    dir.mkpath(QStringLiteral("usr/share/velmora/skins"));
    dir.mkpath(QStringLiteral("usr/share/velmora/help"));
    const QString buildBin = dir.filePath(QStringLiteral("build/bin"));
    const QString installedBin = dir.filePath(QStringLiteral("usr/bin"));

    const struct {
        const char* name;
        QString executableFolder;
        const char* expected;
    } rows[] = {
        {"skins", buildBin, "build/bin/skins"},
        {"skins", installedBin, "usr/share/velmora/skins"},
        {"help", installedBin, "usr/share/velmora/help"},
        // Neither exists: the place next to the executable is named.
        {"sounds", installedBin, "usr/bin/sounds"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(dataFolder(QString::fromLatin1(row.name), row.executableFolder),
                  dir.filePath(QString::fromLatin1(row.expected)))
            << row.name << " from " << row.executableFolder.toStdString();
    }
}

}  // namespace
}  // namespace velmora::ui
