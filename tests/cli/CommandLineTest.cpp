// velmora-cli as a program: usage errors, help, exit codes and the JSON event stream.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "CliRun.h"
#include "medialib/MainThreadQueue.h"
#include "samples/SampleMedia.h"
#include "support/MediaLibraries.h"
#include "support/TempDir.h"

namespace velmora::cli {
namespace {

using test::CliResult;

CliResult runCli(const std::string& arguments) {
    return test::runCliLine(arguments);
}

struct Row {
    std::string arguments;
    int exitCode;
    std::string expected;  // part of the output
};

TEST(CommandLine, UsageHelpAndRefusals) {
    velmora::test::TempDir dir;
    const Row rows[] = {
        {"--version", 0, "velmora-cli 0.1.0"},
        {"", 2, "no command given; the commands are libs, play, profiles, options, convert"},
        {"frobnicate", 2, "unknown command \"frobnicate\"; the commands are libs, play"},
        {"--log-level info convrt a.mkv", 2, "unknown command \"convrt\""},
        {"lock", 2, "velmora-cli lock: no command given; the commands are set, clear\n"},
        {"lock unset", 2, "velmora-cli lock: unknown command \"unset\"; the commands are set"},
        {"convert --help", 0, "--set"},
        {"task --help", 0, "--join"},
        {"convert", 2, "FILE is required"},
        {"convert -p 999 a.mkv", 2, "unknown profile 999"},
        {"convert -p 4 --set frame-size=1*1 a.mkv", 2, "320*240 (PSP所有固件版本适用)"},
        {"convert --set speed=2 a.mkv", 2, "unknown option list"},
        {"convert --cut 10 a.mkv", 2, "HH:MM:SS-HH:MM:SS"},
        {"convert --priority high a.mkv", 2, "idle, lowest, lower or normal"},
        {"convert -j 0 a.mkv", 2, "-j"},
        {"options -p 999", 2, "unknown profile 999"},
        {"options -p 4", 0, "  * 320*240 (PSP所有固件版本适用)"},
        {"task -i a.mkv", 2, "--output is required"},
        {"convert -o " + dir.file("f") + "/x " + dir.file("f"), 1, "output folder"},
        {"convert -o " + dir.file("out") + " " + dir.file("missing.mkv"), 1,
         "cannot open the source: "},
        {"probe " + dir.file("missing.mkv"), 1, "missing.mkv"},
    };
    // A plain file where the output folder's parent should be.
    std::ofstream(dir.file("f")) << "x";
    for (const Row& row : rows) {
        const CliResult result = runCli(row.arguments);
        EXPECT_EQ(result.exitCode, row.exitCode) << row.arguments << "\n" << result.output;
        EXPECT_NE(result.output.find(row.expected), std::string::npos) << row.arguments << "\n"
                                                                       << result.output;
    }
}

TEST(CommandLine, EveryHelpNamesTheExitCodes) {
    const struct {
        const char* command;
        std::vector<const char*> codes;
    } rows[] = {
        {"", {"0", "1", "2", "130"}},     {"libs", {"0", "1", "2"}},
        {"play", {"0", "1", "2"}},        {"profiles", {"0", "2"}},
        {"options", {"0", "2"}},          {"convert", {"0", "1", "2", "130"}},
        {"probe", {"0", "1", "2"}},       {"task", {"0", "1", "2", "130"}},
        {"demo", {"0", "1", "2", "130"}}, {"lock", {"0", "1", "2"}},
        {"lock set", {"0", "1", "2"}},    {"lock clear", {"0", "1", "2"}},
    };
    for (const auto& row : rows) {
        const CliResult help = runCli(std::string(row.command) + " --help");
        EXPECT_EQ(help.exitCode, 0) << row.command;
        const std::size_t codes = help.output.find("\nExit codes:\n");
        ASSERT_NE(codes, std::string::npos) << row.command << "\n" << help.output;
        for (const char* code : row.codes) {
            EXPECT_NE(help.output.find("\n  " + std::string(code) + " ", codes), std::string::npos)
                << row.command << " " << code << "\n"
                << help.output;
        }
    }
    const CliResult convert = runCli("convert --help");
    EXPECT_NE(convert.output.find("the profile's own choices take precedence"), std::string::npos)
        << convert.output;
}

TEST(CommandLine, SourceWithoutSoundIsRefusedByAnAudioProfileWhenAdded) {
    SetMainThread();
    velmora::test::requireMediaLibraries();
    velmora::test::TempDir dir;
    SampleSpec spec;
    spec.container = "matroska";
    spec.durationSeconds = 0.5;
    spec.audio = false;
    std::string error;
    ASSERT_TRUE(makeSampleMedia(spec, dir.file("silent.mkv"), &error)) << error;

    const CliResult audio =
        runCli("convert -p 200 -o " + dir.file("out") + " " + dir.file("silent.mkv"));
    EXPECT_EQ(audio.exitCode, 1) << audio.output;
    EXPECT_NE(audio.output.find("[1] not added: the source has no audio stream\n"),
              std::string::npos)
        << audio.output;
    EXPECT_TRUE(std::filesystem::is_empty(dir.file("out")));
    // A video profile takes it.
    const CliResult video =
        runCli("convert -p 1 -o " + dir.file("out") + " " + dir.file("silent.mkv"));
    EXPECT_EQ(video.exitCode, 0) << video.output;
}

TEST(CommandLine, ExtOptionsNothingTakesAreWarnedAbout) {
    SetMainThread();
    velmora::test::requireMediaLibraries();
    velmora::test::TempDir dir;
    SampleSpec spec;
    spec.container = "matroska";
    spec.durationSeconds = 0.5;
    std::string error;
    ASSERT_TRUE(makeSampleMedia(spec, dir.file("a.mkv"), &error)) << error;

    // A misspelt name and a value the libraries refuse are told; the engine's own names, the
    // libraries' names are not.
    const test::CliResult result = test::runCli(
        {"convert", "-p", "200", "-o", dir.file("out"), "--ext-options",
         "frobnicate=1\nbufsize=lots\nab=96000\nflags=+bitexact\nac=2", dir.file("a.mkv")});
    EXPECT_EQ(result.exitCode, 0) << result.output;
    EXPECT_NE(result.output.find("warning: --ext-options: nothing in the engine takes "
                                 "\"frobnicate=1\""),
              std::string::npos)
        << result.output;
    EXPECT_NE(result.output.find("\"bufsize=lots\""), std::string::npos) << result.output;
    for (const char* taken : {"ab=", "flags=", "ac="}) {
        EXPECT_EQ(result.output.find(std::string("\"") + taken), std::string::npos)
            << taken << "\n"
            << result.output;
    }
}

TEST(CommandLine, AFolderThatCannotBeWrittenSaysSo) {
    velmora::test::TempDir dir;
    // velmora-cli runs as a user without rights on the folder: as this one, or as nobody when
    // this one may write anywhere.
    std::string launcher;
    if (::geteuid() == 0) {
        if (std::system("setpriv --help > /dev/null 2>&1") != 0) {
            GTEST_SKIP() << "running as root without setpriv to run as another user";
        }
        launcher = "setpriv --reuid=65534 --regid=65534 --clear-groups";
        std::filesystem::permissions(dir.path(), std::filesystem::perms::owner_all |
                                                     std::filesystem::perms::group_read |
                                                     std::filesystem::perms::group_exec |
                                                     std::filesystem::perms::others_read |
                                                     std::filesystem::perms::others_exec);
    }
    std::filesystem::create_directories(dir.file("locked"));
    std::filesystem::permissions(dir.file("locked"), std::filesystem::perms::owner_read |
                                                         std::filesystem::perms::owner_exec |
                                                         std::filesystem::perms::others_read |
                                                         std::filesystem::perms::others_exec);
    const CliResult result =
        test::runCliLine("convert -o " + dir.file("locked") + " a.mkv", launcher);
    EXPECT_EQ(result.exitCode, 1) << result.output;
    EXPECT_NE(result.output.find("error: cannot write to " + dir.file("locked") +
                                 ": permission denied\n"),
              std::string::npos)
        << result.output;
    std::filesystem::permissions(dir.file("locked"), std::filesystem::perms::owner_all);
}

TEST(CommandLine, ErrorsNameTheFileOnce) {
    velmora::test::TempDir dir;
    std::ofstream(dir.file("broken.mkv")) << "not a media file";
    for (const char* name : {"missing.mkv", "broken.mkv"}) {
        const CliResult result = runCli("probe " + dir.file(name));
        EXPECT_EQ(result.exitCode, 1) << result.output;
        const std::string path = dir.file(name);
        const std::size_t first = result.output.find(path);
        ASSERT_NE(first, std::string::npos) << result.output;
        EXPECT_EQ(result.output.find(path, first + 1), std::string::npos) << result.output;
        EXPECT_EQ(result.output.find("Error number"), std::string::npos) << result.output;
    }
}

TEST(CommandLine, ProfilesListsTheWholeCatalogue) {
    const CliResult text = runCli("profiles");
    ASSERT_EQ(text.exitCode, 0);
    EXPECT_EQ(std::count(text.output.begin(), text.output.end(), '\n'), 75);
    // What each produces at its preselected choices, beside what it is.
    EXPECT_NE(text.output.find("400\tMKV、MP4及常用格式\t标准MKV视频格式\t.mkv\t-\tmatroska\tmpeg4 "
                               "(source size)\taac\n"),
              std::string::npos)
        << text.output;
    EXPECT_NE(text.output.find("\t.mpg\tdisc=dvd\tdvd\tmpeg2video 720x576\tmp3\n"),
              std::string::npos);
    EXPECT_NE(text.output.find("\t.wav\taudio\twav\t-\tpcm_s16le\n"), std::string::npos);

    const CliResult json = runCli("profiles --json");
    ASSERT_EQ(json.exitCode, 0);
    const auto list = nlohmann::json::parse(json.output);
    ASSERT_EQ(list.size(), 75u);
    EXPECT_EQ(list[0]["code"], 1);
    EXPECT_EQ(list[74]["code"], 420);
    EXPECT_EQ(list[0]["produces"]["container"], "avi");
    EXPECT_EQ(list[0]["produces"]["frame_size"], "320x240");
    const nlohmann::json& mp3 = *std::find_if(
        list.begin(), list.end(), [](const auto& entry) { return entry["code"] == 200; });
    EXPECT_TRUE(mp3["produces"]["video_codec"].is_null());
    EXPECT_EQ(mp3["produces"]["audio_codec"], "mp3");
}

TEST(CommandLine, ConvertJsonGivesOneObjectPerEvent) {
    SetMainThread();
    velmora::test::requireMediaLibraries();
    velmora::test::TempDir dir;
    SampleSpec spec;
    spec.container = "matroska";
    spec.durationSeconds = 1.0;
    std::string error;
    ASSERT_TRUE(makeSampleMedia(spec, dir.file("a.mkv"), &error)) << error;

    const CliResult result = runCli("convert --json -p 200 -o " + dir.file("out") + " " +
                                    dir.file("a.mkv") + " " + dir.file("missing.mkv"));
    EXPECT_EQ(result.exitCode, 1) << result.output;
    std::istringstream lines(result.output);
    std::vector<std::string> events;
    nlohmann::json last;
    for (std::string line; std::getline(lines, line);) {
        last = nlohmann::json::parse(line);
        events.push_back(last["event"]);
    }
    ASSERT_GE(events.size(), 4u) << result.output;
    EXPECT_EQ(events[0], "added");
    EXPECT_EQ(events[1], "result");  // the missing file
    EXPECT_EQ(events[events.size() - 2], "result");
    EXPECT_EQ(events.back(), "all-done");
    ASSERT_EQ(last["jobs"].size(), 2u);
    EXPECT_EQ(last["jobs"][0]["output"], dir.file("out/a.mp3"));
    EXPECT_EQ(last["jobs"][0]["status"], "done");
    EXPECT_EQ(last["jobs"][1]["status"], "not-added");
}

std::string fileContents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

TEST(CommandLine, OverwritingNeverDestroysASourceOfTheBatch) {
    SetMainThread();
    velmora::test::requireMediaLibraries();
    velmora::test::TempDir dir;
    const std::string folder = dir.file("dl");
    std::filesystem::create_directories(folder);
    SampleSpec spec;
    spec.durationSeconds = 1.0;
    std::string error;
    spec.container = "avi";
    ASSERT_TRUE(makeSampleMedia(spec, folder + "/clip.avi", &error)) << error;
    spec.container = "matroska";
    spec.durationSeconds = 3.0;
    ASSERT_TRUE(makeSampleMedia(spec, folder + "/clip.mkv", &error)) << error;
    const std::string avi = fileContents(folder + "/clip.avi");
    const std::string mkv = fileContents(folder + "/clip.mkv");

    // The first job's output is the second job's source; the second's is its own source.
    const CliResult result = runCli("convert -p 400 -o " + folder + " --overwrite " + folder +
                                    "/clip.avi " + folder + "/clip.mkv");
    EXPECT_EQ(result.exitCode, 1) << result.output;
    EXPECT_NE(result.output.find("would overwrite the source of another job"), std::string::npos)
        << result.output;
    EXPECT_NE(result.output.find("would overwrite its source"), std::string::npos) << result.output;
    EXPECT_EQ(fileContents(folder + "/clip.avi"), avi);
    EXPECT_EQ(fileContents(folder + "/clip.mkv"), mkv);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder),
                            std::filesystem::directory_iterator()),
              2);
}

TEST(CommandLine, IncompleteResultIsToldAndExitsOne) {
    SetMainThread();
    velmora::test::requireMediaLibraries();
    velmora::test::TempDir dir;
    SampleSpec spec;
    spec.container = "matroska";
    spec.durationSeconds = 4.0;
    std::string error;
    ASSERT_TRUE(makeSampleMedia(spec, dir.file("whole.mkv"), &error)) << error;
    // The header still promises 4 s; half the file is gone.
    ASSERT_TRUE(truncateCopy(dir.file("whole.mkv"), dir.file("cut.mkv"), 0.5));

    const CliResult json =
        runCli("convert --json -p 1 -o " + dir.file("out") + " " + dir.file("cut.mkv"));
    EXPECT_EQ(json.exitCode, 1) << json.output;
    std::istringstream lines(json.output);
    nlohmann::json last;
    for (std::string line; std::getline(lines, line);) {
        last = nlohmann::json::parse(line);
    }
    ASSERT_EQ(last["event"], "all-done") << json.output;
    const nlohmann::json& job = last["jobs"][0];
    EXPECT_EQ(job["status"], "incomplete");
    EXPECT_EQ(job["end_state"], "incomplete");
    EXPECT_EQ(job["message"].get<std::string>().rfind("only ", 0), 0u) << job;
    EXPECT_NE(job["message"].get<std::string>().find(" of 4.0 s converted"), std::string::npos)
        << job;
    // The partial result is kept under its name: it is closed and playable.
    EXPECT_TRUE(std::filesystem::exists(dir.file("out/cut.avi")));

    const CliResult text = runCli("task -i " + dir.file("cut.mkv") + " -o " + dir.file("cut.mp4"));
    EXPECT_EQ(text.exitCode, 1) << text.output;
    EXPECT_NE(text.output.find("[1] incomplete: only "), std::string::npos) << text.output;
}

TEST(CommandLine, ChoicesMadeInTheUsersPlaceAreToldByDefault) {
    SetMainThread();
    velmora::test::requireMediaLibraries();
    velmora::test::TempDir dir;
    SampleSpec spec;
    spec.container = "wav";
    spec.video = false;
    spec.audioCodec = "pcm_s16le";
    spec.durationSeconds = 0.5;
    std::string error;
    ASSERT_TRUE(makeSampleMedia(spec, dir.file("tone.wav"), &error)) << error;

    // AC-3 takes no 22050 Hz: the nearest rate it takes is used, and said so.
    const CliResult text = runCli("task -i " + dir.file("tone.wav") + " -o " +
                                  dir.file("tone.ac3") + " --output-options ar=22050");
    EXPECT_EQ(text.exitCode, 0) << text.output;
    EXPECT_NE(text.output.find("closest supported (32000): ac3 cannot take 22050 Hz"),
              std::string::npos)
        << text.output;
    // No status lines unless a level is asked for.
    EXPECT_EQ(text.output.find("muxing overhead"), std::string::npos) << text.output;

    // The JSON stream stays JSON.
    const CliResult json = runCli("task --json -i " + dir.file("tone.wav") + " -o " +
                                  dir.file("again.ac3") + " --output-options ar=22050");
    EXPECT_EQ(json.exitCode, 0) << json.output;
    for (const std::string& line : test::outputLines(json.output)) {
        bool object = false;
        try {
            object = nlohmann::json::parse(line).is_object();
        } catch (const nlohmann::json::exception&) {
        }
        EXPECT_TRUE(object) << line;
    }
}

// With --overwrite a failed job leaves the older file of its output name in place; its result
// must not describe that file as its output.
TEST(CommandLine, AFailedJobDescribesNoOlderFileOfItsName) {
    SetMainThread();
    velmora::test::requireMediaLibraries();
    velmora::test::TempDir dir;
    SampleSpec spec;
    spec.container = "matroska";
    spec.durationSeconds = 4.0;
    std::string error;
    ASSERT_TRUE(makeSampleMedia(spec, dir.file("whole.mkv"), &error)) << error;
    // Cut to its header: it opens, but nothing can be converted.
    ASSERT_TRUE(truncateCopy(dir.file("whole.mkv"), dir.file("header.mkv"), 0.02));
    std::filesystem::create_directories(dir.file("out"));
    std::ofstream(dir.file("out/header.avi")) << "an older output";

    const CliResult json = runCli("convert --json --overwrite -p 1 -o " + dir.file("out") + " " +
                                  dir.file("header.mkv"));
    EXPECT_EQ(json.exitCode, 1) << json.output;
    nlohmann::json last;
    for (const std::string& line : test::outputLines(json.output)) {
        last = nlohmann::json::parse(line);
    }
    ASSERT_EQ(last["event"], "all-done") << json.output;
    const nlohmann::json& job = last["jobs"][0];
    EXPECT_EQ(job["status"], "failed") << job;
    EXPECT_EQ(job["output"], dir.file("out/header.avi")) << job;
    EXPECT_FALSE(job.contains("size_bytes")) << job;
    EXPECT_FALSE(job.contains("duration_seconds")) << job;
    EXPECT_EQ(fileContents(dir.file("out/header.avi")), "an older output");
}

}  // namespace
}  // namespace velmora::cli
