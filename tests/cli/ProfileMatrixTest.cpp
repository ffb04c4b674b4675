// Every profile at its preselected choices, converted from the sample clip through the whole job
// creation and batch run, and the output read back: container, codecs, frame size, channels,
// sample rate and duration as the choices resolve them.
#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <map>

#include "OutputFacts.h"
#include "SilentReporter.h"
#include "cli/BatchJobs.h"
#include "medialib/MainThreadQueue.h"
#include "profiles/FileNames.h"
#include "profiles/JobRecords.h"
#include "profiles/ProfileCatalogue.h"
#include "samples/SampleMedia.h"
#include "support/MediaLibraries.h"
#include "support/TempDir.h"

namespace velmora::cli {
namespace {

constexpr double kSourceSeconds = 2.0;
constexpr int kSourceWidth = 640;
constexpr int kSourceHeight = 360;
constexpr int kSourceRate = 44100;
constexpr int kSourceChannels = 2;

// The demuxer that reads each profile extension back.
const std::map<std::string, std::string, std::less<>> kDemuxerOfExtension = {
    {".ac3", "ac3"}, {".amr", "amr"},  {".asf", "asf"},      {".avi", "avi"}, {".flac", "flac"},
    {".flv", "flv"}, {".m4a", "mov"},  {".mkv", "matroska"}, {".mov", "mov"}, {".mp2", "mp3"},
    {".mp3", "mp3"}, {".mp4", "mov"},  {".mpg", "mpeg"},     {".ogg", "ogg"}, {".rm", "rm"},
    {".swf", "swf"}, {".vob", "mpeg"}, {".wav", "wav"},      {".wma", "asf"}, {".wmv", "asf"},
};

// Profiles the engine cannot convert yet, with the fault; each row is skipped with its reason.

struct Size {
    int width = 0;
    int height = 0;
};

// "320*240 (PSP...)" -> 320x240; nothing for an empty text.
std::optional<Size> parseFrameSize(std::string_view text) {
    Size size;
    const char* end = text.data() + text.size();
    const auto width = std::from_chars(text.data(), end, size.width);
    if (width.ec != std::errc{} || width.ptr == end || (*width.ptr != '*' && *width.ptr != 'x')) {
        return std::nullopt;
    }
    const auto height = std::from_chars(width.ptr + 1, end, size.height);
    if (height.ec != std::errc{}) {
        return std::nullopt;
    }
    return size;
}

// "4:3" -> 1.333; 0 for an empty or unreadable text.
double parseAspect(std::string_view text) {
    int width = 0;
    int height = 0;
    const char* end = text.data() + text.size();
    const auto first = std::from_chars(text.data(), end, width);
    if (first.ec != std::errc{} || first.ptr == end || *first.ptr != ':') {
        return 0;
    }
    const auto second = std::from_chars(first.ptr + 1, end, height);
    return second.ec == std::errc{} && height > 0 ? static_cast<double>(width) / height : 0;
}

struct TargetFacts {
    std::string videoCodec;
    std::string audioCodec;
    Size pal;
    Size ntsc;
    int sampleRate;
};

const TargetFacts* targetFacts(int target) {
    static const TargetFacts kVcd{"mpeg1video", "mp2", {352, 288}, {352, 240}, 44100};
    static const TargetFacts kSvcd{"mpeg2video", "mp2", {480, 576}, {480, 480}, 44100};
    static const TargetFacts kDvd{"mpeg2video", "ac3", {720, 576}, {720, 480}, 48000};
    switch (target) {
        case 1:
            return &kVcd;
        case 2:
            return &kSvcd;
        case 3:
            return &kDvd;
        default:
            return nullptr;
    }
}

class ProfileMatrix : public ::testing::TestWithParam<int> {
protected:
    static void SetUpTestSuite() {
        SetMainThread();
        s_dir = std::make_unique<velmora::test::TempDir>();
        s_sample = s_dir->file("sample.mkv");
        SampleSpec spec;
        spec.container = "matroska";
        spec.durationSeconds = kSourceSeconds;
        spec.width = kSourceWidth;
        spec.height = kSourceHeight;
        spec.sampleRate = kSourceRate;
        spec.channels = kSourceChannels;
        velmora::test::requireMediaLibraries();
        std::string error;
        s_made = makeSampleMedia(spec, s_sample, &error);
        s_error = error;
    }
    static void TearDownTestSuite() { s_dir.reset(); }

    static std::unique_ptr<velmora::test::TempDir> s_dir;
    static std::string s_sample;
    static bool s_made;
    static std::string s_error;
};

std::unique_ptr<velmora::test::TempDir> ProfileMatrix::s_dir;
std::string ProfileMatrix::s_sample;
bool ProfileMatrix::s_made = false;
std::string ProfileMatrix::s_error;

TEST_P(ProfileMatrix, ConvertsAtPreselectedChoices) {
    const int code = GetParam();
    ASSERT_TRUE(s_made) << s_error;
    velmora::test::TempDir out;
    JobChoices choices;
    choices.profileCode = code;

    test::SilentReporter reporter;
    BatchJobs batch(reporter);
    ASSERT_TRUE(batch.loadLibraries());
    ASSERT_TRUE(batch.addFile(s_sample, choices, out.path().string(), ExistingFileRule::NewName))
        << batch.outcomes().back().message;
    EXPECT_EQ(batch.run(RunSettings{}, nullptr), kExitAllDone) << batch.outcomes()[0].message;
    const JobOutcome& outcome = batch.outcomes()[0];
    ASSERT_EQ(outcome.status, JobStatus::done) << outcome.message;

    // The records as job creation built them.
    const ResolvedJob resolved = resolveJob(choices, s_sample, out.path().string(),
                                            static_cast<std::int64_t>(kSourceSeconds * 1'000'000));
    ASSERT_TRUE(resolved.pending) << resolved.error;
    const TOutputOptions record = makeOutputOptions(*resolved.pending, AddFlow::OneFile);
    const TargetFacts* target = targetFacts(record.Target);
    const std::string& file = outcome.output;

    const test::OutputFacts facts = test::readOutputFacts(file);
    ASSERT_TRUE(facts.opened) << facts.error;
    std::string container;
    if (target) {
        container = "mpeg";
    } else if (!record.FileFormat.empty()) {
        container = record.FileFormat;
    } else {
        container = kDemuxerOfExtension.at(std::string(extensionOf(file)));
    }
    EXPECT_EQ(facts.format, container);

    if (record.DisableVideo) {
        EXPECT_FALSE(facts.hasVideo);
    } else {
        ASSERT_TRUE(facts.hasVideo);
        const std::string codec =
            !record.VideoCodec.empty() || !target
                ? test::expectedCodec(record.VideoCodec, file, record.FileFormat, true)
                : target->videoCodec;
        EXPECT_EQ(facts.videoCodec, codec);
        Size size{kSourceWidth, kSourceHeight};
        const auto given = parseFrameSize(record.FrameSize);
        if (given) {
            size = *given;
        } else if (target) {
            size = record.TargetNorm == 2 ? target->ntsc : target->pal;
        }
        const double aspect = parseAspect(record.AspectRatio);
        if (codec == "rv10" || codec == "rv20") {
            // RealVideo codes whole macroblocks: the engine scales down to multiples of 16.
            size = {size.width / 16 * 16, size.height / 16 * 16};
            // Neither it nor its container keeps an aspect ratio: at the source's size the
            // picture itself takes the chosen shape.
            if (!given && aspect > 0) {
                size.width = static_cast<int>(std::lround(size.height * aspect / 16)) * 16;
            }
        }
        EXPECT_EQ(facts.width, size.width);
        EXPECT_EQ(facts.height, size.height);
        if (!given && !target && aspect > 0) {
            // At the source's size the chosen aspect holds for the size written.
            EXPECT_NEAR(facts.displayAspect, aspect, aspect * 0.02);
        }
    }

    ASSERT_TRUE(facts.hasAudio);
    const std::string encoder =
        !record.AudioCodec.empty() || !target ? record.AudioCodec : target->audioCodec;
    EXPECT_EQ(facts.audioCodec, test::expectedCodec(encoder, file, record.FileFormat, false));
    const int rate = record.AudioSampleRate > 0 ? record.AudioSampleRate
                     : target                   ? target->sampleRate
                                                : kSourceRate;
    EXPECT_EQ(facts.sampleRate, test::expectedSampleRate(encoder, file, record.FileFormat, rate));
    const int channels = record.AudioChannels > 0 ? record.AudioChannels : kSourceChannels;
    EXPECT_EQ(facts.channels, test::expectedChannels(encoder, file, record.FileFormat, channels));

    EXPECT_NEAR(facts.durationSeconds, kSourceSeconds, 0.2);
}

std::vector<int> allProfileCodes() {
    std::vector<int> codes;
    for (const TProfileEntry& entry : profileCatalogue()) {
        codes.push_back(entry.Code);
    }
    return codes;
}

INSTANTIATE_TEST_SUITE_P(AllProfiles, ProfileMatrix, ::testing::ValuesIn(allProfileCodes()),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return "Profile" + std::to_string(info.param);
                         });

}  // namespace
}  // namespace velmora::cli
