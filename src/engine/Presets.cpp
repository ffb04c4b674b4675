#include "engine/Presets.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>

#include "engine/TranscoderException.h"
#include "medialib/LibraryBindings.h"
#include "medialib/LibraryHandles.h"
#include "medialib/MediaLogger.h"
#include "medialib/MediaUtils.h"
#include "medialib/TextFormat.h"

namespace velmora {

namespace {

std::string quoted(const char* format, const std::string& a, const std::string& b = {},
                   const std::string& c = {}, const std::string& d = {}) {
    const int length =
        std::snprintf(nullptr, 0, format, a.c_str(), b.c_str(), c.c_str(), d.c_str());
    std::string text(length > 0 ? static_cast<size_t>(length) : 0, '\0');
    std::snprintf(text.data(), text.size() + 1, format, a.c_str(), b.c_str(), c.c_str(), d.c_str());
    return text;
}

// --- legacy option names of the built-in presets ---------------------------------------------

// Names and flags2 values of the 2010 libx264 interface that the library no longer knows.
// SetLegacyAwareOption translates them on an encoder context; the generic option contexts
// (which have no encoder) can only refuse them.
constexpr std::string_view kLegacyNames[] = {"directpred", "cqp"};
constexpr std::string_view kLegacyFlags2[] = {"mixed_refs", "wpred", "dct8x8", "fastpskip"};

// True when the pair uses a name or flag the current library no longer knows.
bool isLegacyPair(std::string_view key, std::string_view value) {
    for (std::string_view name : kLegacyNames) {
        if (name == key) {
            return true;
        }
    }
    if (key != "flags2") {
        return false;
    }
    // A flags value: names separated by "+" and "-".
    size_t position = 0;
    while (position <= value.size()) {
        const size_t end = std::min(value.find_first_of("+-", position), value.size());
        const std::string_view flag = value.substr(position, end - position);
        for (std::string_view legacy : kLegacyFlags2) {
            if (legacy == flag) {
                return true;
            }
        }
        position = end + 1;
    }
    return false;
}

// Sets one option on a codec context (private options included), legacy names translated; a
// legacy name the encoder has no equivalent for is logged and counts as set.
bool setEncoderOption(void* encoder, const std::string& key, const std::string& value) {
    std::string error;
    return SetLegacyAwareOption(encoder, key, value, AV_OPT_SEARCH_CHILDREN, &error);
}

// A codec context for trying preset pairs against an encoder before any stream exists.
CodecContextPtr scratchEncoder(const std::string& encoderName) {
    if (encoderName.empty()) {
        return nullptr;
    }
    const AVCodec* encoder = lib::avcodec.avcodec_find_encoder_by_name(encoderName.c_str());
    if (encoder == nullptr) {
        return nullptr;
    }
    return CodecContextPtr(lib::avcodec.avcodec_alloc_context3(encoder));
}

AVMediaType presetKind(const std::string& optionName) {
    switch (optionName.empty() ? 'f' : optionName.front()) {
        case 'v':
            return AVMEDIA_TYPE_VIDEO;
        case 'a':
            return AVMEDIA_TYPE_AUDIO;
        case 's':
            return AVMEDIA_TYPE_SUBTITLE;
        default:
            return AVMEDIA_TYPE_UNKNOWN;
    }
}

std::string* codecNameOf(EngineSettings& settings, AVMediaType kind) {
    switch (kind) {
        case AVMEDIA_TYPE_VIDEO:
            return &settings.videoCodecName;
        case AVMEDIA_TYPE_AUDIO:
            return &settings.audioCodecName;
        case AVMEDIA_TYPE_SUBTITLE:
            return &settings.subtitleCodecName;
        default:
            return nullptr;
    }
}

std::optional<std::string> readPresetFile(const std::string& path) {
    std::error_code error;
    if (path.find('\0') != std::string::npos || !std::filesystem::is_regular_file(path, error)) {
        return std::nullopt;
    }
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return std::nullopt;
    }
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

}  // namespace

void ApplyPreset(EngineSettings& settings, OptionActions& actions, const std::string& optionName,
                 const std::string& value) {
    if (optionName.empty() || value.empty()) {
        return;
    }
    const AVMediaType kind = presetKind(optionName);

    // Built-in presets first (not for "fpre"), then "<codec>-<name>", then a file.
    std::optional<std::string> text;
    bool builtIn = false;
    if (kind != AVMEDIA_TYPE_UNKNOWN) {
        auto found = FindBuiltInPreset(value);
        if (!found) {
            std::string codecName = *codecNameOf(settings, kind);
            if (codecName.empty()) {
                codecName = settings.subtitleCodecName;
            }
            if (!codecName.empty()) {
                found = FindBuiltInPreset(codecName + "-" + value);
            }
        }
        if (found) {
            text.emplace(*found);
            builtIn = true;
        }
    }
    if (!text) {
        text = readPresetFile(value);
    }
    if (!text) {
        throw TranscoderException(quoted("Preset \"%s\" not found", value));
    }

    // Pairs the generic contexts refuse are tried on the encoder that will use them: the
    // codec named for this kind, or libx264 for the built-in presets (all of them are for it).
    std::string encoderName;
    CodecContextPtr encoder;
    bool encoderTried = false;
    const auto encoderAccepts = [&](const std::string& key, const std::string& pairValue) {
        std::string wanted =
            kind == AVMEDIA_TYPE_UNKNOWN ? settings.videoCodecName : *codecNameOf(settings, kind);
        if (wanted.empty() && builtIn) {
            wanted = "libx264";
        }
        if (!encoderTried || wanted != encoderName) {
            encoderName = wanted;
            encoder = scratchEncoder(encoderName);
            encoderTried = true;
        }
        if (encoder == nullptr) {
            // Without a known encoder a legacy pair cannot be checked; it is translated (or
            // skipped with a warning) when the stream's encoder is set up.
            return isLegacyPair(key, pairValue);
        }
        return setEncoderOption(encoder.get(), key, pairValue);
    };

    std::string_view rest = TrimmedView(*text);
    while (!rest.empty()) {
        const size_t lineEnd = rest.find_first_of("\r\n");
        const std::string_view rawLine = rest.substr(0, lineEnd);
        rest = lineEnd == std::string_view::npos ? std::string_view() : rest.substr(lineEnd + 1);
        const std::string_view line = TrimmedView(rawLine);
        if (line.empty()) {
            continue;
        }
        const size_t equals = line.find('=');
        const std::string key(equals == std::string_view::npos
                                  ? std::string_view()
                                  : TrimmedView(line.substr(0, equals)));
        const std::string pairValue(equals == std::string_view::npos
                                        ? std::string_view()
                                        : TrimmedView(line.substr(equals + 1)));
        if (key.empty() || pairValue.empty()) {
            throw TranscoderException(
                quoted("%s: Invalid syntax: \"%s\"", value, std::string(line)));
        }
        const std::string lowerKey = LowerCase(key);
        if (lowerKey == "vcodec" || lowerKey == "acodec" || lowerKey == "scodec") {
            *codecNameOf(settings, presetKind(lowerKey)) = pairValue;
            continue;
        }
        // Legacy pairs skip the generic contexts, which would only log a refusal.
        const bool accepted =
            (!isLegacyPair(key, pairValue) && actions.setGenericOption(key, pairValue)) ||
            encoderAccepts(key, pairValue);
        if (!accepted) {
            throw TranscoderException(
                quoted("%s: Invalid option or argument: \"%s\", parsed as \"%s\" = \"%s\"", value,
                       std::string(line), key, pairValue));
        }
        settings.presetOptions.push_back(PresetOption{kind, value, key, pairValue});
    }
    settings.presetsApplied.push_back(value);
}

void ApplyPresetOptions(AVCodecContext* encoder, AVMediaType kind, const EngineSettings& settings,
                        const void* logSender) {
    for (const PresetOption& option : settings.presetOptions) {
        if (option.kind != kind && option.kind != AVMEDIA_TYPE_UNKNOWN) {
            continue;
        }
        // "fpre" pairs are offered to every encoder; only the ones it knows concern it.
        if (!setEncoderOption(encoder, option.key, option.value) &&
            option.kind != AVMEDIA_TYPE_UNKNOWN) {
            Logger().LogFmt(logSender, TLogLevel::llWarning,
                            "Preset %s: option %s=%s is not supported by the encoder, skipped",
                            option.presetName.c_str(), option.key.c_str(), option.value.c_str());
        }
    }
}

// --- target presets --------------------------------------------------------------------------

namespace {

enum class Norm { Pal, Ntsc, Film };

std::optional<Norm> normOfRate(long long rateTimes1000) {
    if (rateTimes1000 == 23976 || rateTimes1000 == 29970) {
        return Norm::Ntsc;
    }
    if (rateTimes1000 == 25000) {
        return Norm::Pal;
    }
    return std::nullopt;
}

Norm automaticNorm(const EngineSettings& settings, const OptionActions& actions,
                   const std::string& defaultNorm) {
    if (settings.frameRate.den == 0) {
        throw TranscoderException("frame_rate is invalid.");
    }
    std::optional<Norm> norm = normOfRate(std::llround(av_q2d(settings.frameRate) * 1000.0));
    if (!norm) {
        for (const AVRational& timeBase : actions.inputVideoTimeBases()) {
            if (timeBase.num > 0) {
                norm = normOfRate(std::llround(timeBase.den * 1000.0 / timeBase.num));
                if (norm) {
                    break;
                }
            }
        }
    }
    if (!norm) {
        norm = defaultNorm == "film" ? Norm::Film : defaultNorm == "ntsc" ? Norm::Ntsc : Norm::Pal;
    }
    return *norm;
}

}  // namespace

void ApplyTargetPreset(EngineSettings& settings, OptionActions& actions, const std::string& value,
                       const std::string& defaultNorm) {
    std::string type = value;
    std::optional<Norm> norm;
    for (const auto& [prefix, prefixNorm] :
         {std::pair{"pal-", Norm::Pal}, std::pair{"ntsc-", Norm::Ntsc},
          std::pair{"film-", Norm::Film}}) {
        if (value.starts_with(prefix)) {
            norm = prefixNorm;
            type = value.substr(std::string_view(prefix).size());
            break;
        }
    }
    if (type != "vcd" && type != "svcd" && type != "dvd" && type != "dv" && type != "dv50") {
        throw TranscoderException("Unknown target type");
    }
    if (!norm) {
        norm = automaticNorm(settings, actions, defaultNorm);
        if (settings.verbosity > 0) {
            Logger().LogFmt(actions.logSender(), TLogLevel::llVerbose, "Assuming %s for target.",
                            *norm == Norm::Pal ? "PAL" : "NTSC");
        }
    }
    const bool pal = *norm == Norm::Pal;
    const auto option = [&](const char* name, const std::string& optionValue) {
        SetEngineOption(settings, actions, name, optionValue);
    };
    // Library options of the targets; a library that lacks one simply keeps its default.
    const auto generic = [&](const char* name, const char* optionValue) {
        actions.setGenericOption(name, optionValue);
    };
    const char* frameRate = pal ? "25" : *norm == Norm::Ntsc ? "30000/1001" : "24000/1001";

    if (type == "vcd") {
        option("vcodec", "mpeg1video");
        option("acodec", "mp2");
        option("f", "vcd");
        option("s", pal ? "352x288" : "352x240");
        option("r", frameRate);
        generic("g", pal ? "15" : "18");
        option("b", "1150000");
        generic("maxrate", "1150000");
        generic("minrate", "1150000");
        generic("bufsize", "327680");
        option("ab", "224000");
        settings.audioSampleRate = 44100;
        settings.audioChannels = 2;
        generic("packetsize", "2324");
        generic("muxrate", "1411200");
        settings.muxPreloadSeconds = 0.44;
    } else if (type == "svcd") {
        option("vcodec", "mpeg2video");
        option("acodec", "mp2");
        option("f", "svcd");
        option("s", pal ? "480x576" : "480x480");
        option("r", frameRate);
        generic("g", pal ? "15" : "18");
        option("b", "2040000");
        generic("maxrate", "2516000");
        generic("minrate", "0");
        generic("bufsize", "1835008");
        generic("flags", "+scan_offset");
        option("ab", "224000");
        settings.audioSampleRate = 44100;
        generic("packetsize", "2324");
    } else if (type == "dvd") {
        option("vcodec", "mpeg2video");
        option("acodec", "ac3");
        option("f", "dvd");
        option("s", pal ? "720x576" : "720x480");
        option("r", frameRate);
        generic("g", pal ? "15" : "18");
        option("b", "6000000");
        generic("maxrate", "9000000");
        generic("minrate", "0");
        generic("bufsize", "1835008");
        generic("packetsize", "2048");
        generic("muxrate", "10080000");
        option("ab", "448000");
        settings.audioSampleRate = 48000;
    } else {
        option("f", "dv");
        option("s", pal ? "720x576" : "720x480");
        option("pix_fmt", type == "dv50" ? "yuv422p" : pal ? "yuv420p" : "yuv411p");
        option("r", frameRate);
        settings.audioSampleRate = 48000;
        settings.audioChannels = 2;
        // Every DV frame carries its fixed share of the audio, from the first frame on: audio
        // that starts late or has a gap cannot be placed. Kept in step unless sync was chosen.
        if (settings.audioSyncMethod == 0) {
            settings.audioSyncMethod = 1;
        }
    }
    if ((type == "svcd" || type == "dvd") && settings.audioChannels == 1) {
        settings.audioChannels = 2;
    }

    if (settings.frameAspectRatio == 0.0 && (type == "vcd" || type == "svcd" || type == "dvd")) {
        const bool wide = type == "dvd";
        Logger().Log(actions.logSender(), TLogLevel::llInfo,
                     wide ? "Assuming 16:9 for aspect ratio" : "Assuming 4:3 for aspect ratio");
        option("aspect", wide ? "16:9" : "4:3");
    }
}

}  // namespace velmora
