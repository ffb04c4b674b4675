#include "profiles/JobSlots.h"

#include <algorithm>
#include <utility>

namespace velmora {

JobSlotTable::JobSlotTable() : m_slots(kJobSlotCount) {
    reset();
}

void JobSlotTable::reset() {
    for (JobSlot& slot : m_slots) {
        slot.output.SubtitleLanguage = kSlotFree;
    }
}

std::optional<int> JobSlotTable::store(const TInputOptions& input, const TOutputOptions& output,
                                       const JobOrigin& origin) {
    const auto it = std::ranges::find(m_slots, std::string_view{kSlotFree}, &JobSlot::state);
    if (it == m_slots.end()) {
        return std::nullopt;
    }
    it->input = input;
    it->output = output;
    it->origin = origin;
    it->output.SubtitleLanguage = kSlotFull;
    return static_cast<int>(it - m_slots.begin());
}

bool JobSlotTable::retire(int index) {
    if (!inRange(index)) {
        return false;
    }
    m_slots[index].output.SubtitleLanguage = kSlotDeleted;
    for (int i = index; i < kJobSlotCount - 1; ++i) {
        std::swap(m_slots[i], m_slots[i + 1]);
    }
    return true;
}

bool JobSlotTable::swapSlots(int first, int second) {
    if (!inRange(first) || !inRange(second)) {
        return false;
    }
    std::swap(m_slots[first], m_slots[second]);
    return true;
}

int JobSlotTable::countInState(std::string_view state) const {
    return static_cast<int>(std::ranges::count(m_slots, state, &JobSlot::state));
}

}  // namespace velmora
