#include "engine/GenericOptions.h"

namespace velmora {

namespace {

int kindSlot(AVMediaType kind) {
    switch (kind) {
        case AVMEDIA_TYPE_VIDEO:
            return 0;
        case AVMEDIA_TYPE_AUDIO:
            return 1;
        case AVMEDIA_TYPE_SUBTITLE:
            return 2;
        default:
            return -1;
    }
}

constexpr int kKindFlags[3] = {AV_OPT_FLAG_VIDEO_PARAM, AV_OPT_FLAG_AUDIO_PARAM,
                               AV_OPT_FLAG_SUBTITLE_PARAM};

// The "fake object" form of a class pointer that the option search takes.
void* classObject(const AVClass* const* owner) {
    return const_cast<const AVClass**>(owner);
}

// True when the private class of any codec (or muxer/demuxer, formats true) has the option.
bool anyPrivateClassKnows(const std::string& name, bool formats) {
    void* state = nullptr;
    if (!formats) {
        while (const AVCodec* codec = lib::avcodec.av_codec_iterate(&state)) {
            if (codec->priv_class != nullptr &&
                lib::avutil.av_opt_find2(classObject(&codec->priv_class), name.c_str(), nullptr, 0,
                                         AV_OPT_SEARCH_FAKE_OBJ, nullptr) != nullptr) {
                return true;
            }
        }
        return false;
    }
    while (const AVOutputFormat* format = lib::avformat.av_muxer_iterate(&state)) {
        if (format->priv_class != nullptr &&
            lib::avutil.av_opt_find2(classObject(&format->priv_class), name.c_str(), nullptr, 0,
                                     AV_OPT_SEARCH_FAKE_OBJ, nullptr) != nullptr) {
            return true;
        }
    }
    state = nullptr;
    while (const AVInputFormat* format = lib::avformat.av_demuxer_iterate(&state)) {
        if (format->priv_class != nullptr &&
            lib::avutil.av_opt_find2(classObject(&format->priv_class), name.c_str(), nullptr, 0,
                                     AV_OPT_SEARCH_FAKE_OBJ, nullptr) != nullptr) {
            return true;
        }
    }
    return false;
}

}  // namespace

GenericOptions::GenericOptions() = default;
GenericOptions::~GenericOptions() = default;

void GenericOptions::ensureScratch() {
    for (auto& scratch : m_scratch) {
        if (!scratch) {
            scratch.reset(lib::avcodec.avcodec_alloc_context3(nullptr));
        }
    }
}

bool GenericOptions::set(const std::string& givenName, const std::string& value) {
    ensureScratch();
    std::string name = givenName;
    int onlySlot = -1;
    if (name == "vb") {
        name = "b";
        onlySlot = 0;
    } else if (name == "ab" || name == "abt") {
        name = name == "ab" ? "b" : "bt";
        onlySlot = 1;
    } else if (name == "b" || name == "bt") {
        // A bare bit rate is the video one; audio has its own names.
        onlySlot = 0;
    }

    const AVClass* codecClass = lib::avcodec.avcodec_get_class();
    const AVOption* option = lib::avutil.av_opt_find2(&codecClass, name.c_str(), nullptr, 0,
                                                      AV_OPT_SEARCH_FAKE_OBJ, nullptr);
    bool stored = false;
    if (option != nullptr) {
        for (int slot = 0; slot < 3; ++slot) {
            if (onlySlot >= 0 ? slot != onlySlot : !(option->flags & kKindFlags[slot])) {
                continue;
            }
            if (lib::avutil.av_opt_set(m_scratch[slot].get(), name.c_str(), value.c_str(), 0) < 0) {
                return false;
            }
            m_codecPairs[slot].push_back({name, value, option->flags});
            stored = true;
        }
        if (stored) {
            return true;
        }
    }

    const AVClass* formatClass = lib::avformat.avformat_get_class();
    if (lib::avutil.av_opt_find2(&formatClass, name.c_str(), nullptr, 0, AV_OPT_SEARCH_FAKE_OBJ,
                                 nullptr) != nullptr) {
        AVFormatContext* scratch = lib::avformat.avformat_alloc_context();
        const int result = lib::avutil.av_opt_set(scratch, name.c_str(), value.c_str(), 0);
        const AVOption* formatOption =
            lib::avutil.av_opt_find2(scratch, name.c_str(), nullptr, 0, 0, nullptr);
        const int flags = formatOption != nullptr ? formatOption->flags : 0;
        lib::avformat.avformat_free_context(scratch);
        if (result < 0) {
            return false;
        }
        m_formatPairs.push_back({name, value, flags});
        return true;
    }

    const AVClass* scalerClass = lib::swscale.sws_get_class();
    if (lib::avutil.av_opt_find2(&scalerClass, name.c_str(), nullptr, 0, AV_OPT_SEARCH_FAKE_OBJ,
                                 nullptr) != nullptr) {
        SwsContext* scratch = lib::swscale.sws_alloc_context();
        int result = lib::avutil.av_opt_set(scratch, name.c_str(), value.c_str(), 0);
        int64_t flags = 0;
        if (result >= 0 && name == "sws_flags") {
            result = lib::avutil.av_opt_get_int(scratch, "sws_flags", 0, &flags);
            if (result >= 0) {
                m_scalerFlags = static_cast<int>(flags);
            }
        }
        lib::swscale.sws_freeContext(scratch);
        return result >= 0;
    }

    if (anyPrivateClassKnows(name, false)) {
        m_privateCodecPairs.push_back({name, value, 0});
        return true;
    }
    if (anyPrivateClassKnows(name, true)) {
        m_formatPairs.push_back(
            {name, value, AV_OPT_FLAG_ENCODING_PARAM | AV_OPT_FLAG_DECODING_PARAM});
        return true;
    }
    return false;
}

std::optional<std::string> GenericOptions::codecValue(AVMediaType kind,
                                                      const std::string& name) const {
    const int slot = kindSlot(kind);
    if (slot < 0) {
        return std::nullopt;
    }
    const_cast<GenericOptions*>(this)->ensureScratch();
    uint8_t* text = nullptr;
    if (lib::avutil.av_opt_get(m_scratch[slot].get(), name.c_str(), 0, &text) < 0) {
        return std::nullopt;
    }
    std::string result = text != nullptr ? reinterpret_cast<const char*>(text) : "";
    lib::avutil.av_free(text);
    return result;
}

void GenericOptions::applyToCodec(AVCodecContext* context, AVMediaType kind, bool encoder) const {
    const int slot = kindSlot(kind);
    const int direction = encoder ? AV_OPT_FLAG_ENCODING_PARAM : AV_OPT_FLAG_DECODING_PARAM;
    if (slot >= 0) {
        for (const Pair& pair : m_codecPairs[slot]) {
            if (pair.flags & direction) {
                lib::avutil.av_opt_set(context, pair.name.c_str(), pair.value.c_str(),
                                       AV_OPT_SEARCH_CHILDREN);
            }
        }
    }
    // Codec-private names (an encoder's presets, rate factors ...) are meant for encoders.
    for (const Pair& pair : m_privateCodecPairs) {
        if (encoder && context->priv_data != nullptr) {
            lib::avutil.av_opt_set(context->priv_data, pair.name.c_str(), pair.value.c_str(), 0);
        }
    }
}

DictionaryPtr GenericOptions::formatDictionary(bool encoder) const {
    const int direction = encoder ? AV_OPT_FLAG_ENCODING_PARAM : AV_OPT_FLAG_DECODING_PARAM;
    AVDictionary* dictionary = nullptr;
    for (const Pair& pair : m_formatPairs) {
        if (pair.flags == 0 || (pair.flags & direction)) {
            lib::avutil.av_dict_set(&dictionary, pair.name.c_str(), pair.value.c_str(), 0);
        }
    }
    return DictionaryPtr(dictionary);
}

void GenericOptions::clear() {
    for (int slot = 0; slot < 3; ++slot) {
        m_scratch[slot].reset();
        m_codecPairs[slot].clear();
    }
    m_privateCodecPairs.clear();
    m_formatPairs.clear();
    m_scalerFlags = 4;
}

}  // namespace velmora
