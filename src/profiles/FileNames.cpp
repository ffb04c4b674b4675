#include "profiles/FileNames.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace velmora {

namespace {

// The device and inode of the file a name leads to (links followed), when it exists.
std::optional<std::pair<std::uint64_t, std::uint64_t>> fileIdentity(const std::string& path) {
    struct stat facts {};
    if (path.empty() || ::stat(path.c_str(), &facts) != 0) {
        return std::nullopt;
    }
    return std::pair<std::uint64_t, std::uint64_t>{facts.st_dev, facts.st_ino};
}

// An absolute name without empty, "." or ".." parts and without a closing "/" is its own
// normal form, so two such names are the same path exactly when their texts are equal.
bool isPlainAbsolute(std::string_view name) {
    if (name.empty() || name.front() != '/' || name.back() == '/') {
        return false;
    }
    std::size_t start = 1;
    while (start <= name.size()) {
        std::size_t end = name.find('/', start);
        if (end == std::string_view::npos) {
            end = name.size();
        }
        const std::string_view part = name.substr(start, end - start);
        if (part.empty() || part == "." || part == "..") {
            return false;
        }
        start = end + 1;
    }
    return true;
}

}  // namespace

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
    return SameFileAs(a)(b);
}

SameFileAs::SameFileAs(const std::string& path) {
    std::error_code error;
    if (std::filesystem::path current = std::filesystem::current_path(error); !error) {
        m_currentFolder = std::move(current);
    }
    m_normal = absoluteNormal(path);
    m_plain = isPlainAbsolute(m_normal.native());
    m_identity = fileIdentity(m_normal.native());
}

std::filesystem::path SameFileAs::absoluteNormal(const std::string& name) const {
    const std::filesystem::path path(name);
    if (path.empty() || path.is_absolute() || !m_currentFolder) {
        return path.lexically_normal();
    }
    return (*m_currentFolder / path).lexically_normal();
}

bool SameFileAs::operator()(const std::string& other) const {
    // The common case, two plain absolute names, compares texts without building paths.
    if (m_plain && isPlainAbsolute(other)) {
        return other == m_normal.native() || (m_identity && fileIdentity(other) == m_identity);
    }
    const std::filesystem::path otherNormal = absoluteNormal(other);
    if (otherNormal == m_normal) {
        return true;
    }
    // Different texts may still lead to one file (a linked folder, a second link to the file).
    // The normal form is looked up: "x/.." in the text would leave a linked folder x upwards.
    return m_identity && fileIdentity(otherNormal.native()) == m_identity;
}

}  // namespace velmora
