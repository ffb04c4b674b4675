#include "ui/StyleSheetContrast.h"

#include <gtest/gtest.h>

namespace velmora::test {
namespace {

// A readable base every case below changes in one place.
const QString kReadableBase = QStringLiteral(
    "QWidget { color: #111111; }\n"
    "QMainWindow, QDialog { background: #f0f0f0; }\n"
    "QGroupBox { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #ffffff, stop:1 "
    "#e8e8e8); }\n"
    "QLabel { background: transparent; }\n"
    "QLabel:disabled { color: #5a5a5a; }\n"
    "QPushButton { color: #000000; background: #dddddd; }\n"
    "QPushButton:disabled { color: #4f4f4f; background: #eeeeee; }\n"
    "QToolBar { background: #203040; }\n"
    "QToolBar QToolButton { color: #ffffff; background: transparent; }\n"
    "QToolBar QToolButton:disabled { color: #b0b8c0; }\n"
    "QAbstractItemView { color: #111111; background: #ffffff; alternate-background-color: #f4f4f4;"
    " selection-color: #ffffff; selection-background-color: #2050a0; }\n"
    "QProgressBar { color: #000000; background: #ffffff; }\n"
    "QProgressBar::chunk { background: #80c080; }\n");

TEST(StyleSheetContrastTest, MeasuresContrastAndLightness) {
    EXPECT_NEAR(contrastRatio(Qt::black, Qt::white), 21.0, 1e-6);
    EXPECT_NEAR(contrastRatio(QColor("#777777"), QColor("#777777")), 1.0, 1e-9);
    EXPECT_NEAR(contrastRatio(QColor("#767676"), Qt::white), 4.54, 0.01);
    EXPECT_NEAR(perceivedLightness(Qt::black), 0.0, 1e-6);
    EXPECT_NEAR(perceivedLightness(Qt::white), 100.0, 1e-3);
}

TEST(StyleSheetContrastTest, AcceptsAReadableSheet) {
    const auto problems = findContrastProblems(kReadableBase);
    EXPECT_TRUE(problems.empty()) << problems.front().toStdString();
}

TEST(StyleSheetContrastTest, FindsEveryKindOfUnreadableText) {
    const struct {
        const char* name;
        QString addition;
        const char* expectedSelector;
    } cases[] = {
        {"grey on grey", "QPushButton:hover { background: #555555; }", "QPushButton:hover"},
        {"one dark stop of a gradient",
         "QPushButton:pressed { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, "
         "stop:0 #eeeeee, stop:0.5 #333333, stop:1 #eeeeee); }",
         "QPushButton:pressed"},
        {"toolbar text on its bar", "QToolBar { background: #d0d0d0; }", "QToolBar QToolButton"},
        {"label on a dark group", "QGroupBox { background: #202020; }", "QWidget"},
        {"selection",
         "QAbstractItemView { selection-background-color: #303030; selection-color: #000000; }",
         "QAbstractItemView (selection)"},
        {"alternate rows", "QAbstractItemView { alternate-background-color: #101010; }",
         "QAbstractItemView (alternate rows)"},
        {"percentage across the chunk", "QProgressBar::chunk { background: #101010; }",
         "QProgressBar::chunk"},
        {"disabled too faint", "QPushButton:disabled { color: #d0d0d0; }", "QPushButton:disabled"},
        {"disabled not dimmer", "QPushButton:disabled { color: #0a0a0a; }", "QPushButton"},
        {"no disabled look", "QLineEdit { color: #000000; background: #ffffff; }", "QLineEdit"},
        {"translucent background", "QLabel { background: rgba(0, 0, 0, 40); }", "QLabel"},
        {"not a colour", "QPushButton { color: nocolour; }", "QPushButton"},
    };
    for (const auto& each : cases) {
        const auto problems = findContrastProblems(kReadableBase + each.addition);
        const QString expected = QString::fromLatin1(each.expectedSelector) + QLatin1Char(':');
        const bool found =
            std::any_of(problems.begin(), problems.end(),
                        [&](const QString& problem) { return problem.startsWith(expected); });
        EXPECT_TRUE(found) << each.name << ": no problem reported for " << each.expectedSelector;
    }
}

}  // namespace
}  // namespace velmora::test
