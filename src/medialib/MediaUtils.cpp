#include "medialib/MediaUtils.h"
#include "medialib/TextFormat.h"

#include <sys/stat.h>

#include <cctype>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <new>

#include "medialib/MediaLibLoader.h"
#include "medialib/MediaLogger.h"

namespace velmora {

namespace {

// Error codes and their texts. The codes are the library's symbolic ones; where the library
// changed how it reports a condition, the row is keyed by every code that now means it:
// "Unsupported network protocol" by the protocol-not-found code and EPROTONOSUPPORT, "Unknown
// format" by the demuxer- and muxer-not-found codes (the old EILSEQ code for it now means an
// illegal byte sequence and gets the generic text). "End of file" and "Invalid data" use the
// library's own tag codes, which replaced EPIPE and EINVAL for those meanings.
struct ErrorRow {
    int code;
    const char* text;
};

constexpr ErrorRow kErrorTexts[] = {
    {AVERROR_PATCHWELCOME, "Not yet implemented in FFmpeg"},
    {AVERROR_PROTOCOL_NOT_FOUND, "Unsupported network protocol"},
    {AVERROR(EPROTONOSUPPORT), "Unsupported network protocol"},
    {AVERROR_DEMUXER_NOT_FOUND, "Unknown format"},
    {AVERROR_MUXER_NOT_FOUND, "Unknown format"},
    {AVERROR(EDOM), "Number syntax expected in filename"},
    {AVERROR_EOF, "End of file"},
    {AVERROR_INVALIDDATA, "Invalid data found when processing input"},
    {AVERROR(ENOMEM), "Not enough memory"},
    {AVERROR(EIO), "I/O error"},
    {AVERROR(ENOENT), "No such file or directory"},
};

// Option filter flags of the media kinds video, audio, data, subtitle, attachment.
constexpr int kKindFlags[kOptionKindCount] = {AV_OPT_FLAG_VIDEO_PARAM, AV_OPT_FLAG_AUDIO_PARAM, 0,
                                              AV_OPT_FLAG_SUBTITLE_PARAM, 0};

// One name/value pair to set after translation; `legacy` marks a translated x264 option,
// which is skipped with a warning when nothing has it.
struct OptionSetting {
    std::string name;
    std::string value;
    bool legacy;
};

struct Rename {
    const char* legacyName;
    const char* name;
};

// Options of the built-in x264 presets that libx264 renamed.
constexpr Rename kRenamedOptions[] = {
    {"directpred", "direct-pred"},
    {"cqp", "qp"},
};
// "flags2" values that became libx264 switches of their own.
constexpr Rename kFlags2Switches[] = {
    {"mixed_refs", "mixed-refs"},
    {"wpred", "weightb"},
    {"dct8x8", "8x8dct"},
    {"fastpskip", "fast-pskip"},
};

std::vector<OptionSetting> translateLegacy(const std::string& name, const std::string& value) {
    for (const Rename& rename : kRenamedOptions) {
        if (name == rename.legacyName) {
            return {{rename.name, value, true}};
        }
    }
    if (name != "flags2") {
        return {{name, value, false}};
    }
    // Split "+a-b+c" into signed tokens; the first may have no sign.
    std::vector<OptionSetting> switches;
    std::string remaining;
    std::size_t begin = 0;
    while (begin < value.size()) {
        std::size_t end = value.find_first_of("+-", begin + 1);
        if (end == std::string::npos) {
            end = value.size();
        }
        const std::string token = value.substr(begin, end - begin);
        const bool signedToken = token[0] == '+' || token[0] == '-';
        const std::string flag = signedToken ? token.substr(1) : token;
        bool translated = false;
        for (const Rename& rename : kFlags2Switches) {
            if (flag == rename.legacyName) {
                switches.push_back({rename.name, token[0] == '-' ? "0" : "1", true});
                translated = true;
                break;
            }
        }
        if (!translated) {
            remaining += token;
        }
        begin = end;
    }
    if (switches.empty()) {
        return {{name, value, false}};
    }
    if (!remaining.empty()) {
        switches.insert(switches.begin(), {name, remaining, false});
    }
    return switches;
}

const AVOption* findOption(void* object, const std::string& name, int optionFlags) {
    return lib::avutil.av_opt_find2(object, name.c_str(), nullptr, optionFlags,
                                    AV_OPT_SEARCH_CHILDREN, nullptr);
}

// A private option of any codec (or, with forCodec false, of any muxer or demuxer).
const AVOption* findPrivateOption(const std::string& name, bool forCodec) {
    const AVClass* avClass =
        forCodec ? lib::avcodec.avcodec_get_class() : lib::avformat.avformat_get_class();
    return lib::avutil.av_opt_find2(&avClass, name.c_str(), nullptr, 0,
                                    AV_OPT_SEARCH_CHILDREN | AV_OPT_SEARCH_FAKE_OBJ, nullptr);
}

void rememberName(std::vector<std::string>& names, const char* name) {
    for (const std::string& known : names) {
        if (known == name) {
            return;
        }
    }
    names.emplace_back(name);
}

void rememberPrivate(OptionContexts& set, const OptionSetting& setting, bool forCodec) {
    for (OptionContexts::PrivateOption& option : set.privateOptions) {
        if (option.name == setting.name && option.forCodec == forCodec) {
            option.value = setting.value;
            return;
        }
    }
    set.privateOptions.push_back({setting.name, setting.value, forCodec});
}

bool setOnContexts(OptionContexts& set, const OptionSetting& setting) {
    const char* name = setting.name.c_str();
    const char* value = setting.value.c_str();
    const AVOption* found = nullptr;
    int result = 0;
    for (int kind = 0; kind < kOptionKindCount && result >= 0; ++kind) {
        // Looked up on the video context for every kind: all five share one class.
        const AVOption* option = findOption(set.codec[0].get(), setting.name, kKindFlags[kind]);
        if (option != nullptr) {
            found = option;
            result =
                lib::avutil.av_opt_set(set.codec[kind].get(), name, value, AV_OPT_SEARCH_CHILDREN);
        }
    }
    if (found == nullptr) {
        if ((found = findOption(set.format.get(), setting.name, 0)) != nullptr) {
            result = lib::avutil.av_opt_set(set.format.get(), name, value, AV_OPT_SEARCH_CHILDREN);
        } else if ((found = findOption(set.scaler.get(), setting.name, 0)) != nullptr) {
            result = lib::avutil.av_opt_set(set.scaler.get(), name, value, AV_OPT_SEARCH_CHILDREN);
        }
    }
    if (found == nullptr && setting.name.size() > 1) {
        // "ab", "vb", "sb": the option without its first letter on that kind's context.
        int kind = -1;
        switch (setting.name[0]) {
            case 'a':
                kind = AVMEDIA_TYPE_AUDIO;
                break;
            case 'v':
                kind = AVMEDIA_TYPE_VIDEO;
                break;
            case 's':
                kind = AVMEDIA_TYPE_SUBTITLE;
                break;
            default:
                break;
        }
        if (kind >= 0) {
            const std::string rest = setting.name.substr(1);
            if ((found = findOption(set.codec[kind].get(), rest, 0)) != nullptr) {
                result = lib::avutil.av_opt_set(set.codec[kind].get(), rest.c_str(), value,
                                                AV_OPT_SEARCH_CHILDREN);
            }
        }
    }
    if (found != nullptr && result < 0) {
        LibraryLog(AV_LOG_ERROR, "Invalid value \"%s\" for option \"%s\"\n", value, name);
        return false;
    }
    if (found == nullptr) {
        for (const bool forCodec : {true, false}) {
            if (findPrivateOption(setting.name, forCodec) != nullptr) {
                rememberPrivate(set, setting, forCodec);
                return true;
            }
        }
        if (setting.legacy) {
            Logger().LogFmt(nullptr, TLogLevel::llWarning,
                            "Option \"%s\" has no equivalent in this library version; skipped",
                            name);
            return true;
        }
        return false;
    }
    rememberName(set.names, found->name);
    if (set.codec[0]->debug != 0 || set.format->debug != 0) {
        Logger().SetLogLevel(TLogLevel::llDebug);
    }
    return true;
}

const AVClass* classOf(void* object) {
    return object != nullptr ? *static_cast<const AVClass* const*>(object) : nullptr;
}

}  // namespace

void LibraryLog(int libraryLevel, const char* format, ...) {
    va_list args;
    va_start(args, format);
    const std::string text = VFormatText(format, args);
    va_end(args);
    if (lib::avutil.av_log != nullptr) {
        lib::avutil.av_log(nullptr, libraryLevel, "%s", text.c_str());
        return;
    }
    std::string line = text;
    while (!line.empty() && line.back() == '\n') {
        line.pop_back();
    }
    Logger().Log(nullptr, LogLevelOfLibrary(libraryLevel), line);
}

std::string ErrorText(const std::string& fileName, int code) {
    for (const ErrorRow& row : kErrorTexts) {
        if (row.code == code) {
            return fileName + ": " + row.text;
        }
    }
    // Codes without a row of their own get the library's description ("Device or resource
    // busy"); the bare number only when the library has none either.
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    if (code < 0 && lib::avutil.av_strerror != nullptr &&
        lib::avutil.av_strerror(code, text, sizeof text) == 0 && text[0] != '\0') {
        return fileName + ": " + text;
    }
    return fileName + ": " + FormatText("Error number %d occurred", code);
}

std::string FormatTime(std::int64_t microseconds) {
    if (microseconds == AV_NOPTS_VALUE) {
        return "N/A";
    }
    const long long seconds = microseconds / 1000000;
    const long long hours = seconds / 60 / 60;
    const long long minutes = (seconds / 60) % 60;
    const long long restSeconds = seconds % 60;
    const long long milliseconds = (microseconds % 1000000) * 1000 / 1000000;
    return FormatText("%.2lld:%.2lld:%.2lld.%.3lld", hours, minutes, restSeconds, milliseconds);
}

std::string FormatSize(std::int64_t bytes) {
    constexpr std::int64_t kKilo = 1024;
    constexpr std::int64_t kMega = kKilo * 1024;
    constexpr std::int64_t kGiga = kMega * 1024;
    if (bytes > kGiga) {
        return FormatText("%.2f GB", static_cast<double>(bytes) / kGiga);
    }
    if (bytes > kMega) {
        return FormatText("%.2f MB", static_cast<double>(bytes) / kMega);
    }
    if (bytes > kKilo) {
        return FormatText("%.2f KB", static_cast<double>(bytes) / kKilo);
    }
    return FormatText("%lld Byte", static_cast<long long>(bytes));
}

std::string MediaTypeName(int kind) {
    static constexpr const char* kNames[] = {"Video", "Audio", "Data", "Subtitle", "Attachment"};
    if (kind < 0 || kind >= static_cast<int>(std::size(kNames))) {
        return "Unknown";
    }
    return kNames[kind];
}

std::string CodecDescription(const AVCodecContext* context, bool encoder) {
    if (context == nullptr) {
        return {};
    }
    const AVCodec* codec = encoder ? lib::avcodec.avcodec_find_encoder(context->codec_id)
                                   : lib::avcodec.avcodec_find_decoder(context->codec_id);
    if (codec != nullptr) {
        const std::string longName = Trimmed(codec->long_name != nullptr ? codec->long_name : "");
        return longName.empty() ? std::string(codec->name)
                                : FormatText("%s(%s)", codec->name, longName.c_str());
    }
    if (context->codec_id == AV_CODEC_ID_MPEG2TS) {
        return "mpeg2ts";
    }
    // The codec's registered name stands in for the name the context used to carry.
    if (context->codec_id != AV_CODEC_ID_NONE) {
        const AVCodecDescriptor* descriptor =
            lib::avcodec.avcodec_descriptor_get(context->codec_id);
        if (descriptor != nullptr && descriptor->name != nullptr) {
            const std::string name = Trimmed(descriptor->name);
            if (!name.empty()) {
                return name;
            }
        }
    }
    const unsigned tag = context->codec_tag;
    const unsigned char letters[4] = {static_cast<unsigned char>(tag & 0xFF),
                                      static_cast<unsigned char>((tag >> 8) & 0xFF),
                                      static_cast<unsigned char>((tag >> 16) & 0xFF),
                                      static_cast<unsigned char>((tag >> 24) & 0xFF)};
    bool printable = true;
    for (const unsigned char letter : letters) {
        printable = printable && letter >= 32 && letter <= 126;
    }
    if (printable) {
        return FormatText("%c%c%c%c / 0x%04X", letters[0], letters[1], letters[2], letters[3], tag);
    }
    return FormatText("0x%04x", tag);
}

OptionContexts::~OptionContexts() {
    OptionContextsFree(*this);
}

void OptionContextsFree(OptionContexts& set) {
    {
        // These contexts are never opened; the lock keeps to the one rule for every free.
        std::lock_guard lock(CodecLock());
        for (CodecContextPtr& context : set.codec) {
            context.reset();
        }
    }
    set.format.reset();
    set.scaler.reset();
    set.names.clear();
    set.privateOptions.clear();
}

bool OptionContextsCreate(OptionContexts& set, int scalerFlags) {
    OptionContextsFree(set);
    for (int kind = 0; kind < kOptionKindCount; ++kind) {
        set.codec[kind].reset(lib::avcodec.avcodec_alloc_context3(nullptr));
        if (!set.codec[kind]) {
            OptionContextsFree(set);
            return false;
        }
        set.codec[kind]->codec_type = static_cast<AVMediaType>(kind);
    }
    set.format.reset(lib::avformat.avformat_alloc_context());
    set.scaler.reset(lib::swscale.sws_getContext(16, 16, AV_PIX_FMT_YUV420P, 16, 16,
                                                 AV_PIX_FMT_YUV420P, scalerFlags, nullptr, nullptr,
                                                 nullptr));
    if (!set.format || !set.scaler) {
        OptionContextsFree(set);
        return false;
    }
    return true;
}

bool SetOption(OptionContexts& set, const std::string& name, const std::string& value) {
    const std::string cleanName = Trimmed(name);
    const std::string cleanValue = Trimmed(value);
    if (cleanName.empty() || cleanValue.empty() || !set.codec[0]) {
        return false;
    }
    for (const OptionSetting& setting : translateLegacy(cleanName, cleanValue)) {
        if (!setOnContexts(set, setting)) {
            return false;
        }
    }
    return true;
}

bool ApplyOptions(const OptionContexts& set, void* source, void* destination, int flags) {
    if (source == nullptr || destination == nullptr) {
        return false;
    }
    bool applied = true;
    for (const std::string& name : set.names) {
        const AVOption* option = findOption(source, name, 0);
        if (option == nullptr || (option->flags & flags) != flags) {
            continue;
        }
        std::uint8_t* text = nullptr;
        if (lib::avutil.av_opt_get(source, name.c_str(), AV_OPT_SEARCH_CHILDREN, &text) < 0 ||
            text == nullptr) {
            continue;
        }
        const LibraryMemoryPtr owner(text);
        const char* value = reinterpret_cast<const char*>(text);
        const int result =
            lib::avutil.av_opt_set(destination, name.c_str(), value, AV_OPT_SEARCH_CHILDREN);
        if (result < 0 && result != AVERROR_OPTION_NOT_FOUND) {
            LibraryLog(AV_LOG_ERROR, "Invalid value \"%s\" for option \"%s\"\n", value,
                       name.c_str());
            applied = false;
        }
    }
    const AVClass* destinationClass = classOf(destination);
    for (const OptionContexts::PrivateOption& option : set.privateOptions) {
        const AVClass* owner =
            option.forCodec ? lib::avcodec.avcodec_get_class() : lib::avformat.avformat_get_class();
        if (destinationClass != owner || findOption(destination, option.name, flags) == nullptr) {
            continue;
        }
        if (lib::avutil.av_opt_set(destination, option.name.c_str(), option.value.c_str(),
                                   AV_OPT_SEARCH_CHILDREN) < 0) {
            LibraryLog(AV_LOG_ERROR, "Invalid value \"%s\" for option \"%s\"\n",
                       option.value.c_str(), option.name.c_str());
            applied = false;
        }
    }
    return applied;
}

bool SetLegacyAwareOption(void* object, const std::string& name, const std::string& value,
                          int searchFlags, std::string* error) {
    if (object == nullptr) {
        if (error != nullptr) {
            *error = "No object to set option \"" + name + "\" on";
        }
        return false;
    }
    for (const OptionSetting& setting : translateLegacy(Trimmed(name), Trimmed(value))) {
        const AVOption* option = lib::avutil.av_opt_find2(object, setting.name.c_str(), nullptr, 0,
                                                          searchFlags, nullptr);
        if (option == nullptr) {
            if (setting.legacy) {
                Logger().LogFmt(nullptr, TLogLevel::llWarning,
                                "Option \"%s\" (given as \"%s\") has no equivalent here; skipped",
                                setting.name.c_str(), name.c_str());
                continue;
            }
            if (error != nullptr) {
                *error = "Option \"" + setting.name + "\" not found";
            }
            return false;
        }
        if (lib::avutil.av_opt_set(object, setting.name.c_str(), setting.value.c_str(),
                                   searchFlags) < 0) {
            if (error != nullptr) {
                *error = FormatText("Invalid value \"%s\" for option \"%s\"", setting.value.c_str(),
                                    setting.name.c_str());
            }
            return false;
        }
    }
    return true;
}

int ReadWholeFile(const std::string& path, std::vector<char>& contents) {
    contents.clear();
    // Only regular files: a directory opens fine and then reports a meaningless size.
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return -1;
    }
    const auto& c = lib::libc;
    FILE* file = (c.fopen != nullptr ? c.fopen : &std::fopen)(path.c_str(), "rb");
    if (file == nullptr) {
        return -1;
    }
    auto closeFile = [&] { (c.fclose != nullptr ? c.fclose : &std::fclose)(file); };
    auto seek = c.fseek != nullptr ? c.fseek : &std::fseek;
    auto tell = c.ftell != nullptr ? c.ftell : &std::ftell;
    auto read = c.fread != nullptr ? c.fread : &std::fread;
    long size = -1;
    if (seek(file, 0, SEEK_END) == 0) {
        size = tell(file);
    }
    if (size < 0 || seek(file, 0, SEEK_SET) != 0) {
        closeFile();
        return -1;
    }
    try {
        contents.resize(static_cast<std::size_t>(size) + 1);
    } catch (const std::bad_alloc&) {
        closeFile();
        return -12;
    }
    const std::size_t bytesRead = read(contents.data(), 1, static_cast<std::size_t>(size), file);
    closeFile();
    contents.resize(bytesRead + 1);
    contents[bytesRead] = '\0';
    return 0;
}

bool StartsWithPlainProtocol(const std::string& name) {
    const std::size_t colon = name.find(':');
    if (colon == std::string::npos) {
        return false;
    }
    const std::string enclosed = ":" + name.substr(0, colon) + ":";
    return std::strstr(kPlainProtocols, enclosed.c_str()) != nullptr;
}

namespace {

// The format library's protocol for local files; the name after it is taken as it stands.
constexpr char kFileProtocol[] = "file:";

}  // namespace

bool IsExplicitUrl(const std::string& name) {
    const std::size_t separator = name.find("://");
    if (separator == std::string::npos || separator == 0 ||
        !std::isalpha(static_cast<unsigned char>(name[0]))) {
        return false;
    }
    for (std::size_t i = 1; i < separator; ++i) {
        const auto c = static_cast<unsigned char>(name[i]);
        if (!std::isalnum(c) && c != '+' && c != '-' && c != '.') {
            return false;
        }
    }
    return true;
}

std::string ToLibraryFileName(const std::string& name) {
    if (name.empty() || name.front() == '/' || name.rfind(kFileProtocol, 0) == 0 ||
        IsExplicitUrl(name)) {
        return name;
    }
    return kFileProtocol + name;
}

std::string FromLibraryFileName(const std::string& text) {
    constexpr std::size_t kMarkerLength = sizeof kUnicodeFileMarker - 1;
    if (text.size() > kMarkerLength && text.compare(0, kMarkerLength, kUnicodeFileMarker) == 0) {
        return text.substr(kMarkerLength);
    }
    if (text.rfind(kFileProtocol, 0) == 0) {
        return text.substr(sizeof kFileProtocol - 1);
    }
    return text;
}

}  // namespace velmora
