#include "probe/MediaProbe.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <random>

#include "medialib/MediaLibLoader.h"
#include "probe/ProbeTestSupport.h"
#include "support/MediaLibraries.h"
#include "support/TempDir.h"

namespace velmora {
namespace {

using test::LogRecorder;
using test::splitLines;

class MediaProbeTest : public ::testing::Test {
protected:
    void SetUp() override { test::requireMediaLibraries(); }

    test::TempDir m_dir;
};

// ---------------------------------------------------------------------------------------------
// Nothing open

TEST_F(MediaProbeTest, ClosedProbeReportsFileNotLoadedEverywhere) {
    LogRecorder log;
    TMediaProbe probe;

    EXPECT_EQ(probe.DumpText(), "");
    TFileStreamInfo file;
    EXPECT_FALSE(probe.GetFileStreamInfo(file));
    TAudioStreamInfo audio;
    EXPECT_FALSE(probe.GetAudioStreamInfo(-1, audio));
    TVideoStreamInfo video;
    EXPECT_FALSE(probe.GetVideoStreamInfo(0, video));
    EXPECT_EQ(probe.LastError(), "file not loaded.");

    EXPECT_EQ(file.StartTime, -1);
    EXPECT_EQ(file.Duration, -1);
    EXPECT_EQ(file.BitRate, -1);
    EXPECT_EQ(file.Year, -1);
    EXPECT_EQ(audio.SampleRate, -1);
    EXPECT_EQ(video.DisplayAspect, -1.0f);

    ASSERT_EQ(log.entries().size(), 4u);
    for (const auto& entry : log.entries()) {
        EXPECT_EQ(entry.sender, &probe);
        EXPECT_EQ(entry.level, TLogLevel::llWarning);
        EXPECT_EQ(entry.message, "file not loaded.");
    }

    for (int value :
         {probe.StreamCount(), probe.ProgramCount(), probe.AudioStreamCount(),
          probe.VideoStreamCount(), probe.SubtitleStreamCount(), probe.FirstAudioStream(),
          probe.FirstVideoStream(), probe.FirstSubtitleStream(), probe.DefaultStream()}) {
        EXPECT_EQ(value, -1);
    }
    EXPECT_EQ(probe.FileSize(), -1);
    EXPECT_EQ(probe.DefaultStartTime(), 0);
    EXPECT_EQ(probe.FileName(), "");
    EXPECT_EQ(probe.FormatName(), "");
}

TEST_F(MediaProbeTest, UnknownForcedFormatSetsLastErrorWithoutLogging) {
    LogRecorder log;
    TMediaProbe probe;
    EXPECT_FALSE(probe.Open(m_dir.file("x.wav"), "no_such_demuxer"));
    EXPECT_EQ(probe.LastError(), "Unknown input format: no_such_demuxer");
    EXPECT_TRUE(log.entries().empty());
}

TEST_F(MediaProbeTest, OpenAndAttachRaiseWhenALibraryIsMissing) {
    TMediaLibLoader& loader = TMediaLibLoader::instance();
    loader.UnloadOneLibrary(MediaLibrary::swscale);
    TMediaProbe probe;
    try {
        probe.Open(m_dir.file("any.wav"));
        ADD_FAILURE() << "no exception";
    } catch (const MediaLibraryNotLoaded& error) {
        EXPECT_STREQ(error.what(), "LibSwScale not loaded.");
    }
    EXPECT_THROW(probe.Attach(nullptr), MediaLibraryNotLoaded);
    ASSERT_TRUE(loader.LoadOneLibrary(MediaLibrary::swscale)) << loader.LastError();
}

// ---------------------------------------------------------------------------------------------
// A hand-written WAV file

TEST_F(MediaProbeTest, FileSizeLineFollowsTheSizeBoundaries) {
    struct Case {
        std::int64_t bytes;
        const char* expected;
    };
    const Case cases[] = {
        {1024, "File Size: 1024 Byte"},        {1025, "File Size: 1.00 KB"},
        {1048576, "File Size: 1024.00 KB"},    {1048577, "File Size: 1.00 MB"},
        {1073741824, "File Size: 1024.00 MB"}, {1073741825, "File Size: 1.00 GB"},
    };
    for (const Case& c : cases) {
        const std::string path = m_dir.file("size" + std::to_string(c.bytes) + ".wav");
        test::writeWavOfSize(path, c.bytes);
        TMediaProbe probe;
        ASSERT_TRUE(probe.Open(path)) << probe.LastError();
        EXPECT_EQ(probe.FileSize(), c.bytes);
        const auto lines = splitLines(probe.DumpText());
        ASSERT_GE(lines.size(), 4u);
        EXPECT_EQ(lines[3], c.expected);
        std::filesystem::remove(path);
    }
}

TEST_F(MediaProbeTest, WaveFileRecordsAndTags) {
    const std::string path = m_dir.file("tagged.wav");
    test::writeWav(path, 8000 * 3 + 200,
                   {{"INAM", "Evening"},
                    {"IART", "Someone"},
                    {"ICRD", "2009-11-02"},
                    {"IPRT", "7/12"},
                    {"IGNR", "Ambient"},
                    {"ICOP", "Nobody"}});
    TMediaProbe probe;
    ASSERT_TRUE(probe.Open(path)) << probe.LastError();
    EXPECT_EQ(probe.FormatName(), "wav");
    EXPECT_EQ(probe.FileName(), path);
    EXPECT_EQ(probe.StreamCount(), 1);
    EXPECT_EQ(probe.ProgramCount(), 0);
    EXPECT_EQ(probe.AudioStreamCount(), 1);
    EXPECT_EQ(probe.VideoStreamCount(), 0);
    EXPECT_EQ(probe.FirstAudioStream(), 0);
    EXPECT_EQ(probe.FirstVideoStream(), -1);
    EXPECT_EQ(probe.DefaultStream(), 0);
    EXPECT_EQ(probe.ForcedFormatName(), "");

    TFileStreamInfo file;
    ASSERT_TRUE(probe.GetFileStreamInfo(file));
    EXPECT_EQ(file.Title, "Evening");
    EXPECT_EQ(file.Genre, "Ambient");
    EXPECT_EQ(file.Copyright, "Nobody");
    EXPECT_EQ(file.Year, 2009);
    EXPECT_EQ(file.Track, 7);
    EXPECT_EQ(file.TimeStamp, 0);
    EXPECT_NEAR(static_cast<double>(file.Duration), 3.025e6, 1e4);
    EXPECT_NEAR(file.BitRate, 64000, 1000);  // the whole file over its duration

    TAudioStreamInfo audio;
    ASSERT_TRUE(probe.GetAudioStreamInfo(-1, audio));
    EXPECT_EQ(audio.Channels, 1);
    EXPECT_EQ(audio.SampleRate, 8000);
    EXPECT_EQ(audio.SampleFormat, AV_SAMPLE_FMT_U8);
    EXPECT_EQ(audio.BitRate, 64000);
    EXPECT_EQ(audio.Codec.rfind("pcm_u8", 0), 0u) << audio.Codec;
    EXPECT_EQ(audio.Language, "");

    const auto lines = splitLines(probe.DumpText());
    EXPECT_EQ(lines[0], "File Name: " + path);
    EXPECT_EQ(lines[1], "Format Name: wav");
    EXPECT_EQ(lines[2], "Format Long Name: WAV / WAVE (Waveform Audio)");
    EXPECT_EQ(lines[4], "Duration: 00:00:03.025");
    EXPECT_EQ(lines[5], "Bit Rate: 64 kb/s");
    EXPECT_EQ(lines[6], "Metadata:");
    EXPECT_NE(test::lineStartingWith(lines, "  title           : Evening"), "");
    EXPECT_NE(test::lineStartingWith(lines, "  artist          : Someone"), "");
    EXPECT_EQ(lines.back().rfind("Stream #0, 1/8000: Audio: pcm_u8", 0), 0u) << lines.back();

    // A forced demuxer is remembered while the file is open, and forgotten on Close.
    ASSERT_TRUE(probe.Open(path, "wav"));
    EXPECT_EQ(probe.ForcedFormatName(), "wav");
    probe.Close();
    EXPECT_EQ(probe.ForcedFormatName(), "");
    EXPECT_EQ(probe.StreamCount(), -1);
}

TEST_F(MediaProbeTest, StreamInfoErrorsForWrongKindOrIndex) {
    const std::string path = m_dir.file("mono.wav");
    test::writeWav(path, 8000);
    TMediaProbe probe;
    ASSERT_TRUE(probe.Open(path)) << probe.LastError();

    struct Case {
        bool video;
        int index;
        const char* error;
    };
    const Case cases[] = {
        {true, -1, "no video stream."},
        {true, 0, "stream #0 is not video stream."},
        {true, 1, "stream index #1 is invalid."},
        {false, 5, "stream index #5 is invalid."},
    };
    for (const Case& c : cases) {
        LogRecorder log;
        bool ok = true;
        if (c.video) {
            TVideoStreamInfo info;
            ok = probe.GetVideoStreamInfo(c.index, info);
            EXPECT_EQ(info.Width, -1);
            EXPECT_EQ(info.Codec, "");
        } else {
            TAudioStreamInfo info;
            ok = probe.GetAudioStreamInfo(c.index, info);
            EXPECT_EQ(info.Channels, -1);
        }
        EXPECT_FALSE(ok) << c.error;
        EXPECT_EQ(probe.LastError(), c.error);
        ASSERT_EQ(log.entries().size(), 1u);
        EXPECT_EQ(log.entries()[0].level, TLogLevel::llError);
        EXPECT_EQ(log.entries()[0].sender, &probe);
    }
}

// ---------------------------------------------------------------------------------------------
// Bad input: every case fails cleanly, quickly and with a text naming the file.

TEST_F(MediaProbeTest, BadFilesFailCleanly) {
    std::mt19937 random(12345);
    std::string noise(256 * 1024, '\0');
    for (char& c : noise) {
        c = static_cast<char>(random() & 0xFF);
    }
    const std::string text =
        "Shopping list\nmilk\nbread\n"
        "This is a plain text file that only pretends to be media.\n";

    struct Case {
        const char* name;
        std::string path;
        const char* errorEnd;  // expected tail of LastError(); null: any text
    };
    std::vector<Case> cases = {
        {"missing", m_dir.file("missing.mkv"), ": No such file or directory"},
        {"empty", m_dir.file("empty.mp4"), nullptr},
        {"truncated header", m_dir.file("cut.wav"), nullptr},
        {"random bytes", m_dir.file("noise.avi"), nullptr},
        {"random bytes, no extension", m_dir.file("noise"), nullptr},
        {"directory", m_dir.file("folder.mkv"), ": Is a directory"},
        {"text as mp4", m_dir.file("notes.mp4"), nullptr},
        {"text as mp3", m_dir.file("notes.mp3"), nullptr},
        {"text as mpeg-ts", m_dir.file("notes.ts"), nullptr},
        {"named pipe", m_dir.file("pipe.mkv"), ": Not a regular file"},
        {"endless zeros", "/dev/zero", nullptr},
    };
    test::writeBytes(m_dir.file("empty.mp4"), "");
    test::writeWav(m_dir.file("whole.wav"), 1000);
    {
        std::string cut(30, '\0');
        FILE* whole = std::fopen(m_dir.file("whole.wav").c_str(), "rb");
        ASSERT_NE(whole, nullptr);
        ASSERT_EQ(std::fread(cut.data(), 1, cut.size(), whole), cut.size());
        std::fclose(whole);
        test::writeBytes(m_dir.file("cut.wav"), cut);
    }
    test::writeBytes(m_dir.file("noise.avi"), noise);
    test::writeBytes(m_dir.file("noise"), noise);
    std::filesystem::create_directory(m_dir.file("folder.mkv"));
    test::writeBytes(m_dir.file("notes.mp4"), text);
    test::writeBytes(m_dir.file("notes.mp3"), text);
    test::writeBytes(m_dir.file("notes.ts"), text);
    ASSERT_EQ(::mkfifo(m_dir.file("pipe.mkv").c_str(), 0600), 0);
    if (::geteuid() != 0) {
        // Root reads any file, so this case only means something for an ordinary user.
        test::writeBytes(m_dir.file("locked.wav"), "RIFF");
        ::chmod(m_dir.file("locked.wav").c_str(), 0);
        cases.push_back({"no read permission", m_dir.file("locked.wav"), ": Permission denied"});
    }

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LogRecorder log;
        TMediaProbe probe;
        const auto start = std::chrono::steady_clock::now();
        EXPECT_FALSE(probe.Open(c.path));
        const auto elapsed = std::chrono::steady_clock::now() - start;
        EXPECT_LT(elapsed, std::chrono::seconds(3));

        EXPECT_EQ(probe.LastError().rfind(c.path + ": ", 0), 0u) << probe.LastError();
        EXPECT_EQ(probe.LastError().find("Error number"), std::string::npos) << probe.LastError();
        if (c.errorEnd != nullptr) {
            EXPECT_EQ(probe.LastError(), c.path + c.errorEnd);
        }
        EXPECT_EQ(probe.FormatContext(), nullptr);
        EXPECT_EQ(probe.StreamCount(), -1);
        EXPECT_EQ(probe.FileSize(), -1);
        EXPECT_EQ(probe.DumpText(), "");
    }
}

TEST_F(MediaProbeTest, FailedOpenClosesThePreviousFile) {
    const std::string path = m_dir.file("good.wav");
    test::writeWav(path, 8000);
    TMediaProbe probe;
    ASSERT_TRUE(probe.Open(path));
    EXPECT_FALSE(probe.Open(m_dir.file("missing.wav")));
    EXPECT_EQ(probe.FormatContext(), nullptr);
    EXPECT_EQ(probe.StreamCount(), -1);
    EXPECT_EQ(probe.DefaultStream(), -1);
}

// ---------------------------------------------------------------------------------------------
// A context built in memory and attached: full control over every field the description shows.

class SyntheticInput {
public:
    SyntheticInput() : m_context(lib::avformat.avformat_alloc_context()) {}
    ~SyntheticInput() { lib::avformat.avformat_free_context(m_context); }
    SyntheticInput(const SyntheticInput&) = delete;
    SyntheticInput& operator=(const SyntheticInput&) = delete;

    AVFormatContext* get() const { return m_context; }

    AVStream* addStream(AVMediaType type, AVCodecID codec, int id) {
        AVStream* stream = lib::avformat.avformat_new_stream(m_context, nullptr);
        stream->id = id;
        stream->codecpar->codec_type = type;
        stream->codecpar->codec_id = codec;
        stream->time_base = AVRational{1, 90000};
        return stream;
    }

private:
    AVFormatContext* m_context;
};

void setTag(AVDictionary** metadata, const char* key, const char* value) {
    lib::avutil.av_dict_set(metadata, key, value, AV_DICT_MATCH_CASE);
}

bool endsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// A transport-stream-like input: two streams under one program, one stream outside it.
void buildBroadcast(SyntheticInput& input) {
    AVFormatContext* context = input.get();
    context->iformat = lib::avformat.av_find_input_format("mpegts");
    context->url = lib::avutil.av_strdup("/nonexistent/broadcast.ts");
    context->start_time = 1400000;
    context->duration = 10000000;
    context->bit_rate = 1500999;
    setTag(&context->metadata, "title", "Evening news");
    setTag(&context->metadata, "TALB", "Broadcasts");
    setTag(&context->metadata, "creation_time", "2010-05-01T13:45:00.000000Z");
    setTag(&context->metadata, "language", "eng");

    AVStream* video = input.addStream(AVMEDIA_TYPE_VIDEO, AV_CODEC_ID_H264, 0x100);
    video->codecpar->width = 720;
    video->codecpar->height = 576;
    video->codecpar->format = AV_PIX_FMT_YUV420P;
    video->sample_aspect_ratio = AVRational{16, 15};
    video->avg_frame_rate = AVRational{25, 1};
    video->r_frame_rate = AVRational{30000, 1001};
    video->start_time = 126000;  // 1.4 s at 90 kHz
    video->duration = 900000;    // 10 s
    setTag(&video->metadata, "language", "eng");

    AVStream* audio = input.addStream(AVMEDIA_TYPE_AUDIO, AV_CODEC_ID_MP2, 0x101);
    audio->codecpar->sample_rate = 48000;
    lib::avutil.av_channel_layout_default(&audio->codecpar->ch_layout, 2);
    audio->codecpar->format = AV_SAMPLE_FMT_S16P;
    audio->codecpar->bit_rate = 192000;
    audio->time_base = AVRational{2, 180000};  // reduced to 1/90000 in the description
    audio->start_time = 126000;
    setTag(&audio->metadata, "language", "fra");
    setTag(&audio->metadata, "TIT2", "Commentary");

    AVStream* data = input.addStream(AVMEDIA_TYPE_DATA, AV_CODEC_ID_NONE, 0x102);
    data->time_base = AVRational{1, 1000};
    data->start_time = -21;  // before zero
    data->duration = 2000;

    AVProgram* program = lib::avformat.av_new_program(context, 1);
    setTag(&program->metadata, "provider_name", "Velmora TV");
    setTag(&program->metadata, "name", "Channel one");
    // The audio stream first, listed twice: the description keeps the program's order and
    // prints each stream once.
    lib::avformat.av_program_add_stream_index(context, 1, 1);
    lib::avformat.av_program_add_stream_index(context, 1, 0);
    program->stream_index[program->nb_stream_indexes - 1] = 1;
    lib::avformat.av_program_add_stream_index(context, 1, 0);
}

class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char* zone) {
        const char* old = std::getenv("TZ");
        m_had = old != nullptr;
        if (m_had) {
            m_old = old;
        }
        ::setenv("TZ", zone, 1);
        ::tzset();
    }
    ~ScopedTimeZone() {
        if (m_had) {
            ::setenv("TZ", m_old.c_str(), 1);
        } else {
            ::unsetenv("TZ");
        }
        ::tzset();
    }

private:
    bool m_had = false;
    std::string m_old;
};

TEST_F(MediaProbeTest, DumpTextOfAnAttachedBroadcast) {
    SyntheticInput input;
    buildBroadcast(input);
    ScopedTimeZone zone("CET-1CEST,M3.5.0,M10.5.0/3");

    TMediaProbe probe;
    probe.Attach(input.get());
    EXPECT_FALSE(probe.OwnsContext());
    EXPECT_EQ(probe.StreamCount(), 3);
    EXPECT_EQ(probe.ProgramCount(), 1);
    EXPECT_EQ(probe.FirstVideoStream(), 0);
    EXPECT_EQ(probe.FirstAudioStream(), 1);
    EXPECT_EQ(probe.FileSize(), -1);
    EXPECT_EQ(probe.DefaultStream(), 0);
    EXPECT_EQ(probe.DefaultStartTime(), 126000);

    const auto lines = splitLines(probe.DumpText());
    ASSERT_EQ(lines.size(), 21u) << probe.DumpText();
    EXPECT_EQ(lines[0], "File Name: /nonexistent/broadcast.ts");
    EXPECT_EQ(lines[1], "Format Name: mpegts");
    EXPECT_EQ(lines[2], "Format Long Name: MPEG-TS (MPEG-2 Transport Stream)");
    EXPECT_EQ(lines[3], "File Size: -1 Byte");
    EXPECT_EQ(lines[4], "Duration: 00:00:10.000");
    EXPECT_EQ(lines[5], "StartTime: 1.400000");
    EXPECT_EQ(lines[6], "Bit Rate: 1500 kb/s");
    // Standard time of the zone, one hour east, even though the date falls in summer time.
    EXPECT_EQ(lines[7], "Time Stamp: 2010-05-01 14:45:00");
    EXPECT_EQ(lines[8], "Metadata:");
    EXPECT_EQ(lines[9], "  title           : Evening news");
    EXPECT_EQ(lines[10], "  album           : Broadcasts");
    EXPECT_EQ(lines[11], "  creation_time   : 2010-05-01T13:45:00.000000Z");
    EXPECT_EQ(lines[12], "Program 1 Velmora TV@Channel one");
    EXPECT_EQ(lines[13], "  Metadata:");
    EXPECT_EQ(lines[14], "    provider_name   : Velmora TV");
    EXPECT_EQ(lines[15], "    name            : Channel one");

    EXPECT_EQ(lines[16].rfind("Stream #1[0x101](fra), 1/90000: Audio: mp2", 0), 0u) << lines[16];
    EXPECT_TRUE(endsWith(lines[16], ", StartTime: 1.400000, Duration: N/A")) << lines[16];
    EXPECT_EQ(lines[17], "  Metadata:");
    EXPECT_EQ(lines[18], "    title           : Commentary");
    // The program's second stream (the repeated index is skipped); its only tag is the
    // language, so no metadata block follows.
    EXPECT_EQ(lines[19].rfind("Stream #0[0x100](eng), 1/90000: Video: h264", 0), 0u) << lines[19];
    EXPECT_TRUE(endsWith(lines[19],
                         ", PAR 16:15 DAR 4:3, 25 fps, 29.97 tbr, 90k tbn, "
                         "StartTime: 1.400000, Duration: 00:00:10.000"))
        << lines[19];
    // Outside any program, at the end; a start before zero keeps its sign.
    EXPECT_EQ(lines[20].rfind("Stream #2[0x102], 1/1000: Data: none", 0), 0u) << lines[20];
    EXPECT_TRUE(endsWith(lines[20], ", StartTime: -0.021000, Duration: 00:00:02.000")) << lines[20];
}

TEST_F(MediaProbeTest, RateRuleWritesHundredthsWholesAndThousands) {
    struct Case {
        AVRational rate;
        const char* expected;  // the rate as it follows the codec summary
    };
    const Case cases[] = {
        {{25, 1}, ", 25 fps"},   {{30000, 1001}, ", 29.97 fps"}, {{24000, 1001}, ", 23.98 fps"},
        {{1000, 1}, ", 1k fps"}, {{90000, 1}, ", 90k fps"},      {{120000, 1}, ", 120k fps"},
        {{1, 2}, ", 0.50 fps"},  {{0, 1}, ", Duration"},  // unset: no rate item at all
    };
    for (const Case& c : cases) {
        SyntheticInput input;
        input.get()->iformat = lib::avformat.av_find_input_format("matroska");
        AVStream* stream = input.addStream(AVMEDIA_TYPE_VIDEO, AV_CODEC_ID_MPEG4, 0);
        stream->avg_frame_rate = c.rate;
        stream->time_base = AVRational{0, 0};  // unusable: no "tbn" either
        TMediaProbe probe;
        probe.Attach(input.get());
        const std::string line = splitLines(probe.DumpText()).back();
        EXPECT_NE(line.find(std::string(c.expected) + (c.rate.num ? ", Duration" : "")),
                  std::string::npos)
            << line;
        EXPECT_EQ(line.find("tbn"), std::string::npos) << line;
        if (c.rate.num == 0) {
            EXPECT_EQ(line.find("fps"), std::string::npos) << line;
        }
    }
}

TEST_F(MediaProbeTest, MetadataBlockRules) {
    struct Case {
        const char* name;
        std::vector<std::pair<const char*, const char*>> tags;
        std::vector<std::string> expected;  // lines after the stream line
    };
    const std::vector<Case> cases = {
        {"none", {}, {}},
        {"language only", {{"language", "deu"}}, {}},
        {"language and title",
         {{"language", "deu"}, {"title", "Dub"}},
         {"  Metadata:", "    title           : Dub"}},
        {"one other tag",
         {{"handler_name", "Sound"}},
         {"  Metadata:", "    handler_name    : Sound"}},
        {"table keys, exact case",
         {{"TPE1", "Band"}, {"tpe1", "lower"}, {"TYER", "1999"}},
         {"  Metadata:", "    artist          : Band", "    tpe1            : lower",
          "    year            : 1999"}},
        {"long key and line break",
         {{"a_rather_long_key_name", "two\r\nlines"}},
         {"  Metadata:", "    a_rather_long_key_name: two  lines"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SyntheticInput input;
        input.get()->iformat = lib::avformat.av_find_input_format("wav");
        AVStream* stream = input.addStream(AVMEDIA_TYPE_AUDIO, AV_CODEC_ID_PCM_S16LE, 0);
        for (const auto& [key, value] : c.tags) {
            setTag(&stream->metadata, key, value);
        }
        TMediaProbe probe;
        probe.Attach(input.get());
        const auto lines = splitLines(probe.DumpText());
        const auto at = std::find_if(lines.begin(), lines.end(), [](const std::string& line) {
            return line.rfind("Stream #0", 0) == 0;
        });
        ASSERT_NE(at, lines.end());
        EXPECT_EQ(std::vector<std::string>(at + 1, lines.end()), c.expected);
    }
}

TEST_F(MediaProbeTest, AttachedRecordsAndFileSizeFromDisk) {
    const std::string path = m_dir.file("on-disk.ts");
    test::writeBytes(path, std::string(3000, 'x'));
    SyntheticInput input;
    buildBroadcast(input);
    lib::avutil.av_free(input.get()->url);
    input.get()->url = lib::avutil.av_strdup(path.c_str());

    TMediaProbe probe;
    probe.Attach(input.get());
    // No byte stream to ask: the size on disk is used.
    EXPECT_EQ(probe.FileSize(), 3000);
    EXPECT_EQ(splitLines(probe.DumpText())[3], "File Size: 2.93 KB");

    TFileStreamInfo file;
    ASSERT_TRUE(probe.GetFileStreamInfo(file));
    EXPECT_EQ(file.StartTime, 1400000);
    EXPECT_EQ(file.Duration, 10000000);
    EXPECT_EQ(file.BitRate, 1500999);
    EXPECT_EQ(file.TimeStamp, 1272721500);
    EXPECT_EQ(file.Title, "Evening news");
    EXPECT_EQ(file.Album, "");  // only the exact key counts

    TVideoStreamInfo video;
    ASSERT_TRUE(probe.GetVideoStreamInfo(-1, video));
    EXPECT_EQ(video.Language, "eng");
    EXPECT_EQ(video.Codec.rfind("h264", 0), 0u) << video.Codec;
    EXPECT_EQ(video.Width, 720);
    EXPECT_EQ(video.Height, 576);
    EXPECT_FLOAT_EQ(video.DisplayAspect, 720.0f / 576.0f);  // unset pixel aspect: square
    EXPECT_EQ(video.PixelFormat, AV_PIX_FMT_YUV420P);
    EXPECT_EQ(video.FrameRateNum, 30000);
    EXPECT_EQ(video.FrameRateDen, 1001);
    EXPECT_EQ(video.StartTime, 126000);
    EXPECT_EQ(video.StartTimeUs, 1400000);
    EXPECT_EQ(video.Duration, 900000);
    EXPECT_EQ(video.DurationUs, 10000000);

    TAudioStreamInfo audio;
    ASSERT_TRUE(probe.GetAudioStreamInfo(1, audio));
    EXPECT_EQ(audio.Language, "fra");
    EXPECT_EQ(audio.Channels, 2);
    EXPECT_EQ(audio.SampleRate, 48000);
    EXPECT_EQ(audio.SampleFormat, AV_SAMPLE_FMT_S16P);
    EXPECT_EQ(audio.BitRate, 192000);
    EXPECT_EQ(audio.StartTimeUs, 1400000);
    EXPECT_EQ(audio.Duration, AV_NOPTS_VALUE);
    EXPECT_EQ(audio.DurationUs, -1);

    // The probe never closes an attached context.
    probe.Close();
    EXPECT_EQ(probe.FormatContext(), nullptr);
    EXPECT_EQ(input.get()->nb_streams, 3u);
}

TEST_F(MediaProbeTest, DefaultStreamPrefersVideoThenAudioThenFileStart) {
    SyntheticInput input;
    input.get()->start_time = 2500000;
    TMediaProbe probe;
    probe.Attach(input.get());
    EXPECT_EQ(probe.DefaultStream(), -1);
    EXPECT_EQ(probe.DefaultStartTime(), 2500000);

    AVStream* audio = input.addStream(AVMEDIA_TYPE_AUDIO, AV_CODEC_ID_MP2, 0);
    audio->start_time = 77;
    probe.ComputeInfo();
    EXPECT_EQ(probe.DefaultStream(), 0);
    EXPECT_EQ(probe.DefaultStartTime(), 77);

    input.addStream(AVMEDIA_TYPE_SUBTITLE, AV_CODEC_ID_SUBRIP, 1);
    input.addStream(AVMEDIA_TYPE_VIDEO, AV_CODEC_ID_MPEG4, 2);  // start unknown
    probe.ComputeInfo();
    EXPECT_EQ(probe.DefaultStream(), 2);
    EXPECT_EQ(probe.DefaultStartTime(), 0);
    EXPECT_EQ(probe.SubtitleStreamCount(), 1);
    EXPECT_EQ(probe.FirstSubtitleStream(), 1);

    probe.Close();
    EXPECT_EQ(probe.DefaultStream(), -1);
}

}  // namespace
}  // namespace velmora
