// The probe on files made by the sample generator, one per container.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>

#include "probe/MediaProbe.h"
#include "probe/ProbeTestSupport.h"
#include "samples/SampleMedia.h"
#include "support/MediaLibraries.h"
#include "support/TempDir.h"

namespace velmora {
namespace {

using test::lineStartingWith;
using test::splitLines;

SampleSpec makeSpec(const char* container, const char* videoCodec, const char* audioCodec) {
    SampleSpec spec;
    spec.container = container;
    spec.video = videoCodec[0] != '\0';
    spec.videoCodec = videoCodec;
    spec.audio = audioCodec[0] != '\0';
    spec.audioCodec = audioCodec;
    return spec;
}

std::vector<std::string> streamLines(const std::vector<std::string>& lines) {
    std::vector<std::string> streams;
    std::copy_if(lines.begin(), lines.end(), std::back_inserter(streams),
                 [](const std::string& line) { return line.rfind("Stream #", 0) == 0; });
    return streams;
}

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

struct ContainerCase {
    const char* name;
    const char* fileName;
    SampleSpec spec;
    const char* formatName;
    const char* videoCodec;  // start of TVideoStreamInfo::Codec; null: no video
    const char* audioCodec;  // start of TAudioStreamInfo::Codec; null: no audio
};

std::vector<ContainerCase> containerCases() {
    std::vector<ContainerCase> cases;
    SampleSpec mkv = makeSpec("matroska", "libx264", "aac");
    mkv.audioMetadata = {{"language", "eng"}};
    cases.push_back({"Matroska", "a.mkv", mkv, "matroska,webm", "h264", "aac"});
    cases.push_back({"Mp4", "a.mp4", makeSpec("mp4", "libx264", "aac"), "mov,mp4,m4a,3gp,3g2,mj2",
                     "h264", "aac"});
    cases.push_back(
        {"Avi", "a.avi", makeSpec("avi", "mpeg4", "libmp3lame"), "avi", "mpeg4", "mp3"});
    cases.push_back(
        {"MpegTs", "a.ts", makeSpec("mpegts", "mpeg2video", "mp2"), "mpegts", "mpeg2video", "mp2"});
    cases.push_back({"Mp3", "a.mp3", makeSpec("mp3", "", "libmp3lame"), "mp3", nullptr, "mp3"});
    cases.push_back(
        {"Wav", "a.wav", makeSpec("wav", "", "pcm_s16le"), "wav", nullptr, "pcm_s16le"});
    cases.push_back({"Flac", "a.flac", makeSpec("flac", "", "flac"), "flac", nullptr, "flac"});
    cases.push_back({"Ogg", "a.ogg", makeSpec("ogg", "", "libvorbis"), "ogg", nullptr, "vorbis"});
    cases.push_back({"Flv", "a.flv", makeSpec("flv", "flv", "libmp3lame"), "flv", "flv", "mp3"});
    return cases;
}

class ProbeContainerTest : public testing::TestWithParam<ContainerCase> {
protected:
    void SetUp() override { test::requireMediaLibraries(); }
    test::TempDir m_dir;
};

// Records and description agree with the file for every container.
TEST_P(ProbeContainerTest, RecordsAndDescriptionMatchTheFile) {
    const ContainerCase& row = GetParam();
    const std::string path = m_dir.file(row.fileName);
    std::string error;
    ASSERT_TRUE(makeSampleMedia(row.spec, path, &error)) << error;

    TMediaProbe probe;
    ASSERT_TRUE(probe.Open(path)) << probe.LastError();
    EXPECT_EQ(probe.FormatName(), row.formatName);
    EXPECT_FALSE(probe.FormatLongName().empty());
    EXPECT_GT(probe.FileSize(), 0);
    const int videoCount = row.videoCodec != nullptr ? 1 : 0;
    const int audioCount = row.audioCodec != nullptr ? 1 : 0;
    EXPECT_EQ(probe.StreamCount(), videoCount + audioCount);
    EXPECT_EQ(probe.VideoStreamCount(), videoCount);
    EXPECT_EQ(probe.AudioStreamCount(), audioCount);
    EXPECT_EQ(probe.SubtitleStreamCount(), 0);
    EXPECT_EQ(probe.DefaultStream(),
              videoCount ? probe.FirstVideoStream() : probe.FirstAudioStream());

    TFileStreamInfo file;
    ASSERT_TRUE(probe.GetFileStreamInfo(file));
    EXPECT_NEAR(static_cast<double>(file.Duration) / 1e6, row.spec.durationSeconds, 0.15);
    EXPECT_GT(file.BitRate, 0);

    TVideoStreamInfo video;
    EXPECT_EQ(probe.GetVideoStreamInfo(-1, video), videoCount == 1);
    if (videoCount) {
        EXPECT_EQ(video.Codec.rfind(row.videoCodec, 0), 0u) << video.Codec;
        EXPECT_EQ(video.Width, row.spec.width);
        EXPECT_EQ(video.Height, row.spec.height);
        EXPECT_NEAR(video.DisplayAspect, 4.0 / 3.0, 0.01);
        EXPECT_EQ(video.PixelFormat, AV_PIX_FMT_YUV420P);
        EXPECT_EQ(video.FrameRateNum, 25);
        EXPECT_EQ(video.FrameRateDen, 1);
        EXPECT_GE(video.StartTimeUs, 0);
        if (video.Duration != AV_NOPTS_VALUE) {
            EXPECT_NEAR(static_cast<double>(video.DurationUs) / 1e6, row.spec.durationSeconds,
                        0.15);
        }
    } else {
        EXPECT_EQ(probe.LastError(), "no video stream.");
    }

    TAudioStreamInfo audio;
    ASSERT_TRUE(probe.GetAudioStreamInfo(-1, audio));
    EXPECT_EQ(audio.Codec.rfind(row.audioCodec, 0), 0u) << audio.Codec;
    EXPECT_EQ(audio.SampleRate, row.spec.sampleRate);
    EXPECT_EQ(audio.Channels, row.spec.channels);
    EXPECT_GE(audio.SampleFormat, 0);

    const std::string text = probe.DumpText();
    const auto lines = splitLines(text);
    ASSERT_GE(lines.size(), 6u);
    EXPECT_EQ(lines[0], "File Name: " + path);
    EXPECT_EQ(lines[1], std::string("Format Name: ") + row.formatName);
    EXPECT_EQ(lines[2], "Format Long Name: " + probe.FormatLongName());
    EXPECT_EQ(lines[3].rfind("File Size: ", 0), 0u);
    EXPECT_EQ(lines[4].rfind("Duration: 00:00:0", 0), 0u) << lines[4];
    EXPECT_NE(lineStartingWith(lines, "Bit Rate: "), "");
    EXPECT_EQ(lineStartingWith(lines, "Bit Rate: "),
              "Bit Rate: " + std::to_string(file.BitRate / 1000) + " kb/s");

    const auto streams = streamLines(lines);
    ASSERT_EQ(streams.size(), static_cast<size_t>(probe.StreamCount()));
    for (int i = 0; i < probe.StreamCount(); ++i) {
        const bool isVideo = i == probe.FirstVideoStream();
        const std::string expectedKind = isVideo ? ": Video: " : ": Audio: ";
        EXPECT_TRUE(
            contains(streams[i], expectedKind + (isVideo ? row.videoCodec : row.audioCodec)))
            << streams[i];
        EXPECT_TRUE(contains(streams[i], ", Duration: ")) << streams[i];
        if (isVideo) {
            EXPECT_TRUE(contains(streams[i], ", 25 tbr")) << streams[i];
            EXPECT_TRUE(contains(streams[i], " tbn")) << streams[i];
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Containers, ProbeContainerTest, testing::ValuesIn(containerCases()),
                         [](const testing::TestParamInfo<ContainerCase>& info) {
                             return std::string(info.param.name);
                         });

class ProbeSampleTest : public testing::Test {
protected:
    void SetUp() override { test::requireMediaLibraries(); }

    std::string make(const SampleSpec& spec, const char* fileName) {
        const std::string path = m_dir.file(fileName);
        std::string error;
        EXPECT_TRUE(makeSampleMedia(spec, path, &error)) << error;
        return path;
    }

    test::TempDir m_dir;
};

TEST_F(ProbeSampleTest, MatroskaWithLanguageTag) {
    SampleSpec spec = makeSpec("matroska", "libx264", "aac");
    spec.audioMetadata = {{"language", "eng"}};
    spec.metadata = {{"title", "Holiday"}};
    const std::string path = make(spec, "tagged.mkv");
    TMediaProbe probe;
    ASSERT_TRUE(probe.Open(path)) << probe.LastError();

    TAudioStreamInfo audio;
    ASSERT_TRUE(probe.GetAudioStreamInfo(-1, audio));
    EXPECT_EQ(audio.Language, "eng");
    TVideoStreamInfo video;
    ASSERT_TRUE(probe.GetVideoStreamInfo(-1, video));
    EXPECT_GE(video.StartTimeUs, 0);  // the encoder's frame delay may shift it
    TFileStreamInfo file;
    ASSERT_TRUE(probe.GetFileStreamInfo(file));
    EXPECT_EQ(file.Title, "Holiday");

    const auto lines = splitLines(probe.DumpText());
    EXPECT_EQ(lineStartingWith(lines, "Metadata:"), "Metadata:");
    EXPECT_NE(lineStartingWith(lines, "  title           : Holiday"), "");
    const auto streams = streamLines(lines);
    ASSERT_EQ(streams.size(), 2u);
    // Matroska counts in milliseconds and shows no stream ids.
    EXPECT_EQ(streams[0].rfind("Stream #0, 1/1000: Video: h264", 0), 0u) << streams[0];
    EXPECT_TRUE(contains(streams[0], ", 25 fps, 25 tbr, 1k tbn, StartTime: 0.")) << streams[0];
    EXPECT_EQ(streams[1].rfind("Stream #1(eng), 1/1000: Audio: aac", 0), 0u) << streams[1];
    EXPECT_TRUE(contains(streams[1], "44100 Hz")) << streams[1];
    // The language tag never appears as a metadata line of its own.
    for (const auto& line : lines) {
        EXPECT_EQ(line.find("language"), std::string::npos) << line;
    }
}

TEST_F(ProbeSampleTest, Mp3WithTags) {
    SampleSpec spec = makeSpec("mp3", "", "libmp3lame");
    spec.metadata = {{"title", "Tone"},     {"artist", "Velmora"}, {"album", "Samples"},
                     {"genre", "Test"},     {"date", "2007"},      {"track", "4/9"},
                     {"comment", "A note"}, {"copyright", "None"}};
    const std::string path = make(spec, "tags.mp3");
    TMediaProbe probe;
    ASSERT_TRUE(probe.Open(path)) << probe.LastError();

    TFileStreamInfo file;
    ASSERT_TRUE(probe.GetFileStreamInfo(file));
    EXPECT_EQ(file.Title, "Tone");
    EXPECT_EQ(file.Album, "Samples");
    EXPECT_EQ(file.Genre, "Test");
    EXPECT_EQ(file.Copyright, "None");
    EXPECT_EQ(file.Year, 2007);
    EXPECT_EQ(file.Track, 4);
    EXPECT_EQ(file.Author, "");  // the tag is "artist"; "author" is absent

    const auto lines = splitLines(probe.DumpText());
    const auto block = std::find(lines.begin(), lines.end(), "Metadata:");
    ASSERT_NE(block, lines.end());
    for (const char* expected :
         {"  title           : Tone", "  artist          : Velmora", "  album           : Samples",
          "  genre           : Test", "  date            : 2007", "  track           : 4/9",
          "  copyright       : None"}) {
        EXPECT_NE(std::find(block, lines.end(), expected), lines.end()) << expected;
    }
    const auto streams = streamLines(lines);
    ASSERT_EQ(streams.size(), 1u);
    EXPECT_EQ(streams[0].rfind("Stream #0, 1/14112000: Audio: mp3", 0), 0u) << streams[0];
}

TEST_F(ProbeSampleTest, MpegTsProgramListsItsStreamsOnce) {
    SampleSpec spec = makeSpec("mpegts", "mpeg2video", "mp2");
    spec.metadata = {{"service_provider", "Velmora"}, {"service_name", "Demo"}};
    spec.audioMetadata = {{"language", "deu"}};
    const std::string path = make(spec, "program.ts");
    TMediaProbe probe;
    ASSERT_TRUE(probe.Open(path)) << probe.LastError();
    EXPECT_EQ(probe.ProgramCount(), 1);

    const auto lines = splitLines(probe.DumpText());
    const auto program = std::find(lines.begin(), lines.end(), "Program 1 Velmora@Demo");
    ASSERT_NE(program, lines.end());
    EXPECT_EQ(*(program + 1), "  Metadata:");
    EXPECT_EQ(*(program + 2), "    service_name    : Demo");
    EXPECT_EQ(*(program + 3), "    service_provider: Velmora");
    EXPECT_EQ((program + 4)->rfind("Stream #0[0x100], 1/90000: Video: mpeg2video", 0), 0u)
        << *(program + 4);
    EXPECT_TRUE(contains(*(program + 4), ", 25 fps, 25 tbr, 90k tbn, StartTime: "))
        << *(program + 4);
    EXPECT_EQ((program + 5)->rfind("Stream #1[0x101](deu), 1/90000: Audio: mp2", 0), 0u)
        << *(program + 5);
    EXPECT_EQ(program + 6, lines.end());
    EXPECT_EQ(streamLines(lines).size(), 2u);
}

TEST_F(ProbeSampleTest, Mp4CreationTimeBecomesTheTimeStamp) {
    SampleSpec spec = makeSpec("mp4", "mpeg4", "aac");
    spec.metadata = {{"creation_time", "2010-05-01T13:45:00.000000Z"}};
    const std::string path = make(spec, "dated.mp4");
    TMediaProbe probe;
    ASSERT_TRUE(probe.Open(path)) << probe.LastError();
    TFileStreamInfo file;
    ASSERT_TRUE(probe.GetFileStreamInfo(file));
    EXPECT_EQ(file.TimeStamp, 1272721500);

    const char* saved = std::getenv("TZ");
    const std::string old = saved != nullptr ? saved : "";
    ::setenv("TZ", "UTC0", 1);
    const auto lines = splitLines(probe.DumpText());
    saved != nullptr ? ::setenv("TZ", old.c_str(), 1) : ::unsetenv("TZ");
    EXPECT_EQ(lineStartingWith(lines, "Time Stamp: "), "Time Stamp: 2010-05-01 13:45:00");
}

TEST_F(ProbeSampleTest, TruncatedFilesFailOrDescribeWithoutCrashing) {
    const std::string whole = make(makeSpec("mp4", "mpeg4", "aac"), "whole.mp4");
    const std::string ts = make(makeSpec("mpegts", "mpeg2video", "mp2"), "whole.ts");
    struct Case {
        const std::string& source;
        double fraction;
        bool mayOpen;  // a stream format keeps what was written before the cut
    };
    const Case cases[] = {
        {whole, 0.01, false}, {whole, 0.5, false}, {ts, 0.001, false}, {ts, 0.5, true}};
    int n = 0;
    for (const Case& c : cases) {
        const std::string path = m_dir.file("cut" + std::to_string(n++) + ".bin");
        ASSERT_TRUE(truncateCopy(c.source, path, c.fraction));
        TMediaProbe probe;
        if (probe.Open(path)) {
            EXPECT_TRUE(c.mayOpen) << path;
            EXPECT_FALSE(probe.DumpText().empty());
        } else {
            EXPECT_EQ(probe.LastError().rfind(path + ": ", 0), 0u) << probe.LastError();
            EXPECT_EQ(probe.StreamCount(), -1);
        }
    }
}

}  // namespace
}  // namespace velmora
