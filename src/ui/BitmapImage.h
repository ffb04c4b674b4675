// Pictures between the media layer's Bitmap (24-bit BGR, padded rows, own lock) and Qt.
#pragma once

#include <QImage>

#include "medialib/Bitmap.h"

namespace velmora::ui {

// A deep copy of the bitmap's pixels, taken under the bitmap's lock, so the picture stays valid
// while a worker keeps drawing into the bitmap. A null QImage for an empty bitmap.
QImage toQImage(const Bitmap& bitmap);

// Makes target a copy of image (any format; alpha is dropped), under target's lock. A null or
// empty image leaves target empty.
void fromQImage(const QImage& image, Bitmap& target);

}  // namespace velmora::ui
