// Where the program finds its data folders (skins, sounds, help): next to the executable, as in
// the build tree, else ../share/velmora/<name> beside the executable's folder, as installed.
#pragma once

#include <QString>

namespace velmora::ui {

// The folder name in executableFolder, else executableFolder/../share/velmora/name; when
// neither exists, the one next to the executable (so messages name the expected place).
QString dataFolder(const QString& name, const QString& executableFolder);

// The same for the running program.
QString dataFolder(const QString& name);

}  // namespace velmora::ui
