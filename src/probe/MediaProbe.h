// The media probe: opens a media file through the format library, reads its stream parameters
// and describes it (file facts, one audio or video stream's facts, a text description).
//
// A probe is used from one thread at a time. The text of DumpText() is read by the media
// information view, which cuts fields out of it by their labels; its layout must stay as it is.
#pragma once

#include <atomic>
#include <cstdint>
#include <stdexcept>
#include <string>

#include "medialib/LibraryBindings.h"

namespace velmora {

// File-level facts. Times are microseconds; every numeric field is -1 until filled.
struct TFileStreamInfo {
    std::int64_t StartTime = -1;  // -1: unknown
    std::int64_t Duration = -1;   // -1: unknown
    std::int32_t BitRate = -1;    // bits per second; 0 when unknown
    std::int64_t TimeStamp = -1;  // seconds since 1970-01-01 UTC; 0 when absent
    std::int32_t Year = -1;       // 0 when absent
    std::int32_t Track = -1;      // 0 when absent
    std::string Title;
    std::string Author;
    std::string Copyright;
    std::string Comment;
    std::string Album;
    std::string Genre;
};

// One audio stream. StartTime/Duration are in the stream's time base, the ...Us fields in
// microseconds (-1 when the stream does not know the value).
struct TAudioStreamInfo {
    std::string Language;
    std::string Codec;
    std::int64_t StartTime = -1;
    std::int64_t StartTimeUs = -1;
    std::int64_t Duration = -1;
    std::int64_t DurationUs = -1;
    std::int32_t BitRate = -1;
    std::int32_t Channels = -1;
    std::int32_t SampleRate = -1;
    std::int32_t SampleFormat = -1;  // AVSampleFormat
};

// One video stream; times as in TAudioStreamInfo.
struct TVideoStreamInfo {
    std::string Language;
    std::string Codec;
    std::int64_t StartTime = -1;
    std::int64_t StartTimeUs = -1;
    std::int64_t Duration = -1;
    std::int64_t DurationUs = -1;
    std::int32_t BitRate = -1;
    std::int32_t Height = -1;
    std::int32_t Width = -1;
    float DisplayAspect = -1.0f;     // width / height corrected by the sample aspect ratio
    std::int32_t PixelFormat = -1;   // AVPixelFormat
    std::int32_t FrameRateNum = -1;  // the stream's real base frame rate
    std::int32_t FrameRateDen = -1;
};

// Raised by Open and Attach when a library the probe needs is not loaded.
class MediaLibraryNotLoaded : public std::runtime_error {
    using std::runtime_error::runtime_error;
};

class TCustomMediaProbe {
public:
    TCustomMediaProbe();
    virtual ~TCustomMediaProbe();
    TCustomMediaProbe(const TCustomMediaProbe&) = delete;
    TCustomMediaProbe& operator=(const TCustomMediaProbe&) = delete;

    // Opens fileName (UTF-8) and reads its stream parameters. formatName forces a demuxer;
    // empty lets the library detect it. False with LastError() on failure, leaving the probe
    // closed. Reading gives up after kOpenTimeLimitMs. Throws MediaLibraryNotLoaded.
    bool Open(const std::string& fileName, const std::string& formatName = {});
    // Describes an input opened elsewhere; the probe never closes it. Throws
    // MediaLibraryNotLoaded. The context must outlive the probe's use of it.
    virtual void Attach(AVFormatContext* context);
    virtual void Close();
    // Recomputes the numeric fields from the open context, or resets them when none is open.
    virtual void ComputeInfo();

    bool GetFileStreamInfo(TFileStreamInfo& info);
    // index < 0: the first audio (video) stream.
    bool GetAudioStreamInfo(int index, TAudioStreamInfo& info);
    bool GetVideoStreamInfo(int index, TVideoStreamInfo& info);
    // Multi-line description, CR LF after every line; empty when nothing is open.
    std::string DumpText();

    // The open file's name as handed to the library, decoded back; empty when closed.
    std::string FileName() const;
    std::string FormatName() const;
    std::string FormatLongName() const;
    const std::string& LastError() const { return m_lastError; }

    AVFormatContext* FormatContext() const { return m_context; }
    bool OwnsContext() const { return m_ownsContext; }
    const std::string& ForcedFormatName() const { return m_forcedFormatName; }
    std::int64_t FileSize() const { return m_fileSize; }
    int StreamCount() const { return m_streamCount; }
    int ProgramCount() const { return m_programCount; }
    int AudioStreamCount() const { return m_audioStreamCount; }
    int VideoStreamCount() const { return m_videoStreamCount; }
    int SubtitleStreamCount() const { return m_subtitleStreamCount; }
    int FirstAudioStream() const { return m_firstAudioStream; }
    int FirstVideoStream() const { return m_firstVideoStream; }
    int FirstSubtitleStream() const { return m_firstSubtitleStream; }

    // Upper bound for Open on a hostile or stalled input.
    static constexpr int kOpenTimeLimitMs = 10000;

protected:
    // Sets LastError() and logs the text with this probe as sender.
    void reportError(const std::string& text);
    void reportNotLoaded();

private:
    static void checkLibraries();
    static int interruptCallback(void* opaque);
    std::string streamLine(int index);
    void dumpStream(std::string& text, int index);

    AVFormatContext* m_context = nullptr;
    bool m_ownsContext = false;
    std::string m_lastError;
    std::string m_forcedFormatName;
    std::int64_t m_fileSize = -1;
    int m_streamCount = -1;
    int m_programCount = -1;
    int m_audioStreamCount = -1;
    int m_videoStreamCount = -1;
    int m_subtitleStreamCount = -1;
    int m_firstAudioStream = -1;
    int m_firstVideoStream = -1;
    int m_firstSubtitleStream = -1;
    // Monotonic deadline (microseconds) checked by the library's I/O interrupt callback while
    // Open runs; 0 when no deadline is armed.
    std::atomic<std::int64_t> m_deadlineUs{0};
};

class TMediaProbe : public TCustomMediaProbe {
public:
    TMediaProbe() = default;
    ~TMediaProbe() override;

    void Close() override;
    void ComputeInfo() override;

    // The first video stream, else the first audio stream, else -1.
    int DefaultStream() const { return m_defaultStream; }
    // The default stream's start in its time base, or the file's start in microseconds when
    // there is no default stream; 0 when unknown.
    std::int64_t DefaultStartTime() const { return m_defaultStartTime; }

private:
    int m_defaultStream = -1;
    std::int64_t m_defaultStartTime = 0;
};

}  // namespace velmora
