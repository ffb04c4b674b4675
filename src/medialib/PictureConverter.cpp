#include "medialib/PictureConverter.h"

#include <cstdlib>
#include <cstring>

namespace velmora {

namespace {

constexpr AVPixelFormat kBitmapFormat = AV_PIX_FMT_BGR24;

// Copies `rows` rows of `bytes` bytes between pictures with their own line sizes.
void copyRows(std::uint8_t* target, int targetStride, const std::uint8_t* source, int sourceStride,
              int bytes, int rows) {
    for (int y = 0; y < rows; ++y) {
        std::memcpy(target + static_cast<std::ptrdiff_t>(y) * targetStride,
                    source + static_cast<std::ptrdiff_t>(y) * sourceStride,
                    static_cast<std::size_t>(bytes));
    }
}

// Gets a cached scaler for a same-size format change; the cached one is freed by the library
// when it does not fit, so the handle is released first and taken back afterwards.
bool cachedScaler(ScalerPtr& scaler, int width, int height, AVPixelFormat from, AVPixelFormat to) {
    SwsContext* context =
        lib::swscale.sws_getCachedContext(scaler.release(), width, height, from, width, height, to,
                                          SWS_BICUBIC, nullptr, nullptr, nullptr);
    scaler.reset(context);
    return context != nullptr;
}

}  // namespace

bool PictureConverter::PictureToBitmap(const std::uint8_t* const data[4], const int linesize[4],
                                       AVPixelFormat format, int width, int height) {
    if (data == nullptr || linesize == nullptr || data[0] == nullptr || width <= 0 || height <= 0 ||
        format == AV_PIX_FMT_NONE) {
        return false;
    }
    m_bitmap.setSize(width, height);
    const int rowBytes = width * 3;
    if (format == kBitmapFormat && std::abs(linesize[0]) >= rowBytes) {
        copyRows(m_bitmap.data(), m_bitmap.rowSize(), data[0], linesize[0], rowBytes, height);
        return true;
    }
    if (!cachedScaler(m_toBitmap, width, height, format, kBitmapFormat)) {
        return false;
    }
    std::uint8_t* const target[4] = {m_bitmap.data(), nullptr, nullptr, nullptr};
    const int targetStride[4] = {m_bitmap.rowSize(), 0, 0, 0};
    return lib::swscale.sws_scale(m_toBitmap.get(), data, linesize, 0, height, target,
                                  targetStride) == height;
}

bool PictureConverter::PictureToBitmap(const AVFrame* frame) {
    if (frame == nullptr) {
        return false;
    }
    return PictureToBitmap(frame->data, frame->linesize, static_cast<AVPixelFormat>(frame->format),
                           frame->width, frame->height);
}

bool PictureConverter::BitmapToPicture(std::uint8_t* const data[4], const int linesize[4],
                                       AVPixelFormat format) {
    if (m_bitmap.empty() || data == nullptr || linesize == nullptr || data[0] == nullptr ||
        format == AV_PIX_FMT_NONE) {
        return false;
    }
    const int width = m_bitmap.width();
    const int height = m_bitmap.height();
    if (format == kBitmapFormat && std::abs(linesize[0]) >= width * 3) {
        copyRows(data[0], linesize[0], m_bitmap.data(), m_bitmap.rowSize(), width * 3, height);
        return true;
    }
    if (!cachedScaler(m_fromBitmap, width, height, kBitmapFormat, format)) {
        return false;
    }
    const std::uint8_t* const source[4] = {m_bitmap.data(), nullptr, nullptr, nullptr};
    const int sourceStride[4] = {m_bitmap.rowSize(), 0, 0, 0};
    return lib::swscale.sws_scale(m_fromBitmap.get(), source, sourceStride, 0, height, data,
                                  linesize) == height;
}

void PictureConverter::ConverterReset() {
    m_bitmap.setSize(0, 0);
    m_toBitmap.reset();
    m_fromBitmap.reset();
}

}  // namespace velmora
