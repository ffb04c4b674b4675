// The option records of one input and one output of a task. The application (job creation, the
// CLI) fills them; TMediaConverter::AddTask and SetOutputFile turn them into engine options.
//
// Plain value types: copy freely, no library includes. Text is UTF-8. Times are signed 64-bit
// microsecond counts; kNoTime marks a time that is not set.
#pragma once

#include <cstdint>
#include <limits>
#include <string>

namespace velmora {

// "Not set" for times in the option records; the same value as the media library's no-value
// marker (only the top bit set).
constexpr std::int64_t kNoTime = std::numeric_limits<std::int64_t>::min();

// Metadata written into an output file.
struct TStreamInfo {
    // Local date-time as days since 1899-12-30 (fraction = time of day). 0 means "now",
    // > 0 is used as given, < 0 writes no time stamp.
    double Timestamp = -1.0;
    std::int32_t Year = -1;   // written when > 0
    std::int32_t Track = -1;  // written when > 0
    std::string Title;        // each string is written when not empty
    std::string Author;
    std::string Copyright;
    std::string Comment;
    std::string Album;
    std::string Genre;

    bool operator==(const TStreamInfo&) const = default;
};

// Given to AddTask. The comment names the engine option each field becomes.
struct TInputOptions {
    std::string FileName;              // the task's file name is used when empty
    std::string ForceFormat;           // "f" when not empty
    std::int64_t StartTime = kNoTime;  // "ss", ignored when kNoTime
    std::int32_t ProgramID = -1;       // "programid", ignored when negative
    std::string ExtOptions;            // free option text, applied before the fields above

    bool operator==(const TInputOptions&) const = default;
};

// Given to SetOutputFile. Fields are applied in the order AddTask documents; "default" fields
// may be overridden by lines of ExtOptions.
struct TOutputOptions {
    std::string FileName;          // the output file name is used when empty
    std::string FileFormat;        // "f"
    std::int32_t PacketSize = -1;  // "packetsize" when > 0
    std::int32_t MuxRate = -1;     // "muxrate" when > 0
    float MuxDelay = -1.0f;        // seconds; mux max delay when > 0
    float MuxPreload = -1.0f;      // seconds; mux preload when > 0

    std::string AudioCodec;                   // default audio codec
    std::string AudioPreset;                  // default "apre"
    bool DisableAudio = false;                // "an"
    std::int32_t AudioVolume = -1;            // "vol" when >= 0
    std::int32_t AudioChannels = -1;          // "ac" when > 0
    std::int32_t AudioSampleRate = -1;        // "ar" when > 0
    std::int32_t AudioBitrate = -1;           // "ab" when > 0
    std::int32_t AudioBitrateTolerance = -1;  // "abt" when > 0
    std::string AudioLanguage;                // "alang"
    std::int32_t AudioSync = 0;               // "async", always applied
    std::string AudioTag;                     // "atag"

    std::string VideoCodec;     // default video codec
    std::string VideoPreset;    // default "vpre"
    bool DisableVideo = false;  // "vn"
    std::string FrameRate;      // "r"
    std::string FrameSize;      // default "s"
    std::string AspectRatio;    // "aspect"
    std::int32_t CropTop = -1;  // "croptop" .. "cropright" when > 0
    std::int32_t CropBottom = -1;
    std::int32_t CropLeft = -1;
    std::int32_t CropRight = -1;
    std::int32_t GOPSize = -1;                // "g" when > 0
    std::int32_t VideoBitrate = -1;           // "vb" when > 0
    std::int32_t MaxRate = -1;                // "maxrate" when > 0
    std::int32_t MinRate = -1;                // "minrate" when > 0
    std::int32_t VideoBitrateTolerance = -1;  // "bt" when > 0
    std::int32_t BufSize = -1;                // "bufsize" when > 0
    std::int32_t VideoSync = -1;              // "vsync", always applied
    std::string VideoTag;                     // "vtag"
    std::string VideoFilters;                 // default "vf"
    std::string VideoLanguage;                // "vlang"

    std::string SubtitleCodec;     // default subtitle codec
    std::string SubtitlePreset;    // default "spre"
    bool DisableSubtitle = false;  // "sn"
    std::string SubtitleLanguage;  // "slang"

    bool InputSync = false;                // "isync"
    bool CopyTS = false;                   // "copyts"
    std::int64_t StartTime = kNoTime;      // output start position, ignored when kNoTime
    std::int64_t RecordingTime = kNoTime;  // "t", ignored when kNoTime

    TStreamInfo Metadata;

    std::int32_t Target = 0;             // 0 none, 1 "vcd", 2 "svcd", 3 "dvd"
    std::int32_t TargetNorm = 0;         // 1 "pal", 2 "ntsc", anything else "auto"
    std::int32_t TargetDefaultNorm = 1;  // 1 "pal", anything else "ntsc"
    bool CustomHook = false;             // raise OnCustomHook for this output's video
    bool Join = false;                   // join all inputs of the task into this output
    std::string ExtOptions;              // free option text

    bool operator==(const TOutputOptions&) const = default;
};

}  // namespace velmora
