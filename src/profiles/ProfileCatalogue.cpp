#include "profiles/ProfileCatalogue.h"

#include <algorithm>
#include <array>

namespace velmora {

namespace {

constexpr std::array<ProfileTabInfo, 4> kTabs{{
    {ProfileTab::Common, "MKV、MP4及常用格式", 400, 21},
    {ProfileTab::Devices, "智能设备常用视频格式", 100, 20},
    {ProfileTab::Computer, "更多电脑常用视频格式", 1, 24},
    {ProfileTab::Audio, "更多音频格式", 200, 10},
}};

// Ascending code order. The third tab's icons skip pictures of its list that are not shown.
constexpr std::array<TProfileEntry, kProfileCount> kCatalogue{{
    {1, ProfileTab::Computer, "电脑上使用的AVI/MPEG视频", 0, ".avi", ".avi", "", "", false},
    {2, ProfileTab::Computer, "MP4机上使用的AVI/MPEG视频", 1, ".avi", ".avi", "", "", false},
    {3, ProfileTab::Computer, "支持MPEG4的DVD影碟机使用的AVI/MPEG视频", 2, ".avi", ".avi", "", "",
     false},
    {4, ProfileTab::Computer, "Sony(索尼) PSP MP4视频", 3, ".mp4", ".psp.mp4", "", "", false},
    {5, ProfileTab::Computer, "Sony(索尼) PS3 MP4视频", 4, ".mp4", ".psp.mp4", "", "", false},
    {6, ProfileTab::Computer, "Apple(苹果) ipod video MP4视频", 5, ".mp4", ".ipod.mp4", "", "",
     false},
    {7, ProfileTab::Computer, "Apple(苹果) iPod Touch/Classic/Nano MP4视频", 6, ".mp4", ".ipod.mp4",
     "", "", false},
    {8, ProfileTab::Computer, "Apple(苹果) iPhone MP4视频", 7, ".mp4", ".ipod.mp4", "", "", false},
    {9, ProfileTab::Computer, "Apple(苹果) TV MP4视频", 8, ".mp4", ".ipod.mp4", "", "", false},
    {10, ProfileTab::Computer, "SONY(索尼)M70/U50系列普通MPEG4视频", 12, ".mp4", ".mp4", "", "",
     false},
    {11, ProfileTab::Computer, "SONY(索尼)A800/M70/U50系列高清MPEG4视频", 13, ".mp4", ".mp4", "",
     "", false},
    {12, ProfileTab::Computer, "电脑上使用的MP4视频", 14, ".mp4", ".mp4", "", "", false},
    {13, ProfileTab::Computer, "SWF视频格式(Flash视频文件)", 15, ".swf", ".swf", "", "", false},
    {14, ProfileTab::Computer, "FLV视频格式(视频网站专用的FLV文件)(如土豆网)", 16, ".flv", ".flv",
     "", "", false},
    {15, ProfileTab::Computer, "RM/RMVB视频格式", 17, ".rm", ".rm", "", "", false},
    {16, ProfileTab::Computer, "MKV网络视频格式", 18, ".mkv", ".mkv", "", "", false},
    {17, ProfileTab::Computer, "MOV视频格式", 19, ".mov", ".mov", "mov", "", false},
    {18, ProfileTab::Computer, "MPEG/MPG视频格式", 20, ".mpg", ".mpg", "", "", false},
    {19, ProfileTab::Computer, "DVD影碟视频格式", 21, ".mpg", ".mpg", "", "dvd", false},
    {20, ProfileTab::Computer, "SVCD影碟视频格式", 22, ".mpg", ".mpg", "", "svcd", false},
    {21, ProfileTab::Computer, "VCD影碟视频格式", 23, ".mpg", ".mpg", "", "vcd", false},
    {22, ProfileTab::Computer, "WMV微软视频格式", 24, ".wmv", ".wmv", "", "", false},
    {23, ProfileTab::Computer, "ASF视频格式", 37, ".asf", ".asf", "", "", false},
    {24, ProfileTab::Computer, "Motion Jpeg(MJpeg)视频格式", 36, ".avi", ".avi", "", "", false},
    {100, ProfileTab::Devices, "智能手机视频格式", 0, ".avi", ".avi", "", "", false},
    {101, ProfileTab::Devices, "H.264编码手机视频格式", 1, ".avi", ".avi", "", "", false},
    {102, ProfileTab::Devices, "安卓MP4手机视频格式", 2, ".mp4", ".mp4", "", "", false},
    {103, ProfileTab::Devices, "手机AVI视频格式", 3, ".avi", ".avi", "", "", false},
    {104, ProfileTab::Devices, "智能手机常用视频格式", 4, ".mp4", ".mp4", "", "", false},
    {105, ProfileTab::Devices, "HD高清手机视频格式", 5, ".mp4", ".mp4", "", "", false},
    {106, ProfileTab::Devices, "手机MOV视频格式", 6, ".mov", ".mov", "mov", "", false},
    {107, ProfileTab::Devices, "手机MKV视频格式", 7, ".mkv", ".mkv", "", "", false},
    {108, ProfileTab::Devices, "平板电脑H.264视频格式", 8, ".avi", ".avi", "", "", false},
    {109, ProfileTab::Devices, "平板电脑MPEG-4视频格式", 9, ".mp4", ".mp4", "", "", false},
    {110, ProfileTab::Devices, "平板AVI视频格式", 10, ".avi", ".avi", "", "", false},
    {111, ProfileTab::Devices, "平板电脑常用MP4视频", 11, ".mp4", ".mp4", "", "", false},
    {112, ProfileTab::Devices, "其他设备MP4视频格式", 12, ".mp4", ".mp4", "", "", false},
    {113, ProfileTab::Devices, "高清电视H.264视频格式", 13, ".mp4", ".mp4", "", "", false},
    {114, ProfileTab::Devices, "智能电视AVI视频格式", 14, ".avi", ".avi", "", "", false},
    {115, ProfileTab::Devices, "4K高清智能电视视频格式", 15, ".avi", ".avi", "", "", false},
    {116, ProfileTab::Devices, "智能电视MP4视频格式", 16, ".mp4", ".mp4", "", "", false},
    {117, ProfileTab::Devices, "FHD全高清视频格式", 17, ".mkv", ".mkv", "", "", false},
    {118, ProfileTab::Devices, "网络机顶盒MP4视频格式", 18, ".mp4", ".mp4", "", "", false},
    {119, ProfileTab::Devices, "网络机顶盒AVI视频格式", 19, ".avi", ".avi", "", "", false},
    {200, ProfileTab::Audio, "MP3音频格式", 0, ".mp3", ".mp3", "", "", true},
    {201, ProfileTab::Audio, "WMA音频格式", 1, ".wma", ".wma", "", "", true},
    {202, ProfileTab::Audio, "CD/WAV音频格式", 2, ".wav", ".wav", "", "", true},
    {203, ProfileTab::Audio, "AAC音频格式", 3, ".m4a", ".m4a", "", "", true},
    {204, ProfileTab::Audio, "AC3音频格式", 4, ".ac3", ".ac3", "", "", true},
    {205, ProfileTab::Audio, "OGG音频格式", 5, ".ogg", ".ogg", "", "", true},
    {206, ProfileTab::Audio, "MP2音频格式", 6, ".mp2", ".mp2", "", "", true},
    {207, ProfileTab::Audio, "FLAC音频格式", 7, ".flac", ".flac", "", "", true},
    {208, ProfileTab::Audio, "RM音频格式", 8, ".rm", ".rm", "", "", true},
    {209, ProfileTab::Audio, "AMR（手机）音频格式", 9, ".amr", ".amr", "", "", true},
    {400, ProfileTab::Common, "标准MKV视频格式", 0, ".mkv", ".mkv", "", "", false},
    {401, ProfileTab::Common, "FHD全高清MKV视频", 1, ".mkv", ".mkv", "", "", false},
    {402, ProfileTab::Common, "网络上常用的MKV视频", 2, ".mkv", ".mkv", "", "", false},
    {403, ProfileTab::Common, "电脑适用MKV标准视频", 3, ".mkv", ".mkv", "", "", false},
    {404, ProfileTab::Common, "720P高清MKV视频", 4, ".mkv", ".mkv", "", "", false},
    {405, ProfileTab::Common, "1080P高清MKV视频", 5, ".mkv", ".mkv", "", "", false},
    {406, ProfileTab::Common, "高清MKV视频--2K", 6, ".mkv", ".mkv", "", "", false},
    {407, ProfileTab::Common, "高清MKV视频--4K", 7, ".mkv", ".mkv", "", "", false},
    {408, ProfileTab::Common, "高压缩的MKV视频", 8, ".mkv", ".mkv", "", "", false},
    {409, ProfileTab::Common, "高清的HD MKV视频", 9, ".mkv", ".mkv", "", "", false},
    {410, ProfileTab::Common, "AVI标准视频", 10, ".avi", ".avi", "", "", false},
    {411, ProfileTab::Common, "HD高清晰AVI标准视频", 11, ".avi", ".avi", "", "", false},
    {412, ProfileTab::Common, "VOB标准视频", 12, ".vob", ".vob", "", "", false},
    {413, ProfileTab::Common, "MPEG-4视频高清晰视频", 13, ".mp4", ".mp4", "", "", false},
    {414, ProfileTab::Common, "H.264高清视频", 14, ".mp4", ".mp4", "", "", false},
    {415, ProfileTab::Common, "MP4视频格式", 15, ".mp4", ".mp4", "", "", false},
    {416, ProfileTab::Common, "AVI视频格式", 16, ".avi", ".avi", "", "", false},
    {417, ProfileTab::Common, "MOV视频格式", 17, ".mov", ".mov", "mov", "", false},
    {418, ProfileTab::Common, "WMV视频格式", 18, ".wmv", ".wmv", "", "", false},
    {419, ProfileTab::Common, "VCD视频格式", 19, ".mpg", ".mpg", "", "vcd", false},
    {420, ProfileTab::Common, "DVD视频格式", 20, ".mpg", ".mpg", "", "dvd", false},
}};

static_assert(std::ranges::is_sorted(kCatalogue, {}, &TProfileEntry::Code));

}  // namespace

std::span<const ProfileTabInfo> profileTabs() {
    return kTabs;
}

const ProfileTabInfo& profileTabInfo(ProfileTab tab) {
    return *std::ranges::find(kTabs, tab, &ProfileTabInfo::tab);
}

std::span<const TProfileEntry> profileCatalogue() {
    return kCatalogue;
}

const TProfileEntry* findProfile(int code) {
    const auto it = std::ranges::lower_bound(kCatalogue, code, {}, &TProfileEntry::Code);
    return it != kCatalogue.end() && it->Code == code ? &*it : nullptr;
}

std::span<const TProfileEntry> profilesOnTab(ProfileTab tab) {
    const ProfileTabInfo& info = profileTabInfo(tab);
    const TProfileEntry* first = findProfile(info.base);
    return {first, static_cast<std::size_t>(info.count)};
}

std::optional<int> profileCodeAt(ProfileTab tab, int position) {
    const ProfileTabInfo& info = profileTabInfo(tab);
    if (position < 0 || position >= info.count) {
        return std::nullopt;
    }
    return info.base + position;
}

}  // namespace velmora
