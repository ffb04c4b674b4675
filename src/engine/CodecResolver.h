// Finds the encoder or decoder named by a codec option ("vcodec libx264").
#pragma once

#include <string>

extern "C" {
#include <libavcodec/avcodec.h>
}

namespace velmora {

enum class CodecDirection { Encoder, Decoder };

struct CodecResolution {
    const AVCodec* codec = nullptr;  // null: no codec chosen (empty name) or failure
    std::string error;               // failure text; empty on success
    bool ok() const { return error.empty(); }
};

// An empty name chooses no codec (ok, codec null). Otherwise the encoder or decoder of that name
// must exist ("Unknown encoder 'x'"), have the media type ("Invalid encoder type 'x'") and, when
// experimental, be allowed by the strictness (the "strict" option; experimental needs <= -2).
// Encoders that no longer exist are replaced by their successor (libfaac -> aac) with a warning.
// Needs the media libraries.
CodecResolution ResolveCodec(const std::string& name, AVMediaType type, CodecDirection direction,
                             int strictness, const void* logSender = nullptr);

}  // namespace velmora
