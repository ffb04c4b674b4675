#include "profiles/OptionLists.h"

#include <algorithm>

namespace velmora {

namespace {

// Named lists. The entry texts are what the user sees and what the option resolution matches,
// so they are kept exactly, inner blanks and notes included.
constexpr std::string_view kVE1[] = {
    "Divx 5 视频压缩器", "MPEG4 视频压缩器", "XviD 视频压缩器1",      "XviD 视频压缩器2",
    "Divx 视频压缩器",   "Mjpeg 视频压缩器", "H264/AVC高清视频压缩器"};
constexpr std::string_view kVE2[] = {"MPEG4视频压缩器", "Divx 5 视频压缩器", "XviD 视频压缩器1",
                                     "XviD 视频压缩器2", "H264/AVC高清视频压缩器"};
constexpr std::string_view kVE3[] = {"MPEG4视频压缩器", "XviD 视频压缩器1", "XviD 视频压缩器2",
                                     "H264/AVC高清视频压缩器", "Divx 5 视频压缩器"};
constexpr std::string_view kVE4[] = {"MPEG4视频压缩器", "XviD 视频压缩器1", "XviD 视频压缩器2",
                                     "Divx 5 视频压缩器", "H264/AVC高清视频压缩器"};
constexpr std::string_view kVE5[] = {"FLASH格式视频压缩器"};
constexpr std::string_view kVE6[] = {"FLV格式视频压缩器"};
constexpr std::string_view kVE7[] = {"RM视频压缩器1", "RM视频压缩器2"};
constexpr std::string_view kVE8[] = {"QuickTime视频压缩器"};
constexpr std::string_view kVE9[] = {"MPEG视频压缩器"};
constexpr std::string_view kVE10[] = {"PAL_DVD视频压缩器", "NTSC_DVD视频压缩器"};
constexpr std::string_view kVE11[] = {"PAL_SVCD视频压缩器", "NTSC_SVCD视频压缩器"};
constexpr std::string_view kVE12[] = {"PAL_VCD视频压缩器", "NTSC_VCD视频压缩器"};
constexpr std::string_view kVE13[] = {"WMV视频压缩器"};
constexpr std::string_view kVE14[] = {"ASF视频压缩器"};
constexpr std::string_view kVE15[] = {"Mjpeg 视频压缩器"};
constexpr std::string_view kVE16[] = {"Divx 5 视频压缩器", "MPEG4 视频压缩器",
                                      "XviD 视频压缩器1",  "XviD 视频压缩器2",
                                      "Divx 视频压缩器",   "H264/AVC高清视频压缩器"};
constexpr std::string_view kVE17[] = {"H264/AVC高清视频压缩器", "Divx 5 视频压缩器",
                                      "MPEG4 视频压缩器",       "XviD 视频压缩器1",
                                      "XviD 视频压缩器2",       "Divx 视频压缩器"};
constexpr std::string_view kVE18[] = {"Divx 5 视频压缩器", "MPEG4视频压缩器", "XviD 视频压缩器1",
                                      "XviD 视频压缩器2", "H264/AVC高清视频压缩器"};
constexpr std::string_view kVE19[] = {
    "H264/AVC高清视频压缩器", "Divx 5 视频压缩器", "MPEG4 视频压缩器", "XviD 视频压缩器1",
    "XviD 视频压缩器2",       "Divx 视频压缩器",   "Mjpeg 视频压缩器"};
constexpr std::string_view kVE20[] = {"该格式无视频"};
constexpr std::string_view kVE21[] = {"H264/AVC高清视频压缩器", "MPEG4视频压缩器",
                                      "XviD 视频压缩器1", "XviD 视频压缩器2", "Divx 5 视频压缩器"};
constexpr std::string_view kVE22[] = {"VOB视频压缩器"};
constexpr std::string_view kVB1[] = {
    "128 kbps(超低质量)",  "288 kbps(低质量)",    "528 kbps(中等质量)",  "816 kbps(高质量)",
    "1200 kbps(很高质量)", "1600 kbps(极高质量)", "1800 kbps(极高质量)", "2000 kbps(极高质量)"};
constexpr std::string_view kVB2[] = {"216 kbps(超低质量)", "384 kbps(低质量)", "512 kbps(中等质量)",
                                     "768 kbps(高质量)", "1500 kbps(很高质量)"};
constexpr std::string_view kVB3[] = {
    "216 kbps(超低质量)",  "384 kbps(低质量)",    "512 kbps(中等质量)",  "768 kbps(高质量)",
    "1000 kbps(很高质量)", "1200 kbps(很高质量)", "1400 kbps(很高质量)", "1500 kbps(很高质量)",
    "1600 kbps(极高质量)", "1800 kbps(极高质量)", "2000 kbps(极高质量)", "2500 kbps(极高质量)"};
constexpr std::string_view kVB4[] = {
    "192 kbps (超低质量)",  "384 kbps (低质量)",    "600 kbps (中等质量)",
    "768 kbps (高质量)",    "1000 kbps (很高质量)", "1200 kbps (很高质量)",
    "1500 kbps (很高质量)", "1800 kbps(极高质量)",  "2000 kbps(极高质量)"};
constexpr std::string_view kVB5[] = {
    "192 kbps (超低质量)",  "384 kbps (低质量)",   "528 kbps (中等质量)",  "600 kbps (中等质量)",
    "768 kbps (高质量)",    "816 kbps (高质量)",   "1000 kbps (很高质量)", "1200 kbps (很高质量)",
    "1500 kbps (很高质量)", "1800 kbps(极高质量)", "2000 kbps(极高质量)"};
constexpr std::string_view kVB6[] = {
    "128 kbps(超低质量)",  "288 kbps(低质量)",    "528 kbps(低质量)",    "816 kbps(低质量)",
    "1200 kbps(一般质量)", "1600 kbps(一般质量)", "1800 kbps(一般质量)", "2000 kbps(中等质量)",
    "3000 kbps(高质量)",   "4000 kbps(高质量)",   "5000 kbps(极高质量)", "6000 kbps(极高质量)",
    "7000 kbps(极高质量)", "8000 kbps(极高质量)", "9000 kbps(极高质量)"};
constexpr std::string_view kVB7[] = {
    "128 kbps(超低质量)",  "288 kbps(低质量)",    "528 kbps(中等质量)",  "816 kbps(高质量)",
    "1000 kbps(高质量)",   "1200 kbps(很高质量)", "1600 kbps(极高质量)", "1800 kbps(极高质量)",
    "2000 kbps(极高质量)", "2500 kbps(极高质量)", "3000 kbps(极高质量)"};
constexpr std::string_view kVB8[] = {
    "192 kbps (超低质量)",  "384 kbps (低质量)",   "528 kbps (中等质量)",  "600 kbps (中等质量)",
    "768 kbps (高质量)",    "816 kbps (高质量)",   "1000 kbps (很高质量)", "1200 kbps (很高质量)",
    "1500 kbps (很高质量)", "1800 kbps(极高质量)", "2000 kbps(极高质量)",  "2500 kbps(极高质量)",
    "3000 kbps(极高质量)"};
constexpr std::string_view kVB9[] = {
    "768 kbps (高质量)",    "816 kbps (高质量)",   "1000 kbps (很高质量)", "1200 kbps (很高质量)",
    "1500 kbps (很高质量)", "1800 kbps(极高质量)", "2000 kbps(极高质量)",  "2500 kbps(极高质量)",
    "3000 kbps(极高质量)",  "3500 kbps(极高质量)"};
constexpr std::string_view kVB10[] = {
    "128 kbps(超低质量)",  "288 kbps(低质量)",    "528 kbps(中等质量)",  "816 kbps(高质量)",
    "1200 kbps(很高质量)", "1600 kbps(极高质量)", "1800 kbps(极高质量)", "2000 kbps(极高质量)",
    "2500 kbps(极高质量)", "3000 kbps(极高质量)"};
constexpr std::string_view kVB11[] = {
    "192 kbps (超低质量)",  "384 kbps (低质量)",   "528 kbps (中等质量)",  "600 kbps (中等质量)",
    "768 kbps (高质量)",    "816 kbps (高质量)",   "1000 kbps (很高质量)", "1200 kbps (很高质量)",
    "1500 kbps (很高质量)", "1800 kbps(极高质量)", "2000 kbps(极高质量)",  "2500 kbps(极高质量)",
    "3000 kbps(极高质量)",  "3500 kbps(极高质量)"};
constexpr std::string_view kVB12[] = {
    "128 kbps(超低质量)",  "288 kbps(低质量)",    "528 kbps(中等质量)",  "816 kbps(高质量)",
    "1000 kbps(高质量)",   "1200 kbps(很高质量)", "1600 kbps(极高质量)", "1800 kbps(极高质量)",
    "2000 kbps(极高质量)", "2500 kbps(极高质量)", "3000 kbps(极高质量)", "3500 kbps(极高质量)",
    "4000 kbps(极高质量)"};
constexpr std::string_view kVB13[] = {"无"};
constexpr std::string_view kVB14[] = {
    "128 kbps(超低质量)",  "288 kbps(低质量)",    "528 kbps(中等质量)",  "816 kbps(高质量)",
    "1200 kbps(很高质量)", "1600 kbps(极高质量)", "1800 kbps(极高质量)", "2000 kbps(极高质量)",
    "2500 kbps(极高质量)", "3000 kbps(极高质量)", "3500 kbps(极高质量)", "4000 kbps(极高质量)"};
constexpr std::string_view kFS1[] = {
    "保持原分辨率", "176*144", "240*176", "320*240", "352*240", "352*288", "384*288", "480*480",
    "480*576",      "640*368", "640*480", "704*480", "704*576", "720*480", "720*576", "1280*720"};
constexpr std::string_view kFS2[] = {
    "320*240 (PSP所有固件版本适用)", "368*208 (PSP 2.0或更高固件版本适用)",
    "480*272  (PSP 3.03或更高固件版本适用)", "720*480  (PSP 3.4或更高固件版本适用)"};
constexpr std::string_view kFS3[] = {"320*240 (PSP所有固件版本适用)",
                                     "368*208 (PSP 2.0或更高固件版本适用)",
                                     "480*272  (PSP 3.03或更高固件版本适用)",
                                     "640*480  (PSP 3.03或更高固件版本适用)",
                                     "720*480  (标清SD格式)",
                                     "1280*720  (高清晰HD格式)",
                                     "1920*1080  (高清晰HD格式)"};
constexpr std::string_view kFS4[] = {"128*96",  "176*144", "160*120", "320*240",
                                     "352*288", "368*208", "640*480"};
constexpr std::string_view kFS5[] = {
    "保持原分辨率", "176*144",   "240*176",   "320*240",   "352*240",   "352*288",   "384*288",
    "480*480",      "480*576",   "640*368",   "640*480",   "704*480",   "704*576",   "720*480",
    "720*576",      "1024*768",  "1280*720",  "1280*1024", "1600*1024", "1600*1200", "1920*1080",
    "1920*1200",    "1920*1600", "2048*1536", "2560*1600"};
constexpr std::string_view kFS6[] = {
    "保持原分辨率", "1024*768",  "1280*720",  "1280*1024", "1600*1024", "1600*1200", "1920*1080",
    "1920*1200",    "1920*1600", "2048*1536", "2560*1600", "3656*2664", "4096*3112"};
constexpr std::string_view kFS7[] = {"保持原分辨率", "640*480",   "704*480",   "704*576",
                                     "720*480",      "720*576",   "1024*768",  "1280*720",
                                     "1280*1024",    "1600*1024", "1600*1200", "1920*1080",
                                     "1920*1200",    "1920*1600", "2048*1536", "2560*1600"};
constexpr std::string_view kFS8[] = {"保持原分辨率", "1024*768",  "1280*720",  "1280*1024",
                                     "1600*1024",    "1600*1200", "1920*1080", "1920*1200",
                                     "1920*1600",    "2048*1536", "2560*1600"};
constexpr std::string_view kFS9[] = {"无"};
constexpr std::string_view kFS10[] = {
    "保持原分辨率", "176*144",   "240*176",   "320*240",   "352*240",   "352*288",
    "384*288",      "480*480",   "480*576",   "640*368",   "640*480",   "704*480",
    "704*576",      "720*480",   "720*576",   "1280*720",  "1280*1024", "1600*1024",
    "1600*1200",    "1920*1080", "1920*1200", "1920*1600", "2048*1536", "2560*1600"};
constexpr std::string_view kFS11[] = {"保持原分辨率", "640*480",   "704*480",   "704*576",
                                      "720*480",      "720*576",   "1280*720",  "1280*1024",
                                      "1600*1024",    "1600*1200", "1920*1080", "1920*1200",
                                      "1920*1600",    "2048*1536", "2560*1600"};
constexpr std::string_view kFS12[] = {
    "保持原分辨率", "640*480",   "704*480",   "704*576",   "720*480",   "720*576",
    "1280*720",     "1280*1024", "1600*1024", "1600*1200", "1920*1080", "1920*1200",
    "1920*1600",    "2048*1536", "2560*1600", "3656*2664", "4096*3112"};
constexpr std::string_view kFR1[] = {"保持原帧速率", "10.00", "13.00", "15.00", "18.00", "20.00",
                                     "23.00",        "23.97", "24.00", "25.00", "29.97", "30.00"};
constexpr std::string_view kFR2[] = {"15.00", "23.98", "29.97"};
constexpr std::string_view kFR3[] = {"20.00", "23.97", "23.98", "24.00", "25.00", "29.97", "30.00"};
constexpr std::string_view kFR4[] = {"10", "12", "15", "20", "23.98", "24", "25", "29.97", "30"};
constexpr std::string_view kFR5[] = {"保持原帧速率", "10.00", "13.00", "15.00", "18.00", "20.00",
                                     "23.00",        "23.97", "24.00", "25.00", "30.00"};
constexpr std::string_view kFR6[] = {"无"};
constexpr std::string_view kAE1[] = {"MP3音频编码器", "Flac音频编码器", "AAC音频编码器",
                                     "AC3音频编码器"};
constexpr std::string_view kAE2[] = {"AAC音频编码器"};
constexpr std::string_view kAE3[] = {"自动音频编码器"};
constexpr std::string_view kAE4[] = {"AAC音频编码器", "MP3音频编码器", "Flac音频编码器",
                                     "AC3音频编码器"};
constexpr std::string_view kAE5[] = {"MP2音频编码器", "MP3音频编码器", "Flac音频编码器",
                                     "AAC音频编码器", "AC3音频编码器"};
constexpr std::string_view kAE6[] = {"WMV音频编码器"};
constexpr std::string_view kAE7[] = {"ASF音频编码器1", "ASF音频编码器2"};
constexpr std::string_view kAE8[] = {"MP3音频编码器"};
constexpr std::string_view kAE9[] = {"AAC音频编码器", "MP3音频编码器"};
constexpr std::string_view kAE10[] = {"WMA音频编码器"};
constexpr std::string_view kAE11[] = {"WAVE音频编码器"};
constexpr std::string_view kAE12[] = {"AC3音频编码器"};
constexpr std::string_view kAE13[] = {"OGG音频编码器"};
constexpr std::string_view kAE14[] = {"MP2音频编码器"};
constexpr std::string_view kAE15[] = {"Flac音频编码器"};
constexpr std::string_view kAE16[] = {"RM音频编码器"};
constexpr std::string_view kAE17[] = {"AMR音频编码器"};
constexpr std::string_view kAE18[] = {"VOB音频编码器", "MP3音频编码器", "Flac音频编码器",
                                      "AAC音频编码器", "AC3音频编码器"};
constexpr std::string_view kAB1[] = {"16",  "24",  "32",  "40",  "48",  "56",  "64",  "80", "96",
                                     "112", "128", "144", "160", "192", "224", "256", "320"};
constexpr std::string_view kAB2[] = {"64", "96", "128"};
constexpr std::string_view kAB3[] = {"64", "96", "128", "144", "160", "192", "224", "256", "320"};
constexpr std::string_view kAB4[] = {"自动音频比特率"};
constexpr std::string_view kAB5[] = {"4.75", "5.15", "5.9", "6.7", "7.4", "7.95", "10.2", "12.2"};
constexpr std::string_view kAR1[] = {"11025", "16000", "22050", "32000", "44100", "48000"};
constexpr std::string_view kAR2[] = {"24000"};
constexpr std::string_view kAR3[] = {"24000", "32000", "44100", "48000"};
constexpr std::string_view kAR4[] = {"44100", "48000"};
constexpr std::string_view kAR5[] = {"11025", "22050", "44100"};
constexpr std::string_view kAR6[] = {"自动音频采样率"};
constexpr std::string_view kAR7[] = {"11025", "22050", "44100", "48000"};
constexpr std::string_view kAR8[] = {"11025", "22050", "32000", "44100", "48000"};
constexpr std::string_view kAR9[] = {"8000"};
constexpr std::string_view kSM1[] = {"普通视频4:3模式", "宽屏视频16:9模式"};
constexpr std::string_view kSM2[] = {"无"};
constexpr std::string_view kVOL1[] = {
    "无声音",      "音量降低90%", "音量降低80%", "音量降低70%",   "音量降低60%",  "音量降低50%",
    "音量降低40%", "音量降低30%", "音量降低20%", "音量降低10%",   "音量保持不变", "音量增加10%",
    "音量增加20%", "音量增加30%", "音量增加40%", "音量增加50%",   "音量增加60%",  "音量增加70%",
    "音量增加80%", "音量增加90%", "音量增加1倍", "音量增加1.5倍", "音量增加2倍",  "音量增加3倍",
    "音量增加4倍", "音量增加5倍", "音量增加6倍", "音量增加7倍"};
constexpr std::string_view kCH1[] = {"立体声", "单声道"};
constexpr std::string_view kCH2[] = {"单声道"};

constexpr OptionList VE1{"VE1", kVE1};
constexpr OptionList VE2{"VE2", kVE2};
constexpr OptionList VE3{"VE3", kVE3};
constexpr OptionList VE4{"VE4", kVE4};
constexpr OptionList VE5{"VE5", kVE5};
constexpr OptionList VE6{"VE6", kVE6};
constexpr OptionList VE7{"VE7", kVE7};
constexpr OptionList VE8{"VE8", kVE8};
constexpr OptionList VE9{"VE9", kVE9};
constexpr OptionList VE10{"VE10", kVE10};
constexpr OptionList VE11{"VE11", kVE11};
constexpr OptionList VE12{"VE12", kVE12};
constexpr OptionList VE13{"VE13", kVE13};
constexpr OptionList VE14{"VE14", kVE14};
constexpr OptionList VE15{"VE15", kVE15};
constexpr OptionList VE16{"VE16", kVE16};
constexpr OptionList VE17{"VE17", kVE17};
constexpr OptionList VE18{"VE18", kVE18};
constexpr OptionList VE19{"VE19", kVE19};
constexpr OptionList VE20{"VE20", kVE20};
constexpr OptionList VE21{"VE21", kVE21};
constexpr OptionList VE22{"VE22", kVE22};
constexpr OptionList VB1{"VB1", kVB1};
constexpr OptionList VB2{"VB2", kVB2};
constexpr OptionList VB3{"VB3", kVB3};
constexpr OptionList VB4{"VB4", kVB4};
constexpr OptionList VB5{"VB5", kVB5};
constexpr OptionList VB6{"VB6", kVB6};
constexpr OptionList VB7{"VB7", kVB7};
constexpr OptionList VB8{"VB8", kVB8};
constexpr OptionList VB9{"VB9", kVB9};
constexpr OptionList VB10{"VB10", kVB10};
constexpr OptionList VB11{"VB11", kVB11};
constexpr OptionList VB12{"VB12", kVB12};
constexpr OptionList VB13{"VB13", kVB13};
constexpr OptionList VB14{"VB14", kVB14};
constexpr OptionList FS1{"FS1", kFS1};
constexpr OptionList FS2{"FS2", kFS2};
constexpr OptionList FS3{"FS3", kFS3};
constexpr OptionList FS4{"FS4", kFS4};
constexpr OptionList FS5{"FS5", kFS5};
constexpr OptionList FS6{"FS6", kFS6};
constexpr OptionList FS7{"FS7", kFS7};
constexpr OptionList FS8{"FS8", kFS8};
constexpr OptionList FS9{"FS9", kFS9};
constexpr OptionList FS10{"FS10", kFS10};
constexpr OptionList FS11{"FS11", kFS11};
constexpr OptionList FS12{"FS12", kFS12};
constexpr OptionList FR1{"FR1", kFR1};
constexpr OptionList FR2{"FR2", kFR2};
constexpr OptionList FR3{"FR3", kFR3};
constexpr OptionList FR4{"FR4", kFR4};
constexpr OptionList FR5{"FR5", kFR5};
constexpr OptionList FR6{"FR6", kFR6};
constexpr OptionList AE1{"AE1", kAE1};
constexpr OptionList AE2{"AE2", kAE2};
constexpr OptionList AE3{"AE3", kAE3};
constexpr OptionList AE4{"AE4", kAE4};
constexpr OptionList AE5{"AE5", kAE5};
constexpr OptionList AE6{"AE6", kAE6};
constexpr OptionList AE7{"AE7", kAE7};
constexpr OptionList AE8{"AE8", kAE8};
constexpr OptionList AE9{"AE9", kAE9};
constexpr OptionList AE10{"AE10", kAE10};
constexpr OptionList AE11{"AE11", kAE11};
constexpr OptionList AE12{"AE12", kAE12};
constexpr OptionList AE13{"AE13", kAE13};
constexpr OptionList AE14{"AE14", kAE14};
constexpr OptionList AE15{"AE15", kAE15};
constexpr OptionList AE16{"AE16", kAE16};
constexpr OptionList AE17{"AE17", kAE17};
constexpr OptionList AE18{"AE18", kAE18};
constexpr OptionList AB1{"AB1", kAB1};
constexpr OptionList AB2{"AB2", kAB2};
constexpr OptionList AB3{"AB3", kAB3};
constexpr OptionList AB4{"AB4", kAB4};
constexpr OptionList AB5{"AB5", kAB5};
constexpr OptionList AR1{"AR1", kAR1};
constexpr OptionList AR2{"AR2", kAR2};
constexpr OptionList AR3{"AR3", kAR3};
constexpr OptionList AR4{"AR4", kAR4};
constexpr OptionList AR5{"AR5", kAR5};
constexpr OptionList AR6{"AR6", kAR6};
constexpr OptionList AR7{"AR7", kAR7};
constexpr OptionList AR8{"AR8", kAR8};
constexpr OptionList AR9{"AR9", kAR9};
constexpr OptionList SM1{"SM1", kSM1};
constexpr OptionList SM2{"SM2", kSM2};
constexpr OptionList VOL1{"VOL1", kVOL1};
constexpr OptionList CH1{"CH1", kCH1};
constexpr OptionList CH2{"CH2", kCH2};

constexpr std::array kAllLists{
    &VE1,  &VE2,  &VE3,  &VE4,  &VE5,  &VE6,  &VE7,  &VE8,  &VE9,  &VE10, &VE11, &VE12, &VE13,
    &VE14, &VE15, &VE16, &VE17, &VE18, &VE19, &VE20, &VE21, &VE22, &VB1,  &VB2,  &VB3,  &VB4,
    &VB5,  &VB6,  &VB7,  &VB8,  &VB9,  &VB10, &VB11, &VB12, &VB13, &VB14, &FS1,  &FS2,  &FS3,
    &FS4,  &FS5,  &FS6,  &FS7,  &FS8,  &FS9,  &FS10, &FS11, &FS12, &FR1,  &FR2,  &FR3,  &FR4,
    &FR5,  &FR6,  &AE1,  &AE2,  &AE3,  &AE4,  &AE5,  &AE6,  &AE7,  &AE8,  &AE9,  &AE10, &AE11,
    &AE12, &AE13, &AE14, &AE15, &AE16, &AE17, &AE18, &AB1,  &AB2,  &AB3,  &AB4,  &AB5,  &AR1,
    &AR2,  &AR3,  &AR4,  &AR5,  &AR6,  &AR7,  &AR8,  &AR9,  &SM1,  &SM2,  &VOL1, &CH1,  &CH2};

// The frame sizes offered once a profile 100/101 job switches to one of the older encoders.
constexpr std::string_view kDivxSizes[] = {"128*96", "176*144", "352*288", "704*576"};
constexpr std::string_view kXvidSizes[] = {"112*96",  "128*96",  "160*112", "160*120",
                                           "176*144", "192*144", "208*176", "220*176",
                                           "320*208", "320*224", "320*240"};
constexpr OptionList DivxSizes{"FS-Divx", kDivxSizes};
constexpr OptionList XvidSizes{"FS-XviD", kXvidSizes};

struct ProfileRow {
    int firstCode;
    int lastCode;
    ProfileOptionChoices choices;
};

// One row per profile or run of profiles sharing every choice; columns in OptionKind order.
// clang-format off
constexpr ProfileRow kProfileRows[] = {
    {1, 3, {{{&VE1, "Divx 5 视频压缩器"}, {&VB1, "528 kbps(中等质量)"}, {&FS1, "320*240"}, {&FR1, "25.00"},
              {&AE1, "MP3音频编码器"}, {&AB1, "128"}, {&AR1, "44100"}, {&SM1, "普通视频4:3模式"}, {&VOL1, "音量保持不变"}, {&CH1, "立体声"}}}},
    {4, 4, {{{&VE2, "MPEG4视频压缩器"}, {&VB2, "512 kbps(中等质量)"}, {&FS2, "320*240 (PSP所有固件版本适用)"}, {&FR2, "29.97"},
              {&AE2, "AAC音频编码器"}, {&AB2, "128"}, {&AR2, "24000"}, {&SM1, "普通视频4:3模式"}, {&VOL1, "音量保持不变"}, {&CH1, "立体声"}}}},
    {5, 5, {{{&VE3, "MPEG4视频压缩器"}, {&VB3, "768 kbps(高质量)"}, {&FS3, "720*480  (标清SD格式)"}, {&FR3, "29.97"},
              {&AE2, "AAC音频编码器"}, {&AB2, "128"}, {&AR3, "48000"}, {&SM1, "普通视频4:3模式"}, {&VOL1, "音量保持不变"}, {&CH1, "立体声"}}}},
    {6, 9, {{{&VE4, "MPEG4视频压缩器"}, {&VB4, "600 kbps (中等质量)"}, {&FS4, "320*240"}, {&FR4, "25"},
              {&AE2, "AAC音频编码器"}, {&AB2, "128"}, {&AR3, "48000"}, {&SM1, "普通视频4:3模式"}, {&VOL1, "音量保持不变"}, {&CH1, "立体声"}}}},
    {10, 10, {{{&VE4, "MPEG4视频压缩器"}, {&VB5, "600 kbps (中等质量)"}, {&FS4, "320*240"}, {&FR4, "25"},
              {&AE1, "MP3音频编码器"}, {&AB1, "128"}, {&AR1, "44100"}, {&SM1, "普通视频4:3模式"}, {&VOL1, "音量保持不变"}, {&CH1, "立体声"}}}},
    {11, 11, {{{&VE4, "H264/AVC高清视频压缩器"}, {&VB4, "600 kbps (中等质量)"}, {&FS4, "320*240"}, {&FR4, "25"},
              {&AE1, "MP3音频编码器"}, {&AB3, "128"}, {&AR4, "48000"}, {&SM1, "普通视频4:3模式"}, {&VOL1, "音量保持不变"}, {&CH1, "立体声"}}}},
    {12, 12, {{{&VE4, "MPEG4视频压缩器"}, {&VB5, "600 kbps (中等质量)"}, {&FS4, "320*240"}, {&FR4, "25"},
              {&AE1, "MP3音频编码器"}, {&AB1, "128"}, {&AR1, "44100"}, {&SM1, "普通视频4:3模式"}, {&VOL1, "音量保持不变"}, {&CH1, "立体声"}}}},
    {13, 13, {{{&VE5, "FLASH格式视频压缩器"}, {&VB1, "528 kbps(中等质量)"}, {&FS1, "320*240"}, {&FR1, "25.00"},
              {&AE1, "MP3音频编码器"}, {&AB1, "128"}, {&AR5, "22050"}, {&SM1, "普通视频4:3模式"}, {&VOL1, "音量保持不变"}, {&CH1, "立体声"}}}},
    {14, 14, {{{&VE6, "FLV格式视频压缩器"}, {&VB1, "528 kbps(中等质量)"}, {&FS1, "320*240"}, {&FR1, "25.00"},
              {&AE1, "MP3音频编码器"}, {&AB1, "128"}, {&AR5, "22050"}, {&SM1, "普通视频4:3模式"}, {&VOL1, "音量保持不变"}, {&CH1, "立体声"}}}},
    {15, 15, {{{&VE7, "RM视频压缩器1"}, {&VB1, "528 kbps(中等质量)"}, {&FS1, "保持原分辨率"}, {&FR1, "保持原帧速率"},
              {&AE3, "自动音频编码器"}, {&AB4, "自动音频比特率"}, {&AR6, "自动音频采样率"}, {&SM1, "普通视频4:3模式"}, {&VOL1, "音量保持不变"}, {&CH1, "立体声"}}}},
    {16, 16, {{{&VE4, "MPEG4视频压缩器"}, {&VB1, "528 kbps(中等质量)"}, {&FS1, "320*240"}, {&FR1, "25.00"},
              {&AE1, "MP3音频编码器"}, {&AB1, "128"}, {&AR5, "22050"}, {&SM1, "普通视频4:3模式"}, {&VOL1, "音量保持不变"}, {&CH1, "立体声"}}}},
    {17, 17, {{{&VE8, "QuickTime视频压缩器"}, {&VB1, "528 kbps(中等质量)"}, {&FS1, "320*240"}, {&FR1, "25.00"},
              {&AE4, "AAC音频编码器"}, {&AB1, "128"}, {&AR7, "22050"}, {&SM1, "普通视频4:3模式"}, {&VOL1, "音量保持不变"}, {&CH1, "立体声"}}}},
    {18, 18, {{{&VE9, "MPEG视频压缩器"}, {&VB1, "528 kbps(中等质量)"}, {&FS1, "320*240"}, {&FR5, "25.00"},
              {&AE5, "MP2音频编码器"}, {&AB1, "128"}, {&AR8, "44100"}, {&SM1, "普通视频4:3模式"}, {&VOL1, "音量保持不变"}, {&CH1, "立体声"}}}},
    {19, 19, {{{&VE10, "PAL_DVD视频压缩器"}, {&VB1, "528 kbps(中等质量)"}, {&FS1, "720*480"}, {&FR1, "25.00"},
              {&AE1, "MP3音频编码器"}, {&AB1, "128"}, {&AR7, "44100"}, {&SM1, "普通视频4:3模式"}, {&VOL1, "音量保持不变"}, {&CH1, "立体声"}}}},
    {20, 20, {{{&VE11, "PAL_SVCD视频压缩器"}, {&VB1, "528 kbps(中等质量)"}, {&FS1, "480*480"}, {&FR1, "25.00"},
              {&AE1, "MP3音频编码器"}, {&AB1, "128"}, {&AR7, "48000"}, {&SM1, "普通视频4:3模式"}, {&VOL1, "音量保持不变"}, {&CH1, "立体声"}}}},
    {21, 21, {{{&VE12, "PAL_VCD视频压缩器"}, {&VB1, "528 kbps(中等质量)"}, {&FS1, "320*240"}, {&FR1, "25.00"},
              {&AE1, "MP3音频编码器"}, {&AB1, "128"}, {&AR7, "48000"}, {&SM1, "普通视频4:3模式"}, {&VOL1, "音量保持不变"}, {&CH1, "立体声"}}}},
    {22, 22, {{{&VE13, "WMV视频压缩器"}, {&VB1, "528 kbps(中等质量)"}, {&FS1, "320*240"}, {&FR1, "25.00"},
              {&AE6, "WMV音频编码器"}, {&AB1, "128"}, {&AR7, "48000"}, {&SM1, "普通视频4:3模式"}, {&VOL1, "音量保持不变"}, {&CH1, "立体声"}}}},
    {23, 23, {{{&VE14, "ASF视频压缩器"}, {&VB1, "528 kbps(中等质量)"}, {&FS1, "320*240"}, {&FR1, "25.00"},
              {&AE7, "ASF音频编码器1"}, {&AB1, "128"}, {&AR7, "48000"}, {&SM1, "普通视频4:3模式"}, {&VOL1, "音量保持不变"}, {&CH1, "立体声"}}}},
    {24, 24, {{{&VE15, "Mjpeg 视频压缩器"}, {&VB6, "3000 kbps(高质量)"}, {&FS1, "320*240"}, {&FR1, "保持原帧速率"},
              {&AE8, "MP3音频编码器"}, {&AB1, "128"}, {&AR1, "44100"}, {&SM1, "普通视频4:3模式"}, {&VOL1, "音量保持不变"}, {&CH1, "立体声"}}}},
    {100, 100, {{{&VE16, "Divx 5 视频压缩器"}, {&VB7, "1000 kbps(高质量)"}, {&FS5, "保持原分辨率"}, {&FR1, "25.00"},
              {&AE4, "AAC音频编码器"}, {&AB1, "128"}, {&AR1, "44100"}, {&SM1, "宽屏视频16:9模式"}, {&VOL1, "音量保持不变"}, {&CH1, "立体声"}}}},
    {101, 101, {{{&VE17, "H264/AVC高清视频压缩器"}, {&VB7, "1600 kbps(极高质量)"}, {&FS5, "保持原分辨率"}, {&FR1, "保持原帧速率"},
              {&AE4, "AAC音频编码器"}, {&AB1, "192"}, {&AR1, "48000"}, {&SM1, "宽屏视频16:9模式"}, {&VOL1, "音量保持不变"}, {&CH1, "立体声"}}}},
    {102, 102, {{{&VE18, "MPEG4视频压缩器"}, {&VB8, "1000 kbps (很高质量)"}, {&FS5, "704*480"}, {&FR4, "25"},
              {&AE1, "MP3音频编码器"}, {&AB1, "128"}, {&AR1, "44100"}, {&SM1, "宽屏视频16:9模式"}, {&VOL1, "音量保持不变"}, {&CH1, "立体声"}}}},
    {103, 103, {{{&VE16, "MPEG4 视频压缩器"}, {&VB7, "1200 kbps(很高质量)"}, {&FS5, "保持原分辨率"}, {&FR1, "25.00"},
              {&AE1, "MP3音频编码器"}, {&AB1, "128"}, {&AR1, "44100"}, {&SM1, "宽屏视频16:9模式"}, {&VOL1, "音量保持不变"}, {&CH1, "立体声"}}}},
    {104, 104, {{{&VE18, "MPEG4视频压缩器"}, {&VB8, "1200 kbps (很高质量)"}, {&FS5, "1024*768"}, {&FR4, "25"},
              {&AE1, "AAC音频编码器"}, {&AB1, "128"}, {&AR1, "44100"}, {&SM1, "宽屏视频16:9模式"}, {&VOL1, "音量保持不变"}, {&CH1, "立体声"}}}},
    {105, 105, {{{&VE18, "MPEG4视频压缩器"}, {&VB9, "1800 kbps(极高质量)"}, {&FS5, "1920*1080"}, {&FR4, "29.97"},
              {&AE1, "MP3音频编码器"}, {&AB1, "128"}, {&AR1, "44100"}, {&SM1, "宽屏视频16:9模式"}, {&VOL1, "音量保持不变"}, {&CH1, "立体声"}}}},
    {106, 106, {{{&VE8, "QuickTime视频压缩器"}, {&VB7, "1000 kbps(高质量)"}, {&FS5, "保持原分辨率"}, {&FR1, "保持原帧速率"},
              {&AE9, "AAC音频编码器"}, {&AB1, "128"}, {&AR7, "22050"}, {&SM1, "宽屏视频16:9模式"}, {&VOL1, "音量保持不变"}, {&CH1, "立体声"}}}},
    {107, 107, {{{&VE4, "MPEG4视频压缩器"}, {&VB10, "1200 kbps(很高质量)"}, {&FS5, "保持原分辨率"}, {&FR1, "保持原帧速率"},
              {&AE1, "AAC音频编码器"}, {&AB1, "128"}, {&AR5, "22050"}, {&SM1, "宽屏视频16:9模式"}, {&VOL1, "音量保持不变"}, {&CH1, "立体声"}}}},
    {108, 108, {{{&VE17, "H264/AVC高清视频压缩器"}, {&VB7, "1600 kbps(极高质量)"}, {&FS5, "保持原分辨率"}, {&FR1, "保持原帧速率"},
              {&AE1, "AAC音频编码器"}, {&AB1, "128"}, {&AR1, "44100"}, {&SM1, "宽屏视频16:9模式"}, {&VOL1, "音量保持不变"}, {&CH1, "立体声"}}}},
    {109, 109, {{{&VE18, "MPEG4视频压缩器"}, {&VB8, "1200 kbps (很高质量)"}, {&FS5, "保持原分辨率"}, {&FR4, "25"},
              {&AE1, "MP3音频编码器"}, {&AB1, "128"}, {&AR1, "44100"}, {&SM1, "宽屏视频16:9模式"}, {&VOL1, "音量保持不变"}, {&CH1, "立体声"}}}},
    {110, 110, {{{&VE17, "XviD 视频压缩器1"}, {&VB7, "1800 kbps(极高质量)"}, {&FS5, "1280*1024"}, {&FR1, "30.00"},
              {&AE1, "MP3音频编码器"}, {&AB1, "128"}, {&AR1, "44100"}, {&SM1, "宽屏视频16:9模式"}, {&VOL1, "音量保持不变"}, {&CH1, "立体声"}}}},
    {111, 111, {{{&VE18, "H264/AVC高清视频压缩器"}, {&VB8, "1200 kbps (很高质量)"}, {&FS5, "1024*768"}, {&FR4, "25"},
              {&AE4, "AAC音频编码器"}, {&AB1, "128"}, {&AR1, "44100"}, {&SM1, "普通视频4:3模式"}, {&VOL1, "音量保持不变"}, {&CH1, "立体声"}}}},
    {112, 112, {{{&VE18, "MPEG4视频压缩器"}, {&VB8, "1200 kbps (很高质量)"}, {&FS5, "1024*768"}, {&FR4, "25"},
              {&AE1, "MP3音频编码器"}, {&AB1, "128"}, {&AR1, "44100"}, {&SM1, "普通视频4:3模式"}, {&VOL1, "音量保持不变"}, {&CH1, "立体声"}}}},
    {113, 113, {{{&VE18, "H264/AVC高清视频压缩器"}, {&VB11, "1800 kbps(极高质量)"}, {&FS5, "1920*1080"}, {&FR4, "30"},
              {&AE4, "AAC音频编码器"}, {&AB1, "128"}, {&AR1, "44100"}, {&SM1, "宽屏视频16:9模式"}, {&VOL1, "音量保持不变"}, {&CH1, "立体声"}}}},
    {114, 114, {{{&VE17, "Divx 5 视频压缩器"}, {&VB7, "1600 kbps(极高质量)"}, {&FS5, "1920*1080"}, {&FR1, "29.97"},
              {&AE4, "AAC音频编码器"}, {&AB1, "128"}, {&AR1, "44100"}, {&SM1, "宽屏视频16:9模式"}, {&VOL1, "音量保持不变"}, {&CH1, "立体声"}}}},
    {115, 115, {{{&VE17, "MPEG4 视频压缩器"}, {&VB12, "1600 kbps(极高质量)"}, {&FS6, "4096*3112"}, {&FR1, "29.97"},
              {&AE4, "AAC音频编码器"}, {&AB1, "128"}, {&AR1, "44100"}, {&SM1, "宽屏视频16:9模式"}, {&VOL1, "音量保持不变"}, {&CH1, "立体声"}}}},
    {116, 116, {{{&VE18, "MPEG4视频压缩器"}, {&VB8, "1500 kbps (很高质量)"}, {&FS7, "保持原分辨率"}, {&FR4, "25"},
              {&AE1, "MP3音频编码器"}, {&AB1, "128"}, {&AR1, "44100"}, {&SM1, "宽屏视频16:9模式"}, {&VOL1, "音量保持不变"}, {&CH1, "立体声"}}}},
    {117, 117, {{{&VE4, "H264/AVC高清视频压缩器"}, {&VB10, "1600 kbps(极高质量)"}, {&FS8, "1920*1080"}, {&FR1, "保持原帧速率"},
              {&AE4, "AAC音频编码器"}, {&AB1, "128"}, {&AR5, "22050"}, {&SM1, "宽屏视频16:9模式"}, {&VOL1, "音量保持不变"}, {&CH1, "立体声"}}}},
    {118, 118, {{{&VE18, "XviD 视频压缩器1"}, {&VB8, "1200 kbps (很高质量)"}, {&FS5, "1024*768"}, {&FR4, "29.97"},
              {&AE1, "AAC音频编码器"}, {&AB1, "128"}, {&AR1, "44100"}, {&SM1, "宽屏视频16:9模式"}, {&VOL1, "音量保持不变"}, {&CH1, "立体声"}}}},
    {119, 119, {{{&VE19, "XviD 视频压缩器2"}, {&VB7, "1600 kbps(极高质量)"}, {&FS5, "1280*1024"}, {&FR1, "29.97"},
              {&AE1, "MP3音频编码器"}, {&AB1, "128"}, {&AR1, "44100"}, {&SM1, "宽屏视频16:9模式"}, {&VOL1, "音量保持不变"}, {&CH1, "立体声"}}}},
    {200, 200, {{{&VE20, "该格式无视频"}, {&VB13, "无"}, {&FS9, "无"}, {&FR6, "无"},
              {&AE8, "MP3音频编码器"}, {&AB1, "128"}, {&AR7, "48000"}, {&SM2, "无"}, {&VOL1, "音量保持不变"}, {&CH1, "立体声"}}}},
    {201, 201, {{{&VE20, "该格式无视频"}, {&VB13, "无"}, {&FS9, "无"}, {&FR6, "无"},
              {&AE10, "WMA音频编码器"}, {&AB1, "128"}, {&AR7, "48000"}, {&SM2, "无"}, {&VOL1, "音量保持不变"}, {&CH1, "立体声"}}}},
    {202, 202, {{{&VE20, "该格式无视频"}, {&VB13, "无"}, {&FS9, "无"}, {&FR6, "无"},
              {&AE11, "WAVE音频编码器"}, {&AB1, "128"}, {&AR7, "48000"}, {&SM2, "无"}, {&VOL1, "音量保持不变"}, {&CH1, "立体声"}}}},
    {203, 203, {{{&VE20, "该格式无视频"}, {&VB13, "无"}, {&FS9, "无"}, {&FR6, "无"},
              {&AE2, "AAC音频编码器"}, {&AB1, "128"}, {&AR7, "48000"}, {&SM2, "无"}, {&VOL1, "音量保持不变"}, {&CH1, "立体声"}}}},
    {204, 204, {{{&VE20, "该格式无视频"}, {&VB13, "无"}, {&FS9, "无"}, {&FR6, "无"},
              {&AE12, "AC3音频编码器"}, {&AB1, "128"}, {&AR7, "48000"}, {&SM2, "无"}, {&VOL1, "音量保持不变"}, {&CH1, "立体声"}}}},
    {205, 205, {{{&VE20, "该格式无视频"}, {&VB13, "无"}, {&FS9, "无"}, {&FR6, "无"},
              {&AE13, "OGG音频编码器"}, {&AB1, "128"}, {&AR7, "48000"}, {&SM2, "无"}, {&VOL1, "音量保持不变"}, {&CH1, "立体声"}}}},
    {206, 206, {{{&VE20, "该格式无视频"}, {&VB13, "无"}, {&FS9, "无"}, {&FR6, "无"},
              {&AE14, "MP2音频编码器"}, {&AB1, "128"}, {&AR8, "44100"}, {&SM2, "无"}, {&VOL1, "音量保持不变"}, {&CH1, "立体声"}}}},
    {207, 207, {{{&VE20, "该格式无视频"}, {&VB13, "无"}, {&FS9, "无"}, {&FR6, "无"},
              {&AE15, "Flac音频编码器"}, {&AB1, "128"}, {&AR7, "48000"}, {&SM2, "无"}, {&VOL1, "音量保持不变"}, {&CH1, "立体声"}}}},
    {208, 208, {{{&VE20, "该格式无视频"}, {&VB13, "无"}, {&FS9, "无"}, {&FR6, "无"},
              {&AE16, "RM音频编码器"}, {&AB1, "128"}, {&AR7, "48000"}, {&SM2, "无"}, {&VOL1, "音量保持不变"}, {&CH1, "立体声"}}}},
    {209, 209, {{{&VE20, "该格式无视频"}, {&VB13, "无"}, {&FS9, "无"}, {&FR6, "无"},
              {&AE17, "AMR音频编码器"}, {&AB5, "7.4"}, {&AR9, "8000"}, {&SM2, "无"}, {&VOL1, "音量保持不变"}, {&CH2, "单声道"}}}},
    {400, 400, {{{&VE4, "MPEG4视频压缩器"}, {&VB10, "1200 kbps(很高质量)"}, {&FS5, "保持原分辨率"}, {&FR1, "保持原帧速率"},
              {&AE1, "AAC音频编码器"}, {&AB1, "128"}, {&AR5, "22050"}, {&SM1, "宽屏视频16:9模式"}, {&VOL1, "音量保持不变"}, {&CH1, "立体声"}}}},
    {401, 401, {{{&VE4, "MPEG4视频压缩器"}, {&VB10, "2000 kbps(极高质量)"}, {&FS5, "1920*1080"}, {&FR1, "保持原帧速率"},
              {&AE1, "AAC音频编码器"}, {&AB1, "128"}, {&AR5, "22050"}, {&SM1, "宽屏视频16:9模式"}, {&VOL1, "音量保持不变"}, {&CH1, "立体声"}}}},
    {402, 402, {{{&VE21, "H264/AVC高清视频压缩器"}, {&VB1, "1200 kbps(很高质量)"}, {&FS1, "720*480"}, {&FR1, "25.00"},
              {&AE1, "MP3音频编码器"}, {&AB1, "128"}, {&AR5, "22050"}, {&SM1, "普通视频4:3模式"}, {&VOL1, "音量保持不变"}, {&CH1, "立体声"}}}},
    {403, 403, {{{&VE4, "MPEG4视频压缩器"}, {&VB10, "1600 kbps(极高质量)"}, {&FS10, "保持原分辨率"}, {&FR1, "保持原帧速率"},
              {&AE1, "MP3音频编码器"}, {&AB1, "128"}, {&AR5, "22050"}, {&SM1, "普通视频4:3模式"}, {&VOL1, "音量保持不变"}, {&CH1, "立体声"}}}},
    {404, 404, {{{&VE4, "MPEG4视频压缩器"}, {&VB10, "2000 kbps(极高质量)"}, {&FS11, "1280*720"}, {&FR1, "保持原帧速率"},
              {&AE1, "MP3音频编码器"}, {&AB1, "128"}, {&AR5, "22050"}, {&SM1, "普通视频4:3模式"}, {&VOL1, "音量保持不变"}, {&CH1, "立体声"}}}},
    {405, 405, {{{&VE4, "MPEG4视频压缩器"}, {&VB10, "2000 kbps(极高质量)"}, {&FS11, "1920*1080"}, {&FR1, "25.00"},
              {&AE1, "MP3音频编码器"}, {&AB1, "128"}, {&AR5, "22050"}, {&SM1, "普通视频4:3模式"}, {&VOL1, "音量保持不变"}, {&CH1, "立体声"}}}},
    {406, 406, {{{&VE4, "MPEG4视频压缩器"}, {&VB10, "2500 kbps(极高质量)"}, {&FS11, "2560*1600"}, {&FR1, "25.00"},
              {&AE1, "MP3音频编码器"}, {&AB1, "128"}, {&AR5, "22050"}, {&SM1, "普通视频4:3模式"}, {&VOL1, "音量保持不变"}, {&CH1, "立体声"}}}},
    {407, 407, {{{&VE4, "MPEG4视频压缩器"}, {&VB14, "2500 kbps(极高质量)"}, {&FS12, "4096*3112"}, {&FR1, "30.00"},
              {&AE1, "MP3音频编码器"}, {&AB1, "128"}, {&AR5, "22050"}, {&SM1, "普通视频4:3模式"}, {&VOL1, "音量保持不变"}, {&CH1, "立体声"}}}},
    {408, 408, {{{&VE4, "MPEG4视频压缩器"}, {&VB1, "528 kbps(中等质量)"}, {&FS1, "320*240"}, {&FR1, "25.00"},
              {&AE1, "MP3音频编码器"}, {&AB1, "128"}, {&AR5, "22050"}, {&SM1, "普通视频4:3模式"}, {&VOL1, "音量保持不变"}, {&CH1, "立体声"}}}},
    {409, 409, {{{&VE4, "MPEG4视频压缩器"}, {&VB14, "2500 kbps(极高质量)"}, {&FS12, "保持原分辨率"}, {&FR1, "30.00"},
              {&AE1, "MP3音频编码器"}, {&AB1, "128"}, {&AR5, "22050"}, {&SM1, "普通视频4:3模式"}, {&VOL1, "音量保持不变"}, {&CH1, "立体声"}}}},
    {410, 410, {{{&VE17, "XviD 视频压缩器1"}, {&VB7, "1800 kbps(极高质量)"}, {&FS5, "1280*1024"}, {&FR1, "30.00"},
              {&AE1, "MP3音频编码器"}, {&AB1, "128"}, {&AR1, "44100"}, {&SM1, "宽屏视频16:9模式"}, {&VOL1, "音量保持不变"}, {&CH1, "立体声"}}}},
    {411, 411, {{{&VE17, "H264/AVC高清视频压缩器"}, {&VB7, "2000 kbps(极高质量)"}, {&FS5, "1600*1200"}, {&FR1, "30.00"},
              {&AE1, "MP3音频编码器"}, {&AB1, "128"}, {&AR1, "44100"}, {&SM1, "宽屏视频16:9模式"}, {&VOL1, "音量保持不变"}, {&CH1, "立体声"}}}},
    {412, 412, {{{&VE22, "VOB视频压缩器"}, {&VB10, "1600 kbps(极高质量)"}, {&FS5, "1280*1024"}, {&FR1, "29.97"},
              {&AE18, "VOB音频编码器"}, {&AB1, "128"}, {&AR8, "44100"}, {&SM1, "普通视频4:3模式"}, {&VOL1, "音量保持不变"}, {&CH1, "立体声"}}}},
    {413, 413, {{{&VE18, "MPEG4视频压缩器"}, {&VB8, "1500 kbps (很高质量)"}, {&FS5, "保持原分辨率"}, {&FR4, "29.97"},
              {&AE1, "MP3音频编码器"}, {&AB1, "128"}, {&AR1, "44100"}, {&SM1, "宽屏视频16:9模式"}, {&VOL1, "音量保持不变"}, {&CH1, "立体声"}}}},
    {414, 414, {{{&VE18, "H264/AVC高清视频压缩器"}, {&VB11, "1800 kbps(极高质量)"}, {&FS5, "1920*1080"}, {&FR4, "30"},
              {&AE4, "AAC音频编码器"}, {&AB1, "128"}, {&AR1, "44100"}, {&SM1, "宽屏视频16:9模式"}, {&VOL1, "音量保持不变"}, {&CH1, "立体声"}}}},
    {415, 415, {{{&VE18, "MPEG4视频压缩器"}, {&VB8, "1200 kbps (很高质量)"}, {&FS5, "保持原分辨率"}, {&FR4, "25"},
              {&AE1, "MP3音频编码器"}, {&AB1, "128"}, {&AR1, "44100"}, {&SM1, "宽屏视频16:9模式"}, {&VOL1, "音量保持不变"}, {&CH1, "立体声"}}}},
    {416, 416, {{{&VE17, "Divx 5 视频压缩器"}, {&VB7, "1600 kbps(极高质量)"}, {&FS5, "1920*1080"}, {&FR1, "29.97"},
              {&AE4, "AAC音频编码器"}, {&AB1, "128"}, {&AR1, "44100"}, {&SM1, "宽屏视频16:9模式"}, {&VOL1, "音量保持不变"}, {&CH1, "立体声"}}}},
    {417, 417, {{{&VE8, "QuickTime视频压缩器"}, {&VB7, "1000 kbps(高质量)"}, {&FS5, "保持原分辨率"}, {&FR1, "保持原帧速率"},
              {&AE9, "AAC音频编码器"}, {&AB1, "128"}, {&AR7, "22050"}, {&SM1, "宽屏视频16:9模式"}, {&VOL1, "音量保持不变"}, {&CH1, "立体声"}}}},
    {418, 418, {{{&VE13, "WMV视频压缩器"}, {&VB8, "1000 kbps (很高质量)"}, {&FS5, "704*480"}, {&FR1, "25.00"},
              {&AE6, "WMV音频编码器"}, {&AB1, "128"}, {&AR8, "44100"}, {&SM1, "普通视频4:3模式"}, {&VOL1, "音量保持不变"}, {&CH1, "立体声"}}}},
    {419, 419, {{{&VE12, "PAL_VCD视频压缩器"}, {&VB1, "528 kbps(中等质量)"}, {&FS1, "320*240"}, {&FR1, "25.00"},
              {&AE1, "MP3音频编码器"}, {&AB1, "128"}, {&AR7, "48000"}, {&SM1, "普通视频4:3模式"}, {&VOL1, "音量保持不变"}, {&CH1, "立体声"}}}},
    {420, 420, {{{&VE10, "PAL_DVD视频压缩器"}, {&VB1, "1200 kbps(很高质量)"}, {&FS1, "720*480"}, {&FR1, "25.00"},
              {&AE1, "MP3音频编码器"}, {&AB1, "128"}, {&AR7, "44100"}, {&SM1, "普通视频4:3模式"}, {&VOL1, "音量保持不变"}, {&CH1, "立体声"}}}},
};
// clang-format on

constexpr std::array<std::string_view, kOptionKindCount> kLabels{
    "视频编码器：", "视频比特率：", "视频分辨率：",   "视频帧率：", "音频编码器：",
    "音频比特率：", "音频采样率：", "视频缩放模式：", "音量调节：", "声道设置：",
};

struct EncoderRule {
    std::span<const int> codes;
    OptionKind kind;
    std::span<const std::string_view> encoders;
    OptionChoice choice;
};

constexpr int kComputerAviCodes[] = {1, 2, 3};
constexpr int kPhoneCodes[] = {100, 101};
constexpr std::string_view kMjpegEncoders[] = {"Mjpeg 视频压缩器"};
constexpr std::string_view kMpeg4FamilyEncoders[] = {
    "MPEG4 视频压缩器", "XviD 视频压缩器1",  "XviD 视频压缩器2",
    "Divx 视频压缩器",  "Divx 5 视频压缩器", "H264/AVC高清视频压缩器",
};
constexpr std::string_view kDivxEncoders[] = {"Divx 视频压缩器"};
constexpr std::string_view kXvidEncoders[] = {"XviD 视频压缩器1", "XviD 视频压缩器2",
                                              "Divx 5 视频压缩器"};

// Bit-rate rules come first; a profile is covered by at most one kind of rule.
constexpr EncoderRule kEncoderRules[] = {
    {kComputerAviCodes, OptionKind::VideoBitRate, kMjpegEncoders, {&VB6, "3000 kbps(高质量)"}},
    {kComputerAviCodes,
     OptionKind::VideoBitRate,
     kMpeg4FamilyEncoders,
     {&VB1, "528 kbps(中等质量)"}},
    {kPhoneCodes, OptionKind::FrameSize, kDivxEncoders, {&DivxSizes, "176*144"}},
    {kPhoneCodes, OptionKind::FrameSize, kXvidEncoders, {&XvidSizes, "176*144"}},
};

bool contains(auto&& range, const auto& value) {
    return std::ranges::find(range, value) != std::ranges::end(range);
}

}  // namespace

std::string_view optionLabel(OptionKind kind) {
    return kLabels[indexOf(kind)];
}

std::span<const OptionList* const> optionLists() {
    return kAllLists;
}

const OptionList* findOptionList(std::string_view key) {
    const auto it = std::ranges::find(kAllLists, key, &OptionList::key);
    return it != kAllLists.end() ? *it : nullptr;
}

std::optional<ProfileOptionChoices> profileOptionChoices(int profileCode) {
    for (const ProfileRow& row : kProfileRows) {
        if (profileCode >= row.firstCode && profileCode <= row.lastCode) {
            return row.choices;
        }
    }
    return std::nullopt;
}

std::optional<ListReplacement> encoderChangeReplacement(int profileCode,
                                                        std::string_view encoderText) {
    for (const EncoderRule& rule : kEncoderRules) {
        if (contains(rule.codes, profileCode) && contains(rule.encoders, encoderText)) {
            return ListReplacement{rule.kind, rule.choice};
        }
    }
    return std::nullopt;
}

}  // namespace velmora
