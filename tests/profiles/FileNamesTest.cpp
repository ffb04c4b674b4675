#include "profiles/FileNames.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "profiles/OutputNaming.h"
#include "support/TempDir.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

using test::InFolder;

// Names compare as one file by their text once made absolute and normalised, and by the file
// on disk only when both exist: a linked folder or a second link counts, a name that does not
// exist yet matches no other spelling of it through a link.
TEST(FileNames, SameFileThroughOtherSpellings) {
    test::TempDir dir;
    fs::create_directory(dir.path() / "media");
    fs::create_directory(dir.path() / "media" / "sub");
    std::ofstream(dir.file("media/a.wav")) << "a";
    std::ofstream(dir.file("media/b.wav")) << "b";
    fs::create_directory_symlink(dir.path() / "media", dir.path() / "linked");
    fs::create_directory_symlink(dir.path() / "media" / "sub", dir.path() / "deep");
    fs::create_hard_link(dir.path() / "media" / "a.wav", dir.path() / "second.wav");
    const InFolder inside(dir.path());

    struct Row {
        std::string name;
        std::string other;
        bool same;
    };
    const std::string media = dir.file("media");
    const Row rows[] = {
        {media + "/a.wav", media + "/a.wav", true},
        {media + "/a.wav", media + "/b.wav", false},
        {media + "/a.wav", "media/a.wav", true},
        {"media/a.wav", media + "/a.wav", true},
        {"./media//a.wav", media + "/sub/../a.wav", true},
        {media + "/a.wav", dir.file("linked/a.wav"), true},
        {"linked/a.wav", media + "/a.wav", true},
        {media + "/a.wav", "second.wav", true},
        {dir.file("second.wav"), media + "/b.wav", false},
        // ".." is taken from the text: "deep/.." is the test folder, not the folder the link
        // leads into, and the test folder holds no a.wav.
        {media + "/a.wav", dir.file("deep/../a.wav"), false},
        {media + "/a.wav", dir.file("deep/../media/a.wav"), true},
        // Neither exists: only the text counts, so the linked spelling is another name.
        {media + "/new.mp3", dir.file("linked/new.mp3"), false},
        {media + "/new.mp3", "media/./new.mp3", true},
        {media + "/a.wav", media + "/a.wav/", false},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(sameFilePath(row.name, row.other), row.same) << row.name << " / " << row.other;
        EXPECT_EQ(sameFilePath(row.other, row.name), row.same) << row.other << " / " << row.name;
        const std::vector<std::string> listed = {media + "/unrelated.wav", row.other};
        EXPECT_EQ(namesAny(listed, row.name), row.same) << row.name << " in a list";
    }
}

}  // namespace
}  // namespace velmora
