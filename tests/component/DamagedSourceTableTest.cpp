// Damaged sources through the converter, one row per kind of damage: the end state each job
// must report and the files it must leave in the output folder (its one output under the final
// name, or nothing).
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "component/MediaConverter.h"
#include "medialib/MainThreadQueue.h"
#include "samples/DamagedMedia.h"
#include "samples/SampleMedia.h"
#include "support/MediaLibraries.h"
#include "support/TempDir.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

// Writes a damaged source to `path`; false with the reason in *error.
using MakeSource =
    std::function<bool(const fs::path& work, const std::string& path, std::string* error)>;

SampleSpec smallSpec(const char* container, double seconds) {
    SampleSpec spec;
    spec.container = container;
    spec.durationSeconds = seconds;
    spec.width = 160;
    spec.height = 120;
    return spec;
}

// A clean clip written first into the work folder, then damaged into the source.
MakeSource damaged(
    SampleSpec spec, const std::string& cleanName,
    std::function<bool(const std::string& clean, const std::string& path, std::string* error)>
        damage) {
    return [=](const fs::path& work, const std::string& path, std::string* error) {
        const std::string clean = (work / cleanName).string();
        return makeSampleMedia(spec, clean, error) && damage(clean, path, error);
    };
}

MakeSource truncated(SampleSpec spec, const std::string& cleanName, double fraction) {
    return damaged(spec, cleanName,
                   [fraction](const std::string& clean, const std::string& path, std::string*) {
                       return truncateCopy(clean, path, fraction);
                   });
}

MakeSource withDamagedByte(SampleSpec spec, const std::string& cleanName,
                           const std::string& pattern, int offset, int count) {
    return damaged(spec, cleanName,
                   [=](const std::string& clean, const std::string& path, std::string* error) {
                       const std::int64_t at = findBytes(clean, pattern);
                       return at >= 0 && flipBytes(clean, path, at + offset, count, error);
                   });
}

SampleSpec asfSpec() {
    SampleSpec spec = smallSpec("asf", 6.0);
    spec.videoCodec = "wmv2";
    spec.audioCodec = "wmav2";
    return spec;
}

// Video shifted as the damage says, the ASF header then claiming `seconds`.
MakeSource asfWithShiftedVideo(std::vector<TimestampShift> shifts, double seconds) {
    return damaged(asfSpec(), "clean.asf",
                   [=](const std::string& clean, const std::string& path, std::string* error) {
                       RemuxDamage damage;
                       damage.shifts = shifts;
                       return remuxDamaged(clean, path, damage, error) &&
                              setAsfDuration(path, seconds, error);
                   });
}

struct Row {
    const char* name;
    const char* source;  // file name of the damaged source
    MakeSource make;
    const char* output;  // file name of the output
    TOutputOptions options;
    std::optional<TaskEndState> state;  // nullopt: refused when the job is added (failed)
    bool outputKept;                    // exactly the output is left; otherwise nothing
};

TOutputOptions encoders(const char* video, const char* audio, const char* rate = "") {
    TOutputOptions options;
    options.VideoCodec = video;
    options.AudioCodec = audio;
    options.FrameRate = rate;
    return options;
}

std::vector<Row> rows() {
    const TOutputOptions x264 = encoders("libx264", "aac");
    const TOutputOptions mpeg4 = encoders("mpeg4", "mp2", "25");
    SampleSpec y4m = smallSpec("yuv4mpegpipe", 2.0);
    y4m.videoCodec = "wrapped_avframe";
    y4m.audio = false;
    SampleSpec vorbis = smallSpec("matroska", 2.0);
    vorbis.audioCodec = "libvorbis";
    SampleSpec transport = smallSpec("mpegts", 6.0);
    transport.videoCodec = "mpeg2video";
    transport.audioCodec = "mp2";
    SampleSpec odd = smallSpec("webm", 1.0);
    odd.videoCodec = "libvpx";
    odd.audioCodec = "libvorbis";
    odd.width = 321;
    odd.height = 241;
    odd.videoFilter = "scale=321:241";  // the test picture itself comes in even sizes only
    std::vector<TimestampShift> jumps;
    for (int second = 1; second < 6; ++second) {
        jumps.push_back({AVMEDIA_TYPE_VIDEO, static_cast<double>(second), 8.0});
    }
    return {
        {"clean source", "clean.mkv",
         [](const fs::path&, const std::string& path, std::string* error) {
             return makeSampleMedia(smallSpec("matroska", 2.0), path, error);
         },
         "out.mkv", x264, TaskEndState::Done, true},
        {"truncated to its header", "cut2.mkv",
         truncated(smallSpec("matroska", 4.0), "clean.mkv", 0.02), "out.mkv", x264,
         TaskEndState::Failed, false},
        {"truncated at 30 %", "cut30.mkv", truncated(smallSpec("matroska", 4.0), "clean.mkv", 0.3),
         "out.mkv", x264, TaskEndState::Incomplete, true},
        {"truncated at 60 %", "cut60.mkv", truncated(smallSpec("matroska", 4.0), "clean.mkv", 0.6),
         "out.avi", mpeg4, TaskEndState::Incomplete, true},
        {"AVI truncated at 60 %", "cut60.avi", truncated(smallSpec("avi", 4.0), "clean.avi", 0.6),
         "out.avi", mpeg4, TaskEndState::Incomplete, true},
        {"MP4 truncated before its index", "cut.mp4",
         truncated(smallSpec("mp4", 2.0), "clean.mp4", 0.5), "out.mkv", x264, std::nullopt, false},
        {"AVI index removed", "noindex.avi",
         damaged(smallSpec("avi", 8.0), "clean.avi",
                 [](const std::string& clean, const std::string& path, std::string* error) {
                     RemuxDamage soundFirst;
                     soundFirst.writeFirst = AVMEDIA_TYPE_AUDIO;
                     const std::string middle = clean + ".sound-first.avi";
                     return remuxDamaged(clean, middle, soundFirst, error) &&
                            removeAviIndex(middle, path, error);
                 }),
         "out.mp4", x264, TaskEndState::Done, true},
        {"MP4 chunk offset byte flipped", "offset.mp4",
         withDamagedByte(smallSpec("mp4", 4.0), "clean.mp4", "stco", 16, 4), "out.mkv", x264,
         TaskEndState::DoneWithSkippedData, true},
        {"stream stamped an hour beyond its file", "late.asf",
         asfWithShiftedVideo({{AVMEDIA_TYPE_VIDEO, 0.0, 3600000.0}}, 6.04), "out.mkv", x264,
         TaskEndState::Done, true},
        {"time stamps jumping past the file's end", "jumping.asf", asfWithShiftedVideo(jumps, 6.0),
         "out.avi", mpeg4, TaskEndState::Failed, false},
        {"Matroska pictures jumping 1000 s ahead in the middle", "jump.mkv",
         damaged(smallSpec("matroska", 4.0), "clean.mkv",
                 [](const std::string& clean, const std::string& path, std::string* error) {
                     RemuxDamage damage;
                     damage.shifts = {{AVMEDIA_TYPE_VIDEO, 2.0, 1000.0}};
                     return remuxDamaged(clean, path, damage, error);
                 }),
         "out.mp4", x264, TaskEndState::Done, true},
        {"transport stream jumping 1000 s ahead in the middle", "jump.ts",
         damaged(transport, "clean.ts",
                 [](const std::string& clean, const std::string& path, std::string* error) {
                     RemuxDamage damage;
                     damage.shifts = {{AVMEDIA_TYPE_VIDEO, 3.0, 1000.0},
                                      {AVMEDIA_TYPE_AUDIO, 3.0, 1000.0}};
                     return remuxDamaged(clean, path, damage, error);
                 }),
         "out.mkv", x264, TaskEndState::Done, true},
        {"transport stream with bits flipped", "flipped.ts",
         damaged(transport, "clean.ts",
                 [](const std::string& clean, const std::string& path, std::string* error) {
                     return flipBits(clean, path, 0.001, 1, 0, error);
                 }),
         "out.mkv", x264, TaskEndState::DoneWithSkippedData, true},
        {"transport stream with a hole of garbage", "hole.ts",
         damaged(transport, "clean.ts",
                 [](const std::string& clean, const std::string& path, std::string* error) {
                     return insertBytes(clean, path, 188 * 300, 200000, 0, error);
                 }),
         "out.mkv", x264, TaskEndState::DoneWithSkippedData, true},
        {"picture rows padded", "padded.y4m",
         damaged(y4m, "clean.y4m",
                 [](const std::string& clean, const std::string& path, std::string* error) {
                     return padY4mRows(clean, path, 16, error);
                 }),
         "out.mkv", x264, TaskEndState::Incomplete, true},
        {"audio header damaged", "vorbis.mkv",
         withDamagedByte(vorbis, "clean.mkv", std::string("\x01vorbis", 7), 3, 1), "out.mkv", x264,
         TaskEndState::DoneWithDroppedStream, true},
        {"zero bytes", "empty.mkv",
         [](const fs::path&, const std::string& path, std::string*) {
             return static_cast<bool>(std::ofstream(path, std::ios::binary));
         },
         "out.mkv", x264, std::nullopt, false},
        {"media data missing", "nomdat.mp4",
         damaged(smallSpec("mp4", 2.0), "clean.mp4",
                 [](const std::string& clean, const std::string& path, std::string* error) {
                     return removeMp4Box(clean, path, "mdat", error);
                 }),
         "out.mkv", x264, TaskEndState::Failed, false},
        {"odd picture size", "odd.webm",
         [odd](const fs::path&, const std::string& path, std::string* error) {
             return makeSampleMedia(odd, path, error);
         },
         "out.mkv", x264, TaskEndState::Done, true},
    };
}

void PrintTo(const Row& row, std::ostream* out) {
    *out << row.name;
}

}  // namespace

// Failure messages name the state (found by argument-dependent lookup).
void PrintTo(TaskEndState state, std::ostream* out) {
    static const char* const kNames[] = {
        "Done", "DoneWithSkippedData", "DoneWithDroppedStream", "Incomplete", "Failed", "Stopped"};
    *out << kNames[static_cast<int>(state)];
}

namespace {

std::vector<std::string> filesIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

class DamagedSources : public ::testing::TestWithParam<Row> {
protected:
    void SetUp() override {
        SetMainThread();
        test::requireMediaLibraries();
    }
    test::TempDir dir;
};

TEST_P(DamagedSources, EndInTheTrueStateAndLeaveOnlyAFinishedOutput) {
    const Row& row = GetParam();
    const fs::path work = dir.path() / "work";
    const fs::path sources = dir.path() / "sources";
    const fs::path outputs = dir.path() / "out";
    for (const fs::path& folder : {work, sources, outputs}) {
        fs::create_directories(folder);
    }
    const std::string source = (sources / row.source).string();
    std::string error;
    ASSERT_TRUE(row.make(work, source, &error)) << error;

    TMediaConverter converter;
    std::optional<TTerminateInfo> ended;
    converter.SetOnTerminate([&](TCustomMediaConverter&, const TTerminateInfo& info) {
        if (info.TaskIndex >= 0) {
            ended = info;
        }
    });
    const std::string output = (outputs / row.output).string();
    const int task = converter.AddTask(source);
    const bool added = task >= 0 && converter.SetOutputFile(task, output, &row.options);
    if (!row.state) {
        EXPECT_FALSE(added) << "a source that cannot be read is refused when it is added";
        EXPECT_FALSE(converter.LastErrMsg().empty());
    } else {
        ASSERT_TRUE(added) << converter.LastErrMsg();
        converter.StartTask(0);
        ASSERT_TRUE(ended.has_value());
        EXPECT_EQ(ended->EndState, *row.state) << ended->ExceptionMsg << ended->EndStateText;
    }
    const std::vector<std::string> expected =
        row.outputKept ? std::vector<std::string>{row.output} : std::vector<std::string>{};
    EXPECT_EQ(filesIn(outputs), expected);
    EXPECT_EQ(filesIn(sources), std::vector<std::string>{row.source}) << "the source is kept";
}

std::string rowName(const ::testing::TestParamInfo<Row>& info) {
    std::string name = info.param.name;
    for (char& c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c))) {
            c = '_';
        }
    }
    return name;
}

INSTANTIATE_TEST_SUITE_P(Table, DamagedSources, ::testing::ValuesIn(rows()), rowName);

}  // namespace
}  // namespace velmora
