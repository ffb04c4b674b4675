// What a listed job was made from, beyond its option records: the choices confirmed for it
// (profile code included) and its source as it was when the job was added, so that a list kept
// for later (a saved queue, a planned list) notices a source that has since changed or gone.
#pragma once

#include <cstdint>
#include <string>

#include "profiles/PendingJobOptions.h"

namespace velmora {

// A source file's size and modification time; sizeBytes -1 when not known (the file could not be
// read when the job was added), and then nothing is checked. The duration, when job creation
// probed it, serves the list's time estimate.
struct SourceFacts {
    std::int64_t sizeBytes = -1;
    std::int64_t modifiedNs = 0;   // nanoseconds since 1970-01-01 UTC
    std::int64_t durationUs = -1;  // -1 when not known

    bool known() const { return sizeBytes >= 0; }
    // The same file contents as far as size and time tell.
    bool sameFile(const SourceFacts& other) const {
        return sizeBytes == other.sizeBytes && modifiedNs == other.modifiedNs;
    }
    bool operator==(const SourceFacts&) const = default;
};

struct JobOrigin {
    PendingJobOptions choices;  // choices.ProfileCode is the job's profile
    SourceFacts source;

    bool operator==(const JobOrigin&) const = default;
};

// The size and time of a file now (no duration); unknown when it is missing or not a regular
// file.
SourceFacts readSourceFacts(const std::string& path);

// Why a job's source can no longer be converted as it was listed: empty while it is unchanged (or
// its facts were never known), else one of the texts below followed by the path.
inline constexpr const char* kSourceVanishedMessage = "源文件已不存在：";
inline constexpr const char* kSourceChangedMessage = "源文件在加入列表后已被修改：";
std::string sourceChangeReason(const std::string& path, const SourceFacts& whenAdded);

}  // namespace velmora
