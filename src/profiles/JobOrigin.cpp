#include "profiles/JobOrigin.h"

#include <sys/stat.h>

namespace velmora {

SourceFacts readSourceFacts(const std::string& path) {
    struct stat facts {};
    if (path.empty() || ::stat(path.c_str(), &facts) != 0 || !S_ISREG(facts.st_mode)) {
        return {};
    }
    constexpr std::int64_t kNanosecondsPerSecond = 1'000'000'000;
    SourceFacts result;
    result.sizeBytes = static_cast<std::int64_t>(facts.st_size);
    result.modifiedNs = static_cast<std::int64_t>(facts.st_mtim.tv_sec) * kNanosecondsPerSecond +
                        static_cast<std::int64_t>(facts.st_mtim.tv_nsec);
    return result;
}

std::string sourceChangeReason(const std::string& path, const SourceFacts& whenAdded) {
    if (!whenAdded.known()) {
        return {};
    }
    const SourceFacts now = readSourceFacts(path);
    if (!now.known()) {
        return kSourceVanishedMessage + path;
    }
    if (!now.sameFile(whenAdded)) {
        return kSourceChangedMessage + path;
    }
    return {};
}

}  // namespace velmora
