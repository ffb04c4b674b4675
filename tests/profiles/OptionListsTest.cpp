#include "profiles/OptionLists.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "profiles/ProfileCatalogue.h"

namespace velmora {
namespace {

using ::testing::ElementsAre;

std::vector<std::string> texts(const OptionList& list) {
    return {list.entries.begin(), list.entries.end()};
}

TEST(OptionLists, EveryNamedListWithItsLength) {
    const std::pair<const char*, std::size_t> kLengths[] = {
        {"VE1", 7},  {"VE2", 5},   {"VE3", 5},   {"VE4", 5},   {"VE5", 1},   {"VE6", 1},
        {"VE7", 2},  {"VE8", 1},   {"VE9", 1},   {"VE10", 2},  {"VE11", 2},  {"VE12", 2},
        {"VE13", 1}, {"VE14", 1},  {"VE15", 1},  {"VE16", 6},  {"VE17", 6},  {"VE18", 5},
        {"VE19", 7}, {"VE20", 1},  {"VE21", 5},  {"VE22", 1},  {"VB1", 8},   {"VB2", 5},
        {"VB3", 12}, {"VB4", 9},   {"VB5", 11},  {"VB6", 15},  {"VB7", 11},  {"VB8", 13},
        {"VB9", 10}, {"VB10", 10}, {"VB11", 14}, {"VB12", 13}, {"VB13", 1},  {"VB14", 12},
        {"FS1", 16}, {"FS2", 4},   {"FS3", 7},   {"FS4", 7},   {"FS5", 25},  {"FS6", 13},
        {"FS7", 16}, {"FS8", 11},  {"FS9", 1},   {"FS10", 24}, {"FS11", 15}, {"FS12", 17},
        {"FR1", 12}, {"FR2", 3},   {"FR3", 7},   {"FR4", 9},   {"FR5", 11},  {"FR6", 1},
        {"AE1", 4},  {"AE2", 1},   {"AE3", 1},   {"AE4", 4},   {"AE5", 5},   {"AE6", 1},
        {"AE7", 2},  {"AE8", 1},   {"AE9", 2},   {"AE10", 1},  {"AE11", 1},  {"AE12", 1},
        {"AE13", 1}, {"AE14", 1},  {"AE15", 1},  {"AE16", 1},  {"AE17", 1},  {"AE18", 5},
        {"AB1", 17}, {"AB2", 3},   {"AB3", 9},   {"AB4", 1},   {"AB5", 8},   {"AR1", 6},
        {"AR2", 1},  {"AR3", 4},   {"AR4", 2},   {"AR5", 3},   {"AR6", 1},   {"AR7", 4},
        {"AR8", 5},  {"AR9", 1},   {"SM1", 2},   {"SM2", 1},   {"VOL1", 28}, {"CH1", 2},
        {"CH2", 1},
    };
    EXPECT_EQ(optionLists().size(), std::size(kLengths));
    for (const auto& [key, length] : kLengths) {
        const OptionList* list = findOptionList(key);
        ASSERT_NE(list, nullptr) << key;
        EXPECT_EQ(list->entries.size(), length) << key;
    }
    EXPECT_EQ(findOptionList("VE23"), nullptr);
}

// Each value is listed once, also where the program used to repeat one.
TEST(OptionLists, NoListRepeatsAnEntry) {
    for (const OptionList* list : optionLists()) {
        const std::set<std::string_view> unique(list->entries.begin(), list->entries.end());
        EXPECT_EQ(unique.size(), list->entries.size()) << list->key;
    }
}

TEST(OptionLists, LiteralEntries) {
    EXPECT_THAT(
        texts(*findOptionList("VE1")),
        ElementsAre("Divx 5 视频压缩器", "MPEG4 视频压缩器", "XviD 视频压缩器1", "XviD 视频压缩器2",
                    "Divx 视频压缩器", "Mjpeg 视频压缩器", "H264/AVC高清视频压缩器"));
    EXPECT_THAT(texts(*findOptionList("VB6")),
                ElementsAre("128 kbps(超低质量)", "288 kbps(低质量)", "528 kbps(低质量)",
                            "816 kbps(低质量)", "1200 kbps(一般质量)", "1600 kbps(一般质量)",
                            "1800 kbps(一般质量)", "2000 kbps(中等质量)", "3000 kbps(高质量)",
                            "4000 kbps(高质量)", "5000 kbps(极高质量)", "6000 kbps(极高质量)",
                            "7000 kbps(极高质量)", "8000 kbps(极高质量)", "9000 kbps(极高质量)"));
    EXPECT_THAT(texts(*findOptionList("FS3")),
                ElementsAre("320*240 (PSP所有固件版本适用)", "368*208 (PSP 2.0或更高固件版本适用)",
                            "480*272  (PSP 3.03或更高固件版本适用)",
                            "640*480  (PSP 3.03或更高固件版本适用)", "720*480  (标清SD格式)",
                            "1280*720  (高清晰HD格式)", "1920*1080  (高清晰HD格式)"));
    EXPECT_THAT(texts(*findOptionList("AB5")),
                ElementsAre("4.75", "5.15", "5.9", "6.7", "7.4", "7.95", "10.2", "12.2"));
    EXPECT_THAT(texts(*findOptionList("AR7")), ElementsAre("11025", "22050", "44100", "48000"));
    EXPECT_THAT(texts(*findOptionList("FS6")),
                ElementsAre("保持原分辨率", "1024*768", "1280*720", "1280*1024", "1600*1024",
                            "1600*1200", "1920*1080", "1920*1200", "1920*1600", "2048*1536",
                            "2560*1600", "3656*2664", "4096*3112"));
    const auto volume = texts(*findOptionList("VOL1"));
    EXPECT_EQ(volume.front(), "无声音");
    EXPECT_EQ(volume[1], "音量降低90%");
    EXPECT_EQ(volume[10], "音量保持不变");
    EXPECT_EQ(volume[19], "音量增加90%");
    EXPECT_EQ(volume[20], "音量增加1倍");
    EXPECT_EQ(volume.back(), "音量增加7倍");
}

TEST(OptionLists, Labels) {
    EXPECT_EQ(optionLabel(OptionKind::VideoEncoder), "视频编码器：");
    EXPECT_EQ(optionLabel(OptionKind::ScalingMode), "视频缩放模式：");
    EXPECT_EQ(optionLabel(OptionKind::Channels), "声道设置：");
}

struct ProfileListsRow {
    int code;
    // Lists in column order: encoder, bit rate, size, rate, audio encoder, audio bit rate,
    // sample rate, scaling mode, channels. Volume is VOL1 for all.
    std::array<const char*, 9> keys;
    std::array<const char*, 9> preselected;
};

// clang-format off
const ProfileListsRow kProfileLists[] = {
    {1, {"VE1", "VB1", "FS1", "FR1", "AE1", "AB1", "AR1", "SM1", "CH1"},
     {"Divx 5 视频压缩器", "528 kbps(中等质量)", "320*240", "25.00", "MP3音频编码器", "128", "44100", "普通视频4:3模式", "立体声"}},
    {2, {"VE1", "VB1", "FS1", "FR1", "AE1", "AB1", "AR1", "SM1", "CH1"},
     {"Divx 5 视频压缩器", "528 kbps(中等质量)", "320*240", "25.00", "MP3音频编码器", "128", "44100", "普通视频4:3模式", "立体声"}},
    {3, {"VE1", "VB1", "FS1", "FR1", "AE1", "AB1", "AR1", "SM1", "CH1"},
     {"Divx 5 视频压缩器", "528 kbps(中等质量)", "320*240", "25.00", "MP3音频编码器", "128", "44100", "普通视频4:3模式", "立体声"}},
    {4, {"VE2", "VB2", "FS2", "FR2", "AE2", "AB2", "AR2", "SM1", "CH1"},
     {"MPEG4视频压缩器", "512 kbps(中等质量)", "320*240 (PSP所有固件版本适用)", "29.97", "AAC音频编码器", "128", "24000", "普通视频4:3模式", "立体声"}},
    {5, {"VE3", "VB3", "FS3", "FR3", "AE2", "AB2", "AR3", "SM1", "CH1"},
     {"MPEG4视频压缩器", "768 kbps(高质量)", "720*480  (标清SD格式)", "29.97", "AAC音频编码器", "128", "48000", "普通视频4:3模式", "立体声"}},
    {6, {"VE4", "VB4", "FS4", "FR4", "AE2", "AB2", "AR3", "SM1", "CH1"},
     {"MPEG4视频压缩器", "600 kbps (中等质量)", "320*240", "25", "AAC音频编码器", "128", "48000", "普通视频4:3模式", "立体声"}},
    {7, {"VE4", "VB4", "FS4", "FR4", "AE2", "AB2", "AR3", "SM1", "CH1"},
     {"MPEG4视频压缩器", "600 kbps (中等质量)", "320*240", "25", "AAC音频编码器", "128", "48000", "普通视频4:3模式", "立体声"}},
    {8, {"VE4", "VB4", "FS4", "FR4", "AE2", "AB2", "AR3", "SM1", "CH1"},
     {"MPEG4视频压缩器", "600 kbps (中等质量)", "320*240", "25", "AAC音频编码器", "128", "48000", "普通视频4:3模式", "立体声"}},
    {9, {"VE4", "VB4", "FS4", "FR4", "AE2", "AB2", "AR3", "SM1", "CH1"},
     {"MPEG4视频压缩器", "600 kbps (中等质量)", "320*240", "25", "AAC音频编码器", "128", "48000", "普通视频4:3模式", "立体声"}},
    {10, {"VE4", "VB5", "FS4", "FR4", "AE1", "AB1", "AR1", "SM1", "CH1"},
     {"MPEG4视频压缩器", "600 kbps (中等质量)", "320*240", "25", "MP3音频编码器", "128", "44100", "普通视频4:3模式", "立体声"}},
    {11, {"VE4", "VB4", "FS4", "FR4", "AE1", "AB3", "AR4", "SM1", "CH1"},
     {"H264/AVC高清视频压缩器", "600 kbps (中等质量)", "320*240", "25", "MP3音频编码器", "128", "48000", "普通视频4:3模式", "立体声"}},
    {12, {"VE4", "VB5", "FS4", "FR4", "AE1", "AB1", "AR1", "SM1", "CH1"},
     {"MPEG4视频压缩器", "600 kbps (中等质量)", "320*240", "25", "MP3音频编码器", "128", "44100", "普通视频4:3模式", "立体声"}},
    {13, {"VE5", "VB1", "FS1", "FR1", "AE1", "AB1", "AR5", "SM1", "CH1"},
     {"FLASH格式视频压缩器", "528 kbps(中等质量)", "320*240", "25.00", "MP3音频编码器", "128", "22050", "普通视频4:3模式", "立体声"}},
    {14, {"VE6", "VB1", "FS1", "FR1", "AE1", "AB1", "AR5", "SM1", "CH1"},
     {"FLV格式视频压缩器", "528 kbps(中等质量)", "320*240", "25.00", "MP3音频编码器", "128", "22050", "普通视频4:3模式", "立体声"}},
    {15, {"VE7", "VB1", "FS1", "FR1", "AE3", "AB4", "AR6", "SM1", "CH1"},
     {"RM视频压缩器1", "528 kbps(中等质量)", "保持原分辨率", "保持原帧速率", "自动音频编码器", "自动音频比特率", "自动音频采样率", "普通视频4:3模式", "立体声"}},
    {16, {"VE4", "VB1", "FS1", "FR1", "AE1", "AB1", "AR5", "SM1", "CH1"},
     {"MPEG4视频压缩器", "528 kbps(中等质量)", "320*240", "25.00", "MP3音频编码器", "128", "22050", "普通视频4:3模式", "立体声"}},
    {17, {"VE8", "VB1", "FS1", "FR1", "AE4", "AB1", "AR7", "SM1", "CH1"},
     {"QuickTime视频压缩器", "528 kbps(中等质量)", "320*240", "25.00", "AAC音频编码器", "128", "22050", "普通视频4:3模式", "立体声"}},
    {18, {"VE9", "VB1", "FS1", "FR5", "AE5", "AB1", "AR8", "SM1", "CH1"},
     {"MPEG视频压缩器", "528 kbps(中等质量)", "320*240", "25.00", "MP2音频编码器", "128", "44100", "普通视频4:3模式", "立体声"}},
    {19, {"VE10", "VB1", "FS1", "FR1", "AE1", "AB1", "AR7", "SM1", "CH1"},
     {"PAL_DVD视频压缩器", "528 kbps(中等质量)", "720*480", "25.00", "MP3音频编码器", "128", "44100", "普通视频4:3模式", "立体声"}},
    {20, {"VE11", "VB1", "FS1", "FR1", "AE1", "AB1", "AR7", "SM1", "CH1"},
     {"PAL_SVCD视频压缩器", "528 kbps(中等质量)", "480*480", "25.00", "MP3音频编码器", "128", "48000", "普通视频4:3模式", "立体声"}},
    {21, {"VE12", "VB1", "FS1", "FR1", "AE1", "AB1", "AR7", "SM1", "CH1"},
     {"PAL_VCD视频压缩器", "528 kbps(中等质量)", "320*240", "25.00", "MP3音频编码器", "128", "48000", "普通视频4:3模式", "立体声"}},
    {22, {"VE13", "VB1", "FS1", "FR1", "AE6", "AB1", "AR7", "SM1", "CH1"},
     {"WMV视频压缩器", "528 kbps(中等质量)", "320*240", "25.00", "WMV音频编码器", "128", "48000", "普通视频4:3模式", "立体声"}},
    {23, {"VE14", "VB1", "FS1", "FR1", "AE7", "AB1", "AR7", "SM1", "CH1"},
     {"ASF视频压缩器", "528 kbps(中等质量)", "320*240", "25.00", "ASF音频编码器1", "128", "48000", "普通视频4:3模式", "立体声"}},
    {24, {"VE15", "VB6", "FS1", "FR1", "AE8", "AB1", "AR1", "SM1", "CH1"},
     {"Mjpeg 视频压缩器", "3000 kbps(高质量)", "320*240", "保持原帧速率", "MP3音频编码器", "128", "44100", "普通视频4:3模式", "立体声"}},
    {100, {"VE16", "VB7", "FS5", "FR1", "AE4", "AB1", "AR1", "SM1", "CH1"},
     {"Divx 5 视频压缩器", "1000 kbps(高质量)", "保持原分辨率", "25.00", "AAC音频编码器", "128", "44100", "宽屏视频16:9模式", "立体声"}},
    {101, {"VE17", "VB7", "FS5", "FR1", "AE4", "AB1", "AR1", "SM1", "CH1"},
     {"H264/AVC高清视频压缩器", "1600 kbps(极高质量)", "保持原分辨率", "保持原帧速率", "AAC音频编码器", "192", "48000", "宽屏视频16:9模式", "立体声"}},
    {102, {"VE18", "VB8", "FS5", "FR4", "AE1", "AB1", "AR1", "SM1", "CH1"},
     {"MPEG4视频压缩器", "1000 kbps (很高质量)", "704*480", "25", "MP3音频编码器", "128", "44100", "宽屏视频16:9模式", "立体声"}},
    {103, {"VE16", "VB7", "FS5", "FR1", "AE1", "AB1", "AR1", "SM1", "CH1"},
     {"MPEG4 视频压缩器", "1200 kbps(很高质量)", "保持原分辨率", "25.00", "MP3音频编码器", "128", "44100", "宽屏视频16:9模式", "立体声"}},
    {104, {"VE18", "VB8", "FS5", "FR4", "AE1", "AB1", "AR1", "SM1", "CH1"},
     {"MPEG4视频压缩器", "1200 kbps (很高质量)", "1024*768", "25", "AAC音频编码器", "128", "44100", "宽屏视频16:9模式", "立体声"}},
    {105, {"VE18", "VB9", "FS5", "FR4", "AE1", "AB1", "AR1", "SM1", "CH1"},
     {"MPEG4视频压缩器", "1800 kbps(极高质量)", "1920*1080", "29.97", "MP3音频编码器", "128", "44100", "宽屏视频16:9模式", "立体声"}},
    {106, {"VE8", "VB7", "FS5", "FR1", "AE9", "AB1", "AR7", "SM1", "CH1"},
     {"QuickTime视频压缩器", "1000 kbps(高质量)", "保持原分辨率", "保持原帧速率", "AAC音频编码器", "128", "22050", "宽屏视频16:9模式", "立体声"}},
    {107, {"VE4", "VB10", "FS5", "FR1", "AE1", "AB1", "AR5", "SM1", "CH1"},
     {"MPEG4视频压缩器", "1200 kbps(很高质量)", "保持原分辨率", "保持原帧速率", "AAC音频编码器", "128", "22050", "宽屏视频16:9模式", "立体声"}},
    {108, {"VE17", "VB7", "FS5", "FR1", "AE1", "AB1", "AR1", "SM1", "CH1"},
     {"H264/AVC高清视频压缩器", "1600 kbps(极高质量)", "保持原分辨率", "保持原帧速率", "AAC音频编码器", "128", "44100", "宽屏视频16:9模式", "立体声"}},
    {109, {"VE18", "VB8", "FS5", "FR4", "AE1", "AB1", "AR1", "SM1", "CH1"},
     {"MPEG4视频压缩器", "1200 kbps (很高质量)", "保持原分辨率", "25", "MP3音频编码器", "128", "44100", "宽屏视频16:9模式", "立体声"}},
    {110, {"VE17", "VB7", "FS5", "FR1", "AE1", "AB1", "AR1", "SM1", "CH1"},
     {"XviD 视频压缩器1", "1800 kbps(极高质量)", "1280*1024", "30.00", "MP3音频编码器", "128", "44100", "宽屏视频16:9模式", "立体声"}},
    {111, {"VE18", "VB8", "FS5", "FR4", "AE4", "AB1", "AR1", "SM1", "CH1"},
     {"H264/AVC高清视频压缩器", "1200 kbps (很高质量)", "1024*768", "25", "AAC音频编码器", "128", "44100", "普通视频4:3模式", "立体声"}},
    {112, {"VE18", "VB8", "FS5", "FR4", "AE1", "AB1", "AR1", "SM1", "CH1"},
     {"MPEG4视频压缩器", "1200 kbps (很高质量)", "1024*768", "25", "MP3音频编码器", "128", "44100", "普通视频4:3模式", "立体声"}},
    {113, {"VE18", "VB11", "FS5", "FR4", "AE4", "AB1", "AR1", "SM1", "CH1"},
     {"H264/AVC高清视频压缩器", "1800 kbps(极高质量)", "1920*1080", "30", "AAC音频编码器", "128", "44100", "宽屏视频16:9模式", "立体声"}},
    {114, {"VE17", "VB7", "FS5", "FR1", "AE4", "AB1", "AR1", "SM1", "CH1"},
     {"Divx 5 视频压缩器", "1600 kbps(极高质量)", "1920*1080", "29.97", "AAC音频编码器", "128", "44100", "宽屏视频16:9模式", "立体声"}},
    {115, {"VE17", "VB12", "FS6", "FR1", "AE4", "AB1", "AR1", "SM1", "CH1"},
     {"MPEG4 视频压缩器", "1600 kbps(极高质量)", "4096*3112", "29.97", "AAC音频编码器", "128", "44100", "宽屏视频16:9模式", "立体声"}},
    {116, {"VE18", "VB8", "FS7", "FR4", "AE1", "AB1", "AR1", "SM1", "CH1"},
     {"MPEG4视频压缩器", "1500 kbps (很高质量)", "保持原分辨率", "25", "MP3音频编码器", "128", "44100", "宽屏视频16:9模式", "立体声"}},
    {117, {"VE4", "VB10", "FS8", "FR1", "AE4", "AB1", "AR5", "SM1", "CH1"},
     {"H264/AVC高清视频压缩器", "1600 kbps(极高质量)", "1920*1080", "保持原帧速率", "AAC音频编码器", "128", "22050", "宽屏视频16:9模式", "立体声"}},
    {118, {"VE18", "VB8", "FS5", "FR4", "AE1", "AB1", "AR1", "SM1", "CH1"},
     {"XviD 视频压缩器1", "1200 kbps (很高质量)", "1024*768", "29.97", "AAC音频编码器", "128", "44100", "宽屏视频16:9模式", "立体声"}},
    {119, {"VE19", "VB7", "FS5", "FR1", "AE1", "AB1", "AR1", "SM1", "CH1"},
     {"XviD 视频压缩器2", "1600 kbps(极高质量)", "1280*1024", "29.97", "MP3音频编码器", "128", "44100", "宽屏视频16:9模式", "立体声"}},
    {200, {"VE20", "VB13", "FS9", "FR6", "AE8", "AB1", "AR7", "SM2", "CH1"},
     {"该格式无视频", "无", "无", "无", "MP3音频编码器", "128", "48000", "无", "立体声"}},
    {201, {"VE20", "VB13", "FS9", "FR6", "AE10", "AB1", "AR7", "SM2", "CH1"},
     {"该格式无视频", "无", "无", "无", "WMA音频编码器", "128", "48000", "无", "立体声"}},
    {202, {"VE20", "VB13", "FS9", "FR6", "AE11", "AB1", "AR7", "SM2", "CH1"},
     {"该格式无视频", "无", "无", "无", "WAVE音频编码器", "128", "48000", "无", "立体声"}},
    {203, {"VE20", "VB13", "FS9", "FR6", "AE2", "AB1", "AR7", "SM2", "CH1"},
     {"该格式无视频", "无", "无", "无", "AAC音频编码器", "128", "48000", "无", "立体声"}},
    {204, {"VE20", "VB13", "FS9", "FR6", "AE12", "AB1", "AR7", "SM2", "CH1"},
     {"该格式无视频", "无", "无", "无", "AC3音频编码器", "128", "48000", "无", "立体声"}},
    {205, {"VE20", "VB13", "FS9", "FR6", "AE13", "AB1", "AR7", "SM2", "CH1"},
     {"该格式无视频", "无", "无", "无", "OGG音频编码器", "128", "48000", "无", "立体声"}},
    {206, {"VE20", "VB13", "FS9", "FR6", "AE14", "AB1", "AR8", "SM2", "CH1"},
     {"该格式无视频", "无", "无", "无", "MP2音频编码器", "128", "44100", "无", "立体声"}},
    {207, {"VE20", "VB13", "FS9", "FR6", "AE15", "AB1", "AR7", "SM2", "CH1"},
     {"该格式无视频", "无", "无", "无", "Flac音频编码器", "128", "48000", "无", "立体声"}},
    {208, {"VE20", "VB13", "FS9", "FR6", "AE16", "AB1", "AR7", "SM2", "CH1"},
     {"该格式无视频", "无", "无", "无", "RM音频编码器", "128", "48000", "无", "立体声"}},
    {209, {"VE20", "VB13", "FS9", "FR6", "AE17", "AB5", "AR9", "SM2", "CH2"},
     {"该格式无视频", "无", "无", "无", "AMR音频编码器", "7.4", "8000", "无", "单声道"}},
    {400, {"VE4", "VB10", "FS5", "FR1", "AE1", "AB1", "AR5", "SM1", "CH1"},
     {"MPEG4视频压缩器", "1200 kbps(很高质量)", "保持原分辨率", "保持原帧速率", "AAC音频编码器", "128", "22050", "宽屏视频16:9模式", "立体声"}},
    {401, {"VE4", "VB10", "FS5", "FR1", "AE1", "AB1", "AR5", "SM1", "CH1"},
     {"MPEG4视频压缩器", "2000 kbps(极高质量)", "1920*1080", "保持原帧速率", "AAC音频编码器", "128", "22050", "宽屏视频16:9模式", "立体声"}},
    {402, {"VE21", "VB1", "FS1", "FR1", "AE1", "AB1", "AR5", "SM1", "CH1"},
     {"H264/AVC高清视频压缩器", "1200 kbps(很高质量)", "720*480", "25.00", "MP3音频编码器", "128", "22050", "普通视频4:3模式", "立体声"}},
    {403, {"VE4", "VB10", "FS10", "FR1", "AE1", "AB1", "AR5", "SM1", "CH1"},
     {"MPEG4视频压缩器", "1600 kbps(极高质量)", "保持原分辨率", "保持原帧速率", "MP3音频编码器", "128", "22050", "普通视频4:3模式", "立体声"}},
    {404, {"VE4", "VB10", "FS11", "FR1", "AE1", "AB1", "AR5", "SM1", "CH1"},
     {"MPEG4视频压缩器", "2000 kbps(极高质量)", "1280*720", "保持原帧速率", "MP3音频编码器", "128", "22050", "普通视频4:3模式", "立体声"}},
    {405, {"VE4", "VB10", "FS11", "FR1", "AE1", "AB1", "AR5", "SM1", "CH1"},
     {"MPEG4视频压缩器", "2000 kbps(极高质量)", "1920*1080", "25.00", "MP3音频编码器", "128", "22050", "普通视频4:3模式", "立体声"}},
    {406, {"VE4", "VB10", "FS11", "FR1", "AE1", "AB1", "AR5", "SM1", "CH1"},
     {"MPEG4视频压缩器", "2500 kbps(极高质量)", "2560*1600", "25.00", "MP3音频编码器", "128", "22050", "普通视频4:3模式", "立体声"}},
    {407, {"VE4", "VB14", "FS12", "FR1", "AE1", "AB1", "AR5", "SM1", "CH1"},
     {"MPEG4视频压缩器", "2500 kbps(极高质量)", "4096*3112", "30.00", "MP3音频编码器", "128", "22050", "普通视频4:3模式", "立体声"}},
    {408, {"VE4", "VB1", "FS1", "FR1", "AE1", "AB1", "AR5", "SM1", "CH1"},
     {"MPEG4视频压缩器", "528 kbps(中等质量)", "320*240", "25.00", "MP3音频编码器", "128", "22050", "普通视频4:3模式", "立体声"}},
    {409, {"VE4", "VB14", "FS12", "FR1", "AE1", "AB1", "AR5", "SM1", "CH1"},
     {"MPEG4视频压缩器", "2500 kbps(极高质量)", "保持原分辨率", "30.00", "MP3音频编码器", "128", "22050", "普通视频4:3模式", "立体声"}},
    {410, {"VE17", "VB7", "FS5", "FR1", "AE1", "AB1", "AR1", "SM1", "CH1"},
     {"XviD 视频压缩器1", "1800 kbps(极高质量)", "1280*1024", "30.00", "MP3音频编码器", "128", "44100", "宽屏视频16:9模式", "立体声"}},
    {411, {"VE17", "VB7", "FS5", "FR1", "AE1", "AB1", "AR1", "SM1", "CH1"},
     {"H264/AVC高清视频压缩器", "2000 kbps(极高质量)", "1600*1200", "30.00", "MP3音频编码器", "128", "44100", "宽屏视频16:9模式", "立体声"}},
    {412, {"VE22", "VB10", "FS5", "FR1", "AE18", "AB1", "AR8", "SM1", "CH1"},
     {"VOB视频压缩器", "1600 kbps(极高质量)", "1280*1024", "29.97", "VOB音频编码器", "128", "44100", "普通视频4:3模式", "立体声"}},
    {413, {"VE18", "VB8", "FS5", "FR4", "AE1", "AB1", "AR1", "SM1", "CH1"},
     {"MPEG4视频压缩器", "1500 kbps (很高质量)", "保持原分辨率", "29.97", "MP3音频编码器", "128", "44100", "宽屏视频16:9模式", "立体声"}},
    {414, {"VE18", "VB11", "FS5", "FR4", "AE4", "AB1", "AR1", "SM1", "CH1"},
     {"H264/AVC高清视频压缩器", "1800 kbps(极高质量)", "1920*1080", "30", "AAC音频编码器", "128", "44100", "宽屏视频16:9模式", "立体声"}},
    {415, {"VE18", "VB8", "FS5", "FR4", "AE1", "AB1", "AR1", "SM1", "CH1"},
     {"MPEG4视频压缩器", "1200 kbps (很高质量)", "保持原分辨率", "25", "MP3音频编码器", "128", "44100", "宽屏视频16:9模式", "立体声"}},
    {416, {"VE17", "VB7", "FS5", "FR1", "AE4", "AB1", "AR1", "SM1", "CH1"},
     {"Divx 5 视频压缩器", "1600 kbps(极高质量)", "1920*1080", "29.97", "AAC音频编码器", "128", "44100", "宽屏视频16:9模式", "立体声"}},
    {417, {"VE8", "VB7", "FS5", "FR1", "AE9", "AB1", "AR7", "SM1", "CH1"},
     {"QuickTime视频压缩器", "1000 kbps(高质量)", "保持原分辨率", "保持原帧速率", "AAC音频编码器", "128", "22050", "宽屏视频16:9模式", "立体声"}},
    {418, {"VE13", "VB8", "FS5", "FR1", "AE6", "AB1", "AR8", "SM1", "CH1"},
     {"WMV视频压缩器", "1000 kbps (很高质量)", "704*480", "25.00", "WMV音频编码器", "128", "44100", "普通视频4:3模式", "立体声"}},
    {419, {"VE12", "VB1", "FS1", "FR1", "AE1", "AB1", "AR7", "SM1", "CH1"},
     {"PAL_VCD视频压缩器", "528 kbps(中等质量)", "320*240", "25.00", "MP3音频编码器", "128", "48000", "普通视频4:3模式", "立体声"}},
    {420, {"VE10", "VB1", "FS1", "FR1", "AE1", "AB1", "AR7", "SM1", "CH1"},
     {"PAL_DVD视频压缩器", "1200 kbps(很高质量)", "720*480", "25.00", "MP3音频编码器", "128", "44100", "普通视频4:3模式", "立体声"}},
};
// clang-format on

TEST(OptionLists, EveryProfileOffersItsListsAndPreselections) {
    ASSERT_EQ(std::size(kProfileLists), static_cast<std::size_t>(kProfileCount));
    constexpr OptionKind kColumns[] = {
        OptionKind::VideoEncoder, OptionKind::VideoBitRate, OptionKind::FrameSize,
        OptionKind::FrameRate,    OptionKind::AudioEncoder, OptionKind::AudioBitRate,
        OptionKind::SampleRate,   OptionKind::ScalingMode,  OptionKind::Channels,
    };
    for (const ProfileListsRow& row : kProfileLists) {
        SCOPED_TRACE(row.code);
        ASSERT_NE(findProfile(row.code), nullptr);
        const auto choices = profileOptionChoices(row.code);
        ASSERT_TRUE(choices.has_value());
        for (std::size_t column = 0; column < std::size(kColumns); ++column) {
            const OptionChoice& choice = (*choices)[indexOf(kColumns[column])];
            EXPECT_EQ(choice.list->key, row.keys[column]);
            EXPECT_EQ(choice.preselected, row.preselected[column]);
        }
        const OptionChoice& volume = (*choices)[indexOf(OptionKind::Volume)];
        EXPECT_EQ(volume.list->key, "VOL1");
        EXPECT_EQ(volume.preselected, "音量保持不变");
        for (const OptionChoice& choice : *choices) {
            EXPECT_THAT(texts(*choice.list), ::testing::Contains(choice.preselected))
                << choice.list->key;
        }
    }
    EXPECT_FALSE(profileOptionChoices(0).has_value());
    EXPECT_FALSE(profileOptionChoices(25).has_value());
    EXPECT_FALSE(profileOptionChoices(421).has_value());
}

struct EncoderRuleRow {
    int code;
    const char* encoder;
    bool replaces;
    OptionKind kind;
    const char* key;  // a key from the catalogue of lists, or the first entry of a rule list
    const char* preselected;
};

const EncoderRuleRow kEncoderRules[] = {
    {1, "Mjpeg 视频压缩器", true, OptionKind::VideoBitRate, "VB6", "3000 kbps(高质量)"},
    {2, "Mjpeg 视频压缩器", true, OptionKind::VideoBitRate, "VB6", "3000 kbps(高质量)"},
    {3, "Divx 5 视频压缩器", true, OptionKind::VideoBitRate, "VB1", "528 kbps(中等质量)"},
    {1, "MPEG4 视频压缩器", true, OptionKind::VideoBitRate, "VB1", "528 kbps(中等质量)"},
    {1, "XviD 视频压缩器1", true, OptionKind::VideoBitRate, "VB1", "528 kbps(中等质量)"},
    {1, "XviD 视频压缩器2", true, OptionKind::VideoBitRate, "VB1", "528 kbps(中等质量)"},
    {1, "Divx 视频压缩器", true, OptionKind::VideoBitRate, "VB1", "528 kbps(中等质量)"},
    {1, "H264/AVC高清视频压缩器", true, OptionKind::VideoBitRate, "VB1", "528 kbps(中等质量)"},
    {24, "Mjpeg 视频压缩器", false, {}, "", ""},
    {4, "Divx 5 视频压缩器", false, {}, "", ""},
    {100, "Divx 视频压缩器", true, OptionKind::FrameSize, "128*96", "176*144"},
    {101, "Divx 视频压缩器", true, OptionKind::FrameSize, "128*96", "176*144"},
    {100, "XviD 视频压缩器1", true, OptionKind::FrameSize, "112*96", "176*144"},
    {101, "XviD 视频压缩器2", true, OptionKind::FrameSize, "112*96", "176*144"},
    {100, "Divx 5 视频压缩器", true, OptionKind::FrameSize, "112*96", "176*144"},
    {100, "H264/AVC高清视频压缩器", false, {}, "", ""},
    {100, "MPEG4 视频压缩器", false, {}, "", ""},
    {102, "Divx 5 视频压缩器", false, {}, "", ""},
};

TEST(OptionLists, EncoderChangeRules) {
    for (const EncoderRuleRow& row : kEncoderRules) {
        SCOPED_TRACE(std::to_string(row.code) + " " + row.encoder);
        const auto replacement = encoderChangeReplacement(row.code, row.encoder);
        ASSERT_EQ(replacement.has_value(), row.replaces);
        if (!row.replaces) {
            continue;
        }
        EXPECT_EQ(replacement->kind, row.kind);
        const OptionList& list = *replacement->choice.list;
        if (std::string_view(row.key).starts_with("VB")) {
            EXPECT_EQ(&list, findOptionList(row.key));
        } else {
            EXPECT_EQ(list.entries.front(), row.key);
        }
        EXPECT_EQ(replacement->choice.preselected, row.preselected);
    }
    const auto divx = encoderChangeReplacement(100, "Divx 视频压缩器");
    EXPECT_THAT(texts(*divx->choice.list), ElementsAre("128*96", "176*144", "352*288", "704*576"));
    const auto xvid = encoderChangeReplacement(100, "XviD 视频压缩器1");
    EXPECT_THAT(texts(*xvid->choice.list),
                ElementsAre("112*96", "128*96", "160*112", "160*120", "176*144", "192*144",
                            "208*176", "220*176", "320*208", "320*224", "320*240"));
}

}  // namespace
}  // namespace velmora
