#include "engine/CodecResolver.h"

#include <cstdio>
#include <string_view>

#include "medialib/LibraryBindings.h"
#include "medialib/MediaLogger.h"

namespace velmora {

namespace {

// Encoders named by the profiles that the library no longer has, with their successors.
struct EncoderAlias {
    std::string_view oldName;
    const char* newName;
};
constexpr EncoderAlias kEncoderAliases[] = {
    {"libfaac", "aac"},
};

std::string describe(const char* format, const char* kind, const std::string& name) {
    const int length = std::snprintf(nullptr, 0, format, kind, name.c_str());
    std::string text(length > 0 ? static_cast<size_t>(length) : 0, '\0');
    std::snprintf(text.data(), text.size() + 1, format, kind, name.c_str());
    return text;
}

}  // namespace

CodecResolution ResolveCodec(const std::string& name, AVMediaType type, CodecDirection direction,
                             int strictness, const void* logSender) {
    CodecResolution result;
    if (name.empty()) {
        return result;
    }
    const bool encoding = direction == CodecDirection::Encoder;
    const char* kind = encoding ? "encoder" : "decoder";
    const AVCodec* codec = encoding ? lib::avcodec.avcodec_find_encoder_by_name(name.c_str())
                                    : lib::avcodec.avcodec_find_decoder_by_name(name.c_str());
    if (codec == nullptr && encoding) {
        for (const EncoderAlias& alias : kEncoderAliases) {
            if (alias.oldName == name) {
                codec = lib::avcodec.avcodec_find_encoder_by_name(alias.newName);
                if (codec != nullptr) {
                    Logger().LogFmt(logSender, TLogLevel::llWarning,
                                    "Encoder '%s' is not available, using '%s' instead",
                                    name.c_str(), alias.newName);
                }
                break;
            }
        }
    }
    if (codec == nullptr) {
        result.error = describe("Unknown %s '%s'", kind, name);
        return result;
    }
    if (codec->type != type) {
        result.error = describe("Invalid %s type '%s'", kind, name);
        return result;
    }
    if ((codec->capabilities & AV_CODEC_CAP_EXPERIMENTAL) != 0 &&
        strictness > FF_COMPLIANCE_EXPERIMENTAL) {
        result.error = describe(
            "%s '%s' is experimental and might produce bad results.\r\nAdd '-strict "
            "experimental' if you want to use it.",
            kind, name);
        // Looking a codec up by id prefers a non-experimental one when there is one.
        const AVCodec* stable = encoding ? lib::avcodec.avcodec_find_encoder(codec->id)
                                         : lib::avcodec.avcodec_find_decoder(codec->id);
        if (stable != nullptr && (stable->capabilities & AV_CODEC_CAP_EXPERIMENTAL) == 0) {
            result.error +=
                "\r\n" + describe("Or use the non experimental %s '%s'.", kind, stable->name);
        }
        return result;
    }
    result.codec = codec;
    return result;
}

}  // namespace velmora
