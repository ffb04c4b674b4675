// A complete set of the media libraries in a "LibAV" folder: copies of the system's libraries
// next to a copy of a small program that loads them (LibraryFolderCheck.cpp) and reports where
// every media library in its process came from and what the libraries logged.
//
// Two runs. Beside the system's own copies, every media library must come from the folder,
// one copy each, with the libraries' log lines going through the logger. And in a private
// mount namespace where the system's copies are covered by empty files (so any attempt to use
// one fails), the folder alone must be enough: that proves the folder's libraries find each
// other and do not merely happen to match the system's. The second run needs the right to
// make mount namespaces (root) and is skipped without it.
#include <gtest/gtest.h>

#include <link.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "medialib/MediaLibLoader.h"
#include "samples/SampleMedia.h"
#include "support/MediaLibraries.h"
#include "support/TempDir.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

std::string readText(const fs::path& path) {
    std::ifstream input(path);
    std::stringstream text;
    text << input.rdbuf();
    return text.str();
}

std::vector<std::string> linesStartingWith(const std::string& text, const std::string& prefix) {
    std::vector<std::string> lines;
    std::istringstream input(text);
    for (std::string line; std::getline(input, line);) {
        if (line.rfind(prefix, 0) == 0) {
            lines.push_back(line.substr(prefix.size()));
        }
    }
    return lines;
}

// The text as one word of a shell command line.
std::string shellWord(const std::string& text) {
    std::string word = "'";
    for (char c : text) {
        word += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return word + "'";
}

int collectMediaLibrary(dl_phdr_info* info, size_t, void* data) {
    const std::string path = info->dlpi_name != nullptr ? info->dlpi_name : "";
    const std::string name = path.substr(path.rfind('/') + 1);
    for (const char* prefix : {"libav", "libsw", "libpostproc"}) {
        if (name.rfind(prefix, 0) == 0) {
            static_cast<std::vector<std::string>*>(data)->push_back(path);
        }
    }
    return 0;
}

struct RunResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

class LibraryFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The system's copies, loaded in this process the ordinary way, are what the folder
        // gets copies of (under the names the libraries ask each other for).
        test::requireMediaLibraries();
        dl_iterate_phdr(collectMediaLibrary, &m_systemLibraries);
        ASSERT_GE(m_systemLibraries.size(), 7u);
        m_program = m_dir.path() / "app" / "velmora_library_folder_check";
        m_folder = m_dir.path() / "app" / "LibAV";
        fs::create_directories(m_folder);
        fs::copy_file(VELMORA_LIBRARY_FOLDER_CHECK, m_program);
        for (const std::string& library : m_systemLibraries) {
            fs::copy_file(library, m_folder / fs::path(library).filename());
        }
        // An MP4 cut before its index: the demuxer logs "moov atom not found".
        SampleSpec spec;
        spec.container = "mp4";
        spec.durationSeconds = 1.0;
        const std::string whole = m_dir.file("whole.mp4");
        std::string error;
        ASSERT_TRUE(makeSampleMedia(spec, whole, &error)) << error;
        m_cutFile = m_dir.file("cut.mp4");
        ASSERT_TRUE(truncateCopy(whole, m_cutFile, 0.5));
    }

    // Runs a shell command line with the output of the check program in files.
    RunResult run(const std::string& commandLine) {
        const std::string out = m_dir.file("out.txt");
        const std::string err = m_dir.file("err.txt");
        const int status =
            std::system((commandLine + " >" + shellWord(out) + " 2>" + shellWord(err)).c_str());
        RunResult result;
        result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        result.out = readText(out);
        result.err = readText(err);
        return result;
    }

    std::string checkCommand() const {
        // Leaks of the libraries inside a process that only loads them are not the point here.
        return "env ASAN_OPTIONS=detect_leaks=0 " + shellWord(m_program.string()) + " " +
               shellWord(m_cutFile);
    }

    // Everything the folder run must show.
    void expectEverythingFromTheFolder(const RunResult& result) {
        ASSERT_EQ(result.exitCode, 0) << result.out << result.err;
        const std::string folder = m_folder.string() + "/";
        const std::vector<std::string> loaded = linesStartingWith(result.out, "loaded ");
        EXPECT_EQ(loaded.size(), 7u) << result.out;
        for (const std::string& line : loaded) {
            const std::string name = line.substr(0, line.find(' '));
            if (name != "msvcrt") {
                EXPECT_NE(line.find(" " + folder), std::string::npos) << line;
            }
        }
        std::set<std::string> names;
        for (const std::string& path : linesStartingWith(result.out, "mapped ")) {
            EXPECT_EQ(path.rfind(folder, 0), 0u) << "a system copy in the process: " << path;
            EXPECT_TRUE(names.insert(fs::path(path).filename().string()).second)
                << "two copies of " << path;
        }
        EXPECT_EQ(names.size(), m_systemLibraries.size()) << result.out;
        bool logged = false;
        for (const std::string& line : linesStartingWith(result.out, "log ")) {
            logged = logged || line.find("moov atom not found") != std::string::npos;
        }
        EXPECT_TRUE(logged) << "the demuxer's complaint did not reach the logger:\n" << result.out;
        EXPECT_EQ(result.err.find("moov atom not found"), std::string::npos)
            << "a library line bypassed the logger:\n"
            << result.err;
    }

    test::TempDir m_dir;
    std::vector<std::string> m_systemLibraries;
    fs::path m_program;
    fs::path m_folder;
    std::string m_cutFile;
};

TEST_F(LibraryFolderTest, TheFolderNextToTheProgramIsUsedBesideTheSystemCopies) {
    expectEverythingFromTheFolder(run(checkCommand()));
}

TEST_F(LibraryFolderTest, TheFolderIsEnoughWhenTheSystemCopiesCannotBeUsed) {
    if (run("unshare -m true").exitCode != 0) {
        GTEST_SKIP() << "no private mount namespaces here (needs root)";
    }
    const std::string empty = m_dir.file("empty");
    std::ofstream(empty).close();
    std::string script = "set -e; ";
    for (const std::string& library : m_systemLibraries) {
        script +=
            "mount --bind " + shellWord(empty) + " " + shellWord(fs::canonical(library)) + "; ";
    }
    // First show that the system's copies are unusable now, then run the check.
    script += shellWord(m_program.string()) + " --try-system";
    for (const std::string& library : m_systemLibraries) {
        script += " " + shellWord(fs::path(library).filename().string());
    }
    script += "; exec " + checkCommand();
    const RunResult result = run("unshare -m sh -c " + shellWord(script));
    if (result.exitCode != 0 && result.out.empty()) {
        GTEST_SKIP() << "cannot cover the system libraries: " << result.err;
    }
    const std::vector<std::string> system = linesStartingWith(result.out, "system ");
    EXPECT_EQ(system.size(), m_systemLibraries.size());
    for (const std::string& line : system) {
        EXPECT_NE(line.find(" unusable"), std::string::npos) << line;
    }
    expectEverythingFromTheFolder(result);
}

}  // namespace
}  // namespace velmora
