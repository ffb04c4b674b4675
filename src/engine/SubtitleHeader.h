// The styles header of a text subtitle stream, for the encoder that writes it again.
#pragma once

#include <string>

#include "medialib/LibraryBindings.h"

namespace velmora {

// The header the stream carries (its extradata), or else the one its decoder gives its
// subtitles (a SubRip stream has none of its own; its decoder makes a default ASS header).
// decoder: a forced decoder or null for the stream's own. Empty when there is none.
// Opens and closes a decoder context under the codec lock.
std::string SubtitleSourceHeader(const AVCodecParameters* parameters, const AVCodec* decoder);

}  // namespace velmora
