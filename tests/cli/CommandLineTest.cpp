// velmora-cli as a program: usage errors, help, exit codes and the JSON event stream.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <nlohmann/json.hpp>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "medialib/MainThreadQueue.h"
#include "samples/SampleMedia.h"
#include "support/MediaLibraries.h"
#include "support/TempDir.h"

namespace velmora::cli {
namespace {

struct Result {
    int exitCode = -1;
    std::string output;  // stdout and stderr together
};

Result runCli(const std::string& arguments) {
    const std::string command = std::string(VELMORA_CLI_PATH) + " " + arguments + " 2>&1";
    Result result;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return result;
    }
    std::array<char, 4096> buffer{};
    std::size_t read = 0;
    while ((read = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) {
        result.output.append(buffer.data(), read);
    }
    const int status = ::pclose(pipe);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
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
        {"", 2, ""},
        {"frobnicate", 2, ""},
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
        const Result result = runCli(row.arguments);
        EXPECT_EQ(result.exitCode, row.exitCode) << row.arguments << "\n" << result.output;
        EXPECT_NE(result.output.find(row.expected), std::string::npos) << row.arguments << "\n"
                                                                       << result.output;
    }
}

TEST(CommandLine, ErrorsNameTheFileOnce) {
    velmora::test::TempDir dir;
    std::ofstream(dir.file("broken.mkv")) << "not a media file";
    for (const char* name : {"missing.mkv", "broken.mkv"}) {
        const Result result = runCli("probe " + dir.file(name));
        EXPECT_EQ(result.exitCode, 1) << result.output;
        const std::string path = dir.file(name);
        const std::size_t first = result.output.find(path);
        ASSERT_NE(first, std::string::npos) << result.output;
        EXPECT_EQ(result.output.find(path, first + 1), std::string::npos) << result.output;
        EXPECT_EQ(result.output.find("Error number"), std::string::npos) << result.output;
    }
}

TEST(CommandLine, ProfilesListsTheWholeCatalogue) {
    const Result text = runCli("profiles");
    ASSERT_EQ(text.exitCode, 0);
    EXPECT_EQ(std::count(text.output.begin(), text.output.end(), '\n'), 75);
    EXPECT_NE(text.output.find("400\tMKV、MP4及常用格式\t标准MKV视频格式\t.mkv\t-\n"),
              std::string::npos);
    EXPECT_NE(text.output.find("\t.mpg\tdisc=dvd\n"), std::string::npos);

    const Result json = runCli("profiles --json");
    ASSERT_EQ(json.exitCode, 0);
    const auto list = nlohmann::json::parse(json.output);
    ASSERT_EQ(list.size(), 75u);
    EXPECT_EQ(list[0]["code"], 1);
    EXPECT_EQ(list[74]["code"], 420);
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

    const Result result = runCli("convert --json -p 200 -o " + dir.file("out") + " " +
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
    EXPECT_EQ(events[1], "failed");  // the missing file
    EXPECT_EQ(events[events.size() - 2], "done");
    EXPECT_EQ(events.back(), "all-done");
    ASSERT_EQ(last["jobs"].size(), 2u);
    EXPECT_EQ(last["jobs"][0]["output"], dir.file("out/a.mp3"));
    EXPECT_EQ(last["jobs"][0]["status"], "done");
    EXPECT_EQ(last["jobs"][1]["status"], "not added");
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
    const Result result = runCli("convert -p 400 -o " + folder + " --overwrite " + folder +
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

    const Result json =
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

    const Result text = runCli("task -i " + dir.file("cut.mkv") + " -o " + dir.file("cut.mp4"));
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
    const Result text = runCli("task -i " + dir.file("tone.wav") + " -o " + dir.file("tone.ac3") +
                               " --output-options ar=22050");
    EXPECT_EQ(text.exitCode, 0) << text.output;
    EXPECT_NE(text.output.find("closest supported (32000): ac3 cannot take 22050 Hz"),
              std::string::npos)
        << text.output;
    // No status lines unless a level is asked for.
    EXPECT_EQ(text.output.find("muxing overhead"), std::string::npos) << text.output;

    // The JSON stream stays JSON.
    const Result json = runCli("task --json -i " + dir.file("tone.wav") + " -o " +
                               dir.file("again.ac3") + " --output-options ar=22050");
    EXPECT_EQ(json.exitCode, 0) << json.output;
    std::istringstream lines(json.output);
    for (std::string line; std::getline(lines, line);) {
        bool object = false;
        try {
            object = nlohmann::json::parse(line).is_object();
        } catch (const nlohmann::json::exception&) {
        }
        EXPECT_TRUE(object) << line;
    }
}

}  // namespace
}  // namespace velmora::cli
