#include "medialib/Bitmap.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <limits>

namespace velmora {

namespace {

constexpr std::size_t kScalerSlack = 64;
constexpr std::uint32_t kFileHeaderSize = 14;
constexpr std::uint32_t kInfoHeaderSize = 40;

void put16(std::uint8_t* at, std::uint16_t value) {
    at[0] = static_cast<std::uint8_t>(value);
    at[1] = static_cast<std::uint8_t>(value >> 8);
}
void put32(std::uint8_t* at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        at[i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}
std::uint16_t get16(const std::uint8_t* at) {
    return static_cast<std::uint16_t>(at[0] | (at[1] << 8));
}
std::uint32_t get32(const std::uint8_t* at) {
    return static_cast<std::uint32_t>(at[0]) | (static_cast<std::uint32_t>(at[1]) << 8) |
           (static_cast<std::uint32_t>(at[2]) << 16) | (static_cast<std::uint32_t>(at[3]) << 24);
}

}  // namespace

void Bitmap::setSize(int width, int height) {
    if (width <= 0 || height <= 0) {
        width = height = 0;
    }
    if (width == m_width && height == m_height && !m_pixels.empty()) {
        return;
    }
    m_width = width;
    m_height = height;
    m_rowSize = rowSizeOf(m_width);
    m_pixels.assign(byteSize() + kScalerSlack, 0);
}

void Bitmap::assign(const Bitmap& other) {
    if (&other == this) {
        return;
    }
    setSize(other.m_width, other.m_height);
    std::memcpy(m_pixels.data(), other.m_pixels.data(), byteSize());
}

bool Bitmap::saveBmp(const std::string& path) const {
    if (empty()) {
        return false;
    }
    const std::uint64_t imageSize = byteSize();
    const std::uint64_t fileSize = kFileHeaderSize + kInfoHeaderSize + imageSize;
    if (fileSize > std::numeric_limits<std::uint32_t>::max()) {
        return false;
    }
    std::uint8_t header[kFileHeaderSize + kInfoHeaderSize] = {};
    header[0] = 'B';
    header[1] = 'M';
    put32(header + 2, static_cast<std::uint32_t>(fileSize));
    put32(header + 10, kFileHeaderSize + kInfoHeaderSize);
    std::uint8_t* info = header + kFileHeaderSize;
    put32(info, kInfoHeaderSize);
    put32(info + 4, static_cast<std::uint32_t>(m_width));
    put32(info + 8, static_cast<std::uint32_t>(m_height));  // positive: bottom-up
    put16(info + 12, 1);                                    // planes
    put16(info + 14, 24);                                   // bits per pixel
    put32(info + 20, static_cast<std::uint32_t>(imageSize));
    put32(info + 24, 2835);  // 72 dpi
    put32(info + 28, 2835);

    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) {
        return false;
    }
    out.write(reinterpret_cast<const char*>(header), sizeof header);
    for (int y = m_height - 1; y >= 0; --y) {
        out.write(reinterpret_cast<const char*>(row(y)), m_rowSize);
    }
    out.close();
    return static_cast<bool>(out);
}

bool Bitmap::loadBmp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::uint8_t header[kFileHeaderSize + kInfoHeaderSize] = {};
    if (!in.read(reinterpret_cast<char*>(header), sizeof header) || header[0] != 'B' ||
        header[1] != 'M') {
        return false;
    }
    const std::uint8_t* info = header + kFileHeaderSize;
    const std::uint32_t dataOffset = get32(header + 10);
    const auto width = static_cast<std::int32_t>(get32(info + 4));
    const auto height = static_cast<std::int32_t>(get32(info + 8));
    const std::uint16_t bitsPerPixel = get16(info + 14);
    const std::uint32_t compression = get32(info + 16);
    constexpr std::int32_t kMaxSide = 1 << 15;
    if (get32(info) < kInfoHeaderSize || bitsPerPixel != 24 || compression != 0 || width <= 0 ||
        width > kMaxSide || height == 0 || height > kMaxSide || height < -kMaxSide) {
        return false;
    }
    const bool bottomUp = height > 0;
    const int rows = bottomUp ? height : -height;
    setSize(width, rows);
    in.seekg(dataOffset);
    for (int i = 0; i < rows; ++i) {
        const int y = bottomUp ? rows - 1 - i : i;
        if (!in.read(reinterpret_cast<char*>(row(y)), m_rowSize)) {
            setSize(0, 0);
            return false;
        }
    }
    return true;
}

}  // namespace velmora
