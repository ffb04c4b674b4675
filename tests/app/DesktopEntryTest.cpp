// The menu entry: it opens files, and offers the program for exactly the video and audio types
// of the window's open-file filter, so "Open with" and the open dialogs agree.
#include <QFile>
#include <QMimeDatabase>
#include <QSet>
#include <QtTest>

#include "app/OpenFileFilter.h"

namespace velmora::test {

namespace {

// The value of key in the [Desktop Entry] group.
QString desktopValue(const QString& key) {
    QFile file(QStringLiteral(VELMORA_DESKTOP_FILE));
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    bool inEntry = false;
    for (const QByteArray& raw : file.readAll().split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inEntry = line == QLatin1String("[Desktop Entry]");
        } else if (inEntry && line.startsWith(key + QLatin1Char('='))) {
            return line.mid(key.size() + 1);
        }
    }
    return {};
}

QSet<QString> listValue(const QString& key) {
    QSet<QString> values;
    for (const QString& value : desktopValue(key).split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        values.insert(value);
    }
    return values;
}

// The extensions of the filter's first entry, which lists every supported type.
QStringList filterExtensions() {
    const auto entries = app::openFileFilterEntries();
    const QString patterns = QString::fromUtf8(
        entries.front().patterns.data(), static_cast<qsizetype>(entries.front().patterns.size()));
    QStringList extensions;
    for (const QString& pattern : patterns.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        extensions << pattern.mid(2).toLower();
    }
    extensions.removeDuplicates();
    return extensions;
}

bool isMediaType(const QString& name) {
    return name.startsWith(QLatin1String("video/")) || name.startsWith(QLatin1String("audio/"));
}

}  // namespace

class DesktopEntryTest : public QObject {
    Q_OBJECT

private slots:
    void launchesTheProgramWithFiles();
    void mimeTypesAreThoseOfTheOpenFileFilter();
};

void DesktopEntryTest::launchesTheProgramWithFiles() {
    QCOMPARE(desktopValue(QStringLiteral("Exec")), QStringLiteral("velmora %F"));
    QCOMPARE(desktopValue(QStringLiteral("Icon")), QStringLiteral("velmora"));
    QCOMPARE(listValue(QStringLiteral("Categories")),
             QSet<QString>({"AudioVideo", "Video", "AudioVideoEditing"}));
}

void DesktopEntryTest::mimeTypesAreThoseOfTheOpenFileFilter() {
    const QMimeDatabase database;
    QSet<QString> filterTypes;
    for (const QString& extension : filterExtensions()) {
        for (const QMimeType& type :
             database.mimeTypesForFileName(QStringLiteral("file.") + extension)) {
            filterTypes.insert(type.name());
        }
    }
    if (filterTypes.isEmpty()) {
        QSKIP("no MIME database on this machine");
    }
    const QSet<QString> listed = listValue(QStringLiteral("MimeType"));
    for (const QString& name : filterTypes) {
        if (isMediaType(name)) {
            QVERIFY2(listed.contains(name), qPrintable(name + QStringLiteral(" is not listed")));
        }
    }
    for (const QString& name : listed) {
        QVERIFY2(database.mimeTypeForName(name).isValid(), qPrintable(name));
        QVERIFY2(filterTypes.contains(name),
                 qPrintable(name + QStringLiteral(" is no type of the open-file filter")));
    }
}

}  // namespace velmora::test

QTEST_MAIN(velmora::test::DesktopEntryTest)
#include "DesktopEntryTest.moc"
