// How long the rest of a job list will take: the media time still to convert (from the sources'
// durations) divided by the speed measured so far (media time converted per second of the run).
// Used by the window's status bar and velmora-cli's live line and summary.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "component/OptionRecords.h"
#include "profiles/JobOrigin.h"

namespace velmora {

struct JobProgress {
    std::int64_t durationUs = -1;  // media time the job converts; -1 when not known
    std::int64_t convertedUs = 0;  // media time converted so far
    bool ended = false;            // done, failed or stopped: nothing left to convert
};

// The media time a listed job converts: its source's duration from the cut start on, no longer
// than the output's recording time. -1 when the source's duration is not known.
std::int64_t jobMediaDurationUs(const JobOrigin& origin, const TInputOptions& input,
                                const TOutputOptions& output);

// The time left for the jobs of a run, elapsedUs into it. A job of unknown duration counts as long
// as the known ones on average. Nothing while no speed is measured yet (nothing converted, no
// time passed) or no duration at all is known.
std::optional<std::int64_t> listTimeLeftUs(std::span<const JobProgress> jobs,
                                           std::int64_t elapsedUs);

// "HH:MM:SS" of whole seconds, rounded up so that the last second left shows as 00:00:01; hours
// go past 99 as needed.
std::string timeLeftText(std::int64_t timeLeftUs);

}  // namespace velmora
