// What a profile writes at its preselected choices: container, video codec and picture size,
// audio codec. Worked out by the rules a job is made with (the option lists' preselections, the
// output record, the engine's disc targets and the muxer's default codecs), so that a user can
// choose a profile without trying each.
#pragma once

#include <optional>
#include <string>

namespace velmora::cli {

struct ProfileOutput {
    std::string container;   // the muxer's short name ("matroska", "dvd" ...)
    std::string videoCodec;  // codec name ("h264" ...); empty: no video
    std::string frameSize;   // "320x240"; empty: the source's size
    std::string audioCodec;  // codec name ("aac" ...); empty: no audio
};

// Nothing for a code that names no profile. Needs the media libraries; a name they cannot give
// comes back as "?".
std::optional<ProfileOutput> profileOutput(int profileCode);

}  // namespace velmora::cli
