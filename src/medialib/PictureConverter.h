// Turns decoded pictures into 24-bit BGR bitmaps and back (snapshots, the preview, bitmap hooks).
//
// One converter per user; it is not locked and belongs to the thread that converts.
#pragma once

#include <cstdint>

#include "medialib/Bitmap.h"
#include "medialib/LibraryHandles.h"

namespace velmora {

class PictureConverter {
public:
    PictureConverter() = default;
    PictureConverter(const PictureConverter&) = delete;
    PictureConverter& operator=(const PictureConverter&) = delete;

    // Sizes the bitmap to width x height and fills it from the picture (planes and line sizes of
    // the given pixel format). A BGR24 picture is copied; anything else goes through a cached
    // bicubic scaler. False for an empty or invalid picture or when no scaler can be made.
    bool PictureToBitmap(const std::uint8_t* const data[4], const int linesize[4],
                         AVPixelFormat format, int width, int height);
    bool PictureToBitmap(const AVFrame* frame);

    // Writes the bitmap back into a picture of its size in the given pixel format (after a hook
    // drew on it). False when the bitmap is empty or no scaler can be made.
    bool BitmapToPicture(std::uint8_t* const data[4], const int linesize[4], AVPixelFormat format);

    Bitmap& bitmap() { return m_bitmap; }
    const Bitmap& bitmap() const { return m_bitmap; }

    // Frees the bitmap's pixels and both scalers.
    void ConverterReset();

private:
    Bitmap m_bitmap;
    ScalerPtr m_toBitmap;    // picture -> BGR24
    ScalerPtr m_fromBitmap;  // BGR24 -> picture
};

}  // namespace velmora
