#include "ui/BitmapImage.h"

#include <cstring>
#include <mutex>

namespace velmora::ui {

// Both sides keep 3 bytes a pixel in B, G, R order with rows padded to 4 bytes, so each row is
// one copy; the row sizes are still taken from each side rather than assumed equal.
QImage toQImage(const Bitmap& bitmap) {
    std::lock_guard lock(bitmap.lock());
    if (bitmap.empty()) {
        return {};
    }
    QImage image(bitmap.width(), bitmap.height(), QImage::Format_BGR888);
    if (image.isNull()) {
        return {};
    }
    const std::size_t rowBytes = static_cast<std::size_t>(bitmap.width()) * 3;
    for (int y = 0; y < bitmap.height(); ++y) {
        std::memcpy(image.scanLine(y), bitmap.row(y), rowBytes);
    }
    return image;
}

void fromQImage(const QImage& image, Bitmap& target) {
    const QImage source = image.convertToFormat(QImage::Format_BGR888);
    std::lock_guard lock(target.lock());
    if (source.isNull() || source.width() <= 0 || source.height() <= 0) {
        target.setSize(0, 0);
        return;
    }
    target.setSize(source.width(), source.height());
    const std::size_t rowBytes = static_cast<std::size_t>(source.width()) * 3;
    const std::size_t padding = static_cast<std::size_t>(target.rowSize()) - rowBytes;
    for (int y = 0; y < source.height(); ++y) {
        std::uint8_t* row = target.row(y);
        std::memcpy(row, source.constScanLine(y), rowBytes);
        std::memset(row + rowBytes, 0, padding);
    }
}

}  // namespace velmora::ui
