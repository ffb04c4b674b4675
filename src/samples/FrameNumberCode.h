// A frame number drawn into the picture of a generated clip, so that a test can tell exactly
// which frame a decoded picture or a player snapshot shows.
//
// The code is a band across the top of the picture: two rows of kFrameCodeBits cells each, bit
// k of the frame number in cell k (least significant bit on the left), white for 1 and black
// for 0 in the upper row, the other way round in the lower row. The cells are large enough to
// survive lossy encoding, and the inverted row lets the reader refuse a picture it cannot read
// with certainty (a blend of two frames, a picture without the code) instead of guessing.
#pragma once

#include <string>

namespace velmora {

class Bitmap;

inline constexpr int kFrameCodeBits = 16;

// Filter text that draws the code of each frame's number (counted from 0 by the filter) into a
// width x height picture; placed right after the picture source.
std::string frameNumberCodeFilter(int width, int height);

// The frame number a 24-bit picture of the generated size shows; -1 when it carries no readable
// code (too small, a cell neither clearly black nor clearly white, the two rows disagree).
int readFrameNumber(const Bitmap& picture);

}  // namespace velmora
