// How far apart two pictures are, for tests that check a picture shown or saved against the one
// expected while allowing for a lossy codec.
#pragma once

#include "medialib/Bitmap.h"

namespace velmora::test {

// Mean absolute difference per colour channel (0..255) of two 24-bit pictures; a huge value when
// their sizes differ or they are empty.
double meanDifference(const Bitmap& a, const Bitmap& b);

}  // namespace velmora::test
