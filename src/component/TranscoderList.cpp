#include "component/TranscoderList.h"

#include <stdexcept>
#include <string>

namespace velmora {

ConverterTask& TTranscoderList::At(int index) const {
    if (index < 0 || index >= Count()) {
        throw std::out_of_range("Task index " + std::to_string(index) + " out of range");
    }
    return *m_tasks[static_cast<std::size_t>(index)];
}

void TTranscoderList::Delete(int index) {
    At(index);
    m_tasks.erase(m_tasks.begin() + index);
}

}  // namespace velmora
