#include "profiles/OptionSettings.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

#include "profiles/FileNames.h"

namespace velmora {

namespace {

constexpr std::string_view kKeepSize = "保持原分辨率";
constexpr std::string_view kKeepRate = "保持原帧速率";
constexpr std::string_view kNone = "无";
constexpr std::string_view kAutoSampleRate = "自动音频采样率";
constexpr std::string_view kAutoAudioBitRate = "自动音频比特率";

// What a video-encoder entry does to the pending record. Entries that are not listed leave it.
enum class EncoderEffect { SetCodec, Disc };

struct VideoEncoderRow {
    std::string_view entry;
    EncoderEffect effect;
    std::string_view codec;
    std::string_view tag;
    std::string_view outputFormat;
    std::string_view discTarget;
    std::string_view tvNorm;
    std::string_view suffix;  // replaces the output's extension for a disc job
};

// "VOB视频压缩器" has no row on purpose: it keeps the codec as it is (empty for a new job), so the
// container's default encoder is used.
constexpr VideoEncoderRow kVideoEncoders[] = {
    {"Divx 5 视频压缩器", EncoderEffect::SetCodec, "mpeg4", "DX50", "", "", "", ""},
    {"MPEG4 视频压缩器", EncoderEffect::SetCodec, "mpeg4", "", "", "", "", ""},
    {"MPEG4视频压缩器", EncoderEffect::SetCodec, "mpeg4", "", "", "", "", ""},
    {"XviD 视频压缩器1", EncoderEffect::SetCodec, "mpeg4", "XVID", "", "", "", ""},
    {"XviD 视频压缩器2", EncoderEffect::SetCodec, "libxvid", "", "", "", "", ""},
    {"Divx 视频压缩器", EncoderEffect::SetCodec, "msmpeg4", "", "", "", "", ""},
    {"H264/AVC高清视频压缩器", EncoderEffect::SetCodec, "libx264", "", "", "", "", ""},
    {"Mjpeg 视频压缩器", EncoderEffect::SetCodec, "mjpeg", "", "", "", "", ""},
    {"RM视频压缩器1", EncoderEffect::SetCodec, "rv10", "", "", "", "", ""},
    {"RM视频压缩器2", EncoderEffect::SetCodec, "rv20", "", "", "", "", ""},
    {"WMV视频压缩器", EncoderEffect::SetCodec, "wmv2", "", "", "", "", ""},
    {"MPEG视频压缩器", EncoderEffect::SetCodec, "mpeg1video", "", "", "", "", ""},
    {"ASF视频压缩器", EncoderEffect::SetCodec, "msmpeg4", "", "asf", "", "", ""},
    {"FLASH格式视频压缩器", EncoderEffect::SetCodec, "", "", "", "", "", ""},
    {"FLV格式视频压缩器", EncoderEffect::SetCodec, "", "", "", "", "", ""},
    {"QuickTime视频压缩器", EncoderEffect::SetCodec, "", "", "", "", "", ""},
    {"该格式无视频", EncoderEffect::SetCodec, "", "", "", "", "", ""},
    {"PAL_DVD视频压缩器", EncoderEffect::Disc, "", "", "", "dvd", "PAL", "_PAL.mpg"},
    {"NTSC_DVD视频压缩器", EncoderEffect::Disc, "", "", "", "dvd", "NTSC", "_NTSC.mpg"},
    {"PAL_SVCD视频压缩器", EncoderEffect::Disc, "", "", "", "svcd", "PAL", "_PAL.mpg"},
    {"NTSC_SVCD视频压缩器", EncoderEffect::Disc, "", "", "", "svcd", "NTSC", "_NTSC.mpg"},
    {"PAL_VCD视频压缩器", EncoderEffect::Disc, "", "", "", "vcd", "PAL", "_PAL.mpg"},
    {"NTSC_VCD视频压缩器", EncoderEffect::Disc, "", "", "", "vcd", "NTSC", "_NTSC.mpg"},
};

struct TextMapping {
    std::string_view entry;
    std::string_view value;
};

// "VOB音频编码器" has no row: it keeps the audio codec as it is.
constexpr TextMapping kAudioEncoders[] = {
    {"MP3音频编码器", "libmp3lame"},
    {"Flac音频编码器", "flac"},
    {"AAC音频编码器", "libfaac"},
    {"AC3音频编码器", "ac3"},
    {"自动音频编码器", "AUTO"},
    {"WMV音频编码器", "wmav2"},
    {"WMA音频编码器", "wmav2"},
    {"ASF音频编码器1", "wmav2"},
    {"ASF音频编码器2", "wmav1"},
    {"OGG音频编码器", "libvorbis"},
    {"AMR音频编码器", "libopencore_amrnb"},
    {"WAVE音频编码器", ""},
    {"RM音频编码器", ""},
    {"MP2音频编码器", ""},
};

// Engine volume levels: 256 is unchanged, p percent less or more scales it, "N倍" is (N + 1)x.
constexpr TextMapping kVolumes[] = {
    {"无声音", "0"},          {"音量降低90%", "26"},   {"音量降低80%", "51"},
    {"音量降低70%", "77"},    {"音量降低60%", "102"},  {"音量降低50%", "128"},
    {"音量降低40%", "154"},   {"音量降低30%", "179"},  {"音量降低20%", "205"},
    {"音量降低10%", "230"},   {"音量保持不变", "256"}, {"音量增加10%", "282"},
    {"音量增加20%", "307"},   {"音量增加30%", "333"},  {"音量增加40%", "358"},
    {"音量增加50%", "384"},   {"音量增加60%", "410"},  {"音量增加70%", "435"},
    {"音量增加80%", "461"},   {"音量增加90%", "486"},  {"音量增加1倍", "512"},
    {"音量增加1.5倍", "640"}, {"音量增加2倍", "768"},  {"音量增加3倍", "1024"},
    {"音量增加4倍", "1280"},  {"音量增加5倍", "1536"}, {"音量增加6倍", "1792"},
    {"音量增加7倍", "2048"},
};

constexpr TextMapping kChannels[] = {{"立体声", "2"}, {"单声道", "1"}};
constexpr TextMapping kAspects[] = {
    {"普通视频4:3模式", "4:3"}, {"宽屏视频16:9模式", "16:9"}, {"无", ""}};

const std::string_view* lookup(std::span<const TextMapping> table, std::string_view entry) {
    const auto it = std::ranges::find(table, entry, &TextMapping::entry);
    return it != table.end() ? &it->value : nullptr;
}

// Copies the mapped value of a known entry; an unknown entry leaves the field as it was.
void assignMapped(std::string& field, std::span<const TextMapping> table, std::string_view entry) {
    if (const std::string_view* value = lookup(table, entry)) {
        field = *value;
    }
}

std::string_view trimBlanks(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// The whole text as a decimal integer.
std::optional<std::int64_t> parseInteger(std::string_view text) {
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size() || text.empty()) {
        return std::nullopt;
    }
    return value;
}

// A number of kilo-units in bit/s, or nothing when the text is no number or the result does not
// fit the record's 32-bit field.
std::optional<std::int32_t> kiloToUnits(double kilo) {
    const double units = std::round(kilo * 1000.0);
    if (!(units >= std::numeric_limits<std::int32_t>::min() &&
          units <= std::numeric_limits<std::int32_t>::max())) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(units);
}

// "128" gives 128000; a text with "." is read as a decimal ("12.2" gives 12200).
std::optional<std::int32_t> parseAudioBitRate(std::string_view text) {
    if (text.find('.') != std::string_view::npos) {
        double value = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value,
                                                  std::chars_format::fixed);
        if (error != std::errc{} || end != text.data() + text.size()) {
            return std::nullopt;
        }
        return kiloToUnits(value);
    }
    const auto value = parseInteger(text);
    return value ? kiloToUnits(static_cast<double>(*value)) : std::nullopt;
}

// The number before "kbps": "1000 kbps (很高质量)" gives 1000000.
std::optional<std::int32_t> parseVideoBitRate(std::string_view text) {
    const auto value = parseInteger(trimBlanks(text.substr(0, text.find("kbps"))));
    return value ? kiloToUnits(static_cast<double>(*value)) : std::nullopt;
}

void applyDiscReset(const VideoEncoderRow& row, std::string_view outputFolder,
                    PendingJobOptions& options) {
    options.DiscTarget = row.discTarget;
    options.TvNorm = row.tvNorm;
    options.ChannelsText.clear();
    options.SampleRateText.clear();
    options.FrameSizeText.clear();
    options.FrameRateText.clear();
    options.VolumeText = kVolumeUnchanged;
    options.AspectText.clear();
    options.VideoBitRate = kBitRateNotGiven;
    options.AudioBitRate = kBitRateNotGiven;
    options.OutputFormat.clear();
    options.VideoTag.clear();
    options.VideoCodec.clear();
    options.AudioCodec.clear();
    // Named after the source rather than the current output name, so that confirming again
    // (after a rejected cut range, or with the other TV norm) does not pile up suffixes.
    options.OutputFile =
        joinPath(outputFolder, changeExtension(fileNamePart(options.SourceFile), row.suffix));
}

void applyVideoEncoder(std::string_view entry, std::string_view outputFolder,
                       PendingJobOptions& options) {
    const auto it = std::ranges::find(kVideoEncoders, entry, &VideoEncoderRow::entry);
    if (it == std::ranges::end(kVideoEncoders)) {
        return;
    }
    if (it->effect == EncoderEffect::Disc) {
        applyDiscReset(*it, outputFolder, options);
        return;
    }
    options.VideoCodec = it->codec;
    if (!it->tag.empty()) {
        options.VideoTag = it->tag;
    }
    if (!it->outputFormat.empty()) {
        options.OutputFormat = it->outputFormat;
    }
}

std::string joinFilters(const ShownOptions& shown) {
    std::string filters;
    const auto append = [&](bool on, std::string_view name) {
        if (!on) {
            return;
        }
        if (!filters.empty()) {
            filters += ',';
        }
        filters += name;
    };
    append(shown.flipHorizontal, "hflip");
    append(shown.flipVertical, "vflip");
    append(shown.negative, "negate");
    return filters;
}

// Edits are bounded so that the millisecond sums below stay far from overflowing.
constexpr std::int64_t kMaxEditValue = 1'000'000'000;

// Milliseconds of an h/m/s triple; empty edits count as "00". Nothing when an edit holds anything
// but digits (the window's key filter lets only digits through; other callers may not).
std::optional<std::int64_t> cutTimeMs(const CutTimeText& time) {
    std::int64_t parts[3] = {};
    const std::string* texts[3] = {&time.hours, &time.minutes, &time.seconds};
    for (int i = 0; i < 3; ++i) {
        const std::string& text = *texts[i];
        if (text.empty()) {
            continue;
        }
        if (!std::ranges::all_of(text, [](char c) { return c >= '0' && c <= '9'; })) {
            return std::nullopt;
        }
        parts[i] = parseInteger(text).value_or(kMaxEditValue);
        parts[i] = std::min(parts[i], kMaxEditValue);
    }
    return (3600 * parts[0] + 60 * parts[1] + parts[2]) * 1000;
}

std::string twoDigits(std::int64_t value) {
    std::string text = std::to_string(value);
    return text.size() < 2 ? "0" + text : text;
}

}  // namespace

std::span<const std::string_view> OptionListState::entries() const {
    return list ? list->entries : std::span<const std::string_view>{};
}

std::string_view OptionListState::selectedText() const {
    const auto all = entries();
    return selected >= 0 && static_cast<std::size_t>(selected) < all.size() ? all[selected]
                                                                            : std::string_view{};
}

bool OptionListState::select(std::string_view text) {
    const auto all = entries();
    const auto it = std::ranges::find(all, text);
    if (it == all.end()) {
        return false;
    }
    selected = static_cast<int>(it - all.begin());
    return true;
}

bool OptionSettingsState::pickVideoEncoder(std::string_view text) {
    if (!list(OptionKind::VideoEncoder).select(text)) {
        return false;
    }
    if (const auto replacement = encoderChangeReplacement(profileCode, text)) {
        OptionListState& target = list(replacement->kind);
        target = OptionListState{replacement->choice.list, -1};
        target.select(replacement->choice.preselected);
    }
    return true;
}

std::optional<OptionSettingsState> fillOptionSettings(PendingJobOptions& pending,
                                                      std::string_view outputFolder) {
    const TProfileEntry* profile = findProfile(pending.ProfileCode);
    const auto choices = profileOptionChoices(pending.ProfileCode);
    if (!profile || !choices) {
        return std::nullopt;
    }

    OptionSettingsState state;
    state.profileCode = profile->Code;
    // Video mode first; the audio profiles switch to audio mode below.
    state.MediaMode = kMediaModeVideo;
    pending.OutputFormat.clear();
    pending.TvNorm.clear();

    pending.OutputFile = joinPath(
        outputFolder, changeExtension(fileNamePart(pending.SourceFile), profile->OutputExt));
    pending.ProfileExt = profile->ProfileExtTag;
    pending.OutputFormat = profile->OutputFormat;
    state.DiscKind = profile->DiscKind;
    if (profile->AudioOnly) {
        state.MediaMode = kMediaModeMusic;
    }

    for (std::size_t i = 0; i < kOptionKindCount; ++i) {
        state.lists[i].list = (*choices)[i].list;
        state.lists[i].select((*choices)[i].preselected);
    }
    return state;
}

std::optional<DurationSplit> splitDuration(std::int64_t durationUs) {
    if (durationUs < 0) {
        return std::nullopt;
    }
    const std::int64_t total = durationUs / 1'000'000;
    const std::int64_t hours = total / 3600;
    const std::int64_t minutes = (total - 3600 * hours) / 60;
    const std::int64_t seconds = total - 3600 * hours - 60 * minutes;
    return DurationSplit{std::to_string(total),
                         {twoDigits(hours), twoDigits(minutes), twoDigits(seconds)}};
}

ShownOptions shownOptions(const OptionSettingsState& state) {
    ShownOptions shown;
    for (std::size_t i = 0; i < kOptionKindCount; ++i) {
        shown.texts[i] = state.lists[i].selectedText();
    }
    shown.MediaMode = state.MediaMode;
    shown.DiscKind = state.DiscKind;
    return shown;
}

Confirmation confirmOptions(const ShownOptions& shown, const PendingJobOptions& pending,
                            std::string_view outputFolder) {
    Confirmation result{pending, false, {}};
    PendingJobOptions& options = result.options;
    const auto text = [&](OptionKind kind) -> std::string_view {
        return shown.texts[indexOf(kind)];
    };

    options.VideoFilters.clear();
    options.VideoTag.clear();

    assignMapped(options.ChannelsText, kChannels, text(OptionKind::Channels));

    const std::string_view sampleRate = text(OptionKind::SampleRate);
    options.SampleRateText = sampleRate == kAutoSampleRate ? kAutoValue : sampleRate;

    const std::string_view audioBitRate = text(OptionKind::AudioBitRate);
    options.AudioBitRate = audioBitRate == kAutoAudioBitRate
                               ? kBitRateNotGiven
                               : parseAudioBitRate(audioBitRate).value_or(kBitRateNotGiven);

    const std::string_view frameSize = text(OptionKind::FrameSize);
    options.FrameSizeText = frameSize == kKeepSize || frameSize == kNone ? "" : frameSize;

    const std::string_view frameRate = text(OptionKind::FrameRate);
    options.FrameRateText = frameRate == kKeepRate || frameRate == kNone ? "" : frameRate;

    assignMapped(options.AspectText, kAspects, text(OptionKind::ScalingMode));

    const std::string_view videoBitRate = text(OptionKind::VideoBitRate);
    options.VideoBitRate = videoBitRate == kNone
                               ? kBitRateNotGiven
                               : parseVideoBitRate(videoBitRate).value_or(kBitRateNotGiven);

    applyVideoEncoder(text(OptionKind::VideoEncoder), outputFolder, options);

    options.VideoFilters = joinFilters(shown);

    assignMapped(options.AudioCodec, kAudioEncoders, text(OptionKind::AudioEncoder));

    options.DiscTarget = shown.DiscKind;
    options.AudioOnly = shown.MediaMode == kMediaModeMusic;

    assignMapped(options.VolumeText, kVolumes, text(OptionKind::Volume));

    if (!shown.cutEnabled) {
        options.CutStartMs = 0;
        options.CutMode = kCutNoSelect;
        result.accepted = true;
        return result;
    }

    const auto startMs = cutTimeMs(shown.cutStart);
    const auto stopMs = cutTimeMs(shown.cutStop);
    if (!startMs || !stopMs) {
        result.message = kDigitsOnlyMessage;
        return result;
    }
    // Without a known length only the order of start and stop can be checked; the engine then
    // simply ends at the end of the source.
    const auto sourceSeconds = parseInteger(shown.SourceSeconds);
    if (sourceSeconds && *stopMs / 1000 > *sourceSeconds) {  // stop is whole seconds
        result.message = kCutStopBeyondLengthMessage;
        return result;
    }
    if (*startMs >= *stopMs) {
        result.message = kCutStartNotBeforeStopMessage;
        return result;
    }
    options.CutStartMs = *startMs;
    options.CutLengthMs = *stopMs - *startMs;
    options.CutMode = kCutSelect;
    result.accepted = true;
    return result;
}

}  // namespace velmora
