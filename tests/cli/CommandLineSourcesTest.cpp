// velmora-cli convert with folders (-r) and names from standard input (-, -0).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>

#include "CliRun.h"
#include "medialib/MainThreadQueue.h"
#include "samples/SampleMedia.h"
#include "support/MediaLibraries.h"
#include "support/TempDir.h"

namespace velmora::cli {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

class CommandLineSources : public ::testing::Test {
protected:
    void SetUp() override {
        SetMainThread();
        velmora::test::requireMediaLibraries();
    }

    void makeClip(const std::string& name) {
        SampleSpec spec;
        spec.container = "matroska";
        spec.durationSeconds = 0.5;
        spec.video = false;  // the runs convert to MP3: sound is all they need
        fs::create_directories(fs::path(dir.file(name)).parent_path());
        std::string error;
        ASSERT_TRUE(makeSampleMedia(spec, dir.file(name), &error)) << error;
    }

    void writeList(const std::string& name, const std::string& text) {
        std::ofstream(dir.file(name), std::ios::binary) << text;
    }

    // The sources of the jobs in the order they were added or refused, and the exit code.
    std::vector<std::string> convertedSources(const std::vector<std::string>& arguments,
                                              const std::string& input, int* exitCode) {
        std::vector<std::string> all = {"convert", "--json", "-p", "200", "-o", dir.file("out")};
        all.insert(all.end(), arguments.begin(), arguments.end());
        const test::CliResult result = test::runCli(all, input);
        *exitCode = result.exitCode;
        std::vector<std::string> sources;
        nlohmann::json last;
        for (const std::string& line : test::outputLines(result.output)) {
            last = nlohmann::json::parse(line);
        }
        EXPECT_EQ(last["event"], "all-done") << result.output;
        for (const nlohmann::json& job : last["jobs"]) {
            sources.push_back(job["source"]);
            EXPECT_EQ(job["status"], "done") << result.output;
        }
        return sources;
    }

    velmora::test::TempDir dir;
};

TEST_F(CommandLineSources, FoldersGiveTheirMediaFilesAndMinusReadsNames) {
    for (const char* name :
         {"clips/b.MKV", "clips/a.mka", "clips/deeper/c.mkv", "line\nbreak.mkv", "plain.mkv"}) {
        makeClip(name);
    }
    std::ofstream(dir.file("clips/notes.txt")) << "not media";
    int exitCode = -1;

    EXPECT_EQ(convertedSources({dir.file("clips")}, "", &exitCode),
              (std::vector<std::string>{dir.file("clips/a.mka"), dir.file("clips/b.MKV")}));
    EXPECT_EQ(exitCode, 0);

    // Depth first, and the names of standard input where "-" stands, each as it is.
    writeList("names0", dir.file("line\nbreak.mkv") + '\0' + dir.file("plain.mkv") + '\0');
    EXPECT_EQ(convertedSources({"-r", "--overwrite", "-0", "-", dir.file("clips")},
                               dir.file("names0"), &exitCode),
              (std::vector<std::string>{dir.file("line\nbreak.mkv"), dir.file("plain.mkv"),
                                        dir.file("clips/a.mka"), dir.file("clips/b.MKV"),
                                        dir.file("clips/deeper/c.mkv")}));
    EXPECT_EQ(exitCode, 0);

    // One name per line, as written on any system.
    writeList("names", dir.file("plain.mkv") + "\r\n\r\n" + dir.file("clips/b.MKV") + "\n");
    EXPECT_EQ(convertedSources({"--overwrite", "-"}, dir.file("names"), &exitCode),
              (std::vector<std::string>{dir.file("plain.mkv"), dir.file("clips/b.MKV")}));
    EXPECT_EQ(exitCode, 0);
}

TEST_F(CommandLineSources, NamesThatGiveNoJobAreToldAndUsageErrorsStopAtOnce) {
    fs::create_directories(dir.file("empty"));
    writeList("nothing", "");
    const struct {
        std::vector<std::string> arguments;
        std::string input;
        int exitCode;
        std::string expected;
    } rows[] = {
        {{"convert", "-o", dir.file("out"), dir.file("empty")},
         "",
         0,
         "warning: no media files in " + dir.file("empty") + " (-r also takes its subfolders)"},
        {{"convert", "-o", dir.file("out"), "-"},
         dir.file("nothing"),
         0,
         "warning: no source files to convert"},
        {{"convert", "-o", dir.file("out"), "-", "-"}, "", 2, "can be given once"},
        {{"convert", "-o", dir.file("out"), "-0", dir.file("empty")},
         "",
         2,
         "-0 reads the names of \"-\""},
    };
    for (const auto& row : rows) {
        const test::CliResult result = test::runCli(row.arguments, row.input);
        EXPECT_EQ(result.exitCode, row.exitCode) << result.output;
        EXPECT_NE(result.output.find(row.expected), std::string::npos) << result.output;
    }
}

}  // namespace
}  // namespace velmora::cli
