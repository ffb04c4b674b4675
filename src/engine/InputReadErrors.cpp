#include "engine/InputReadErrors.h"

namespace velmora {

InputReadErrors::Verdict InputReadErrors::onFailure(int64_t position) {
    const bool noProgress = position < 0 || position == m_lastPosition;
    if ((m_failuresInARow > 0 && noProgress) || m_failuresInARow >= kMaxFailuresInARow) {
        return Verdict::End;
    }
    ++m_failuresInARow;
    m_lastPosition = position;
    return Verdict::TryAgain;
}

int InputReadErrors::onPacket() {
    const int skipped = m_failuresInARow;
    m_failuresInARow = 0;
    m_lastPosition = -1;
    return skipped;
}

}  // namespace velmora
