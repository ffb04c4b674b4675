#include "profiles/PendingJobOptions.h"

#include <utility>

namespace velmora {

void PendingJobOptions::reset() {
    PendingJobOptions cleared;
    cleared.ProfileCode = ProfileCode;
    cleared.SourceFile = std::move(SourceFile);
    cleared.CutMode = std::move(CutMode);
    *this = std::move(cleared);
}

}  // namespace velmora
