// Pending settings of one transcoding task: everything the option table sets before inputs are
// opened, outputs are created and the task runs. Opening an input consumes (and clears) the
// input-side settings, creating an output or a stream consumes the output-side ones.
//
// Not thread-safe: a task's settings are only touched by the thread that configures the task,
// and later only by the task's own worker.
#pragma once

#include <array>
#include <cstdint>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

extern "C" {
#include <libavutil/avutil.h>
#include <libavutil/pixfmt.h>
#include <libavutil/rational.h>
#include <libavutil/samplefmt.h>
}

namespace velmora {

class FrameHookList;

// Streams per file that the per-stream tables ("streamid", "itsscale") can address.
inline constexpr int kMaxStreams = 20;
// Size of the output bit buffer before it is grown for large video frames.
inline constexpr int kBitBufferSize = 262144;
// "aq" value meaning that no audio quality is set.
inline constexpr double kNoAudioQscale = -99999.0;

// One "map" option: the input stream feeding the next output stream, and its sync stream.
struct StreamMap {
    int fileIndex = 0;
    int streamIndex = 0;
    int syncFileIndex = 0;
    int syncStreamIndex = 0;
    bool operator==(const StreamMap&) const = default;
};

// One "map_meta_data" option: copy the metadata of an input file into an output file.
struct MetadataMap {
    int outputFileIndex = 0;
    int inputFileIndex = 0;
    bool operator==(const MetadataMap&) const = default;
};

// A key=value pair of a preset ("vpre", "apre", "spre", "fpre"), kept so that it can be applied
// to the encoder context of the next stream of its kind once the encoder is known (encoder-private
// options and legacy names cannot live in the generic option contexts). kind is
// AVMEDIA_TYPE_UNKNOWN for "fpre" pairs, which apply to every encoder that knows the option.
struct PresetOption {
    AVMediaType kind = AVMEDIA_TYPE_UNKNOWN;
    std::string presetName;
    std::string key;
    std::string value;
};

// The argument list of one "vhook" option: args[0] is the plug-in file, the rest its arguments.
using FrameHookCommand = std::vector<std::string>;

struct EngineSettings {
    // --- per-output / per-stream settings -------------------------------------------------
    std::array<int, kMaxStreams> streamIds{};  // "streamid": id of output stream i
    std::string formatName;                    // "f"; empty = guess
    bool pgmyuvFormat = false;                 // "f pgmyuv" (forces the pgmyuv decoder)

    int frameWidth = 0;  // "s"
    int frameHeight = 0;
    double frameAspectRatio = 0.0;  // "aspect"; 0 = not set
    AVPixelFormat pixelFormat = AV_PIX_FMT_NONE;
    AVSampleFormat sampleFormat = AV_SAMPLE_FMT_NONE;

    int cropTop = 0;  // deprecated crop bands, in pixels
    int cropBottom = 0;
    int cropLeft = 0;
    int cropRight = 0;

    static constexpr std::int64_t kNoFrameLimit = 2147483647;
    // Frame limits per media type, indexed by AVMediaType (video 0, audio 1, data 2, subtitle 3).
    std::array<std::int64_t, 4> maxFrames{kNoFrameLimit, kNoFrameLimit, kNoFrameLimit,
                                          kNoFrameLimit};

    AVRational frameRate{0, 0};  // "r"; 0/0 = not set
    double videoQscale = 0.0;    // "qscale"; 0 = not set
    std::optional<std::array<std::uint16_t, 64>> intraMatrix;
    std::optional<std::array<std::uint16_t, 64>> interMatrix;
    std::string rateControlOverride;  // "rc_override"; empty = none

    bool videoDisable = false;   // "vn"
    int videoDiscard = 0;        // "vdt" (an AVDiscard value)
    std::string videoCodecName;  // "vcodec"; empty = none
    bool videoStreamCopy = false;
    std::uint32_t videoTag = 0;  // "vtag", 4 chars little-endian
    std::string videoLanguage;
    bool sameQuality = false;
    bool deinterlace = false;
    int topFieldFirst = -1;
    int meThreshold = 0;
    int intraDcPrecision = 8;
    bool loopInput = false;
    int loopOutput = -1;
    bool qpHistogram = false;
    std::string videoFilters;  // "vf" / "vfilters"
    bool intraOnly = false;

    int audioSampleRate = 44100;
    double audioQscale = kNoAudioQscale;  // "aq"
    bool audioDisable = false;
    int audioChannels = 2;
    std::string audioCodecName;
    bool audioStreamCopy = false;
    std::uint32_t audioTag = 0;
    std::string audioLanguage;

    bool subtitleDisable = false;
    std::string subtitleCodecName;
    bool subtitleStreamCopy = false;
    std::string subtitleLanguage;
    std::uint32_t subtitleTag = 0;

    double muxPreloadSeconds = 0.5;
    double muxMaxDelaySeconds = 0.7;

    std::int64_t recordingTimeUs = std::numeric_limits<std::int64_t>::max();  // "t"; max = none
    std::int64_t startTimeUs = 0;                                             // "ss"
    std::int64_t recordTimestampSeconds = 0;                                  // "timestamp"
    std::int64_t inputTsOffsetUs = 0;                                         // "itsoffset"
    std::vector<std::pair<std::string, std::string>> metadata;  // "metadata" key=value, in order

    bool packetDump = false;  // "dump"
    bool hexDump = false;     // "hex"
    bool psnr = false;
    int pass = 0;                   // 0, 1 or 2
    std::string passLogFilePrefix;  // empty = default prefix
    int videoSyncMethod = -1;
    int audioSyncMethod = 0;
    double audioDriftThresholdSeconds = 0.1;
    bool copyTimestamps = false;
    bool shortest = false;
    int videoGlobalHeader = 0;
    std::string statisticsFileName;  // "vstats" / "vstats_file"; empty = none
    int programId = 0;
    int copyInitialNonKeyFrames = 0;
    bool readAtNativeRate = false;  // "re"
    int videoChannel = 0;           // "vc"
    std::string videoStandard;      // "tvstd"; empty = none
    int audioVolume = 256;          // "vol"; 256 = unchanged
    bool exitOnError = false;
    int verbosity = 1;                    // "v"
    std::int64_t limitFileSizeBytes = 0;  // "fs"; 0 = none
    // Threads each decoder and encoder may use; 0 lets the codec library choose. Set by the host
    // running several tasks at once (SetCodecThreads), not by an option.
    int codecThreads = 0;
    bool forceFps = false;
    bool inputSync = false;
    double dtsDeltaThresholdSeconds = 10.0;

    // "itsscale" factors for the streams of the next input file; 0 = none. Consumed (and
    // cleared) by opening an input.
    std::array<double, kMaxStreams> nextInputTsScale{};

    // Bitstream filter names, in the order given ("vbsf", "absf", "sbsf").
    std::vector<std::string> videoBitstreamFilters;
    std::vector<std::string> audioBitstreamFilters;
    std::vector<std::string> subtitleBitstreamFilters;

    // "vhook": the command lines of the hooks added, in order, and the loaded chain itself
    // (created with the first hook; shared so that the settings stay a copyable value, and
    // released with the last holder, which releases the hooks).
    std::vector<FrameHookCommand> frameHooks;
    std::shared_ptr<FrameHookList> frameHookList;

    // --- task-level state ---------------------------------------------------------------
    std::vector<StreamMap> streamMaps;        // "map", in order
    std::vector<MetadataMap> metadataMaps;    // "map_meta_data", in order
    std::vector<PresetOption> presetOptions;  // preset pairs, in the order applied
    std::vector<std::string> presetsApplied;  // names of the presets applied, in order
    // Expected duration of the task; -1 = unknown. "t" sets it; opening inputs updates it.
    std::int64_t totalDurationUs = -1;

    // Restores every default above.
    void reset();
};

}  // namespace velmora
