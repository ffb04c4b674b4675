#include "app/SnapshotFiles.h"

#include <array>
#include <filesystem>

#include "profiles/StoredSettings.h"

namespace velmora::app {

namespace {

namespace fs = std::filesystem;

struct Presentation {
    SnapshotFormat format;
    std::string_view menuCaption;
    std::string_view extension;
};

// In the order of the settings' picture types (BMP, JPG, GIF, PNG).
constexpr std::array<Presentation, 4> kPresentations = {{
    {SnapshotFormat::Bmp, "BMP图片", ".bmp"},
    {SnapshotFormat::Jpg, "JPG图片", ".jpg"},
    {SnapshotFormat::Gif, "GIF图片", ".gif"},
    {SnapshotFormat::Png, "PNG图片", ".png"},
}};

const std::array<SnapshotType, 4>& types() {
    static const std::array<SnapshotType, 4> table = [] {
        std::array<SnapshotType, 4> made{};
        const auto settings = snapshotPictureTypes();
        for (std::size_t i = 0; i < made.size(); ++i) {
            made[i] = {kPresentations[i].format, settings[i], kPresentations[i].menuCaption,
                       kPresentations[i].extension};
        }
        return made;
    }();
    return table;
}

// More snapshots of one file than anybody takes; the search ends there instead of running on.
constexpr int kMaxSnapshotNumber = 1000000;

bool entryExists(const fs::path& path) {
    std::error_code error;
    // A dangling link is an entry too: writing through it would create its target elsewhere.
    return fs::exists(fs::symlink_status(path, error));
}

}  // namespace

std::span<const SnapshotType> snapshotTypes() {
    return types();
}

const SnapshotType& snapshotTypeOf(std::string_view setting) {
    for (const SnapshotType& type : types()) {
        if (type.setting == setting) {
            return type;
        }
    }
    return types().front();
}

std::string nextSnapshotPath(const std::string& folder, const std::string& sourceFile,
                             const SnapshotType& type) {
    const std::string base = fs::path(sourceFile).stem().string();
    const fs::path directory(folder);
    for (int n = 1; n <= kMaxSnapshotNumber; ++n) {
        const fs::path candidate =
            directory / (base + "_" + std::to_string(n) + std::string(type.extension));
        if (!entryExists(candidate)) {
            return candidate.string();
        }
    }
    return {};
}

}  // namespace velmora::app
