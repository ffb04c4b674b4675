// What a run went past in damaged input, for the end state the user is told: packets it skipped
// and source streams it had to leave out because they could not be decoded.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace velmora {

struct DamageReport {
    std::int64_t skippedPackets = 0;  // damaged input packets skipped
    // One text per source stream left out, naming the stream and why ("#0.1 (audio): ...").
    std::vector<std::string> droppedStreams;

    bool empty() const { return skippedPackets == 0 && droppedStreams.empty(); }
};

}  // namespace velmora
