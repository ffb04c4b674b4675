#include "samples/FrameNumberCode.h"

#include <algorithm>
#include <cstdint>

#include "medialib/Bitmap.h"

namespace velmora {
namespace {

// Cell geometry of a picture of the given size; the writer and the reader must agree on it.
struct CodeLayout {
    int cellWidth;
    int rowHeight;
};

CodeLayout layoutFor(int width, int height) {
    // Rows in whole 8-pixel blocks keep the cells apart in the encoder's transform.
    return {width / kFrameCodeBits, std::max(8, (height / 12) & ~7)};
}

// Mean brightness (0..255) of the middle half of a cell.
int cellBrightness(const Bitmap& picture, int left, int top, const CodeLayout& layout) {
    const int x0 = left + layout.cellWidth / 4;
    const int x1 = left + layout.cellWidth * 3 / 4;
    const int y0 = top + layout.rowHeight / 4;
    const int y1 = top + layout.rowHeight * 3 / 4;
    long sum = 0;
    long count = 0;
    for (int y = y0; y < y1; ++y) {
        const std::uint8_t* row = picture.row(y);
        for (int x = x0; x < x1; ++x) {
            const std::uint8_t* pixel = row + x * 3;  // blue, green, red
            sum += (114 * pixel[0] + 587 * pixel[1] + 299 * pixel[2]) / 1000;
            ++count;
        }
    }
    return count > 0 ? static_cast<int>(sum / count) : 128;
}

// 1 for a clearly white cell, 0 for a clearly black one, -1 for anything in between.
int cellBit(int brightness) {
    constexpr int kBlackBelow = 80;
    constexpr int kWhiteAbove = 176;
    if (brightness < kBlackBelow) {
        return 0;
    }
    return brightness > kWhiteAbove ? 1 : -1;
}

}  // namespace

std::string frameNumberCodeFilter(int width, int height) {
    const CodeLayout layout = layoutFor(width, height);
    const std::string cell = ":w=" + std::to_string(layout.cellWidth) +
                             ":h=" + std::to_string(layout.rowHeight) + ":t=fill";
    std::string text = "drawbox=x=0:y=0:w=" + std::to_string(width) +
                       ":h=" + std::to_string(2 * layout.rowHeight) + ":color=black:t=fill";
    for (int bit = 0; bit < kFrameCodeBits; ++bit) {
        const std::string x = std::to_string(bit * layout.cellWidth);
        const std::string mask = std::to_string(1 << bit);
        // n is the number of the frame passing the filter, counted from 0.
        text += ",drawbox=x=" + x + ":y=0" + cell + ":color=white:enable='bitand(n," + mask + ")'";
        text += ",drawbox=x=" + x + ":y=" + std::to_string(layout.rowHeight) + cell +
                ":color=white:enable='not(bitand(n," + mask + "))'";
    }
    return text;
}

int readFrameNumber(const Bitmap& picture) {
    const CodeLayout layout = layoutFor(picture.width(), picture.height());
    if (layout.cellWidth < 4 || picture.height() < 2 * layout.rowHeight) {
        return -1;
    }
    int number = 0;
    for (int bit = 0; bit < kFrameCodeBits; ++bit) {
        const int left = bit * layout.cellWidth;
        const int upper = cellBit(cellBrightness(picture, left, 0, layout));
        const int lower = cellBit(cellBrightness(picture, left, layout.rowHeight, layout));
        if (upper < 0 || lower < 0 || upper == lower) {
            return -1;
        }
        number |= upper << bit;
    }
    return number;
}

}  // namespace velmora
