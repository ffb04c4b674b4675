#include "ui/Skins.h"

#include <QFile>
#include <QWidget>
#include <array>

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

// Placeholder until the looks are drawn: built-in looks have an empty sheet.
QString skinStyleSheet(std::string_view value, const QString& skinsFolder) {
    const SkinLook* look = findSkin(value);
    if (look == nullptr) {
        return {};
    }
    if (look->themeFile.empty()) {
        return QStringLiteral("");
    }
    QFile file(
        skinsFolder + QLatin1Char('/') +
        QString::fromUtf8(look->themeFile.data(), static_cast<qsizetype>(look->themeFile.size())));
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return QString::fromUtf8(file.readAll());
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
