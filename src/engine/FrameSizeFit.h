// The picture size an encoder accepts. Encoders code chroma-subsampled pictures in whole
// chroma samples (4:2:0 needs even widths and heights) and some code whole macroblocks only;
// a size they would refuse is rounded down to the nearest one they take, and the picture is
// scaled to it, rather than the encoder failing to open.
#pragma once

#include <cstdint>

namespace velmora {

struct FrameSize {
    int width = 0;
    int height = 0;
};

struct SizeAlignment {
    int horizontal = 1;  // the width must be a multiple of this
    int vertical = 1;    // the height likewise
};

// log2ChromaWidth/Height: the chroma subsampling of the encoder's pixel format;
// wholeMacroblocks: the encoder takes multiples of 16 only.
SizeAlignment EncoderSizeAlignment(int log2ChromaWidth, int log2ChromaHeight,
                                   bool wholeMacroblocks);

// The size rounded down to the alignment, never below one aligned unit.
FrameSize FitFrameSize(FrameSize size, SizeAlignment alignment);

}  // namespace velmora
