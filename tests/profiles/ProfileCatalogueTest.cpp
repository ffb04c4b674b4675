#include "profiles/ProfileCatalogue.h"

#include <gtest/gtest.h>

#include <set>

namespace velmora {
namespace {

TEST(ProfileCatalogue, CodesAreTabBasePlusPosition) {
    std::set<int> codes;
    int total = 0;
    for (const ProfileTabInfo& tab : profileTabs()) {
        const auto entries = profilesOnTab(tab.tab);
        ASSERT_EQ(entries.size(), static_cast<std::size_t>(tab.count));
        for (int position = 0; position < tab.count; ++position) {
            const TProfileEntry& entry = entries[position];
            EXPECT_EQ(entry.Code, tab.base + position);
            EXPECT_EQ(entry.Tab, tab.tab);
            EXPECT_EQ(profileCodeAt(tab.tab, position), entry.Code);
            // Only the computer tab skips pictures of its list.
            if (tab.tab != ProfileTab::Computer) {
                EXPECT_EQ(entry.Icon, position) << entry.Code;
            }
            codes.insert(entry.Code);
            ++total;
        }
        EXPECT_FALSE(profileCodeAt(tab.tab, tab.count).has_value());
        EXPECT_FALSE(profileCodeAt(tab.tab, -1).has_value());
    }
    EXPECT_EQ(total, kProfileCount);
    EXPECT_EQ(codes.size(), profileCatalogue().size());
}

TEST(ProfileCatalogue, TabsInScreenOrder) {
    const auto tabs = profileTabs();
    ASSERT_EQ(tabs.size(), 4u);
    EXPECT_EQ(tabs[0].caption, "MKV、MP4及常用格式");
    EXPECT_EQ(tabs[0].base, 400);
    EXPECT_EQ(tabs[1].caption, "智能设备常用视频格式");
    EXPECT_EQ(tabs[1].base, 100);
    EXPECT_EQ(tabs[2].caption, "更多电脑常用视频格式");
    EXPECT_EQ(tabs[2].base, 1);
    EXPECT_EQ(tabs[3].caption, "更多音频格式");
    EXPECT_EQ(tabs[3].base, 200);
    EXPECT_EQ(kInitialProfileCode, 400);
}

TEST(ProfileCatalogue, GapsAndOutOfRangeCodesNameNothing) {
    for (int code : {0, 25, 99, 120, 199, 210, 399, 421, -1}) {
        EXPECT_EQ(findProfile(code), nullptr) << code;
    }
}

struct EntryRow {
    int code;
    const char* caption;
    int icon;
    const char* outputExt;
    const char* extTag;
    const char* outputFormat;
    const char* discKind;
    bool audioOnly;
};

// A sample of rows, including every flagged one and the irregular icons.
const EntryRow kRows[] = {
    {1, "电脑上使用的AVI/MPEG视频", 0, ".avi", ".avi", "", "", false},
    {4, "Sony(索尼) PSP MP4视频", 3, ".mp4", ".psp.mp4", "", "", false},
    {5, "Sony(索尼) PS3 MP4视频", 4, ".mp4", ".psp.mp4", "", "", false},
    {9, "Apple(苹果) TV MP4视频", 8, ".mp4", ".ipod.mp4", "", "", false},
    {10, "SONY(索尼)M70/U50系列普通MPEG4视频", 12, ".mp4", ".mp4", "", "", false},
    {14, "FLV视频格式(视频网站专用的FLV文件)(如土豆网)", 16, ".flv", ".flv", "", "", false},
    {17, "MOV视频格式", 19, ".mov", ".mov", "mov", "", false},
    {19, "DVD影碟视频格式", 21, ".mpg", ".mpg", "", "dvd", false},
    {20, "SVCD影碟视频格式", 22, ".mpg", ".mpg", "", "svcd", false},
    {21, "VCD影碟视频格式", 23, ".mpg", ".mpg", "", "vcd", false},
    {23, "ASF视频格式", 37, ".asf", ".asf", "", "", false},
    {24, "Motion Jpeg(MJpeg)视频格式", 36, ".avi", ".avi", "", "", false},
    {106, "手机MOV视频格式", 6, ".mov", ".mov", "mov", "", false},
    {115, "4K高清智能电视视频格式", 15, ".avi", ".avi", "", "", false},
    {200, "MP3音频格式", 0, ".mp3", ".mp3", "", "", true},
    {203, "AAC音频格式", 3, ".m4a", ".m4a", "", "", true},
    {209, "AMR（手机）音频格式", 9, ".amr", ".amr", "", "", true},
    {412, "VOB标准视频", 12, ".vob", ".vob", "", "", false},
    {417, "MOV视频格式", 17, ".mov", ".mov", "mov", "", false},
    {419, "VCD视频格式", 19, ".mpg", ".mpg", "", "vcd", false},
    {420, "DVD视频格式", 20, ".mpg", ".mpg", "", "dvd", false},
};

TEST(ProfileCatalogue, RowsMatchTheTable) {
    for (const EntryRow& row : kRows) {
        SCOPED_TRACE(row.code);
        const TProfileEntry* entry = findProfile(row.code);
        ASSERT_NE(entry, nullptr);
        EXPECT_EQ(entry->Caption, row.caption);
        EXPECT_EQ(entry->Icon, row.icon);
        EXPECT_EQ(entry->OutputExt, row.outputExt);
        EXPECT_EQ(entry->ProfileExtTag, row.extTag);
        EXPECT_EQ(entry->OutputFormat, row.outputFormat);
        EXPECT_EQ(entry->DiscKind, row.discKind);
        EXPECT_EQ(entry->AudioOnly, row.audioOnly);
    }
}

TEST(ProfileCatalogue, FlagsOnlyWhereTheTableHasThem) {
    int forced = 0;
    int discs = 0;
    int audio = 0;
    for (const TProfileEntry& entry : profileCatalogue()) {
        forced += !entry.OutputFormat.empty();
        discs += !entry.DiscKind.empty();
        audio += entry.AudioOnly;
        EXPECT_EQ(entry.AudioOnly, entry.Tab == ProfileTab::Audio) << entry.Code;
        EXPECT_EQ(entry.OutputExt.front(), '.');
    }
    EXPECT_EQ(forced, 3);
    EXPECT_EQ(discs, 5);
    EXPECT_EQ(audio, 10);
}

}  // namespace
}  // namespace velmora
