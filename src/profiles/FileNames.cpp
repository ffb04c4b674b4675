#include "profiles/FileNames.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "profiles/FileNameIndex.h"

namespace velmora {

bool fileExistsOnDisk(const std::string& path) {
    std::error_code error;
    return std::filesystem::exists(std::filesystem::path(path), error);
}

std::string_view fileNamePart(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string_view extensionOf(std::string_view path) {
    const std::string_view name = fileNamePart(path);
    const std::size_t dot = name.rfind('.');
    return dot == std::string_view::npos ? std::string_view{} : name.substr(dot);
}

std::string_view withoutExtension(std::string_view path) {
    return path.substr(0, path.size() - extensionOf(path).size());
}

std::string changeExtension(std::string_view path, std::string_view extension) {
    std::string result(withoutExtension(path));
    result += extension;
    return result;
}

std::string joinPath(std::string_view folder, std::string_view name) {
    std::string result(folder);
    if (result.empty() || result.back() != '/') {
        result += '/';
    }
    result += name;
    return result;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    const auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; };
    return std::ranges::equal(a, b, [&](char x, char y) {
        return lower(static_cast<unsigned char>(x)) == lower(static_cast<unsigned char>(y));
    });
}

bool sameFilePath(const std::string& a, const std::string& b) {
    return FileNameIndex{b}.contains(a);
}

}  // namespace velmora
