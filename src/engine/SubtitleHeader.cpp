#include "engine/SubtitleHeader.h"

#include <mutex>

#include "medialib/LibraryHandles.h"
#include "medialib/MediaLibLoader.h"

namespace velmora {

std::string SubtitleSourceHeader(const AVCodecParameters* parameters, const AVCodec* decoder) {
    if (parameters->extradata_size > 0 && parameters->extradata != nullptr) {
        return std::string(reinterpret_cast<const char*>(parameters->extradata),
                           static_cast<size_t>(parameters->extradata_size));
    }
    if (decoder == nullptr) {
        decoder = lib::avcodec.avcodec_find_decoder(parameters->codec_id);
    }
    if (decoder == nullptr) {
        return {};
    }
    std::string header;
    std::lock_guard lock(CodecLock());
    CodecContextPtr context(lib::avcodec.avcodec_alloc_context3(decoder));
    if (context && lib::avcodec.avcodec_parameters_to_context(context.get(), parameters) >= 0 &&
        lib::avcodec.avcodec_open2(context.get(), decoder, nullptr) >= 0 &&
        context->subtitle_header != nullptr && context->subtitle_header_size > 0) {
        header.assign(reinterpret_cast<const char*>(context->subtitle_header),
                      static_cast<size_t>(context->subtitle_header_size));
    }
    context.reset();  // freed under the lock as well
    return header;
}

}  // namespace velmora
