#include "profiles/SourceFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <unistd.h>

#include "support/TempDir.h"

namespace velmora {
namespace {

void touch(const std::filesystem::path& path) {
    std::ofstream(path) << "x";
}

TEST(SourceFiles, PatternsIgnoreLetterCase) {
    struct Row {
        const char* name;
        const char* pattern;
        bool matches;
    };
    const Row rows[] = {
        {"clip.avi", "*.AVI", true},
        {"CLIP.AVI", "*.avi", true},
        {"clip.avi.txt", "*.avi", false},
        {"clip.avix", "*.avi", false},
        {"avi", "*.avi", false},
        {".avi", "*.avi", true},
        {"a.b.mp4", "*.mp4", true},
        {"noext", "*.*", false},
        {"x.y", "*.*", true},
        {"ab", "a?", true},
        {"abc", "a?", false},
        {"", "*", true},
        {"影片.MKV", "*.mkv", true},
        {"影片.mkv", "*.MKV", true},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(matchesFilePattern(row.name, row.pattern), row.matches)
            << row.name << " / " << row.pattern;
    }
}

TEST(SourceFiles, SupportedTypesAreThoseOfTheOpenDialogsFirstFilter) {
    for (const char* name : {"a.mkv", "a.MKV", "a.Mp4", "a.dat", "a.3gp2", "a.qt", "a.h264",
                             "a.flac", "a.Rmvb", "a.ts"}) {
        EXPECT_TRUE(isSupportedSourceName(name)) << name;
    }
    for (const char* name : {"a.txt", "a.jpg", "mkv", "a.mkv.part", "a.webm"}) {
        EXPECT_FALSE(isSupportedSourceName(name)) << name;
    }
    EXPECT_EQ(sourceFileFilters().size(), 20u);
    EXPECT_EQ(sourceFileFilters()[1].patterns, "*.*");
}

TEST(SourceFiles, FolderGivesItsMediaFilesByNameWithoutSubfolders) {
    test::TempDir dir;
    const auto& root = dir.path();
    for (const char* name : {"b.MKV", "a.avi", "Z.Mp4", "notes.txt", "c.mkv.part", "A.avi"}) {
        touch(root / name);
    }
    std::filesystem::create_directory(root / "sub.mkv");  // a folder named like a file
    touch(root / "sub.mkv" / "inner.mkv");
    std::filesystem::create_symlink(root / "b.MKV", root / "link.mkv");
    std::filesystem::create_symlink(root / "gone.avi", root / "dangling.avi");

    const FolderSources sources = mediaFilesInFolder(root.string());
    EXPECT_TRUE(sources.error.empty()) << sources.error;
    const std::vector<std::string> expected = {
        dir.file("A.avi"),    dir.file("a.avi"), dir.file("b.MKV"),
        dir.file("link.mkv"), dir.file("Z.Mp4"),
    };
    EXPECT_EQ(sources.files, expected);
}

TEST(SourceFiles, FolderThatCannotBeReadSaysWhy) {
    test::TempDir dir;
    touch(dir.path() / "plain.mkv");
    for (const std::string& folder : {dir.file("missing"), dir.file("plain.mkv")}) {
        const FolderSources sources = mediaFilesInFolder(folder);
        EXPECT_TRUE(sources.files.empty());
        EXPECT_NE(sources.error.find(folder), std::string::npos) << sources.error;
    }
    const FolderSources empty = mediaFilesInFolder(dir.path().string() + "/");
    EXPECT_TRUE(empty.error.empty());
    ASSERT_EQ(empty.files.size(), 1u);
    EXPECT_EQ(empty.files[0], dir.file("plain.mkv"));  // no doubled "/"
}

TEST(SourceFiles, WalkEntersSubfoldersDepthFirstInNameOrder) {
    test::TempDir dir;
    const auto& root = dir.path();
    std::filesystem::create_directories(root / "A" / "z");
    std::filesystem::create_directories(root / "empty");
    for (const char* name : {"b.mkv", "a.avi", "notes.txt", "A/x.MP4", "A/z/y.avi", "A/c.mkv"}) {
        touch(root / name);
    }
    // A link to a folder is not entered (here it would lead round in a circle).
    std::filesystem::create_directory_symlink(root, root / "A" / "loop");

    const FolderSources walked = mediaFilesInFolder(root.string(), FolderWalk::Subfolders);
    EXPECT_TRUE(walked.error.empty()) << walked.error;
    EXPECT_TRUE(walked.unreadableFolders.empty());
    // "A" sorts before "a.avi"; inside it "c.mkv" comes before "x.MP4" and "x.MP4" before "z".
    const std::vector<std::string> expected = {
        dir.file("A/c.mkv"), dir.file("A/x.MP4"), dir.file("A/z/y.avi"),
        dir.file("a.avi"),   dir.file("b.mkv"),
    };
    EXPECT_EQ(walked.files, expected);

    // The folder's own files only, as before.
    const std::vector<std::string> top = {dir.file("a.avi"), dir.file("b.mkv")};
    EXPECT_EQ(mediaFilesInFolder(root.string()).files, top);
}

TEST(SourceFiles, WalkReportsSubfoldersItCannotReadAndGoesOn) {
    test::TempDir dir;
    const auto& root = dir.path();
    std::filesystem::create_directories(root / "locked");
    touch(root / "locked" / "hidden.mkv");
    touch(root / "open.mkv");
    std::filesystem::permissions(root / "locked", std::filesystem::perms::none);
    if (::access((root / "locked").c_str(), R_OK) == 0) {
        std::filesystem::permissions(root / "locked", std::filesystem::perms::owner_all);
        GTEST_SKIP() << "running with rights that read any folder";
    }
    const FolderSources walked = mediaFilesInFolder(root.string(), FolderWalk::Subfolders);
    std::filesystem::permissions(root / "locked", std::filesystem::perms::owner_all);
    EXPECT_TRUE(walked.error.empty()) << walked.error;
    EXPECT_EQ(walked.files, std::vector<std::string>{dir.file("open.mkv")});
    ASSERT_EQ(walked.unreadableFolders.size(), 1u);
    EXPECT_EQ(walked.unreadableFolders[0].rfind(dir.file("locked") + ": ", 0), 0u)
        << walked.unreadableFolders[0];
}

}  // namespace
}  // namespace velmora
