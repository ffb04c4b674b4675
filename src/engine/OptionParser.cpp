#include "engine/OptionParser.h"

#include <charconv>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <functional>
#include <limits>
#include <unordered_map>

#include "engine/Presets.h"
#include "engine/TranscoderException.h"
#include "medialib/FrameHook.h"
#include "medialib/LibraryBindings.h"
#include "medialib/MediaLogger.h"
#include "medialib/TextFormat.h"

namespace velmora {

namespace {

// Largest width or height "s" accepts; larger sizes cannot be encoded anyway and would only
// overflow buffer computations later.
constexpr int kMaxFrameDimension = 16384;
// Arguments of one frame-hook command line, the plug-in's file name included.
constexpr int kMaxHookArguments = 254;

bool isBlank(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

[[noreturn]] void failInvalidValue(const std::string& name, const std::string& value) {
    throw TranscoderException(
        FormatText("Invalid value \"%s\" for option \"%s\"", value.c_str(), name.c_str()));
}

// Reads a non-negative decimal number at the front of text and removes it; false when there is
// none or it does not fit an int.
bool takeNumber(std::string_view& text, int& number) {
    const auto result = std::from_chars(text.data(), text.data() + text.size(), number);
    if (result.ec != std::errc() || number < 0 || text.empty() || !isDigit(text.front())) {
        return false;
    }
    text.remove_prefix(static_cast<size_t>(result.ptr - text.data()));
    return true;
}

void logLine(OptionActions& actions, int level, const std::string& text) {
    Logger().Log(actions.logSender(), static_cast<TLogLevel>(level), text);
}

// --- the table ---------------------------------------------------------------------------------

struct OptionCall {
    EngineSettings& settings;
    OptionActions& actions;
    const std::string& name;
    const std::string& value;

    std::int64_t integer(std::int64_t minimum = std::numeric_limits<int>::min(),
                         std::int64_t maximum = std::numeric_limits<int>::max()) const {
        return ParseIntegerOption(name, value, minimum, maximum);
    }
    double real() const { return ParseFloatOption(name, value); }
    void log(int level, const std::string& text) const { logLine(actions, level, text); }
};

using Handler = std::function<void(const OptionCall&)>;

Handler doNothing() {
    return [](const OptionCall& call) { call.log(5, "Do nothing: option - " + call.name); };
}

// True unless the value is exactly "0".
Handler flag(bool EngineSettings::*member) {
    return [member](const OptionCall& call) { call.settings.*member = call.value != "0"; };
}

Handler alwaysTrue(bool EngineSettings::*member) {
    return [member](const OptionCall& call) { call.settings.*member = true; };
}

Handler integer(int EngineSettings::*member) {
    return [member](const OptionCall& call) {
        call.settings.*member = static_cast<int>(call.integer());
    };
}

Handler real(double EngineSettings::*member) {
    return [member](const OptionCall& call) { call.settings.*member = call.real(); };
}

Handler frameLimit(AVMediaType type) {
    return [type](const OptionCall& call) {
        call.settings.maxFrames[static_cast<size_t>(type)] = call.integer();
    };
}

Handler text(std::string EngineSettings::*member) {
    return [member](const OptionCall& call) { call.settings.*member = call.value; };
}

Handler duration(std::int64_t EngineSettings::*member) {
    return [member](const OptionCall& call) {
        call.settings.*member = ParseTimeOption(call.name, call.value, true);
    };
}

// "vcodec", "acodec", "scodec": a codec name or "copy".
Handler codec(std::string EngineSettings::*codecName, bool EngineSettings::*streamCopy) {
    return [codecName, streamCopy](const OptionCall& call) {
        (call.settings.*codecName).clear();
        if (call.value == "copy") {
            call.settings.*streamCopy = true;
        } else {
            call.settings.*codecName = call.value;
        }
    };
}

// "vtag", "atag", "stag": four characters read as a little-endian integer.
Handler tag(std::uint32_t EngineSettings::*member, const char* kindText) {
    return [member, kindText](const OptionCall& call) {
        if (call.value.size() != 4) {
            throw TranscoderException(FormatText("%s tag parameter must be 4 chars", kindText));
        }
        std::uint32_t tagValue = 0;
        for (int i = 3; i >= 0; --i) {
            tagValue = (tagValue << 8) | static_cast<unsigned char>(call.value[i]);
        }
        call.settings.*member = tagValue;
    };
}

Handler bitstreamFilter(std::vector<std::string> EngineSettings::*member) {
    return [member](const OptionCall& call) {
        const std::string filterName = call.value.substr(0, call.value.find('='));
        if (filterName.empty() || lib::avcodec.av_bsf_get_by_name(filterName.c_str()) == nullptr) {
            throw TranscoderException("Unknown bitstream filter " + filterName);
        }
        (call.settings.*member).push_back(call.value);
    };
}

Handler newStream(void (OptionActions::*add)()) {
    return [add](const OptionCall& call) {
        if (call.actions.outputCount() <= 0) {
            throw TranscoderException("At least one output file must be specified");
        }
        (call.actions.*add)();
    };
}

Handler crop(int EngineSettings::*band, bool vertical) {
    return [band, vertical](const OptionCall& call) {
        const int size = static_cast<int>(call.integer());
        if (size <= 0) {
            return;
        }
        int& frameSide = vertical ? call.settings.frameHeight : call.settings.frameWidth;
        if (size >= frameSide) {
            throw TranscoderException(
                vertical ? "Vertical crop dimensions are outside the range of the original "
                           "image.\nRemember to crop first and scale second."
                         : "Horizontal crop dimensions are outside the range of the original "
                           "image.\nRemember to crop first and scale second.");
        }
        call.log(4, "CropXXX is deprecated in favor of the crop avfilter");
        call.settings.*band = size;
        frameSide -= size;
    };
}

void setBitRate(const OptionCall& call) {
    if (!call.actions.setGenericOption(call.name, call.value)) {
        failInvalidValue(call.name, call.value);
    }
    const AVMediaType kind = call.name == "ab" ? AVMEDIA_TYPE_AUDIO : AVMEDIA_TYPE_VIDEO;
    const auto bitRate = call.actions.codecOptionValue(kind, "b");
    std::int64_t bitsPerSecond = 0;
    if (bitRate &&
        std::from_chars(bitRate->data(), bitRate->data() + bitRate->size(), bitsPerSecond).ec ==
            std::errc() &&
        bitsPerSecond < 1000) {
        call.log(4,
                 "WARNING: The bitrate parameter is set too low. It takes bits/s as argument, "
                 "not kbits/s");
    }
}

void setFormat(const OptionCall& call) {
    if (call.value == "pgmyuv") {
        call.settings.formatName = "image2";
        call.settings.pgmyuvFormat = true;
        call.log(5, "pgmyuv format is deprecated, use image2");
    } else {
        call.settings.formatName = call.value;
    }
}

// "map": file, separator, stream[, separator, sync file, separator, sync stream].
void addStreamMap(const OptionCall& call) {
    std::string_view rest = call.value;
    StreamMap map;
    bool valid = takeNumber(rest, map.fileIndex);
    if (valid && !rest.empty()) {
        rest.remove_prefix(1);
    }
    valid = valid && takeNumber(rest, map.streamIndex);
    if (valid && !rest.empty()) {
        rest.remove_prefix(1);
        valid = takeNumber(rest, map.syncFileIndex);
        if (valid && !rest.empty()) {
            rest.remove_prefix(1);
        }
        valid = valid && takeNumber(rest, map.syncStreamIndex);
    } else {
        map.syncFileIndex = map.fileIndex;
        map.syncStreamIndex = map.streamIndex;
    }
    if (!valid) {
        failInvalidValue(call.name, call.value);
    }
    call.settings.streamMaps.push_back(map);
}

// "map_meta_data": output file, separator, input file.
void addMetadataMap(const OptionCall& call) {
    std::string_view rest = call.value;
    MetadataMap map;
    bool valid = takeNumber(rest, map.outputFileIndex);
    if (valid && !rest.empty()) {
        rest.remove_prefix(1);
    }
    valid = valid && takeNumber(rest, map.inputFileIndex);
    if (!valid) {
        failInvalidValue(call.name, call.value);
    }
    call.settings.metadataMaps.push_back(map);
}

void setRecordingTime(const OptionCall& call) {
    call.settings.recordingTimeUs = ParseTimeOption(call.name, call.value, true);
    call.settings.totalDurationUs = call.settings.recordingTimeUs;
}

void setTimestamp(const OptionCall& call) {
    const std::int64_t dateUs = ParseTimeOption(call.name, call.value, false);
    call.settings.recordTimestampSeconds = std::llround(static_cast<double>(dateUs) / 1000000.0);
}

// "itsscale": stream index, separator, factor for that stream of the next input.
void setInputTsScale(const OptionCall& call) {
    std::string_view rest = call.value;
    int index = 0;
    if (!takeNumber(rest, index) || rest.size() < 2) {
        failInvalidValue(call.name, call.value);
    }
    if (index >= kMaxStreams) {
        throw TranscoderException(FormatText("stream index over MAX_STREAMS(%d)", kMaxStreams));
    }
    rest.remove_prefix(1);
    double factor = 0.0;
    const auto result = std::from_chars(rest.data(), rest.data() + rest.size(), factor);
    if (result.ec != std::errc() || result.ptr != rest.data() + rest.size() ||
        !std::isfinite(factor) || factor < 0.0) {
        failInvalidValue(call.name, call.value);
    }
    call.settings.nextInputTsScale[static_cast<size_t>(index)] = factor;
}

void addMetadata(const OptionCall& call) {
    const auto equals = call.value.find('=');
    if (equals == std::string::npos) {
        throw TranscoderException("Missing =");
    }
    call.settings.metadata.emplace_back(call.value.substr(0, equals),
                                        call.value.substr(equals + 1));
}

void setFrameRate(const OptionCall& call) {
    const auto rate = ParseFrameRate(call.value);
    if (!rate) {
        throw TranscoderException("Incorrect frame rate");
    }
    call.settings.frameRate = *rate;
}

void setFrameSize(const OptionCall& call) {
    const auto size = ParseFrameSize(call.value);
    if (!size) {
        throw TranscoderException("Incorrect frame size");
    }
    call.settings.frameWidth = size->width;
    call.settings.frameHeight = size->height;
}

// "aspect": "w:h" or a decimal number.
void setAspect(const OptionCall& call) {
    const std::string_view value = TrimmedView(call.value);
    double ratio = 0.0;
    const auto colon = value.find(':');
    if (colon != std::string_view::npos) {
        int width = 0;
        int height = 0;
        std::string_view first = value.substr(0, colon);
        std::string_view second = value.substr(colon + 1);
        if (takeNumber(first, width) && first.empty() && takeNumber(second, height) &&
            second.empty() && height > 0) {
            ratio = static_cast<double>(width) / height;
        }
    } else {
        const auto result = std::from_chars(value.data(), value.data() + value.size(), ratio);
        if (result.ec != std::errc() || result.ptr != value.data() + value.size()) {
            ratio = 0.0;
        }
    }
    // A negative, infinite or missing ratio is as useless as 0.
    if (!(ratio > 0.0) || !std::isfinite(ratio)) {
        throw TranscoderException("Incorrect aspect ratio specification.");
    }
    call.settings.frameAspectRatio = ratio;
}

void setPixelFormat(const OptionCall& call) {
    if (call.value == "list") {
        for (int format = 0;; ++format) {
            const AVPixFmtDescriptor* descriptor =
                lib::avutil.av_pix_fmt_desc_get(static_cast<AVPixelFormat>(format));
            if (descriptor == nullptr) {
                break;
            }
            call.log(5, FormatText("%-16s %d components, %d bits per pixel", descriptor->name,
                                   descriptor->nb_components,
                                   lib::avutil.av_get_bits_per_pixel(descriptor)));
        }
        return;
    }
    const AVPixelFormat format = lib::avutil.av_get_pix_fmt(call.value.c_str());
    if (format == AV_PIX_FMT_NONE) {
        throw TranscoderException(
            FormatText("Unknown pixel format requested: %s", call.value.c_str()));
    }
    call.settings.pixelFormat = format;
}

void setSampleFormat(const OptionCall& call) {
    if (call.value == "list") {
        for (int format = 0; format < AV_SAMPLE_FMT_NB; ++format) {
            const char* formatName =
                lib::avutil.av_get_sample_fmt_name(static_cast<AVSampleFormat>(format));
            if (formatName != nullptr) {
                call.log(5, formatName);
            }
        }
        return;
    }
    call.settings.sampleFormat = lib::avutil.av_get_sample_fmt(call.value.c_str());
}

void setQscale(const OptionCall& call) {
    const double qscale = call.real();
    if (!(qscale > 0.0 && qscale <= 255.0)) {
        throw TranscoderException("qscale must be > 0.0 and <= 255");
    }
    call.settings.videoQscale = qscale;
}

void setPass(const OptionCall& call) {
    std::string_view value = TrimmedView(call.value);
    int pass = 0;
    if (!takeNumber(value, pass) || !value.empty() || (pass != 1 && pass != 2)) {
        throw TranscoderException("pass number can be only 1 or 2");
    }
    call.settings.pass = pass;
}

// "vstats": a statistics file named after the current time, in the program's folder.
void setStatisticsFile(const OptionCall& call) {
    std::error_code error;
    std::string folder = std::filesystem::read_symlink("/proc/self/exe", error).parent_path();
    if (!folder.empty() && folder.back() != '/') {
        folder += '/';
    }
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char clock[16];
    std::strftime(clock, sizeof clock, "%H%M%S", &local);
    call.settings.statisticsFileName = FormatText("%svstats_%s.log", folder.c_str(), clock);
}

// "vhook": a plug-in command line, split at "|" when it has one, else at spaces.
void addFrameHook(const OptionCall& call) {
    const char separator = call.value.find('|') != std::string::npos ? '|' : ' ';
    FrameHookCommand arguments;
    size_t start = 0;
    while (start <= call.value.size() && static_cast<int>(arguments.size()) < kMaxHookArguments) {
        size_t end = call.value.find(separator, start);
        if (end == std::string::npos) {
            end = call.value.size();
        }
        if (end > start) {
            arguments.push_back(call.value.substr(start, end - start));
        }
        start = end + 1;
    }
    if (!call.settings.frameHookList) {
        call.settings.frameHookList = std::make_shared<FrameHookList>();
    }
    if (arguments.empty() || call.settings.frameHookList->AddHook(arguments) != kHookOk) {
        throw TranscoderException("Failed to add video hook function: " + call.value);
    }
    call.settings.frameHooks.push_back(std::move(arguments));
}

void setMatrix(const OptionCall& call) {
    auto& matrix =
        call.name == "intra_matrix" ? call.settings.intraMatrix : call.settings.interMatrix;
    matrix = ParseMatrix(call.value);
}

void setStreamId(const OptionCall& call) {
    const auto colon = call.value.find(':');
    if (colon == std::string::npos || colon == 0 || colon + 1 == call.value.size()) {
        throw TranscoderException(
            FormatText("Invalid value \"%s\" for option \"%s\", required syntax is \"index:value\"",
                       call.value.c_str(), call.name.c_str()));
    }
    std::string_view indexText = TrimmedView(std::string_view(call.value).substr(0, colon));
    int index = 0;
    if (!takeNumber(indexText, index) || !indexText.empty() || index >= kMaxStreams) {
        throw TranscoderException(
            FormatText("Invalid stream index \"%s\" for option \"%s\": must be 0 to %d",
                       call.value.substr(0, colon).c_str(), call.name.c_str(), kMaxStreams - 1));
    }
    call.settings.streamIds[static_cast<size_t>(index)] = static_cast<int>(
        ParseIntegerOption(call.name, call.value.substr(colon + 1), std::numeric_limits<int>::min(),
                           std::numeric_limits<int>::max()));
}

Handler positiveOnly(int EngineSettings::*member) {
    return [member](const OptionCall& call) {
        const int number = static_cast<int>(call.integer());
        if (number > 0) {
            call.settings.*member = number;
        }
    };
}

void setLogLevel(const OptionCall& call) {
    try {
        Logger().SetLogLevelByName(call.value);
    } catch (const std::invalid_argument&) {
        failInvalidValue(call.name, call.value);
    }
}

const std::unordered_map<std::string_view, Handler>& optionTable() {
    using S = EngineSettings;
    static const std::unordered_map<std::string_view, Handler> table = [] {
        std::unordered_map<std::string_view, Handler> t;
        for (const char* name : {"L", "h", "version", "formats", "codecs", "bsfs", "protocols",
                                 "filters", "i", "y", "benchmark"}) {
            t[name] = doNothing();
        }
        t["threads"] = [](const OptionCall& call) {
            throw TranscoderException("TODO: option - " + call.name);
        };
        t["timelimit"] = [](const OptionCall& call) {
            call.log(4, "Warning: -timelimit not implemented on Windows");
        };
        t["loglevel"] = setLogLevel;
        t["f"] = setFormat;
        t["map"] = addStreamMap;
        t["map_meta_data"] = addMetadataMap;
        t["t"] = setRecordingTime;
        t["fs"] = [](const OptionCall& call) {
            call.settings.limitFileSizeBytes = call.integer(
                std::numeric_limits<std::int64_t>::min(), std::numeric_limits<std::int64_t>::max());
        };
        t["ss"] = duration(&S::startTimeUs);
        t["itsoffset"] = duration(&S::inputTsOffsetUs);
        t["itsscale"] = setInputTsScale;
        t["timestamp"] = setTimestamp;
        t["metadata"] = addMetadata;
        t["dframes"] = frameLimit(AVMEDIA_TYPE_DATA);
        t["vframes"] = frameLimit(AVMEDIA_TYPE_VIDEO);
        t["aframes"] = frameLimit(AVMEDIA_TYPE_AUDIO);

        t["dump"] = flag(&S::packetDump);
        t["hex"] = flag(&S::hexDump);
        t["re"] = flag(&S::readAtNativeRate);
        t["loop_input"] = flag(&S::loopInput);
        t["shortest"] = flag(&S::shortest);
        t["intra"] = flag(&S::intraOnly);
        t["vn"] = flag(&S::videoDisable);
        t["an"] = flag(&S::audioDisable);
        t["sn"] = flag(&S::subtitleDisable);
        t["sameq"] = flag(&S::sameQuality);
        t["deinterlace"] = flag(&S::deinterlace);
        t["psnr"] = flag(&S::psnr);
        t["qphist"] = flag(&S::qpHistogram);
        t["force_fps"] = flag(&S::forceFps);
        t["isync"] = flag(&S::inputSync);
        t["copyts"] = alwaysTrue(&S::copyTimestamps);
        t["xerror"] = alwaysTrue(&S::exitOnError);

        t["loop_output"] = integer(&S::loopOutput);
        t["vsync"] = integer(&S::videoSyncMethod);
        t["async"] = integer(&S::audioSyncMethod);
        t["vglobal"] = integer(&S::videoGlobalHeader);
        t["programid"] = integer(&S::programId);
        t["copyinkf"] = integer(&S::copyInitialNonKeyFrames);
        t["vdt"] = integer(&S::videoDiscard);
        t["dc"] = integer(&S::intraDcPrecision);
        t["vol"] = integer(&S::audioVolume);
        t["me_threshold"] = integer(&S::meThreshold);
        t["top"] = integer(&S::topFieldFirst);
        t["v"] = integer(&S::verbosity);
        t["vc"] = integer(&S::videoChannel);

        t["adrift_threshold"] = real(&S::audioDriftThresholdSeconds);
        t["dts_delta_threshold"] = real(&S::dtsDeltaThresholdSeconds);
        t["aq"] = real(&S::audioQscale);
        t["muxdelay"] = real(&S::muxMaxDelaySeconds);
        t["muxpreload"] = real(&S::muxPreloadSeconds);

        t["target"] = [](const OptionCall& call) {
            ApplyTargetPreset(call.settings, call.actions, call.value, "ntsc");
        };
        t["b"] = setBitRate;
        t["vb"] = setBitRate;
        t["ab"] = setBitRate;
        t["r"] = setFrameRate;
        t["s"] = setFrameSize;
        t["aspect"] = setAspect;
        t["pix_fmt"] = setPixelFormat;
        t["sample_fmt"] = setSampleFormat;
        t["croptop"] = crop(&S::cropTop, true);
        t["cropbottom"] = crop(&S::cropBottom, true);
        t["cropleft"] = crop(&S::cropLeft, false);
        t["cropright"] = crop(&S::cropRight, false);
        for (const char* name : {"padtop", "padbottom", "padleft", "padright", "padcolor"}) {
            t[name] = [](const OptionCall&) {
                throw TranscoderException("Please use vfilters=pad");
            };
        }
        t["qscale"] = setQscale;
        t["rc_override"] = text(&S::rateControlOverride);
        t["vcodec"] = codec(&S::videoCodecName, &S::videoStreamCopy);
        t["acodec"] = codec(&S::audioCodecName, &S::audioStreamCopy);
        t["scodec"] = codec(&S::subtitleCodecName, &S::subtitleStreamCopy);
        t["pass"] = setPass;
        t["passlogfile"] = text(&S::passLogFilePrefix);
        t["vstats"] = setStatisticsFile;
        t["vstats_file"] = text(&S::statisticsFileName);
        t["vhook"] = addFrameHook;
        t["vfilters"] = text(&S::videoFilters);
        t["vf"] = text(&S::videoFilters);
        t["intra_matrix"] = setMatrix;
        t["inter_matrix"] = setMatrix;
        t["vtag"] = tag(&S::videoTag, "video");
        t["atag"] = tag(&S::audioTag, "audio");
        t["stag"] = tag(&S::subtitleTag, "subtitle");
        t["newvideo"] = newStream(&OptionActions::newVideoStream);
        t["newaudio"] = newStream(&OptionActions::newAudioStream);
        t["newsubtitle"] = newStream(&OptionActions::newSubtitleStream);
        t["vlang"] = text(&S::videoLanguage);
        t["alang"] = text(&S::audioLanguage);
        t["slang"] = text(&S::subtitleLanguage);
        t["streamid"] = setStreamId;
        t["ar"] = positiveOnly(&S::audioSampleRate);
        t["ac"] = positiveOnly(&S::audioChannels);
        t["tvstd"] = text(&S::videoStandard);
        t["vbsf"] = bitstreamFilter(&S::videoBitstreamFilters);
        t["absf"] = bitstreamFilter(&S::audioBitstreamFilters);
        t["sbsf"] = bitstreamFilter(&S::subtitleBitstreamFilters);
        for (const char* name : {"apre", "vpre", "spre", "fpre"}) {
            t[name] = [](const OptionCall& call) {
                ApplyPreset(call.settings, call.actions, call.name, call.value);
            };
        }
        return t;
    }();
    return table;
}

}  // namespace

void SetEngineOption(EngineSettings& settings, OptionActions& actions, const std::string& name,
                     const std::string& value) {
    const auto& table = optionTable();
    const auto entry = table.find(name);
    if (entry == table.end()) {
        // The generic setter logs its own refusals; an unknown name is not an error here.
        actions.setGenericOption(name, value);
        return;
    }
    entry->second(OptionCall{settings, actions, name, value});
}

bool IsEngineOptionName(std::string_view name) {
    return optionTable().contains(name);
}

// --- option text ---------------------------------------------------------------------------

std::vector<OptionLine> SplitOptionText(std::string_view text) {
    static constexpr std::string_view kLineBreakMarker = "<CRLF>";
    text = TrimmedView(text);
    std::vector<OptionLine> lines;
    size_t position = 0;
    while (position < text.size()) {
        // The end of this line: the first LF, CR or "<CRLF>" marker.
        size_t end = position;
        size_t next = text.size();
        while (end < text.size()) {
            const char c = text[end];
            if (c == '\n') {
                next = end + 1;
                break;
            }
            if (c == '\r') {
                next = end + 1 < text.size() && text[end + 1] == '\n' ? end + 2 : end + 1;
                break;
            }
            if (c == '<' && text.substr(end, kLineBreakMarker.size()) == kLineBreakMarker) {
                next = end + kLineBreakMarker.size();
                break;
            }
            ++end;
        }
        const std::string_view line = text.substr(position, end - position);
        position = next;

        const size_t equals = line.find('=');
        const std::string_view name = TrimmedView(line.substr(0, equals));
        if (name.empty()) {
            continue;
        }
        OptionLine entry;
        entry.name.assign(name);
        for (char& c : entry.name) {
            if (c >= 'A' && c <= 'Z') {
                c = static_cast<char>(c - 'A' + 'a');
            }
        }
        if (equals != std::string_view::npos) {
            entry.value.assign(line.substr(equals + 1));
        }
        lines.push_back(std::move(entry));
    }
    return lines;
}

bool IsSkippedInPass(std::string_view name, OptionPass pass) {
    for (std::string_view handled :
         {"newvideo", "newaudio", "newsubtitle", "apre", "vpre", "spre", "vfilters", "vf"}) {
        if (name == handled) {
            return true;
        }
    }
    if (pass == OptionPass::Output) {
        for (std::string_view streamDefault : {"acodec", "vcodec", "scodec", "s"}) {
            if (name == streamDefault) {
                return true;
            }
        }
    }
    return false;
}

void ApplyOptionText(EngineSettings& settings, OptionActions& actions, std::string_view text,
                     OptionPass pass) {
    for (const OptionLine& line : SplitOptionText(text)) {
        if (!IsSkippedInPass(line.name, pass)) {
            SetEngineOption(settings, actions, line.name, line.value);
        }
    }
}

// --- value parsers -------------------------------------------------------------------------

std::array<std::uint16_t, 64> ParseMatrix(const std::string& text) {
    std::array<std::uint16_t, 64> matrix{};
    const auto fail = [&text](int coefficient) {
        throw TranscoderException(
            FormatText("Syntax error in matrix \"%s\" at coeff %d", text.c_str(), coefficient));
    };
    std::string_view rest = text;
    for (int i = 0; i < 64; ++i) {
        while (!rest.empty() && rest.front() == ' ') {
            rest.remove_prefix(1);
        }
        // A coefficient must be a number the encoders can divide by: 1 to 255 (8-bit matrices).
        int coefficient = 0;
        if (!takeNumber(rest, coefficient) || coefficient < 1 || coefficient > 255) {
            fail(i);
        }
        matrix[static_cast<size_t>(i)] = static_cast<std::uint16_t>(coefficient);
        if (i == 63) {
            break;
        }
        const size_t comma = rest.find(',');
        if (comma == std::string_view::npos) {
            fail(i);
        }
        rest.remove_prefix(comma + 1);
    }
    return matrix;
}

std::int64_t ParseTimeOption(const std::string& name, const std::string& value, bool isDuration) {
    std::int64_t timeUs = 0;
    if (value.find('\0') != std::string::npos ||
        lib::avutil.av_parse_time(&timeUs, value.c_str(), isDuration ? 1 : 0) < 0) {
        throw TranscoderException(FormatText("Invalid %s specification for %s: %s",
                                             isDuration ? "duration" : "date", name.c_str(),
                                             value.c_str()));
    }
    return timeUs;
}

std::optional<FrameSize> ParseFrameSize(std::string_view text) {
    text = TrimmedView(text);
    // "W x H" or "W*H", optionally followed by a note after a space or "(".
    std::string_view rest = text;
    FrameSize size;
    if (takeNumber(rest, size.width)) {
        rest = TrimmedView(rest);
        if (!rest.empty() && (rest.front() == 'x' || rest.front() == 'X' || rest.front() == '*')) {
            rest.remove_prefix(1);
            while (!rest.empty() && isBlank(rest.front())) {
                rest.remove_prefix(1);
            }
            if (takeNumber(rest, size.height) &&
                (rest.empty() || isBlank(rest.front()) || rest.front() == '(')) {
                if (size.width <= 0 || size.height <= 0 || size.width > kMaxFrameDimension ||
                    size.height > kMaxFrameDimension) {
                    return std::nullopt;
                }
                return size;
            }
        }
        // Not a pair: abbreviations such as "2k" also begin with a digit.
    }
    // A size abbreviation the library knows ("vga", "hd720").
    if (text.empty() || text.size() > 64) {
        return std::nullopt;
    }
    const std::string name(text);
    if (lib::avutil.av_parse_video_size(&size.width, &size.height, name.c_str()) < 0 ||
        size.width <= 0 || size.height <= 0 || size.width > kMaxFrameDimension ||
        size.height > kMaxFrameDimension) {
        return std::nullopt;
    }
    return size;
}

std::optional<AVRational> ParseFrameRate(std::string_view text) {
    text = TrimmedView(text);
    if (text.empty() || text.size() > 64) {
        return std::nullopt;
    }
    const std::string rateText(text);
    AVRational rate{0, 0};
    if (lib::avutil.av_parse_video_rate(&rate, rateText.c_str()) < 0 || rate.num <= 0 ||
        rate.den <= 0) {
        return std::nullopt;
    }
    return rate;
}

std::int64_t ParseIntegerOption(const std::string& name, const std::string& value,
                                std::int64_t minimum, std::int64_t maximum) {
    std::string_view text = TrimmedView(value);
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
    }
    std::int64_t number = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), number);
    if (text.empty() || result.ec != std::errc() || result.ptr != text.data() + text.size() ||
        number < minimum || number > maximum) {
        failInvalidValue(name, value);
    }
    return number;
}

double ParseFloatOption(const std::string& name, const std::string& value) {
    std::string_view text = TrimmedView(value);
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
    }
    double number = 0.0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), number);
    if (text.empty() || result.ec != std::errc() || result.ptr != text.data() + text.size() ||
        !std::isfinite(number)) {
        failInvalidValue(name, value);
    }
    return number;
}

}  // namespace velmora
