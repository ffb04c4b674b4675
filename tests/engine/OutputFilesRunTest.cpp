// The files a run writes: nothing before the run, a part file while it runs, the final name only
// for a kept run; what each output stream is expected to hold; a stream that gets nothing.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <set>

#include "engine/ConvertRunFixture.h"
#include "engine/MediaFacts.h"
#include "engine/OutputPartFile.h"
#include "engine/Transcoder.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

std::string contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// Writing past this many bytes fails, as on a full disk; undone on scope exit.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &m_saved);
        m_previousHandler = ::signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit = m_saved;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &m_saved);
        ::signal(SIGXFSZ, m_previousHandler);
    }

private:
    struct rlimit m_saved {};
    sighandler_t m_previousHandler = SIG_DFL;
};

class OutputFilesRunTest : public test::ConvertRunFixture {
protected:
    std::string clip(double seconds) {
        SampleSpec spec;
        spec.container = "matroska";
        spec.durationSeconds = seconds;
        spec.width = 160;
        spec.height = 120;
        return makeClip("source.mkv", spec);
    }

    std::set<std::string> folderEntries() const {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(m_dir.path() / "out")) {
            names.insert(entry.path().filename().string());
        }
        return names;
    }

    std::string out(const std::string& name) const { return m_dir.file("out/" + name); }

    void SetUp() override {
        ConvertRunFixture::SetUp();
        fs::create_directories(m_dir.path() / "out");
    }
};

TEST_F(OutputFilesRunTest, SettingUpAnOutputCreatesNothing) {
    const std::string source = clip(1.0);
    std::ofstream(out("old.mkv")) << "someone's file";
    {
        TCustomTranscoder engine;
        ASSERT_TRUE(engine.OpenInput(source));
        ASSERT_GT(engine.OpenOutput(out("old.mkv"), false), 0) << engine.LastError();
        ASSERT_GT(engine.OpenOutput(out("new/deeper/clip.avi"), false), 0) << engine.LastError();
        EXPECT_EQ(contents(out("old.mkv")), "someone's file");
        EXPECT_EQ(folderEntries(), std::set<std::string>{"old.mkv"});
    }
    // A task that never ran leaves everything as it was.
    EXPECT_EQ(contents(out("old.mkv")), "someone's file");
    EXPECT_EQ(folderEntries(), std::set<std::string>{"old.mkv"});
}

TEST_F(OutputFilesRunTest, RunWritesThePartFileAndKeepsItUnderTheFinalName) {
    const std::string source = clip(2.0);
    const std::string target = out("clip.mkv");
    std::ofstream(target) << "the previous conversion";
    TCustomTranscoder engine;
    std::vector<WrittenOutput> written;
    std::string finalDuringNotice;
    engine.onTerminate = [&](TCustomTranscoder& e) {
        written = e.WrittenOutputs();
        finalDuringNotice = contents(target);
    };
    ASSERT_TRUE(engine.OpenInput(source));
    engine.SetOption("vcodec", "mpeg4");
    ASSERT_GT(engine.OpenOutput(target, false), 0);
    engine.Start(false);
    ASSERT_FALSE(engine.Exception()) << engine.ExceptionMessage();

    ASSERT_EQ(written.size(), 1u);
    EXPECT_EQ(written[0].finalName, target);
    EXPECT_EQ(written[0].partName, partFileName(target, ::getpid()));
    // Until the verdict the old file stands as it was.
    EXPECT_EQ(finalDuringNotice, "the previous conversion");
    EXPECT_EQ(folderEntries(), std::set<std::string>{"clip.mkv"});
    EXPECT_TRUE(test::ReadMediaFacts(target).opened);
    ASSERT_EQ(written[0].streams.size(), 2u);
    for (const WrittenStream& stream : written[0].streams) {
        EXPECT_NEAR(stream.expectedEndUs / 1e6, 2.0, 0.1) << stream.type;
        EXPECT_NEAR(stream.writtenEndUs / 1e6, 2.0, 0.1) << stream.type;
        EXPECT_GT(stream.packetsWritten, 0);
    }
}

TEST_F(OutputFilesRunTest, FailedRunLeavesNoFileUnderAnyName) {
    const std::string source = clip(4.0);
    std::ofstream(out("kept.mkv")) << "the previous conversion";
    for (const char* name : {"kept.mkv", "fresh.mkv"}) {
        SCOPED_TRACE(name);
        TCustomTranscoder engine;
        ASSERT_TRUE(engine.OpenInput(source));
        engine.SetOption("vcodec", "mpeg4");
        engine.SetOption("b", "2000000");
        ASSERT_GT(engine.OpenOutput(out(name), false), 0);
        {
            // The disk fills up after 64 KiB of the output.
            const FileSizeLimit limit(64 * 1024);
            engine.Start(false);
        }
        EXPECT_TRUE(engine.Exception());
    }
    EXPECT_EQ(contents(out("kept.mkv")), "the previous conversion");
    EXPECT_EQ(folderEntries(), std::set<std::string>{"kept.mkv"});
}

TEST_F(OutputFilesRunTest, ExpectedEndsFollowStartLengthAndLimits) {
    const std::string source = clip(4.0);
    struct Row {
        const char* what;
        test::OptionList inputOptions;
        test::OptionList outputOptions;
        double expectedSeconds;  // -1: nothing expected
    };
    const Row rows[] = {
        {"whole source", {}, {}, 4.0},
        {"input start (a cut)", {{"ss", "1"}}, {}, 3.0},
        {"output start", {}, {{"ss", "1.5"}}, 2.5},
        {"recording time", {}, {{"t", "1.5"}}, 1.5},
        {"cut start and length", {{"ss", "1"}}, {{"t", "2"}}, 2.0},
        {"frame limit caps every stream", {}, {{"vframes", "25"}}, 1.0},
        {"size limit promises nothing", {}, {{"fs", "30000"}}, -1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        TCustomTranscoder engine;
        std::vector<WrittenOutput> written;
        engine.onTerminate = [&](TCustomTranscoder& e) { written = e.WrittenOutputs(); };
        for (const auto& [name, value] : row.inputOptions) {
            engine.SetOption(name, value);
        }
        ASSERT_TRUE(engine.OpenInput(source));
        engine.SetOption("vcodec", "mpeg4");
        engine.SetOption("r", "25");
        for (const auto& [name, value] : row.outputOptions) {
            engine.SetOption(name, value);
        }
        ASSERT_GT(engine.OpenOutput(out("limits.mkv"), false), 0);
        engine.Start(false);
        ASSERT_FALSE(engine.Exception()) << engine.ExceptionMessage();
        ASSERT_EQ(written.size(), 1u);
        ASSERT_EQ(written[0].streams.size(), 2u);
        for (const WrittenStream& stream : written[0].streams) {
            if (row.expectedSeconds < 0) {
                EXPECT_EQ(stream.expectedEndUs, -1);
            } else {
                EXPECT_NEAR(stream.expectedEndUs / 1e6, row.expectedSeconds, 0.1) << stream.type;
                // What was written agrees with it.
                EXPECT_NEAR(stream.writtenEndUs / 1e6, row.expectedSeconds, 0.15) << stream.type;
            }
        }
    }
}

TEST_F(OutputFilesRunTest, StreamThatGetsNothingFailsTheRun) {
    // One key frame at the start: a copy that starts later has no picture to begin with.
    const std::string oneKeyFrame = out("one-key-frame.mkv");
    ASSERT_EQ(run({{clip(3.0), {}}}, oneKeyFrame, {{"vcodec", "mpeg4"}, {"g", "1000"}}), "");
    const std::string message = run({{oneKeyFrame, {}}}, out("copied.mkv"),
                                    {{"vcodec", "copy"}, {"acodec", "copy"}, {"ss", "1"}});
    EXPECT_NE(message.find("Output stream #0.0 (video) received no data"), std::string::npos)
        << message;
    EXPECT_FALSE(fs::exists(out("copied.mkv")));
    // The same copy from the start has its key frame.
    EXPECT_EQ(run({{oneKeyFrame, {}}}, out("whole.mkv"), {{"vcodec", "copy"}, {"acodec", "copy"}}),
              "");
}

}  // namespace
}  // namespace velmora
