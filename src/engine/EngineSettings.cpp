#include "engine/EngineSettings.h"

namespace velmora {

void EngineSettings::reset() {
    *this = EngineSettings{};
}

}  // namespace velmora
