#include "cli/ProfileOutput.h"

#include "engine/CodecResolver.h"
#include "engine/EngineSettings.h"
#include "engine/OptionParser.h"
#include "engine/Presets.h"
#include "engine/TranscoderException.h"
#include "medialib/LibraryBindings.h"
#include "profiles/JobChoices.h"
#include "profiles/JobRecords.h"

namespace velmora::cli {

namespace {

constexpr const char* kUnknown = "?";

// Takes what a disc target sets and nothing else: no file is opened, library options are
// accepted unseen.
class TargetSettingsOnly final : public OptionActions {
public:
    void openInputFile(const std::string&) override {}
    void openOutputFile(const std::string&) override {}
    void newVideoStream() override {}
    void newAudioStream() override {}
    void newSubtitleStream() override {}
    int outputCount() const override { return 0; }
    std::vector<AVRational> inputVideoTimeBases() const override { return {}; }
    bool setGenericOption(const std::string&, const std::string&) override { return true; }
    std::optional<std::string> codecOptionValue(AVMediaType, const std::string&) const override {
        return std::nullopt;
    }
};

// The engine's settings after the record's disc target, as the converter applies it.
std::optional<EngineSettings> discTargetSettings(const TOutputOptions& record) {
    static const char* const kTargets[] = {"vcd", "svcd", "dvd"};
    if (record.Target < 1 || record.Target > 3) {
        return std::nullopt;
    }
    std::string value = kTargets[record.Target - 1];
    if (record.TargetNorm == 1 || record.TargetNorm == 2) {
        value = (record.TargetNorm == 1 ? "pal-" : "ntsc-") + value;
    }
    EngineSettings settings;
    TargetSettingsOnly actions;
    try {
        ApplyTargetPreset(settings, actions, value, record.TargetDefaultNorm == 1 ? "pal" : "ntsc");
    } catch (const TranscoderException&) {
        return std::nullopt;
    }
    return settings;
}

// The codec an encoder name gives (the engine's successors of retired names included), else the
// muxer's default for the file name.
std::string codecName(const std::string& encoder, AVMediaType type, const AVOutputFormat* muxer,
                      const std::string& fileName) {
    if (!encoder.empty()) {
        const CodecResolution resolved =
            ResolveCodec(encoder, type, CodecDirection::Encoder, FF_COMPLIANCE_EXPERIMENTAL);
        return resolved.codec != nullptr ? lib::avcodec.avcodec_get_name(resolved.codec->id)
                                         : encoder;
    }
    if (muxer == nullptr) {
        return kUnknown;
    }
    const AVCodecID id =
        lib::avformat.av_guess_codec(muxer, nullptr, fileName.c_str(), nullptr, type);
    return id == AV_CODEC_ID_NONE ? std::string() : lib::avcodec.avcodec_get_name(id);
}

std::string frameSizeText(int width, int height) {
    return std::to_string(width) + "x" + std::to_string(height);
}

}  // namespace

std::optional<ProfileOutput> profileOutput(int profileCode) {
    JobChoices choices;
    choices.profileCode = profileCode;
    const ResolvedJob resolved = resolveJob(choices, "source.avi", "/", -1);
    if (!resolved.pending) {
        return std::nullopt;
    }
    const TOutputOptions record = makeOutputOptions(*resolved.pending, AddFlow::OneFile);
    const std::string& fileName = resolved.pending->OutputFile;
    const std::optional<EngineSettings> target = discTargetSettings(record);

    // The forced container, else the disc target's, else the one the name asks for.
    std::string format = record.FileFormat;
    if (format.empty() && target) {
        format = target->formatName;
    }
    const AVOutputFormat* muxer = lib::avformat.av_guess_format(
        format.empty() ? nullptr : format.c_str(), fileName.c_str(), nullptr);

    ProfileOutput output;
    output.container = muxer != nullptr ? muxer->name : kUnknown;
    if (!record.DisableVideo) {
        const std::string encoder =
            !record.VideoCodec.empty() || !target ? record.VideoCodec : target->videoCodecName;
        output.videoCodec = codecName(encoder, AVMEDIA_TYPE_VIDEO, muxer, fileName);
        if (const auto size = ParseFrameSize(record.FrameSize)) {
            output.frameSize = frameSizeText(size->width, size->height);
        } else if (target && target->frameWidth > 0) {
            output.frameSize = frameSizeText(target->frameWidth, target->frameHeight);
        }
    }
    if (!record.DisableAudio) {
        const std::string encoder =
            !record.AudioCodec.empty() || !target ? record.AudioCodec : target->audioCodecName;
        output.audioCodec = codecName(encoder, AVMEDIA_TYPE_AUDIO, muxer, fileName);
    }
    return output;
}

}  // namespace velmora::cli
