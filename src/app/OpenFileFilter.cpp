#include "app/OpenFileFilter.h"

#include <QStringList>

namespace velmora::app {

namespace {

QString fromView(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

std::span<const FileFilterEntry> openFileFilterEntries() {
    return sourceFileFilters();
}

QString openFileFilter() {
    QStringList filters;
    for (const FileFilterEntry& entry : openFileFilterEntries()) {
        QString patterns = fromView(entry.patterns).replace(QLatin1Char(';'), QLatin1Char(' '));
        // "*.*" means every file; on Linux that pattern would skip names without a dot.
        if (patterns == QLatin1String("*.*")) {
            patterns = QStringLiteral("*");
        }
        filters << fromView(entry.description) + QStringLiteral(" (") + patterns + QLatin1Char(')');
    }
    return filters.join(QStringLiteral(";;"));
}

}  // namespace velmora::app
