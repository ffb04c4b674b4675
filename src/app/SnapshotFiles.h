// Snapshot pictures on disk: the four picture types with their menu captions and extensions, and
// the file name of the next snapshot of a source file (base_n.ext with the smallest free n).
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace velmora::app {

enum class SnapshotFormat { Bmp, Jpg, Gif, Png };

struct SnapshotType {
    SnapshotFormat format;
    std::string_view setting;      // the [SnapShot] Picture value
    std::string_view menuCaption;  // the radio item of the snapshot settings menu
    std::string_view extension;    // with its dot
};

// The four types in menu order.
std::span<const SnapshotType> snapshotTypes();

// The type a [SnapShot] Picture value names; the first (BMP) for any other value.
const SnapshotType& snapshotTypeOf(std::string_view setting);

// folder/base_n.ext for the smallest n >= 1 that names no existing entry, where base is the
// source file's name without folder and extension. Empty when no such name is free.
std::string nextSnapshotPath(const std::string& folder, const std::string& sourceFile,
                             const SnapshotType& type);

}  // namespace velmora::app
