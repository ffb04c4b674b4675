// The choices for the next job (or the next batch of jobs), handed from the format chooser and
// the option settings to job creation. The main window keeps one and reuses it for every add.
#pragma once

#include <cstdint>
#include <string>

#include "profiles/ProfileCatalogue.h"

namespace velmora {

// Bit-rate value meaning "give the engine no value".
inline constexpr std::int32_t kBitRateNotGiven = -1000;
// Value of VolumeText that leaves the volume as it is.
inline constexpr const char* kVolumeUnchanged = "256";
inline constexpr const char* kAutoValue = "AUTO";
inline constexpr const char* kCutSelect = "Select";
inline constexpr const char* kCutNoSelect = "NoSelect";

struct PendingJobOptions {
    std::int32_t ProfileCode = kInitialProfileCode;
    std::string SourceFile;
    std::string OutputFile;
    std::string ProfileExt;
    std::string ChannelsText;    // "2", "1" or empty
    std::string SampleRateText;  // Hz as decimal text, or "AUTO"
    std::string FrameSizeText;   // frame-size entry text; empty keeps the source's size
    std::string FrameRateText;   // frame-rate entry text; empty keeps the source's rate
    std::string TvNorm;          // "PAL", "NTSC" or empty
    std::string VideoFilters;    // picture filter names joined by ","
    std::string VolumeText = kVolumeUnchanged;
    std::string AspectText;          // "4:3", "16:9" or empty
    std::string VideoCodec;          // engine encoder name; empty for the container's default
    std::string AudioCodec;          // engine encoder name, "AUTO" or empty
    std::string OutputFormat;        // container forced on the output
    std::string DiscTarget;          // "vcd", "svcd", "dvd" or empty
    std::string VideoTag;            // "DX50", "XVID" or empty
    std::int32_t VideoBitRate = -1;  // bit/s; kBitRateNotGiven = none given
    std::int32_t AudioBitRate = -1;  // bit/s; kBitRateNotGiven = automatic
    bool AudioOnly = false;
    std::int64_t CutStartMs = -1;
    std::int64_t CutLengthMs = -1;
    std::string CutMode = kCutNoSelect;  // "Select" or "NoSelect"

    // The reset at the start of every add and on Clear. ProfileCode, SourceFile and CutMode keep
    // their values, so a new job starts with the previous profile selected.
    void reset();

    bool operator==(const PendingJobOptions&) const = default;
};

}  // namespace velmora
