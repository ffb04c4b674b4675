// libFuzzer target for the option-text splitter and the matrix parser (clang only, not part of
// the regular test run): cmake -DCMAKE_CXX_COMPILER=clang++ -DVELMORA_ENGINE_FUZZ=ON ...
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/OptionParser.h"
#include "engine/TranscoderException.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (const velmora::OptionLine& line : velmora::SplitOptionText(text)) {
        if (line.name.empty() || line.name.find('\n') != std::string::npos) {
            __builtin_trap();
        }
        (void)velmora::IsSkippedInPass(line.name, velmora::OptionPass::Output);
    }
    try {
        (void)velmora::ParseMatrix(std::string(text));
    } catch (const velmora::TranscoderException&) {
    }
    return 0;
}
