// Part files: their names, their lock, keeping and discarding, and the clean-up of part files
// left behind by a process that is gone.
#include "engine/OutputPartFile.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "support/TempDir.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

std::string contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// A part file "left" by process pid, optionally still locked by an open descriptor.
struct ForeignPart {
    ForeignPart(const std::string& finalName, pid_t pid, bool locked)
        : path(partFileName(finalName, pid)) {
        std::ofstream(path) << "half a file";
        if (locked) {
            fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
            EXPECT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
        }
    }
    ~ForeignPart() {
        if (fd >= 0) {
            ::close(fd);
        }
    }
    std::string path;
    int fd = -1;
};

TEST(OutputPartFile, NamesAreHiddenBesideTheFinalName) {
    EXPECT_EQ(partFileName("/o/clip.mkv", 42), "/o/.clip.mkv.42.part");
    EXPECT_EQ(partFileName("clip.mkv", 7), ".clip.mkv.7.part");
    const struct {
        const char* candidate;
        bool matches;
    } rows[] = {
        {".clip.mkv.42.part", true},   {".clip.mkv.1.part", true},
        {".clip.mkv..part", false},    {".clip.mkv.4x2.part", false},
        {"clip.mkv.42.part", false},   {".clip.mkv.42.part.x", false},
        {".clip.mkv2.42.part", false}, {".other.mkv.42.part", false},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(isPartFileOf("/o/clip.mkv", row.candidate), row.matches) << row.candidate;
    }
    // A long name is shortened without splitting a character, and still recognised.
    std::string longName;
    for (int i = 0; i < 120; ++i) {
        longName += "视";  // three bytes each
    }
    const std::string part =
        fs::path(partFileName("/o/" + longName + ".mkv", 4194304)).filename().string();
    EXPECT_LE(part.size(), 255u);
    EXPECT_EQ((part.size() - std::string(".4194304.part").size() - 1) % 3, 0u);
    EXPECT_TRUE(isPartFileOf("/o/" + longName + ".mkv", part));
}

TEST(OutputPartFile, KeepPutsTheFileUnderItsFinalNameDiscardRemovesIt) {
    test::TempDir dir;
    const std::string finalName = dir.file("clip.mkv");
    std::ofstream(finalName) << "the old file";
    ::chmod(finalName.c_str(), 0640);

    std::string error;
    auto kept = OutputPartFile::create(finalName, &error);
    ASSERT_TRUE(kept) << error;
    EXPECT_EQ(kept->path(), partFileName(finalName, ::getpid()));
    std::ofstream(kept->path(), std::ios::app) << "new";
    // The file being replaced is untouched until the part file is kept.
    EXPECT_EQ(contents(finalName), "the old file");
    ASSERT_TRUE(kept->keep(&error)) << error;
    EXPECT_EQ(contents(finalName), "new");
    EXPECT_FALSE(fs::exists(kept->path()));
    EXPECT_EQ(fs::status(finalName).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

    auto dropped = OutputPartFile::create(finalName, &error);
    ASSERT_TRUE(dropped) << error;
    dropped->discard();
    EXPECT_FALSE(fs::exists(dropped->path()));
    {
        auto forgotten = OutputPartFile::create(finalName, &error);
        ASSERT_TRUE(forgotten) << error;
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
    EXPECT_EQ(contents(finalName), "new");
}

TEST(OutputPartFile, AbandonedPartFilesGoLiveOnesStay) {
    test::TempDir dir;
    const std::string finalName = dir.file("clip.mkv");
    const ForeignPart abandoned(finalName, 999990, false);
    const ForeignPart live(finalName, 999991, true);
    const ForeignPart otherOutput(dir.file("other.mkv"), 999992, false);

    std::string error;
    auto part = OutputPartFile::create(finalName, &error);
    ASSERT_TRUE(part) << error;
    EXPECT_FALSE(fs::exists(abandoned.path));
    EXPECT_EQ(contents(live.path), "half a file");
    EXPECT_TRUE(fs::exists(otherOutput.path));

    // A second writer of the same output in this process cannot share the part file.
    EXPECT_FALSE(OutputPartFile::create(finalName, &error));
    EXPECT_NE(error.find("another conversion"), std::string::npos) << error;
    EXPECT_TRUE(fs::exists(part->path()));
    // Nor can the clean-up of another writer remove it.
    EXPECT_EQ(removeStalePartFiles(finalName), 0);
    EXPECT_TRUE(fs::exists(part->path()));
}

TEST(OutputPartFile, LocationProblemsAreFoundWithoutCreatingAnything) {
    test::TempDir dir;
    std::ofstream(dir.file("plain")) << "x";
    fs::create_directories(dir.file("folder.mkv"));
    const struct {
        std::string name;
        const char* problem;  // part of the text; empty: none
    } rows[] = {
        {dir.file("out.mkv"), ""},
        {dir.file("new/deeper/out.mkv"), ""},
        {dir.file("plain/out.mkv"), "Not a directory"},
        {dir.file("plain/sub/out.mkv"), "Not a directory"},
        {dir.file("folder.mkv"), "Is a directory"},
        {"pipe:1", ""},
        {"/dev/null", ""},
    };
    for (const auto& row : rows) {
        const std::string problem = outputLocationProblem(row.name);
        if (*row.problem == '\0') {
            EXPECT_EQ(problem, "") << row.name;
        } else {
            EXPECT_NE(problem.find(row.problem), std::string::npos) << row.name << ": " << problem;
            EXPECT_NE(problem.find(row.name), std::string::npos) << problem;
        }
    }
    EXPECT_FALSE(fs::exists(dir.file("new")));
    EXPECT_FALSE(writesThroughPartFile("/dev/null"));
    EXPECT_FALSE(writesThroughPartFile("udp://127.0.0.1:1234"));
    EXPECT_TRUE(writesThroughPartFile(dir.file("out.mkv")));
    EXPECT_TRUE(writesThroughPartFile(dir.file("plain")));
}

}  // namespace
}  // namespace velmora
