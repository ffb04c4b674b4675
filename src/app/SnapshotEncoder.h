// Writes a snapshot bitmap as a picture file. BMP is the bitmap itself; JPEG and PNG go through
// the media libraries' own image encoders (mjpeg, png); GIF through libavfilter's palette
// generation from the picture and its dithering, then the gif encoder and muxer.
//
// Needs the converter's library set loaded. Any thread; each call uses its own objects.
#pragma once

#include <string>

#include "app/SnapshotFiles.h"
#include "medialib/Bitmap.h"

namespace velmora::app {

// Writes bitmap to path, a name no file has yet (nextSnapshotPath). False, with the reason in
// *error (may be null) and nothing left at path, when the bitmap is empty or the picture cannot
// be encoded or written.
bool writeSnapshot(const Bitmap& bitmap, SnapshotFormat format, const std::string& path,
                   std::string* error);

}  // namespace velmora::app
