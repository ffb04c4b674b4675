// The fixed table of stored jobs beside the job list: slot i holds the records of row i. A slot's
// state travels in its output record's SubtitleLanguage, so it is copied, swapped and retired
// together with the job.
#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "component/OptionRecords.h"
#include "profiles/JobOrigin.h"

namespace velmora {

inline constexpr int kJobSlotCount = 501;
inline constexpr const char* kSlotFree = "kong";
inline constexpr const char* kSlotFull = "Full";
inline constexpr const char* kSlotDeleted = "DELETED";

// Shown when an add finds no free slot (every slot used, or retired by removals since the last
// Clear).
inline constexpr const char* kNoFreeSlotMessage = "转换列表已满，请先清空列表后再添加文件！";

struct JobSlot {
    TInputOptions input;
    TOutputOptions output;
    JobOrigin origin;  // the choices and the source facts the job was made with

    std::string_view state() const { return output.SubtitleLanguage; }
};

class JobSlotTable {
public:
    // Every slot free.
    JobSlotTable();

    // Start-up and Clear: every slot free again, retired ones included.
    void reset();

    // Copies a job into the free slot with the lowest index and marks it full; nothing when no
    // slot is free (the add must then be refused with kNoFreeSlotMessage).
    std::optional<int> store(const TInputOptions& input, const TOutputOptions& output,
                             const JobOrigin& origin = {});

    // A removed row's slot: marked deleted and moved to the last index, the slots after it moving
    // down by one so they stay aligned with the rows. False for an index outside the table.
    bool retire(int index);

    // Moves swap the records of two rows. False for an index outside the table.
    bool swapSlots(int first, int second);

    const JobSlot& slot(int index) const { return m_slots.at(static_cast<std::size_t>(index)); }
    int count() const { return kJobSlotCount; }
    int countInState(std::string_view state) const;

private:
    static bool inRange(int index) { return index >= 0 && index < kJobSlotCount; }

    std::vector<JobSlot> m_slots;
};

}  // namespace velmora
