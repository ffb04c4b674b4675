#include "profiles/StoredSettings.h"

#include <algorithm>
#include <array>
#include <filesystem>

#include "profiles/FileNames.h"

namespace velmora {

namespace {

namespace fs = std::filesystem;

constexpr std::array<std::string_view, 4> kPictureTypes = {"BMP", "JPG", "GIF", "PNG"};

bool isPictureType(std::string_view value) {
    return std::find(kPictureTypes.begin(), kPictureTypes.end(), value) != kPictureTypes.end();
}

// A saved folder, created when missing; nothing when it cannot be used.
std::optional<std::string> usableSavedFolder(const std::optional<std::string>& saved) {
    if (!saved || !ensureFolder(*saved).empty()) {
        return std::nullopt;
    }
    return saved;
}

// The default: created and written back. Both may fail; the folder is used all the same.
std::string useDefaultFolder(const SettingsFile& settings, const char* section, const char* key,
                             const std::string& defaultFolder) {
    ensureFolder(defaultFolder);
    settings.write(section, key, defaultFolder);
    return defaultFolder;
}

}  // namespace

std::string defaultOutputFolderPath() {
    return joinPath(homeFolder(), "Video_Directory");
}

std::string defaultSnapshotFolderPath() {
    return joinPath(defaultOutputFolderPath(), "快照");
}

std::string ensureFolder(const std::string& folder) {
    if (folder.empty()) {
        return "no folder given";
    }
    std::error_code error;
    const fs::path path(folder);
    if (fs::is_directory(path, error)) {
        return {};
    }
    if (fs::exists(path, error)) {
        return folder + " exists but is not a folder";
    }
    fs::create_directories(path, error);
    if (error || !fs::is_directory(path)) {
        return "cannot create " + folder + ": " +
               (error ? error.message() : std::string("unknown error"));
    }
    return {};
}

std::string readOutputFolder(const SettingsFile& settings, const std::string& defaultFolder) {
    if (settings.exists()) {
        if (auto folder = usableSavedFolder(settings.read(kOutPathSection, kOutPathKey))) {
            return *folder;
        }
    }
    return useDefaultFolder(settings, kOutPathSection, kOutPathKey, defaultFolder);
}

bool writeOutputFolder(const SettingsFile& settings, const std::string& folder) {
    std::error_code error;
    if (folder.empty() || !fs::is_directory(fs::path(folder), error)) {
        return false;
    }
    return settings.write(kOutPathSection, kOutPathKey, folder);
}

std::string defaultOutputFolder() {
    return SettingsFile().read(kOutPathSection, kOutPathKey).value_or(defaultOutputFolderPath());
}

std::string readSnapshotFolder(const SettingsFile& settings, const std::string& defaultFolder) {
    if (settings.exists()) {
        if (auto folder = usableSavedFolder(settings.read(kSnapshotSection, kSnapshotDirKey))) {
            return *folder;
        }
    }
    return useDefaultFolder(settings, kSnapshotSection, kSnapshotDirKey, defaultFolder);
}

bool writeSnapshotFolder(const SettingsFile& settings, const std::string& folder) {
    std::error_code error;
    if (folder.empty() || !fs::is_directory(fs::path(folder), error)) {
        return false;
    }
    return settings.write(kSnapshotSection, kSnapshotDirKey, folder);
}

std::span<const std::string_view> snapshotPictureTypes() {
    return kPictureTypes;
}

std::string readSnapshotPicture(const SettingsFile& settings) {
    if (const auto saved = settings.read(kSnapshotSection, kSnapshotPictureKey)) {
        if (isPictureType(*saved)) {
            return *saved;
        }
    }
    settings.write(kSnapshotSection, kSnapshotPictureKey, kDefaultPictureType);
    return kDefaultPictureType;
}

bool writeSnapshotPicture(const SettingsFile& settings, std::string_view type) {
    return isPictureType(type) && settings.write(kSnapshotSection, kSnapshotPictureKey, type);
}

std::optional<std::string> readSkin(const SettingsFile& settings) {
    return settings.read(kSkinSection, kSkinKey);
}

bool writeSkin(const SettingsFile& settings, std::string_view value) {
    return settings.write(kSkinSection, kSkinKey, value);
}

}  // namespace velmora
