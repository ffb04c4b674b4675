// A plain 24-bit bitmap: BGR byte order, rows top to bottom, each row padded to 4 bytes (the
// layout of a Windows DIB row), with its own mutex for the "canvas lock".
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace velmora {

class Bitmap {
public:
    Bitmap() = default;
    Bitmap(int width, int height) { setSize(width, height); }
    Bitmap(const Bitmap&) = delete;
    Bitmap& operator=(const Bitmap&) = delete;

    // Row size in bytes: width * 3 rounded up to a multiple of 4.
    static int rowSizeOf(int width) { return (width * 3 + 3) & ~3; }

    // Gives the bitmap a new size; when the size changes the pixels are cleared to black.
    // A zero or negative side makes the bitmap empty.
    void setSize(int width, int height);
    // Copies size and pixels of another bitmap (not its mutex).
    void assign(const Bitmap& other);

    int width() const { return m_width; }
    int height() const { return m_height; }
    int rowSize() const { return m_rowSize; }
    bool empty() const { return m_width == 0 || m_height == 0; }

    std::uint8_t* row(int y) { return m_pixels.data() + static_cast<std::size_t>(y) * m_rowSize; }
    const std::uint8_t* row(int y) const {
        return m_pixels.data() + static_cast<std::size_t>(y) * m_rowSize;
    }
    std::uint8_t* data() { return m_pixels.data(); }
    const std::uint8_t* data() const { return m_pixels.data(); }
    // rowSize() * height() bytes of pixels (the storage behind them is a little larger).
    std::size_t byteSize() const { return static_cast<std::size_t>(m_rowSize) * m_height; }

    // The canvas lock: held by whoever draws on or reads the pixels while another thread may
    // do the same (a hook handler on a worker, the GUI painting the same bitmap).
    std::mutex& lock() const { return m_mutex; }

    // Writes a Windows BMP file (24 bits, bottom-up rows). False when empty or not writable.
    bool saveBmp(const std::string& path) const;
    // Reads a 24-bit uncompressed BMP file (bottom-up or top-down). False on anything else.
    bool loadBmp(const std::string& path);

private:
    int m_width = 0;
    int m_height = 0;
    int m_rowSize = 0;
    // Pixel rows plus a little slack: the scaler may write a few bytes past the last row's end.
    std::vector<std::uint8_t> m_pixels;
    mutable std::mutex m_mutex;
};

}  // namespace velmora
