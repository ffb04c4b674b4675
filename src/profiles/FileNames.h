// Small path-text helpers with the rules job creation relies on: the extension is the text from
// the last "." of the file-name part (so ".mpg" alone is an extension and "a.psp.mp4" has ".mp4"),
// and folders are joined with "/".
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace velmora {

// Tells whether a file exists; injected so the naming rules can be tested without files.
using FileExists = std::function<bool(const std::string& path)>;

// Checks the real file system.
bool fileExistsOnDisk(const std::string& path);

// The text after the last "/".
std::string_view fileNamePart(std::string_view path);
// From the last "." of the file-name part, dot included; empty when it has none.
std::string_view extensionOf(std::string_view path);
// The path without extensionOf(path).
std::string_view withoutExtension(std::string_view path);
// Replaces the extension, or appends one to a name without.
std::string changeExtension(std::string_view path, std::string_view extension);
// folder + "/" + name, without doubling a "/" the folder already ends with.
std::string joinPath(std::string_view folder, std::string_view name);
// ASCII case-insensitive comparison.
bool equalsIgnoringCase(std::string_view a, std::string_view b);
// True when both names lead to the same file: the same path once made absolute and normalised, or
// the same file on disk (through a linked folder or a second link). See FileNameIndex, which
// checks a name against many.
bool sameFilePath(const std::string& a, const std::string& b);

}  // namespace velmora
