#pragma once

#include <filesystem>
#include <string>

namespace velmora::test {

// A fresh folder under the system's temporary folder, removed with everything in it on scope exit.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    std::string file(const std::string& name) const { return (m_path / name).string(); }

private:
    std::filesystem::path m_path;
};

// Works in a folder for the guard's length, so that relative names lead into it; the previous
// working folder is back on scope exit, also when an assertion leaves early.
class InFolder {
public:
    explicit InFolder(const std::filesystem::path& folder)
        : m_previous(std::filesystem::current_path()) {
        std::filesystem::current_path(folder);
    }
    ~InFolder() { std::filesystem::current_path(m_previous); }
    InFolder(const InFolder&) = delete;
    InFolder& operator=(const InFolder&) = delete;

private:
    std::filesystem::path m_previous;
};

}  // namespace velmora::test
