#include "ui/Skins.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <QSet>
#include <QStringList>
#include <QWidget>
#include <mutex>
#include <string>
#include <vector>

#include "support/TempDir.h"
#include "ui/DataFolders.h"
#include "ui/SkinSample.h"
#include "ui/StyleSheetContrast.h"

namespace velmora::ui {
namespace {

// Every look: the menu in its order, then "skin17".
std::vector<std::string> everyLook() {
    std::vector<std::string> values;
    for (const SkinLook& look : skinMenu()) {
        values.emplace_back(look.value);
    }
    values.emplace_back("skin17");
    return values;
}

// Collects what Qt prints while it lives (Qt reports a style sheet it cannot parse as a warning).
class QtMessages {
public:
    QtMessages() {
        std::lock_guard lock(s_mutex);
        s_messages.clear();
        m_previous = qInstallMessageHandler(&QtMessages::collect);
    }
    ~QtMessages() { qInstallMessageHandler(m_previous); }
    QtMessages(const QtMessages&) = delete;
    QtMessages& operator=(const QtMessages&) = delete;

    QStringList take() {
        std::lock_guard lock(s_mutex);
        return std::exchange(s_messages, {});
    }

private:
    static void collect(QtMsgType type, const QMessageLogContext&, const QString& message) {
        if (type != QtDebugMsg && type != QtInfoMsg) {
            std::lock_guard lock(s_mutex);
            s_messages.append(message);
        }
    }

    QtMessageHandler m_previous = nullptr;
    static inline std::mutex s_mutex;
    static inline QStringList s_messages;
};

// Draws the sample window so that every widget in it is polished with its sheet.
QImage drawSample(test::SkinSampleWindow& window) {
    window.ensurePolished();
    return window.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// Mean difference per colour channel (0..255) of two pictures of the same size.
double meanDifference(const QImage& first, const QImage& second) {
    double total = 0;
    for (int y = 0; y < first.height(); ++y) {
        const auto* a = reinterpret_cast<const QRgb*>(first.constScanLine(y));
        const auto* b = reinterpret_cast<const QRgb*>(second.constScanLine(y));
        for (int x = 0; x < first.width(); ++x) {
            total += std::abs(qRed(a[x]) - qRed(b[x])) + std::abs(qGreen(a[x]) - qGreen(b[x])) +
                     std::abs(qBlue(a[x]) - qBlue(b[x]));
        }
    }
    return total / (3.0 * first.width() * first.height());
}

TEST(SkinsTest, MenuHasSeventeenLooksAndSkin17OnlyByValue) {
    ASSERT_EQ(skinMenu().size(), 17u);
    QSet<QString> values;
    for (const SkinLook& look : skinMenu()) {
        EXPECT_FALSE(look.menuCaption.empty()) << look.value;
        EXPECT_EQ(findSkin(look.value), &look);
        values.insert(
            QString::fromUtf8(look.value.data(), static_cast<qsizetype>(look.value.size())));
    }
    EXPECT_EQ(values.size(), 17);
    EXPECT_FALSE(values.contains("skin17"));
    ASSERT_NE(findSkin("skin17"), nullptr);
    EXPECT_EQ(findSkin("skin17")->themeFile, "royale.sui");
}

TEST(SkinsTest, TheBuildCopiesTheThemeFilesNextToTheProgram) {
    const QString folder = dataFolder(QStringLiteral("skins"));
    EXPECT_EQ(QDir(folder), QDir(QCoreApplication::applicationDirPath() + "/skins"));
    for (const std::string& value : everyLook()) {
        const SkinLook* look = findSkin(value);
        if (!look->themeFile.empty()) {
            EXPECT_TRUE(
                QFile::exists(QDir(folder).filePath(QString::fromUtf8(look->themeFile.data()))))
                << look->themeFile;
        }
    }
}

TEST(SkinsTest, EveryLookIsASheetThatQtParsesWithoutComplaint) {
    for (const std::string& value : everyLook()) {
        const QString sheet = skinStyleSheet(value, dataFolder(QStringLiteral("skins")));
        ASSERT_FALSE(sheet.trimmed().isEmpty()) << value;

        test::SkinSampleWindow window;
        QtMessages messages;
        ASSERT_TRUE(applySkin(window, value, dataFolder(QStringLiteral("skins")))) << value;
        drawSample(window);
        const QStringList said = messages.take();
        EXPECT_TRUE(said.isEmpty()) << value << ": " << said.join(" | ").toStdString();
    }
}

TEST(SkinsTest, AWarningCatchesASheetQtCannotParse) {
    // Guards the test above: a broken sheet must be noticed by the same means.
    test::SkinSampleWindow window;
    QtMessages messages;
    window.setStyleSheet(QStringLiteral("QPushButton { color: red; "));
    drawSample(window);
    EXPECT_TRUE(messages.take().join(' ').contains("Could not parse"));
}

TEST(SkinsTest, EveryPictureALookNamesExists) {
    static const QRegularExpression url(QStringLiteral("url\\(([^)]*)\\)"));
    int pictures = 0;
    for (const std::string& value : everyLook()) {
        auto matches = url.globalMatch(skinStyleSheet(value, dataFolder(QStringLiteral("skins"))));
        while (matches.hasNext()) {
            const QString path = matches.next().captured(1).trimmed();
            EXPECT_FALSE(QImage(path).isNull()) << value << ": " << path.toStdString();
            ++pictures;
        }
    }
    EXPECT_GT(pictures, 0);
}

TEST(SkinsTest, EveryLookIsReadable) {
    for (const std::string& value : everyLook()) {
        const auto problems =
            test::findContrastProblems(skinStyleSheet(value, dataFolder(QStringLiteral("skins"))));
        for (const QString& problem : problems) {
            ADD_FAILURE() << value << ": " << problem.toStdString();
        }
    }
}

TEST(SkinsTest, EveryLookLooksDifferent) {
    QStringList sheets;
    std::vector<QImage> pictures;
    for (const std::string& value : everyLook()) {
        sheets.append(skinStyleSheet(value, dataFolder(QStringLiteral("skins"))));
        test::SkinSampleWindow window;
        window.resize(900, 700);
        applySkin(window, value, dataFolder(QStringLiteral("skins")));
        pictures.push_back(drawSample(window));
    }
    ASSERT_EQ(QSet<QString>(sheets.begin(), sheets.end()).size(), 18);

    // Pictures, not only texts: two looks that differ in a comment alone would pass the check
    // above.
    const std::vector<std::string> values = everyLook();
    for (std::size_t i = 0; i < pictures.size(); ++i) {
        for (std::size_t j = i + 1; j < pictures.size(); ++j) {
            EXPECT_GT(meanDifference(pictures[i], pictures[j]), 4.0)
                << values[i] << " and " << values[j] << " look alike";
        }
    }
}

TEST(SkinsTest, ValuesThatNameNoLookLeaveTheWindowAlone) {
    const QString before = QStringLiteral("QWidget { color: #123456; }");
    for (const char* value :
         {"Error", "", "other", "skin0", "skin19", "SKIN1", "skin1 ", "skin01"}) {
        QWidget window;
        window.setStyleSheet(before);
        EXPECT_FALSE(applySkin(window, value, dataFolder(QStringLiteral("skins")))) << value;
        EXPECT_EQ(window.styleSheet(), before) << value;
        EXPECT_TRUE(skinStyleSheet(value, dataFolder(QStringLiteral("skins"))).isNull()) << value;
    }
}

TEST(SkinsTest, AMissingOrUnusableThemeFileLeavesTheWindowAlone) {
    test::TempDir folder;
    const QString skins = QString::fromStdString(folder.path().string());
    const QString before = QStringLiteral("QWidget { color: #123456; }");
    const auto expectUnchanged = [&](const char* what) {
        QWidget window;
        window.setStyleSheet(before);
        QtMessages messages;
        EXPECT_FALSE(applySkin(window, "skin2", skins)) << what;
        EXPECT_EQ(window.styleSheet(), before) << what;
        EXPECT_TRUE(messages.take().join(' ').contains("msn.sui"))
            << what << ": no warning names the file";
    };

    expectUnchanged("missing");
    {
        QFile empty(QDir(skins).filePath("msn.sui"));
        ASSERT_TRUE(empty.open(QIODevice::WriteOnly));
        empty.write("  \n");
    }
    expectUnchanged("blank");
    {
        QFile huge(QDir(skins).filePath("msn.sui"));
        ASSERT_TRUE(huge.open(QIODevice::WriteOnly));
        const QByteArray block(64 * 1024, ' ');
        for (int i = 0; i < 20; ++i) {
            huge.write(block);
        }
    }
    expectUnchanged("larger than any sheet");

    // The compiled-in looks need no folder at all.
    QWidget window;
    EXPECT_TRUE(applySkin(window, "skin1", skins));
    EXPECT_FALSE(window.styleSheet().isEmpty());
}

TEST(SkinsTest, ChoosingAnotherLookReplacesTheFirst) {
    QWidget window;
    ASSERT_TRUE(applySkin(window, "skin7", dataFolder(QStringLiteral("skins"))));
    ASSERT_TRUE(applySkin(window, "skin17", dataFolder(QStringLiteral("skins"))));
    EXPECT_EQ(window.styleSheet(), skinStyleSheet("skin17", dataFolder(QStringLiteral("skins"))));
}

}  // namespace
}  // namespace velmora::ui
