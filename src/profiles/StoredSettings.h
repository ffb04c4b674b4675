// The settings the program keeps in system.ini and their rules: an absent key (missing, empty or
// "Error") gets its built-in default, which is written back; folders named there are created
// with their parents when they are missing.
//
//   [OutPath]  OutPath  the output folder          default $HOME/Video_Directory
//   [skin]     SetSkin  the look of the windows    no default (the built-in look)
//   [SnapShot] Dir      the snapshot folder        default $HOME/Video_Directory/快照
//   [SnapShot] Picture  BMP, JPG, GIF or PNG       default BMP
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "profiles/SettingsFile.h"

namespace velmora {

inline constexpr const char* kOutPathSection = "OutPath";
inline constexpr const char* kOutPathKey = "OutPath";
inline constexpr const char* kSkinSection = "skin";
inline constexpr const char* kSkinKey = "SetSkin";
inline constexpr const char* kSnapshotSection = "SnapShot";
inline constexpr const char* kSnapshotDirKey = "Dir";
inline constexpr const char* kSnapshotPictureKey = "Picture";
inline constexpr const char* kDefaultPictureType = "BMP";

// $HOME/Video_Directory and its snapshot folder $HOME/Video_Directory/快照.
std::string defaultOutputFolderPath();
std::string defaultSnapshotFolderPath();

// Creates the folder with every missing parent. An empty text when it exists afterwards, else
// why it cannot be used.
std::string ensureFolder(const std::string& folder);

// The output folder at start-up. The saved folder when the file names one, created when missing;
// otherwise, or when that folder cannot be created, defaultFolder, which is created and written
// back. A default folder that cannot be created either is still returned (the queue reports it
// when it starts).
std::string readOutputFolder(const SettingsFile& settings, const std::string& defaultFolder);

// Saves a folder the user picked, but only when it exists. False when nothing was written.
bool writeOutputFolder(const SettingsFile& settings, const std::string& folder);

// velmora-cli's output folder: the saved one, else the default; reads only.
std::string defaultOutputFolder();

// The snapshot folder: the saved one when the file exists and names one, created when missing;
// otherwise defaultFolder, created and written back.
std::string readSnapshotFolder(const SettingsFile& settings, const std::string& defaultFolder);

// Saves a snapshot folder the user picked, but only when it exists. False when nothing was
// written.
bool writeSnapshotFolder(const SettingsFile& settings, const std::string& folder);

// The four snapshot picture types, in menu order: "BMP", "JPG", "GIF", "PNG".
std::span<const std::string_view> snapshotPictureTypes();

// "BMP", "JPG", "GIF" or "PNG". When the file is missing, the key absent or the value none of
// the four, "BMP" is written back and returned.
std::string readSnapshotPicture(const SettingsFile& settings);

// Saves one of the four types; false, and nothing written, for any other value.
bool writeSnapshotPicture(const SettingsFile& settings, std::string_view type);

// The saved look, if any; the value is not checked here.
std::optional<std::string> readSkin(const SettingsFile& settings);
bool writeSkin(const SettingsFile& settings, std::string_view value);

}  // namespace velmora
