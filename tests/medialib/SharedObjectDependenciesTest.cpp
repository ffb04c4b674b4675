#include "medialib/SharedObjectDependencies.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "medialib/MediaLibLoader.h"
#include "support/MediaLibraries.h"
#include "support/TempDir.h"

namespace velmora {
namespace {

bool contains(const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

std::string readBytes(const std::string& path) {
    std::ifstream input(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(input), std::istreambuf_iterator<char>()};
}

TEST(SharedObjectDependenciesTest, ReadsTheNeededLibrariesOfAMediaLibrary) {
    test::requireMediaLibraries();
    const std::string avformat = TMediaLibLoader::instance().LoadedPath(MediaLibrary::avformat);
    ASSERT_FALSE(avformat.empty());
    const std::vector<std::string> needed = NeededLibraries(avformat);
    EXPECT_TRUE(contains(needed, "libavcodec.so.59"));
    EXPECT_TRUE(contains(needed, "libavutil.so.57"));
    EXPECT_TRUE(contains(needed, "libc.so.6"));
    EXPECT_FALSE(contains(needed, "libavformat.so.59"));
}

TEST(SharedObjectDependenciesTest, DamagedOrForeignFilesHaveNone) {
    test::requireMediaLibraries();
    const std::string library = TMediaLibLoader::instance().LoadedPath(MediaLibrary::swscale);
    const std::string bytes = readBytes(library);
    ASSERT_GT(bytes.size(), 4096u);
    test::TempDir dir;
    auto write = [&](const std::string& name, const std::string& content) {
        std::ofstream(dir.file(name), std::ios::binary) << content;
        return dir.file(name);
    };
    // Header fields that point outside the file or ask for absurd sizes.
    std::string manyHeaders = bytes;
    manyHeaders[0x38] = '\xff';  // e_phnum of a 64-bit header
    manyHeaders[0x39] = '\xff';
    std::string farHeaders = bytes;
    std::fill_n(farHeaders.begin() + 0x20, 8, '\x7f');  // e_phoff
    std::string bigEndian = bytes;
    bigEndian[5] = 2;  // EI_DATA: the other byte order
    const struct {
        const char* name;
        std::string content;
        bool mayHaveNames;  // a cut library may still hold its whole dynamic section
    } rows[] = {
        {"empty", "", false},
        {"text", "this is not a shared object\n", false},
        {"magic only",
         "\x7f"
         "ELF",
         false},
        {"header cut", bytes.substr(0, 40), false},
        {"first page", bytes.substr(0, 4096), false},
        {"half", bytes.substr(0, bytes.size() / 2), true},
        {"many program headers", manyHeaders, false},
        {"program headers outside", farHeaders, false},
        {"big endian", bigEndian, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::vector<std::string> needed = NeededLibraries(write("lib.so", row.content));
        if (!row.mayHaveNames) {
            EXPECT_TRUE(needed.empty());
        }
        for (const std::string& name : needed) {
            EXPECT_NE(bytes.find(name), std::string::npos) << name;
        }
    }
    EXPECT_TRUE(NeededLibraries(dir.file("missing.so")).empty());
    EXPECT_TRUE(NeededLibraries(dir.path().string()).empty());
    EXPECT_TRUE(NeededLibraries(write("text.so", "not elf")).empty());
}

}  // namespace
}  // namespace velmora
