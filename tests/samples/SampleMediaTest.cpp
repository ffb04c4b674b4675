#include "samples/SampleMedia.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>

#include "medialib/LibraryHandles.h"
#include "medialib/MediaLibLoader.h"
#include "support/MediaLibraries.h"
#include "support/TempDir.h"

namespace velmora {
namespace {

// What reading a generated file back tells about it.
struct Opened {
    std::string formatName;
    double durationSeconds = 0;
    std::map<std::string, std::string> tags;
    const AVStream* video = nullptr;
    const AVStream* audio = nullptr;
    InputFormatPtr input;
};

std::map<std::string, std::string> tagsOf(const AVDictionary* dictionary) {
    std::map<std::string, std::string> tags;
    const AVDictionaryEntry* entry = nullptr;
    while ((entry = lib::avutil.av_dict_get(dictionary, "", entry, AV_DICT_IGNORE_SUFFIX))) {
        tags[entry->key] = entry->value;
    }
    return tags;
}

Opened openMedia(const std::string& path) {
    Opened opened;
    AVFormatContext* raw = nullptr;
    const int result = lib::avformat.avformat_open_input(&raw, path.c_str(), nullptr, nullptr);
    EXPECT_GE(result, 0) << path;
    if (result < 0) {
        return opened;
    }
    opened.input.reset(raw);
    {
        std::lock_guard lock(CodecLock());
        EXPECT_GE(lib::avformat.avformat_find_stream_info(raw, nullptr), 0) << path;
    }
    opened.formatName = raw->iformat->name;
    opened.durationSeconds =
        raw->duration == AV_NOPTS_VALUE ? -1.0 : static_cast<double>(raw->duration) / AV_TIME_BASE;
    opened.tags = tagsOf(raw->metadata);
    for (unsigned i = 0; i < raw->nb_streams; ++i) {
        const AVStream* stream = raw->streams[i];
        if (stream->codecpar->codec_type == AVMEDIA_TYPE_VIDEO && opened.video == nullptr) {
            opened.video = stream;
        } else if (stream->codecpar->codec_type == AVMEDIA_TYPE_AUDIO && opened.audio == nullptr) {
            opened.audio = stream;
        }
    }
    return opened;
}

SampleSpec makeSpec(std::string container, std::string videoCodec, std::string audioCodec) {
    SampleSpec spec;
    spec.container = std::move(container);
    spec.video = !videoCodec.empty();
    spec.videoCodec = std::move(videoCodec);
    spec.audio = !audioCodec.empty();
    spec.audioCodec = std::move(audioCodec);
    return spec;
}

struct FormatCase {
    const char* name;
    const char* fileName;
    SampleSpec spec;
    const char* formatName;  // the demuxer that reads the file back
    AVCodecID videoCodec;    // AV_CODEC_ID_NONE: no video stream expected
    AVCodecID audioCodec;    // AV_CODEC_ID_NONE: no audio stream expected
    // Raw audio streams keep the encoder's priming samples and read back that much longer.
    double primingSeconds = 0.0;
};

// Names the row in test output instead of dumping its bytes.
void PrintTo(const FormatCase& row, std::ostream* out) {
    *out << row.name;
}

std::vector<FormatCase> formatCases() {
    std::vector<FormatCase> cases;
    auto add = [&](const char* name, const char* fileName, SampleSpec spec, const char* formatName,
                   AVCodecID video, AVCodecID audio, double primingSeconds = 0.0) {
        cases.push_back(
            {name, fileName, std::move(spec), formatName, video, audio, primingSeconds});
    };

    SampleSpec mkv = makeSpec("matroska", "libx264", "aac");
    mkv.videoMetadata = {{"language", "eng"}};
    mkv.audioMetadata = {{"language", "fre"}};
    mkv.metadata = {{"title", "Matroska sample"}};
    add("MatroskaH264Aac", "a.mkv", mkv, "matroska,webm", AV_CODEC_ID_H264, AV_CODEC_ID_AAC);

    SampleSpec mp4 = makeSpec("mp4", "libx264", "aac");
    mp4.width = 640;
    mp4.height = 360;
    mp4.frameRate = {30, 1};
    mp4.sampleRate = 48000;
    add("Mp4H264Aac", "a.mp4", mp4, "mov,mp4,m4a,3gp,3g2,mj2", AV_CODEC_ID_H264, AV_CODEC_ID_AAC);

    add("AviMpeg4Mp3", "a.avi", makeSpec("avi", "mpeg4", "libmp3lame"), "avi", AV_CODEC_ID_MPEG4,
        AV_CODEC_ID_MP3);

    add("MpegTsMpeg2Mp2", "a.ts", makeSpec("mpegts", "mpeg2video", "mp2"), "mpegts",
        AV_CODEC_ID_MPEG2VIDEO, AV_CODEC_ID_MP2);

    SampleSpec mp3 = makeSpec("mp3", "", "libmp3lame");
    mp3.metadata = {{"title", "Tone"}, {"artist", "Velmora"}, {"track", "3"}, {"date", "2024"}};
    add("Mp3WithTags", "a.mp3", mp3, "mp3", AV_CODEC_ID_NONE, AV_CODEC_ID_MP3, 1105.0 / 44100);

    SampleSpec wav = makeSpec("wav", "", "pcm_s16le");
    wav.channels = 1;
    wav.sampleRate = 22050;
    add("WavMono", "a.wav", wav, "wav", AV_CODEC_ID_NONE, AV_CODEC_ID_PCM_S16LE);

    SampleSpec flac = makeSpec("flac", "", "flac");
    flac.sampleRate = 48000;
    flac.durationSeconds = 3.0;
    add("Flac", "a.flac", flac, "flac", AV_CODEC_ID_NONE, AV_CODEC_ID_FLAC);

    add("OggVorbis", "a.ogg", makeSpec("ogg", "", "libvorbis"), "ogg", AV_CODEC_ID_NONE,
        AV_CODEC_ID_VORBIS);

    SampleSpec videoOnly = makeSpec("matroska", "mpeg4", "");
    videoOnly.width = 160;
    videoOnly.height = 120;
    videoOnly.frameRate = {30000, 1001};
    videoOnly.movingPicture = false;
    add("VideoOnlyNtscRate", "v.mkv", videoOnly, "matroska,webm", AV_CODEC_ID_MPEG4,
        AV_CODEC_ID_NONE);

    SampleSpec surround = makeSpec("matroska", "", "ac3");
    surround.channels = 6;
    surround.sampleRate = 48000;
    add("AudioOnlyAc3Surround", "s.mka", surround, "matroska,webm", AV_CODEC_ID_NONE,
        AV_CODEC_ID_AC3);

    add("ContainerFromExtension", "guess.mkv", makeSpec("", "mpeg4", "aac"), "matroska,webm",
        AV_CODEC_ID_MPEG4, AV_CODEC_ID_AAC);

    add("MpegProgramStream", "a.mpg", makeSpec("mpeg", "mpeg2video", "mp2"), "mpeg",
        AV_CODEC_ID_MPEG2VIDEO, AV_CODEC_ID_MP2);

    add("MovMjpegPcm", "a.mov", makeSpec("mov", "mjpeg", "pcm_s16le"), "mov,mp4,m4a,3gp,3g2,mj2",
        AV_CODEC_ID_MJPEG, AV_CODEC_ID_PCM_S16LE);

    add("FlvMp3", "a.flv", makeSpec("flv", "flv", "libmp3lame"), "flv", AV_CODEC_ID_FLV1,
        AV_CODEC_ID_MP3);

    add("AdtsAac", "a.aac", makeSpec("adts", "", "aac"), "aac", AV_CODEC_ID_NONE, AV_CODEC_ID_AAC,
        1024.0 / 44100);
    return cases;
}

class SampleFormatTest : public testing::TestWithParam<FormatCase> {
protected:
    void SetUp() override { test::requireMediaLibraries(); }
    test::TempDir m_dir;
};

TEST_P(SampleFormatTest, ReopensWithTheRequestedStreams) {
    const FormatCase& row = GetParam();
    const SampleSpec& spec = row.spec;
    const std::string path = m_dir.file(row.fileName);
    std::string error;
    ASSERT_TRUE(makeSampleMedia(spec, path, &error)) << error;

    Opened opened = openMedia(path);
    ASSERT_TRUE(opened.input);
    EXPECT_EQ(opened.formatName, row.formatName);

    // The duration may be off by the last video frame or audio packet, never by more.
    double tolerance = 0.0;
    ASSERT_EQ(opened.video != nullptr, row.videoCodec != AV_CODEC_ID_NONE);
    if (opened.video != nullptr) {
        const AVCodecParameters* video = opened.video->codecpar;
        EXPECT_EQ(video->codec_id, row.videoCodec)
            << lib::avcodec.avcodec_get_name(video->codec_id);
        EXPECT_EQ(video->width, spec.width);
        EXPECT_EQ(video->height, spec.height);
        const AVRational rate = lib::avformat.av_guess_frame_rate(
            opened.input.get(), const_cast<AVStream*>(opened.video), nullptr);
        EXPECT_NEAR(av_q2d(rate), av_q2d(spec.frameRate), 0.01) << rate.num << "/" << rate.den;
        for (const auto& [key, value] : spec.videoMetadata) {
            EXPECT_EQ(tagsOf(opened.video->metadata)[key], value) << key;
        }
        tolerance = std::max(tolerance, 1.0 / av_q2d(spec.frameRate));
    }
    ASSERT_EQ(opened.audio != nullptr, row.audioCodec != AV_CODEC_ID_NONE);
    if (opened.audio != nullptr) {
        const AVCodecParameters* audio = opened.audio->codecpar;
        EXPECT_EQ(audio->codec_id, row.audioCodec)
            << lib::avcodec.avcodec_get_name(audio->codec_id);
        EXPECT_EQ(audio->sample_rate, spec.sampleRate);
        EXPECT_EQ(audio->ch_layout.nb_channels, spec.channels);
        for (const auto& [key, value] : spec.audioMetadata) {
            EXPECT_EQ(tagsOf(opened.audio->metadata)[key], value) << key;
        }
        const int packetSamples = audio->frame_size > 0 ? audio->frame_size : 1024;
        tolerance = std::max(tolerance, static_cast<double>(packetSamples) / spec.sampleRate);
    }
    EXPECT_NEAR(opened.durationSeconds, spec.durationSeconds + row.primingSeconds,
                tolerance + 1e-3);

    for (const auto& [key, value] : spec.metadata) {
        EXPECT_EQ(opened.tags[key], value) << key;
    }
}

INSTANTIATE_TEST_SUITE_P(Containers, SampleFormatTest, testing::ValuesIn(formatCases()),
                         [](const testing::TestParamInfo<FormatCase>& info) {
                             return std::string(info.param.name);
                         });

class SampleMediaTest : public testing::Test {
protected:
    void SetUp() override { test::requireMediaLibraries(); }
    test::TempDir m_dir;
};

std::string readBytes(const std::string& path) {
    std::ifstream input(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(input), std::istreambuf_iterator<char>());
}

struct RefusedCase {
    const char* name;
    SampleSpec spec;
    const char* fileName;
    const char* expectedText;  // must appear in the error message
};

TEST_F(SampleMediaTest, RefusedSpecsFailWithAMessageAndLeaveNoFile) {
    SampleSpec noStreams = makeSpec("matroska", "", "");
    SampleSpec badSize = makeSpec("matroska", "mpeg4", "");
    badSize.width = 0;
    SampleSpec badDuration = makeSpec("wav", "", "pcm_s16le");
    badDuration.durationSeconds = 0;
    SampleSpec badRate = makeSpec("mp3", "", "libmp3lame");
    badRate.sampleRate = 12345;
    SampleSpec badFilter = makeSpec("matroska", "mpeg4", "");
    badFilter.videoFilter = "nosuchfilter=1";
    const RefusedCase cases[] = {
        {"unknown video encoder", makeSpec("matroska", "nosuchvideoenc", "aac"), "a.mkv",
         "nosuchvideoenc"},
        {"unknown audio encoder", makeSpec("matroska", "mpeg4", "nosuchaudioenc"), "a.mkv",
         "nosuchaudioenc"},
        {"audio encoder as video", makeSpec("matroska", "aac", ""), "a.mkv", "aac"},
        {"unknown container", makeSpec("nosuchmuxer", "mpeg4", "aac"), "a.mkv", "nosuchmuxer"},
        {"no container from name", makeSpec("", "mpeg4", "aac"), "a.unknownext", "a.unknownext"},
        {"codec the container refuses", makeSpec("mp4", "mpeg4", "pcm_s16le"), "a.mp4",
         "pcm_s16le"},
        {"video in a container without video", makeSpec("wav", "mpeg4", "pcm_s16le"), "a.wav",
         "mpeg4"},
        {"video in an audio container", makeSpec("mp3", "mpeg4", "libmp3lame"), "a.mp3", "mpeg4"},
        {"no streams", noStreams, "a.mkv", "neither"},
        {"zero size", badSize, "a.mkv", "size"},
        {"zero duration", badDuration, "a.wav", "duration"},
        {"unsupported sample rate", badRate, "a.mp3", "12345"},
        {"bad filter", badFilter, "a.mkv", "nosuchfilter"},
        {"unwritable folder", makeSpec("wav", "", "pcm_s16le"), "missing/a.wav", "cannot create"},
    };
    int index = 0;
    for (const RefusedCase& row : cases) {
        SCOPED_TRACE(row.name);
        const std::string path = m_dir.file(std::to_string(index++) + row.fileName);
        std::string error;
        EXPECT_FALSE(makeSampleMedia(row.spec, path, &error));
        EXPECT_NE(error.find(row.expectedText), std::string::npos) << error;
        EXPECT_FALSE(std::filesystem::exists(path));
    }
    // A null error pointer is allowed.
    EXPECT_FALSE(
        makeSampleMedia(makeSpec("matroska", "nosuchvideoenc", ""), m_dir.file("b.mkv"), nullptr));
}

TEST_F(SampleMediaTest, SameSpecGivesSameBytes) {
    for (const char* container : {"matroska", "mp4", "avi"}) {
        SCOPED_TRACE(container);
        SampleSpec spec = makeSpec(container, "libx264", "aac");
        const std::string first = m_dir.file(std::string("first.") + container);
        const std::string second = m_dir.file(std::string("second.") + container);
        std::string error;
        ASSERT_TRUE(makeSampleMedia(spec, first, &error)) << error;
        ASSERT_TRUE(makeSampleMedia(spec, second, &error)) << error;
        const std::string firstBytes = readBytes(first);
        const std::string secondBytes = readBytes(second);
        EXPECT_GT(firstBytes.size(), 10'000u);
        EXPECT_TRUE(firstBytes == secondBytes)
            << "sizes " << firstBytes.size() << " and " << secondBytes.size();
    }
}

TEST_F(SampleMediaTest, ReplacesAnExistingFile) {
    const std::string path = m_dir.file("a.wav");
    std::ofstream(path) << std::string(1 << 20, 'x');
    std::string error;
    ASSERT_TRUE(makeSampleMedia(makeSpec("wav", "", "pcm_s16le"), path, &error)) << error;
    // 2 s of 16-bit stereo at 44.1 kHz plus a header, not the old megabyte.
    EXPECT_LT(std::filesystem::file_size(path), 400'000u);
    EXPECT_GT(std::filesystem::file_size(path), 352'800u);
}

TEST_F(SampleMediaTest, ShortClipIsQuick) {
    const auto start = std::chrono::steady_clock::now();
    std::string error;
    ASSERT_TRUE(makeSampleMedia(makeSpec("matroska", "mpeg4", "aac"), m_dir.file("a.mkv"), &error))
        << error;
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

TEST_F(SampleMediaTest, ExtraFilterShapesThePicture) {
    // After an extra filter the encoder may keep any format it takes, not only its first.
    SampleSpec spec = makeSpec("matroska", "libx264", "");
    spec.videoFilter = "scale=160:120,format=yuv444p";
    const std::string path = m_dir.file("filtered.mkv");
    std::string error;
    ASSERT_TRUE(makeSampleMedia(spec, path, &error)) << error;
    Opened opened = openMedia(path);
    ASSERT_NE(opened.video, nullptr);
    EXPECT_EQ(opened.video->codecpar->width, 160);
    EXPECT_EQ(opened.video->codecpar->height, 120);
    EXPECT_EQ(opened.video->codecpar->format, AV_PIX_FMT_YUV444P);
}

TEST(SampleMediaWithoutLibraries, FailsWithAMessage) {
    // Each test runs in its own process under CTest; in a shared run the libraries may already
    // be loaded by an earlier test.
    if (TMediaLibLoader::instance().LibrariesLoaded(kConverterSet)) {
        GTEST_SKIP() << "libraries already loaded in this process";
    }
    test::TempDir dir;
    std::string error;
    EXPECT_FALSE(makeSampleMedia(SampleSpec{}, dir.file("a.mkv"), &error));
    EXPECT_EQ(error, "media libraries not loaded");
    EXPECT_FALSE(std::filesystem::exists(dir.file("a.mkv")));
}

TEST_F(SampleMediaTest, TruncateCopyKeepsTheLeadingBytes) {
    const std::string source = m_dir.file("source.bin");
    std::string content;
    for (int i = 0; i < 1000; ++i) {
        content += static_cast<char>(i * 7);
    }
    std::ofstream(source, std::ios::binary) << content;

    struct Row {
        double fraction;
        bool ok;
        std::size_t size;
    };
    const Row rows[] = {{0.5, true, 500},        {0.0, true, 0},   {1.0, true, 1000},
                        {0.3333, true, 333},     {-0.1, false, 0}, {1.5, false, 0},
                        {std::nan(""), false, 0}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.fraction);
        const std::string target = m_dir.file("cut.bin");
        std::filesystem::remove(target);
        ASSERT_EQ(truncateCopy(source, target, row.fraction), row.ok);
        if (row.ok) {
            EXPECT_EQ(readBytes(target), content.substr(0, row.size));
        }
    }
    EXPECT_FALSE(truncateCopy(m_dir.file("missing.bin"), m_dir.file("out.bin"), 0.5));
    EXPECT_FALSE(truncateCopy(source, m_dir.file("missing/out.bin"), 0.5));
}

}  // namespace
}  // namespace velmora
