// Source names for convert: names read from standard input and folders replaced by their files.
#include "cli/SourceList.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/TempDir.h"

namespace velmora::cli {
namespace {

using namespace std::string_literals;

TEST(SourceList, ReadsNamesByLineOrByNul) {
    const struct {
        std::string input;
        char separator;
        std::vector<std::string> names;
    } rows[] = {
        {"a.mkv\nb c.avi\n", '\n', {"a.mkv", "b c.avi"}},
        {"a.mkv", '\n', {"a.mkv"}},                            // no line break at the end
        {"a.mkv\r\n\n\nb.avi\r\n", '\n', {"a.mkv", "b.avi"}},  // CR LF and empty lines
        {"line\nbreak.mkv\0tab\t.mkv\0"s, '\0', {"line\nbreak.mkv", "tab\t.mkv"}},
        {"cr\r.mkv\0\0"s, '\0', {"cr\r.mkv"}},  // only a line's CR goes
        {"", '\n', {}},
        {"\0"s, '\0', {}},
    };
    for (const auto& row : rows) {
        std::istringstream in(row.input);
        std::vector<std::string> names;
        for (const SourceEntry& entry : readSourceNames(in, row.separator)) {
            EXPECT_TRUE(entry.refusal.empty()) << entry.name << ": " << entry.refusal;
            names.push_back(entry.name);
        }
        EXPECT_EQ(names, row.names) << row.input;
    }
}

TEST(SourceList, RefusesNamesThatAreNoPath) {
    const std::string huge(kMaxNameBytes + 1, 'x');
    std::istringstream in("a.mkv\n" + huge + "\nnul\0inside.mkv\nb.mkv\n"s);
    const std::vector<SourceEntry> entries = readSourceNames(in, '\n');
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[0].name, "a.mkv");
    // Only the start of an overlong name is kept, to show which it was.
    EXPECT_LT(entries[1].name.size(), 100u);
    EXPECT_NE(entries[1].refusal.find("longer than 4096 bytes"), std::string::npos);
    EXPECT_NE(entries[2].refusal.find("NUL"), std::string::npos);
    EXPECT_EQ(entries[3].name, "b.mkv");
    EXPECT_TRUE(entries[3].refusal.empty());

    // A name of exactly the limit is a name.
    std::istringstream limit(std::string(kMaxNameBytes, 'y'));
    const std::vector<SourceEntry> atLimit = readSourceNames(limit, '\0');
    ASSERT_EQ(atLimit.size(), 1u);
    EXPECT_TRUE(atLimit[0].refusal.empty());
}

TEST(SourceList, FoldersGiveTheirFilesInPlace) {
    velmora::test::TempDir dir;
    std::filesystem::create_directories(dir.path() / "clips" / "more");
    std::filesystem::create_directories(dir.path() / "nothing");
    for (const char* name : {"clips/b.MKV", "clips/a.avi", "clips/notes.txt", "clips/more/c.mp4"}) {
        std::ofstream(dir.path() / name) << "x";
    }
    const std::vector<SourceEntry> names = {{"first.mkv", ""},
                                            {dir.file("clips"), ""},
                                            {dir.file("nothing"), ""},
                                            {"refused", "why"},
                                            {"last.mkv", ""}};

    const SourceNames top = expandFolders(names, FolderWalk::TopOnly);
    std::vector<std::string> order;
    for (const SourceEntry& entry : top.entries) {
        order.push_back(entry.name);
    }
    EXPECT_EQ(order, (std::vector<std::string>{"first.mkv", dir.file("clips/a.avi"),
                                               dir.file("clips/b.MKV"), "refused", "last.mkv"}));
    EXPECT_EQ(top.entries[3].refusal, "why");
    ASSERT_EQ(top.warnings.size(), 1u);
    EXPECT_EQ(top.warnings[0],
              "no media files in " + dir.file("nothing") + " (-r also takes its subfolders)");

    const SourceNames walked = expandFolders(names, FolderWalk::Subfolders);
    ASSERT_EQ(walked.entries.size(), 6u);
    EXPECT_EQ(walked.entries[3].name, dir.file("clips/more/c.mp4"));
}

}  // namespace
}  // namespace velmora::cli
