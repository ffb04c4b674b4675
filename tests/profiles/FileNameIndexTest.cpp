#include "profiles/FileNameIndex.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "support/TempDir.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

using test::InFolder;

void writeFile(const std::string& path) {
    std::ofstream(path) << "x";
}

class FileNameIndexTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directory(m_dir.path() / "media");
        fs::create_directory(m_dir.path() / "out");
        writeFile(m_dir.file("media/a.wav"));
        writeFile(m_dir.file("media/b.wav"));
        fs::create_directory_symlink(m_dir.path() / "out", m_dir.path() / "linked-out");
    }

    // Lets the folders' change times fall behind the clock, so that the index trusts them to
    // show the next change (the path a long list takes); without the wait the index looks at
    // every name again, which the checks below pass as well.
    static void letFoldersSettle() { std::this_thread::sleep_for(std::chrono::milliseconds(300)); }

    test::TempDir m_dir;
};

TEST_F(FileNameIndexTest, HardLinksAreOneFileUntilTheListedNameGoes) {
    fs::create_hard_link(m_dir.path() / "media" / "a.wav", m_dir.path() / "second.wav");
    FileNameIndex index{m_dir.file("media/a.wav")};
    EXPECT_TRUE(index.contains(m_dir.file("second.wav")));
    EXPECT_FALSE(index.contains(m_dir.file("media/b.wav")));

    EXPECT_TRUE(index.remove(m_dir.file("media/./a.wav")));
    EXPECT_TRUE(index.empty());
    EXPECT_FALSE(index.contains(m_dir.file("second.wav")));
    EXPECT_FALSE(index.contains(m_dir.file("media/a.wav")));
}

TEST_F(FileNameIndexTest, ANameListedTwiceStaysUntilRemovedTwice) {
    FileNameIndex index;
    index.add(m_dir.file("media/a.wav"));
    index.add(m_dir.file("media/../media/a.wav"));
    EXPECT_EQ(index.size(), 2U);
    EXPECT_FALSE(index.remove(m_dir.file("media/b.wav")));

    EXPECT_TRUE(index.remove(m_dir.file("media/a.wav")));
    fs::create_hard_link(m_dir.path() / "media" / "a.wav", m_dir.path() / "second.wav");
    EXPECT_TRUE(index.contains(m_dir.file("second.wav")));
    EXPECT_TRUE(index.remove(m_dir.file("media/a.wav")));
    EXPECT_FALSE(index.contains(m_dir.file("second.wav")));
    EXPECT_FALSE(index.remove(m_dir.file("media/a.wav")));
}

// A relative name is taken from the folder current when it is listed, not when it is looked up.
TEST_F(FileNameIndexTest, RelativeNamesLeadFromTheFolderTheyWereListedIn) {
    FileNameIndex index;
    {
        const InFolder inMedia(m_dir.path() / "media");
        index.add("a.wav");
        index.add("new.mp3");
        EXPECT_TRUE(index.contains("./a.wav"));
    }
    const InFolder inTop(m_dir.path());
    EXPECT_TRUE(index.contains(m_dir.file("media/a.wav")));
    EXPECT_TRUE(index.contains("media/new.mp3"));
    EXPECT_FALSE(index.contains("a.wav"));
    EXPECT_FALSE(index.contains("new.mp3"));
    EXPECT_TRUE(index.remove(m_dir.file("media/new.mp3")));
    EXPECT_FALSE(index.contains("media/new.mp3"));
}

// A listed output that does not exist matches only its own spelling; once it is written, every
// name of the file matches, however long ago the index last looked at its folder.
TEST_F(FileNameIndexTest, AListedOutputWrittenLaterIsFoundThroughEveryName) {
    const std::string output = m_dir.file("out/clip.mp3");
    const std::string throughLink = m_dir.file("linked-out/clip.mp3");
    for (const bool settled : {false, true}) {
        SCOPED_TRACE(settled ? "folders settled" : "folders just changed");
        fs::remove(output);
        fs::remove(m_dir.path() / "second.mp3");
        FileNameIndex index{output, m_dir.file("media/a.wav")};
        EXPECT_TRUE(index.contains(m_dir.file("out/./clip.mp3")));
        EXPECT_FALSE(index.contains(throughLink));
        // A lookup that needs the disk: the folders are looked at now.
        EXPECT_FALSE(index.contains(m_dir.file("media/b.wav")));
        if (settled) {
            letFoldersSettle();
            EXPECT_FALSE(index.contains(m_dir.file("media/b.wav")));
        }

        writeFile(output);
        EXPECT_TRUE(index.contains(throughLink));
        fs::create_hard_link(output, m_dir.path() / "second.mp3");
        EXPECT_TRUE(index.contains(m_dir.file("second.mp3")));
    }
}

// A listed file renamed away is no longer what its name leads to: the new name is another file.
TEST_F(FileNameIndexTest, AListedFileMovedAwayNoLongerMatchesItsNewName) {
    for (const bool settled : {false, true}) {
        SCOPED_TRACE(settled ? "folders settled" : "folders just changed");
        writeFile(m_dir.file("media/c.wav"));
        FileNameIndex index{m_dir.file("media/c.wav")};
        fs::create_hard_link(m_dir.path() / "media" / "c.wav", m_dir.path() / "link.wav");
        EXPECT_TRUE(index.contains(m_dir.file("link.wav")));
        fs::remove(m_dir.path() / "link.wav");
        if (settled) {
            letFoldersSettle();
            EXPECT_FALSE(index.contains(m_dir.file("media/b.wav")));
        }

        fs::rename(m_dir.path() / "media" / "c.wav", m_dir.path() / "moved.wav");
        EXPECT_FALSE(index.contains(m_dir.file("moved.wav")));
        // And a new file under the listed name is the listed file again.
        fs::create_hard_link(m_dir.path() / "moved.wav", m_dir.path() / "media" / "c.wav");
        EXPECT_TRUE(index.contains(m_dir.file("moved.wav")));
        fs::remove(m_dir.path() / "moved.wav");
        fs::remove(m_dir.path() / "media" / "c.wav");
    }
}

// A listed name whose folder does not exist yet is found once the folder and the file appear.
TEST_F(FileNameIndexTest, AFolderMadeAfterListingIsLookedAt) {
    FileNameIndex index{m_dir.file("later/clip.mp3")};
    EXPECT_FALSE(index.contains(m_dir.file("media/a.wav")));
    fs::create_directory(m_dir.path() / "later");
    writeFile(m_dir.file("later/clip.mp3"));
    fs::create_hard_link(m_dir.path() / "later" / "clip.mp3", m_dir.path() / "second.mp3");
    EXPECT_TRUE(index.contains(m_dir.file("second.mp3")));
}

}  // namespace
}  // namespace velmora
