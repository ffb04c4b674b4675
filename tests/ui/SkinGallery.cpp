// Developer tool: draws the sample window in every look and writes one PNG a look.
//
//   velmora-skin-gallery OUTPUT_FOLDER [SKINS_FOLDER] [VALUE...]
//
// Without values it draws every look of the menu, "skin17", and the window without a look
// ("none.png"). SKINS_FOLDER, when missing or empty, is the skins folder of the program. Run it
// with QT_QPA_PLATFORM=offscreen, or under xvfb-run to see it through a real X server.
#include <QApplication>
#include <QDir>
#include <QImage>
#include <cstdio>
#include <string>
#include <vector>

#include "ui/DataFolders.h"
#include "ui/SkinSample.h"
#include "ui/Skins.h"

namespace {

QString pictureName(const velmora::ui::SkinLook& look) {
    const QString value =
        QString::fromUtf8(look.value.data(), static_cast<qsizetype>(look.value.size()));
    if (look.themeFile.empty()) {
        return value + QStringLiteral("-builtin.png");
    }
    const QString file =
        QString::fromUtf8(look.themeFile.data(), static_cast<qsizetype>(look.themeFile.size()));
    return value + QLatin1Char('-') + file.section(QLatin1Char('.'), 0, 0) + QStringLiteral(".png");
}

bool writePicture(const QImage& picture, const QString& path) {
    if (!picture.save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qUtf8Printable(path));
        return false;
    }
    std::printf("%s\n", qUtf8Printable(path));
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() < 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER [SKINS_FOLDER] [VALUE...]\n", argv[0]);
        return 2;
    }
    const QDir output(arguments.at(1));
    if (!QDir().mkpath(output.path())) {
        std::fprintf(stderr, "cannot create %s\n", qUtf8Printable(output.path()));
        return 1;
    }
    const QString skinsFolder = arguments.size() > 2 && !arguments.at(2).isEmpty()
                                    ? arguments.at(2)
                                    : velmora::ui::dataFolder(QStringLiteral("skins"));

    std::vector<std::string> values;
    for (qsizetype i = 3; i < arguments.size(); ++i) {
        values.push_back(arguments.at(i).toStdString());
    }
    const bool everyLook = values.empty();
    if (everyLook) {
        for (const velmora::ui::SkinLook& look : velmora::ui::skinMenu()) {
            values.emplace_back(look.value);
        }
        values.emplace_back("skin17");
    }

    bool allWritten = true;
    if (everyLook) {
        velmora::test::SkinSampleWindow plain;
        allWritten = writePicture(plain.renderWithPopups(), output.filePath("none.png"));
    }
    for (const std::string& value : values) {
        const velmora::ui::SkinLook* look = velmora::ui::findSkin(value);
        velmora::test::SkinSampleWindow window;
        if (look == nullptr || !velmora::ui::applySkin(window, value, skinsFolder)) {
            std::fprintf(stderr, "look %s cannot be applied\n", value.c_str());
            allWritten = false;
            continue;
        }
        allWritten = writePicture(window.renderWithPopups(), output.filePath(pictureName(*look))) &&
                     allWritten;
    }
    return allWritten ? 0 : 1;
}
