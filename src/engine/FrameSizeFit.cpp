#include "engine/FrameSizeFit.h"

#include <algorithm>

namespace velmora {

SizeAlignment EncoderSizeAlignment(int log2ChromaWidth, int log2ChromaHeight,
                                   bool wholeMacroblocks) {
    SizeAlignment alignment;
    alignment.horizontal = 1 << std::clamp(log2ChromaWidth, 0, 4);
    alignment.vertical = 1 << std::clamp(log2ChromaHeight, 0, 4);
    if (wholeMacroblocks) {
        alignment.horizontal = std::max(alignment.horizontal, 16);
        alignment.vertical = std::max(alignment.vertical, 16);
    }
    return alignment;
}

FrameSize FitFrameSize(FrameSize size, SizeAlignment alignment) {
    auto fit = [](int length, int unit) {
        unit = std::max(unit, 1);
        return std::max(unit, length / unit * unit);
    };
    return FrameSize{fit(size.width, alignment.horizontal), fit(size.height, alignment.vertical)};
}

}  // namespace velmora
