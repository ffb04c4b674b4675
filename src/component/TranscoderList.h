// The converter component's ordered task list and what it keeps per task.
#pragma once

#include <cstddef>
#include <memory>
#include <utility>
#include <vector>

#include "component/OptionRecords.h"
#include "component/TaskEngine.h"
#include "probe/MediaProbe.h"

namespace velmora {

// One task: its engine plus a copy of the option record given for each opened input and
// output, and a probe describing each opened input.
struct ConverterTask {
    std::unique_ptr<TaskEngine> engine;
    // Position in the list, renumbered when a run starts; read by the event relays.
    int index = -1;
    std::vector<TInputOptions> inputs;
    std::vector<TOutputOptions> outputs;
    // Declared after the engine so they go first: they describe the engine's open inputs.
    std::vector<std::unique_ptr<TMediaProbe>> probes;
};

// Owns its tasks. Not locked: the component changes it only while no run is in progress.
class TTranscoderList {
public:
    int Count() const { return static_cast<int>(m_tasks.size()); }
    // Throws std::out_of_range for an index outside the list.
    ConverterTask& At(int index) const;
    void Add(std::unique_ptr<ConverterTask> task) { m_tasks.push_back(std::move(task)); }
    void Delete(int index);
    // Hands the tasks over (the caller frees them outside its locks) and leaves the list empty.
    std::vector<std::unique_ptr<ConverterTask>> TakeAll() { return std::exchange(m_tasks, {}); }

    auto begin() const { return m_tasks.begin(); }
    auto end() const { return m_tasks.end(); }

private:
    std::vector<std::unique_ptr<ConverterTask>> m_tasks;
};

}  // namespace velmora
