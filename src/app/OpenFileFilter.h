// The filter both open dialogs of the add commands carry: the supported types first, then every
// file, then one entry per family of files. The entries are the source-file rules of profiles/.
#pragma once

#include <QString>
#include <span>

#include "profiles/SourceFiles.h"

namespace velmora::app {

using FileFilterEntry = SourceFileFilter;

std::span<const FileFilterEntry> openFileFilterEntries();

// The entries as one Qt filter text ("description (patterns)" joined by ";;"); the patterns are
// given again in Qt's blank-separated form, which the dialogs keep hidden.
QString openFileFilter();

}  // namespace velmora::app
