#include "probe/MediaProbe.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cinttypes>
#include <climits>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <ctime>
#include <functional>
#include <mutex>
#include <string_view>
#include <vector>

#include "medialib/LibraryHandles.h"
#include "medialib/MediaLibLoader.h"
#include "medialib/MediaLogger.h"
#include "medialib/MediaUtils.h"
#include "medialib/TextFormat.h"

namespace velmora {

namespace {

constexpr const char* kNotLoaded = "file not loaded.";
constexpr const char* kLineEnd = "\r\n";

// Bounds for reading the stream parameters of a hostile file: the library's own defaults,
// written out so that a change of default cannot make probing unbounded.
constexpr std::int64_t kProbeSizeBytes = 5'000'000;
constexpr std::int64_t kMaxAnalyzeDurationUs = 5'000'000;

// ID3 frame names shown under a readable name when metadata is listed.
struct KeyName {
    const char* key;
    const char* name;
};
constexpr KeyName kKeyNames[] = {
    {"TALB", "album"},     {"TAL", "album"},      {"TCOM", "composer"},  {"TCON", "genre"},
    {"TCO", "genre"},      {"TCOP", "copyright"}, {"TDRL", "date"},      {"TENC", "encoder"},
    {"TEN", "encoder"},    {"TIT2", "title"},     {"TT2", "title"},      {"TLAN", "language"},
    {"TPE1", "artist"},    {"TP1", "artist"},     {"TPOS", "disc"},      {"TPUB", "publisher"},
    {"TRCK", "track"},     {"TRK", "track"},      {"TSOA", "albumsort"}, {"TSOP", "authorsort"},
    {"TSOT", "titlesort"}, {"TYER", "year"},
};

std::int32_t clampToInt32(std::int64_t value) {
    if (value > INT32_MAX) {
        return INT32_MAX;
    }
    if (value < INT32_MIN) {
        return INT32_MIN;
    }
    return static_cast<std::int32_t>(value);
}

// A line of the description holds exactly one line: line breaks inside a value (a file name or
// a tag written by anyone) would make the reader cut a forged field out of the text.
std::string oneLine(const char* text) {
    std::string line = text != nullptr ? text : "";
    for (char& c : line) {
        if (c == '\r' || c == '\n') {
            c = ' ';
        }
    }
    return line;
}

// Exact-key lookup; empty when absent.
std::string metadataValue(const AVDictionary* metadata, const char* key) {
    const AVDictionaryEntry* entry =
        lib::avutil.av_dict_get(metadata, key, nullptr, AV_DICT_MATCH_CASE);
    return entry != nullptr && entry->value != nullptr ? entry->value : "";
}

bool hasKey(const AVDictionary* metadata, const char* key) {
    return lib::avutil.av_dict_get(metadata, key, nullptr, AV_DICT_MATCH_CASE) != nullptr;
}

// Leading decimal number of a tag value ("2010-05-01" -> 2010, "3/12" -> 3); 0 when none.
std::int32_t leadingNumber(const std::string& text) {
    std::int64_t value = 0;
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) {
        ++i;
    }
    bool any = false;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9' && value < INT32_MAX; ++i) {
        value = value * 10 + (text[i] - '0');
        any = true;
    }
    return any ? clampToInt32(value) : 0;
}

// A time base safe to divide by: denominator 0 takes the numerator, and 1 when that is 0 too.
AVRational usableTimeBase(AVRational timeBase) {
    if (timeBase.den == 0) {
        timeBase.den = timeBase.num != 0 ? timeBase.num : 1;
    }
    return timeBase;
}

std::int64_t toMicroseconds(std::int64_t value, AVRational timeBase) {
    return lib::avutil.av_rescale_q(value, usableTimeBase(timeBase), AVRational{1, 1000000});
}

// "%d.%.6d" of a microsecond time, with the sign in front for a negative one.
std::string secondsText(std::int64_t us) {
    const char* sign = us < 0 ? "-" : "";
    const std::int64_t magnitude = us < 0 ? -us : us;
    return FormatText("%s%" PRId64 ".%.6" PRId64, sign, magnitude / 1000000, magnitude % 1000000);
}

// Seconds since 1970 (UTC) as local standard time, without daylight saving.
std::string localStandardTime(std::int64_t seconds) {
    tzset();
    const std::time_t local = static_cast<std::time_t>(seconds - timezone);
    std::tm parts{};
    if (gmtime_r(&local, &parts) == nullptr) {
        return "N/A";
    }
    char text[64];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &parts);
    return text;
}

// ", 25 fps", ", 29.97 fps", ", 90k tbn"; nothing when a part of the fraction is 0.
void appendRate(std::string& line, AVRational rate, const char* suffix) {
    if (rate.num == 0 || rate.den == 0) {
        return;
    }
    const double value = av_q2d(rate);
    const long long hundredths = std::llround(value * 100);
    if (hundredths % 100 != 0) {
        line += FormatText(", %3.2f %s", value, suffix);
    } else if (hundredths % 100000 != 0) {
        line += FormatText(", %1.0f %s", value, suffix);
    } else {
        line += FormatText(", %1.0fk %s", value / 1000, suffix);
    }
}

// "Metadata:" and one line per entry except "language"; nothing for an empty dictionary or one
// that holds only a language.
void appendMetadata(std::string& text, const AVDictionary* metadata, const std::string& indent) {
    if (metadata == nullptr) {
        return;
    }
    const int count = lib::avutil.av_dict_count(metadata);
    if (count == 0 || (count == 1 && hasKey(metadata, "language"))) {
        return;
    }
    text += indent + "Metadata:" + kLineEnd;
    const AVDictionaryEntry* entry = nullptr;
    while ((entry = lib::avutil.av_dict_get(metadata, "", entry, AV_DICT_IGNORE_SUFFIX)) !=
           nullptr) {
        if (std::string_view(entry->key) == "language") {
            continue;
        }
        const char* name = entry->key;
        for (const KeyName& row : kKeyNames) {
            if (std::string_view(row.key) == entry->key) {
                name = row.name;
                break;
            }
        }
        text += FormatText("%s  %-16s: %s", indent.c_str(), oneLine(name).c_str(),
                           oneLine(entry->value).c_str());
        text += kLineEnd;
    }
}

// A decoder-side codec context describing the stream; null when the library refuses.
CodecContextPtr contextFromStream(const AVStream* stream) {
    CodecContextPtr context(lib::avcodec.avcodec_alloc_context3(nullptr));
    if (context == nullptr) {
        return nullptr;
    }
    if (lib::avcodec.avcodec_parameters_to_context(context.get(), stream->codecpar) < 0) {
        return nullptr;
    }
    return context;
}

std::string codecDescription(const AVStream* stream) {
    CodecContextPtr context = contextFromStream(stream);
    return context != nullptr ? CodecDescription(context.get(), false) : std::string();
}

// File-system facts of a local path; the library's protocols ("http:", "pipe:" ...) are not
// local files and are left to the library.
bool localStat(const std::string& name, struct stat& facts) {
    return !name.empty() && ::stat(name.c_str(), &facts) == 0;
}

}  // namespace

// ---------------------------------------------------------------------------------------------

TCustomMediaProbe::TCustomMediaProbe() = default;

TCustomMediaProbe::~TCustomMediaProbe() {
    TCustomMediaProbe::Close();
}

void TCustomMediaProbe::checkLibraries() {
    const TMediaLibLoader& loader = TMediaLibLoader::instance();
    if (!loader.LibraryLoaded(MediaLibrary::avcodec)) {
        throw MediaLibraryNotLoaded("LibAVCodec not loaded.");
    }
    if (!loader.LibraryLoaded(MediaLibrary::avformat)) {
        throw MediaLibraryNotLoaded("LibAVFormat not loaded.");
    }
    if (!loader.LibraryLoaded(MediaLibrary::avutil)) {
        throw MediaLibraryNotLoaded("LibAVUtil not loaded.");
    }
    if (!loader.LibraryLoaded(MediaLibrary::swscale)) {
        throw MediaLibraryNotLoaded("LibSwScale not loaded.");
    }
}

void TCustomMediaProbe::reportError(const std::string& text) {
    m_lastError = text;
    Logger().Log(this, TLogLevel::llError, text);
}

void TCustomMediaProbe::reportNotLoaded() {
    m_lastError = kNotLoaded;
    Logger().Log(this, TLogLevel::llWarning, kNotLoaded);
}

// Called by the library during blocking I/O and stream analysis, on the thread running Open.
int TCustomMediaProbe::interruptCallback(void* opaque) {
    const auto* probe = static_cast<const TCustomMediaProbe*>(opaque);
    const std::int64_t deadline = probe->m_deadlineUs.load(std::memory_order_relaxed);
    return deadline != 0 && lib::avutil.av_gettime_relative() > deadline ? 1 : 0;
}

bool TCustomMediaProbe::Open(const std::string& fileName, const std::string& formatName) {
    checkLibraries();
    Close();

    const AVInputFormat* forcedFormat = nullptr;
    if (!formatName.empty()) {
        forcedFormat = lib::avformat.av_find_input_format(formatName.c_str());
        if (forcedFormat == nullptr) {
            m_lastError = FormatText("Unknown input format: %s", formatName.c_str());
            return false;
        }
    }

    // Inputs that the library would read forever or that block in the system's open call are
    // refused up front with a plain reason.
    struct stat facts {};
    if (localStat(fileName, facts)) {
        if (S_ISDIR(facts.st_mode)) {
            reportError(fileName + ": Is a directory");
            return false;
        }
        if (S_ISFIFO(facts.st_mode) || S_ISSOCK(facts.st_mode)) {
            reportError(fileName + ": Not a regular file");
            return false;
        }
        if (::access(fileName.c_str(), R_OK) != 0) {
            reportError(fileName + ": Permission denied");
            return false;
        }
    }

    AVFormatContext* context = lib::avformat.avformat_alloc_context();
    if (context == nullptr) {
        reportError(ErrorText(fileName, AVERROR(ENOMEM)));
        return false;
    }
    context->flags |= AVFMT_FLAG_NONBLOCK;
    context->probesize = kProbeSizeBytes;
    context->max_analyze_duration = kMaxAnalyzeDurationUs;
    context->interrupt_callback.callback = &TCustomMediaProbe::interruptCallback;
    context->interrupt_callback.opaque = this;
    m_deadlineUs.store(lib::avutil.av_gettime_relative() + std::int64_t{kOpenTimeLimitMs} * 1000);

    const std::string libraryName = ToLibraryFileName(fileName);
    // On failure the library frees the context and clears the pointer.
    const int result =
        lib::avformat.avformat_open_input(&context, libraryName.c_str(), forcedFormat, nullptr);
    if (result < 0) {
        m_deadlineUs.store(0);
        // Some demuxers refuse content that is not theirs with EINVAL, the code that meant
        // invalid data in older library versions; it gets that text rather than a bare number.
        reportError(ErrorText(fileName, result == AVERROR(EINVAL) ? AVERROR_INVALIDDATA : result));
        Close();
        return false;
    }
    m_context = context;
    m_ownsContext = true;

    int streamInfo = 0;
    {
        std::lock_guard lock(CodecLock());
        streamInfo = lib::avformat.avformat_find_stream_info(m_context, nullptr);
    }
    m_deadlineUs.store(0);
    if (streamInfo < 0) {
        Close();
        m_lastError = FormatText("%s: could not find codec parameters", fileName.c_str());
        return false;
    }

    ComputeInfo();
    m_forcedFormatName = formatName;
    return true;
}

void TCustomMediaProbe::Attach(AVFormatContext* context) {
    checkLibraries();
    Close();
    m_ownsContext = false;
    m_context = context;
    ComputeInfo();
}

void TCustomMediaProbe::Close() {
    m_forcedFormatName.clear();
    if (m_context != nullptr) {
        if (m_ownsContext) {
            lib::avformat.avformat_close_input(&m_context);
        }
        m_context = nullptr;
    }
    m_ownsContext = false;
    ComputeInfo();
}

void TCustomMediaProbe::ComputeInfo() {
    m_fileSize = -1;
    m_streamCount = -1;
    m_programCount = -1;
    m_audioStreamCount = -1;
    m_videoStreamCount = -1;
    m_subtitleStreamCount = -1;
    m_firstAudioStream = -1;
    m_firstVideoStream = -1;
    m_firstSubtitleStream = -1;
    if (m_context == nullptr) {
        return;
    }

    // Some inputs (a growing file, a demuxer without a byte stream) report no size; the file on
    // disk then tells it.
    const std::int64_t librarySize =
        m_context->pb != nullptr ? lib::avformat.avio_size(m_context->pb) : -1;
    if (librarySize > 0) {
        m_fileSize = librarySize;
    } else {
        struct stat facts {};
        const std::string name = FileName();
        if (localStat(name, facts) && S_ISREG(facts.st_mode)) {
            m_fileSize = facts.st_size;
        } else {
            m_fileSize = librarySize < 0 ? -1 : librarySize;
        }
    }

    m_streamCount = static_cast<int>(m_context->nb_streams);
    m_programCount = static_cast<int>(m_context->nb_programs);
    m_audioStreamCount = 0;
    m_videoStreamCount = 0;
    m_subtitleStreamCount = 0;
    for (int i = 0; i < m_streamCount; ++i) {
        switch (m_context->streams[i]->codecpar->codec_type) {
            case AVMEDIA_TYPE_VIDEO:
                ++m_videoStreamCount;
                if (m_firstVideoStream < 0) {
                    m_firstVideoStream = i;
                }
                break;
            case AVMEDIA_TYPE_AUDIO:
                ++m_audioStreamCount;
                if (m_firstAudioStream < 0) {
                    m_firstAudioStream = i;
                }
                break;
            case AVMEDIA_TYPE_SUBTITLE:
                ++m_subtitleStreamCount;
                if (m_firstSubtitleStream < 0) {
                    m_firstSubtitleStream = i;
                }
                break;
            default:
                break;
        }
    }
}

bool TCustomMediaProbe::GetFileStreamInfo(TFileStreamInfo& info) {
    info = TFileStreamInfo{};
    if (m_context == nullptr) {
        reportNotLoaded();
        return false;
    }
    info.StartTime = m_context->start_time == AV_NOPTS_VALUE ? -1 : m_context->start_time;
    info.Duration = m_context->duration == AV_NOPTS_VALUE ? -1 : m_context->duration;
    info.BitRate = clampToInt32(m_context->bit_rate);

    // The library no longer carries these as context fields; they come from the file's tags.
    const AVDictionary* metadata = m_context->metadata;
    info.TimeStamp = 0;
    const std::string creation = metadataValue(metadata, "creation_time");
    std::int64_t creationUs = 0;
    if (!creation.empty() && lib::avutil.av_parse_time(&creationUs, creation.c_str(), 0) >= 0) {
        info.TimeStamp = creationUs / 1000000;
    }
    std::string year = metadataValue(metadata, "date");
    if (year.empty()) {
        year = metadataValue(metadata, "year");
    }
    info.Year = leadingNumber(year);
    info.Track = leadingNumber(metadataValue(metadata, "track"));

    info.Title = metadataValue(metadata, "title");
    info.Author = metadataValue(metadata, "author");
    info.Copyright = metadataValue(metadata, "copyright");
    info.Comment = metadataValue(metadata, "comment");
    info.Album = metadataValue(metadata, "album");
    info.Genre = metadataValue(metadata, "genre");
    return true;
}

namespace {

// Shared part of the audio and video records: selects and checks the stream, fills language,
// codec and times. Returns the stream or null after reporting why.
template <typename Info>
AVStream* fillCommon(AVFormatContext* context, int index, int firstOfKind, AVMediaType kind,
                     Info& info, const std::function<void(const std::string&)>& fail) {
    const char* kindName = kind == AVMEDIA_TYPE_AUDIO ? "audio" : "video";
    if (index < 0) {
        if (firstOfKind < 0) {
            fail(FormatText("no %s stream.", kindName));
            return nullptr;
        }
        index = firstOfKind;
    } else if (index >= static_cast<int>(context->nb_streams)) {
        fail(FormatText("stream index #%d is invalid.", index));
        return nullptr;
    }
    AVStream* stream = context->streams[index];
    if (stream->codecpar->codec_type != kind) {
        fail(FormatText("stream #%d is not %s stream.", index, kindName));
        return nullptr;
    }
    info.Language = metadataValue(stream->metadata, "language");
    info.Codec = codecDescription(stream);
    info.StartTime = stream->start_time;
    info.Duration = stream->duration;
    if (stream->start_time != AV_NOPTS_VALUE) {
        info.StartTimeUs = toMicroseconds(stream->start_time, stream->time_base);
    }
    if (stream->duration != AV_NOPTS_VALUE) {
        info.DurationUs = toMicroseconds(stream->duration, stream->time_base);
    }
    info.BitRate = clampToInt32(stream->codecpar->bit_rate);
    return stream;
}

}  // namespace

bool TCustomMediaProbe::GetAudioStreamInfo(int index, TAudioStreamInfo& info) {
    info = TAudioStreamInfo{};
    if (m_context == nullptr) {
        reportNotLoaded();
        return false;
    }
    const AVStream* stream =
        fillCommon(m_context, index, m_firstAudioStream, AVMEDIA_TYPE_AUDIO, info,
                   [this](const std::string& text) { reportError(text); });
    if (stream == nullptr) {
        return false;
    }
    const AVCodecParameters* parameters = stream->codecpar;
    info.Channels = parameters->ch_layout.nb_channels;
    info.SampleRate = parameters->sample_rate;
    info.SampleFormat = parameters->format;
    return true;
}

bool TCustomMediaProbe::GetVideoStreamInfo(int index, TVideoStreamInfo& info) {
    info = TVideoStreamInfo{};
    if (m_context == nullptr) {
        reportNotLoaded();
        return false;
    }
    const AVStream* stream =
        fillCommon(m_context, index, m_firstVideoStream, AVMEDIA_TYPE_VIDEO, info,
                   [this](const std::string& text) { reportError(text); });
    if (stream == nullptr) {
        return false;
    }
    const AVCodecParameters* parameters = stream->codecpar;
    info.Height = parameters->height;
    info.Width = parameters->width;
    // An unset sample aspect ratio means square pixels, as every player shows such a picture.
    AVRational pixelAspect = parameters->sample_aspect_ratio;
    if (pixelAspect.num <= 0 || pixelAspect.den <= 0) {
        pixelAspect = AVRational{1, 1};
    }
    if (parameters->height > 0) {
        info.DisplayAspect =
            static_cast<float>(av_q2d(pixelAspect) * parameters->width / parameters->height);
    }
    info.PixelFormat = parameters->format;
    info.FrameRateNum = stream->r_frame_rate.num;
    info.FrameRateDen = stream->r_frame_rate.den;
    return true;
}

std::string TCustomMediaProbe::streamLine(int index) {
    const AVStream* stream = m_context->streams[index];
    const AVRational timeBase = usableTimeBase(stream->time_base);
    std::string line = FormatText("Stream #%d", index);
    if (m_context->iformat != nullptr && (m_context->iformat->flags & AVFMT_SHOW_IDS) != 0) {
        line += FormatText("[0x%x]", static_cast<unsigned>(stream->id));
    }
    const std::string language = metadataValue(stream->metadata, "language");
    if (!language.empty()) {
        line += "(" + oneLine(language.c_str()) + ")";
    }
    std::int64_t divisor = lib::avutil.av_gcd(stream->time_base.num, stream->time_base.den);
    if (divisor == 0) {
        divisor = 1;
    }
    line += FormatText(", %" PRId64 "/%" PRId64, stream->time_base.num / divisor,
                       stream->time_base.den / divisor);

    // The codec summary and the codec time base come from a decoder context filled from the
    // stream's parameters. The library no longer keeps a per-stream decoder time base, and
    // filling a context from parameters leaves time_base at 0/1, so the "tbc" item is left out
    // by the rule that skips unset rates.
    CodecContextPtr codec = contextFromStream(stream);
    char summary[256] = {};
    if (codec != nullptr) {
        lib::avcodec.avcodec_string(summary, sizeof summary, codec.get(), 0);
    }
    line += ": ";
    line += oneLine(summary);

    const AVRational codecAspect =
        codec != nullptr ? codec->sample_aspect_ratio : stream->codecpar->sample_aspect_ratio;
    if (stream->sample_aspect_ratio.num != 0 &&
        av_cmp_q(stream->sample_aspect_ratio, codecAspect) != 0) {
        int displayNum = 0;
        int displayDen = 0;
        lib::avutil.av_reduce(
            &displayNum, &displayDen,
            std::int64_t{stream->codecpar->width} * stream->sample_aspect_ratio.num,
            std::int64_t{stream->codecpar->height} * stream->sample_aspect_ratio.den, 1048576);
        line += FormatText(", PAR %d:%d DAR %d:%d", stream->sample_aspect_ratio.num,
                           stream->sample_aspect_ratio.den, displayNum, displayDen);
    }

    if (stream->codecpar->codec_type == AVMEDIA_TYPE_VIDEO) {
        appendRate(line, stream->avg_frame_rate, "fps");
        appendRate(line, stream->r_frame_rate, "tbr");
        appendRate(line, av_inv_q(stream->time_base), "tbn");
        if (codec != nullptr) {
            appendRate(line, av_inv_q(codec->time_base), "tbc");
        }
    }

    if (stream->start_time != AV_NOPTS_VALUE) {
        line += ", StartTime: " + secondsText(toMicroseconds(stream->start_time, timeBase));
    }
    if (stream->duration == AV_NOPTS_VALUE) {
        line += ", Duration: N/A";
    } else {
        line += ", Duration: " + FormatTime(toMicroseconds(stream->duration, timeBase));
    }
    return line;
}

void TCustomMediaProbe::dumpStream(std::string& text, int index) {
    text += streamLine(index);
    text += kLineEnd;
    appendMetadata(text, m_context->streams[index]->metadata, "  ");
}

std::string TCustomMediaProbe::DumpText() {
    if (m_context == nullptr) {
        reportNotLoaded();
        return {};
    }
    std::string text;
    auto addLine = [&text](const std::string& line) {
        text += line;
        text += kLineEnd;
    };

    addLine("File Name: " + oneLine(FileName().c_str()));
    addLine("Format Name: " + FormatName());
    addLine("Format Long Name: " + FormatLongName());
    addLine("File Size: " + FormatSize(m_fileSize));

    TFileStreamInfo info;
    GetFileStreamInfo(info);
    if (info.Duration < 0) {
        addLine("Duration: N/A");
    } else {
        addLine("Duration: " + FormatTime(info.Duration));
    }
    if (info.StartTime >= 0) {
        addLine("StartTime: " + secondsText(info.StartTime));
    }
    if (info.BitRate < 1) {
        addLine("Bit Rate: N/A");
    } else {
        addLine(FormatText("Bit Rate: %d kb/s", info.BitRate / 1000));
    }
    if (info.TimeStamp > 0) {
        addLine("Time Stamp: " + localStandardTime(info.TimeStamp));
    }
    appendMetadata(text, m_context->metadata, "");

    std::vector<bool> printed(m_context->nb_streams, false);
    for (unsigned p = 0; p < m_context->nb_programs; ++p) {
        const AVProgram* program = m_context->programs[p];
        // Older transport-stream readers tagged programs "provider_name" and "name"; today's
        // use "service_provider" and "service_name".
        std::string provider = metadataValue(program->metadata, "provider_name");
        if (provider.empty()) {
            provider = metadataValue(program->metadata, "service_provider");
        }
        std::string name = metadataValue(program->metadata, "name");
        if (name.empty()) {
            name = metadataValue(program->metadata, "service_name");
        }
        addLine(FormatText("Program %d %s@%s", program->id,
                           provider.empty() ? "N/A" : oneLine(provider.c_str()).c_str(),
                           name.empty() ? "N/A" : oneLine(name.c_str()).c_str()));
        appendMetadata(text, program->metadata, "  ");
        for (unsigned s = 0; s < program->nb_stream_indexes; ++s) {
            const unsigned index = program->stream_index[s];
            // A program may list an index twice or one that no stream has.
            if (index >= m_context->nb_streams || printed[index]) {
                continue;
            }
            dumpStream(text, static_cast<int>(index));
            printed[index] = true;
        }
    }
    for (unsigned i = 0; i < m_context->nb_streams; ++i) {
        if (!printed[i]) {
            dumpStream(text, static_cast<int>(i));
        }
    }
    return text;
}

std::string TCustomMediaProbe::FileName() const {
    if (m_context == nullptr || m_context->url == nullptr) {
        return {};
    }
    return FromLibraryFileName(m_context->url);
}

std::string TCustomMediaProbe::FormatName() const {
    if (m_context == nullptr || m_context->iformat == nullptr ||
        m_context->iformat->name == nullptr) {
        return {};
    }
    return m_context->iformat->name;
}

std::string TCustomMediaProbe::FormatLongName() const {
    if (m_context == nullptr || m_context->iformat == nullptr ||
        m_context->iformat->long_name == nullptr) {
        return {};
    }
    return m_context->iformat->long_name;
}

// ---------------------------------------------------------------------------------------------

TMediaProbe::~TMediaProbe() {
    TMediaProbe::Close();
}

void TMediaProbe::Close() {
    m_defaultStream = -1;
    m_defaultStartTime = 0;
    TCustomMediaProbe::Close();
}

void TMediaProbe::ComputeInfo() {
    TCustomMediaProbe::ComputeInfo();
    m_defaultStream = -1;
    m_defaultStartTime = 0;
    const AVFormatContext* context = FormatContext();
    if (context == nullptr) {
        return;
    }
    m_defaultStream = FirstVideoStream() >= 0 ? FirstVideoStream() : FirstAudioStream();
    const std::int64_t start =
        m_defaultStream >= 0 ? context->streams[m_defaultStream]->start_time : context->start_time;
    m_defaultStartTime = start == AV_NOPTS_VALUE ? 0 : start;
}

}  // namespace velmora
