// The display aspect chosen for a video output ("aspect"), applied once the picture's size is
// final: as a sample aspect ratio, or, where neither the codec nor the container can say what
// shape the pictures are shown in, as the shape of the picture itself.
//
// Pure arithmetic on sizes and codec ids.
#pragma once

#include <string_view>

#include "medialib/LibraryBindings.h"

namespace velmora {

// The sample aspect ratio that shows a width x height picture at displayAspect (width / height
// on screen), as a fraction with a denominator of at most 255; 0/1 when no aspect is chosen. An
// unknown size is taken as 4:3.
AVRational SampleAspectFor(double displayAspect, int width, int height);

// Whether pictures of that codec in that container are always shown pixel for pixel: the codec
// has no field for a sample aspect ratio (RealVideo, Sorenson, Windows Media and Microsoft
// MPEG-4 video) and the container records none either (only Matroska and the MP4 family do).
bool AspectNeedsPictureShape(AVCodecID codec, std::string_view muxerName);

// The width that gives a picture of that height the display aspect, in steps of the alignment
// the fitted width already has (its largest power-of-two factor up to 16), so that an encoder
// that needed the fitted width takes the new one too. fittedWidth when no aspect is chosen.
int ShapedWidth(int height, int fittedWidth, double displayAspect);

}  // namespace velmora
