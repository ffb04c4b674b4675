#include "ui/Skins.h"

#include <QDir>
#include <QFile>
#include <QWidget>
#include <QtGlobal>
#include <array>
#include <utility>

namespace velmora::ui {
namespace {

// Menu order first; "skin17" (no menu item) last.
constexpr std::array kLooks{
    SkinLook{"skin2", "微软MSN皮肤", "msn.sui"},
    SkinLook{"skin18", "冬天的色彩皮肤", "winter.sui"},
    SkinLook{"skin3", "WMP10皮肤", "mp10.sui"},
    SkinLook{"skin4", "WinXP标准皮肤", ""},
    SkinLook{"skin5", "Protein样式皮肤", ""},
    SkinLook{"skin6", "RealOne风格皮肤", "RealOne.sui"},
    SkinLook{"skin7", "深蓝色皮肤", ""},
    SkinLook{"skin8", "蓝色玻璃皮肤", ""},
    SkinLook{"skin9", "Vista风格皮肤", "Longhorn.sui"},
    SkinLook{"skin1", "Mac苹果皮肤", ""},
    SkinLook{"skin10", "深绿色皮肤", "DeepGreen.sui"},
    SkinLook{"skin11", "桔红色皮肤", "DeepOrange.sui"},
    SkinLook{"skin12", "绿色玻璃皮肤", "GreenGlass.sui"},
    SkinLook{"skin13", "时尚蓝色blue皮肤", "OneBlue.sui"},
    SkinLook{"skin14", "时尚的Cyan皮肤", "OneCyan.sui"},
    SkinLook{"skin15", "运动黑色皮肤", "SportsBlack.sui"},
    SkinLook{"skin16", "XP绿色皮肤", "xpgreen.sui"},
    SkinLook{"skin17", "", "royale.sui"},
};
constexpr std::size_t kMenuCount = 17;

// The compiled-in looks, as resources of this library.
constexpr std::array<std::pair<std::string_view, const char*>, 5> kBuiltInSheets{{
    {"skin1", ":/velmora/looks/MacOS.qss"},
    {"skin4", ":/velmora/looks/WinXP.qss"},
    {"skin5", ":/velmora/looks/Protein.qss"},
    {"skin7", ":/velmora/looks/DeepBlue.qss"},
    {"skin8", ":/velmora/looks/BlueGlass.qss"},
}};

// A theme file is a style sheet of some kilobytes; anything this large is not one.
constexpr qint64 kMaxSheetBytes = 1024 * 1024;

QString fromView(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

const char* builtInSheetPath(std::string_view value) {
    for (const auto& [lookValue, path] : kBuiltInSheets) {
        if (lookValue == value) {
            return path;
        }
    }
    return nullptr;
}

// The sheet in path, or a null QString (with a warning that says why) when it cannot be used.
QString readSheet(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        qWarning("Look not applied: cannot read %s: %s", qUtf8Printable(path),
                 qUtf8Printable(file.errorString()));
        return {};
    }
    if (file.size() > kMaxSheetBytes) {
        qWarning("Look not applied: %s is larger than %lld bytes", qUtf8Printable(path),
                 static_cast<long long>(kMaxSheetBytes));
        return {};
    }
    const QString sheet = QString::fromUtf8(file.readAll());
    if (sheet.trimmed().isEmpty()) {
        qWarning("Look not applied: %s is empty", qUtf8Printable(path));
        return {};
    }
    return sheet;
}

}  // namespace

std::span<const SkinLook> skinMenu() {
    return std::span(kLooks).first(kMenuCount);
}

const SkinLook* findSkin(std::string_view value) {
    for (const SkinLook& look : kLooks) {
        if (look.value == value) {
            return &look;
        }
    }
    return nullptr;
}

QString skinStyleSheet(std::string_view value, const QString& skinsFolder) {
    const SkinLook* look = findSkin(value);
    if (look == nullptr) {
        return {};
    }
    if (look->themeFile.empty()) {
        const char* path = builtInSheetPath(look->value);
        return path == nullptr ? QString() : readSheet(QString::fromLatin1(path));
    }
    return readSheet(QDir(skinsFolder).filePath(fromView(look->themeFile)));
}

bool applySkin(QWidget& window, std::string_view value, const QString& skinsFolder) {
    const QString sheet = skinStyleSheet(value, skinsFolder);
    if (sheet.isNull()) {
        return false;
    }
    window.setStyleSheet(sheet);
    return true;
}

}  // namespace velmora::ui
