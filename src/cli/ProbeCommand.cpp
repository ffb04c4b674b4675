#include "cli/ProbeCommand.h"

#include <nlohmann/json.hpp>

#include <ostream>

#include "cli/BatchJobs.h"
#include "medialib/MediaLibLoader.h"
#include "medialib/TextFormat.h"
#include "probe/MediaProbe.h"

namespace velmora::cli {

namespace {

nlohmann::json fileRecord(TMediaProbe& probe) {
    TFileStreamInfo info;
    probe.GetFileStreamInfo(info);
    return {{"name", probe.FileName()},
            {"format", probe.FormatName()},
            {"format_long_name", probe.FormatLongName()},
            {"size", probe.FileSize()},
            {"streams", probe.StreamCount()},
            {"audio_streams", probe.AudioStreamCount()},
            {"video_streams", probe.VideoStreamCount()},
            {"subtitle_streams", probe.SubtitleStreamCount()},
            {"start_time_us", info.StartTime},
            {"duration_us", info.Duration},
            {"bit_rate", info.BitRate},
            {"timestamp", info.TimeStamp},
            {"year", info.Year},
            {"track", info.Track},
            {"title", info.Title},
            {"author", info.Author},
            {"copyright", info.Copyright},
            {"comment", info.Comment},
            {"album", info.Album},
            {"genre", info.Genre}};
}

// The fields every stream record has.
template <typename StreamInfo>
nlohmann::json streamFields(int stream, const StreamInfo& info) {
    return {{"stream", stream},
            {"language", info.Language},
            {"codec", info.Codec},
            {"start_time", info.StartTime},
            {"start_time_us", info.StartTimeUs},
            {"duration", info.Duration},
            {"duration_us", info.DurationUs},
            {"bit_rate", info.BitRate}};
}

nlohmann::json audioRecord(TMediaProbe& probe) {
    TAudioStreamInfo info;
    if (probe.FirstAudioStream() < 0 || !probe.GetAudioStreamInfo(-1, info)) {
        return nullptr;
    }
    nlohmann::json record = streamFields(probe.FirstAudioStream(), info);
    record.update({{"channels", info.Channels},
                   {"sample_rate", info.SampleRate},
                   {"sample_format", info.SampleFormat}});
    return record;
}

nlohmann::json videoRecord(TMediaProbe& probe) {
    TVideoStreamInfo info;
    if (probe.FirstVideoStream() < 0 || !probe.GetVideoStreamInfo(-1, info)) {
        return nullptr;
    }
    nlohmann::json record = streamFields(probe.FirstVideoStream(), info);
    record.update({{"width", info.Width},
                   {"height", info.Height},
                   {"display_aspect", info.DisplayAspect},
                   {"pixel_format", info.PixelFormat},
                   {"frame_rate_num", info.FrameRateNum},
                   {"frame_rate_den", info.FrameRateDen}});
    return record;
}

// The description ends every line with CR LF; a terminal wants LF.
std::string withUnixLineEnds(const std::string& text) {
    std::string result;
    result.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            continue;
        }
        result += text[i];
    }
    return result;
}

}  // namespace

int runProbeCommand(const std::string& file, bool json, std::ostream& out, std::ostream& err) {
    TMediaLibLoader& loader = TMediaLibLoader::instance();
    loader.SetLibraryPath(DefaultLibraryFolder());
    if (!loader.LoadLibraries(kConverterSet)) {
        err << "error: cannot load the media libraries: " << loader.LastError() << '\n';
        return kExitJobFailed;
    }
    TMediaProbe probe;
    if (!probe.Open(file)) {
        err << "error: " << WithFileName(file, probe.LastError()) << '\n';
        return kExitJobFailed;
    }
    if (!json) {
        out << withUnixLineEnds(probe.DumpText());
        return kExitAllDone;
    }
    const nlohmann::json record = {
        {"file", fileRecord(probe)}, {"audio", audioRecord(probe)}, {"video", videoRecord(probe)}};
    out << record.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
    return kExitAllDone;
}

}  // namespace velmora::cli
