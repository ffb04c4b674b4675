// The working state of one task: opened inputs, created outputs, the stream tables built at the
// start of a run, and the run itself (read, decode, filter, encode, write).
//
// Internal to the engine. Set-up runs on the thread that configures the task; the run and the
// close run on the task's own thread. Nothing here is locked: the owner never overlaps them.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <limits>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "engine/DamageReport.h"
#include "engine/EngineSettings.h"
#include "engine/GenericOptions.h"
#include "engine/InputReadErrors.h"
#include "engine/OutputPartFile.h"
#include "engine/OutputSizeLimit.h"
#include "engine/TimestampGuard.h"
#include "engine/WrittenOutput.h"
#include "medialib/FrameHook.h"
#include "medialib/LibraryHandles.h"
#include "medialib/PictureConverter.h"
#include "medialib/Previewer.h"
#include "medialib/TextFormat.h"

namespace velmora {

class TCustomTranscoder;

// Settings the run reads, taken from the pending settings when the run starts.
struct RunOptions {
    int64_t startTimeUs = 0;  // output start ("ss" given after the input was opened)
    int64_t recordingTimeUs = std::numeric_limits<int64_t>::max();
    int64_t limitFileSizeBytes = 0;
    std::array<int64_t, 4> maxFrames{};
    int videoSyncMethod = -1;
    int audioSyncMethod = 0;
    double audioDriftThresholdSeconds = 0.1;
    int audioVolume = 256;
    bool exitOnError = false;
    int verbosity = 1;
    bool copyTimestamps = false;
    bool shortest = false;
    bool inputSync = false;
    int copyInitialNonKeyFrames = 0;
    bool readAtNativeRate = false;
    bool packetDump = false;
    bool hexDump = false;
    double dtsDeltaThresholdSeconds = 10.0;
    int topFieldFirst = -1;
    bool sameQuality = false;
    int scalerFlags = 4;
    std::string statisticsFileName;  // "vstats"; empty = none
    bool qpHistogram = false;
    int codecThreads = 0;  // thread_count of the codecs opened by the run; 0 = automatic
};

// What an encoder tells about one coded picture (the packet's quality side data).
struct VideoPacketStats {
    bool known = false;
    int quality = 0;  // lambda units
    int pictureType = 0;
    int errorCount = 0;
    std::array<uint64_t, 4> errors{};  // summed squared differences per plane
};
// Reads the quality side data; unknown (known false) when absent or short.
VideoPacketStats ParseQualityStats(const uint8_t* data, size_t size);

// One line of the statistics file.
struct VideoStatisticsInput {
    int64_t frameNumber = 0;
    int quality = 0;
    bool withPsnr = false;
    uint64_t lumaError = 0;
    int width = 0, height = 0;
    int frameSize = 0;
    int64_t syncPosition = 0;
    double timeBaseSeconds = 0.0;
    int64_t videoBytes = 0;
    int pictureType = 0;
};
std::string VideoStatisticsLine(const VideoStatisticsInput& in);

struct InputFile {
    InputFormatPtr context;
    std::string fileName;
    int64_t tsOffsetUs = 0;
    std::array<double, kMaxStreams> tsScale{};
    std::vector<const AVCodec*> forcedDecoders;  // per stream; null = by codec id
    // Per stream: why its decoder cannot be opened; empty when it can (or is not needed).
    std::vector<std::string> decoderFailures;
    int firstStream = 0;  // index of its first entry in the input-stream table
    int streamCount = 0;
    bool endReached = false;
    bool noPacket = false;
    InputReadErrors readErrors;
    // Packets read ahead before the run (to learn a pixel format); the run reads them first.
    std::deque<PacketPtr> readAhead;
};

struct InputStream {
    int fileIndex = 0;
    int streamIndex = 0;
    AVStream* stream = nullptr;
    const AVCodec* decoder = nullptr;
    CodecContextPtr decoderContext;
    bool decoderOpen = false;
    bool decodingNeeded = false;
    bool used = false;
    bool discarded = false;
    int64_t nextPtsUs = AV_NOPTS_VALUE;  // predicted time of the next packet
    int64_t ptsUs = 0;                   // time of the current packet or frame
    bool isStart = true;
    bool pastRecordingTime = false;
    int64_t startClockUs = 0;  // "re": clock when the run started
    bool flushed = false;
    int decodeErrors = 0;
    int64_t framesDecoded = 0;
    int64_t packetsInRange = 0;          // packets read at or after the output's start
    int64_t readEndUs = AV_NOPTS_VALUE;  // end of the latest packet read, offsets applied
    bool multipleFramesWarned = false;
    bool undecodable = false;  // its decoder could not be opened when the input was
    StreamTimeline timeline;   // corrections of its time stamps
    FramePtr frame;
};

struct OutputStream {
    int fileIndex = 0;
    int index = 0;         // stream index inside its file
    int sourceIndex = -1;  // input-stream table index
    int syncIndex = -1;
    AVStream* stream = nullptr;
    AVMediaType type = AVMEDIA_TYPE_UNKNOWN;
    CodecContextPtr encoderContext;
    const AVCodec* encoder = nullptr;
    bool encoderOpen = false;
    bool streamCopy = false;
    bool encodingNeeded = false;
    bool fed = false;
    int64_t frameCount = 0;
    int64_t syncOpts = 0;        // next output time in encoder time-base units (samples for audio)
    int64_t gapRemoved = 0;      // input time left out of the output, same units
    float quality = 0.0f;        // last coded quality (lambda units)
    double firstTimeSec = 0.0;   // start of the earliest packet written, seconds
    double outputTimeSec = 0.0;  // end of the last packet written, seconds
    int64_t packetsWritten = 0;
    int64_t expectedEndUs = -1;  // where it should end on the output's time line; -1 unknown
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> passLog{nullptr, &std::fclose};
    std::vector<std::string> bitstreamFilterNames;
    std::vector<BitstreamFilterPtr> bitstreamFilters;
    PacketPtr packet;

    // video
    std::string filterText;
    bool filtersUsed = false;
    FilterGraphPtr filterGraph;
    AVFilterContext* filterSource = nullptr;
    AVFilterContext* filterSink = nullptr;
    int graphWidth = 0, graphHeight = 0, graphFormat = -1;  // what the graph was built for
    int cropTop = 0, cropBottom = 0, cropLeft = 0, cropRight = 0;
    int firstCropTop = 0, firstCropBottom = 0, firstCropLeft = 0, firstCropRight = 0;
    bool scaling = false;
    ScalerPtr scaler;
    FramePtr scaledFrame;
    int expectedWidth = 0, expectedHeight = 0;
    int expectedFormat = -1;
    int firstWidth = 0, firstHeight = 0;
    bool variableFrameRate = false;
    double displayAspect = 0.0;           // chosen display aspect ("aspect"); 0: the picture's own
    VideoPacketStats lastStats;           // of the last coded picture
    std::array<uint64_t, 4> errorSums{};  // "psnr": summed over the run
    int64_t statsFrames = 0;              // coded pictures with quality data
    int64_t statsLines = 0;               // statistics-file lines written
    std::array<int64_t, 32> qpHistogram{};  // "qphist"

    // audio
    ResamplerPtr resampler;
    AudioFifoPtr fifo;
    int resamplerInRate = 0;
    int resamplerInFormat = -1;
    AVChannelLayout resamplerInLayout{};
    bool syncStarted = false;
    FramePtr audioFrame;

    // subtitle
    std::vector<uint8_t> subtitleBuffer;
};

struct OutputFile {
    AVFormatContext* context = nullptr;  // owned by TranscodeSession::m_outputOwners
    std::string fileName;
    int firstStream = 0;  // first entry in the output-stream table (set at start)
    bool headerWritten = false;
    bool trailerWritten = false;
};

class TranscodeSession {
public:
    explicit TranscodeSession(TCustomTranscoder& owner);
    ~TranscodeSession();

    // --- set-up (InputSetup.cpp, OutputSetup.cpp) ---
    bool openInput(const std::string& fileName, EngineSettings& settings);
    int openOutput(const std::string& fileName, bool join, EngineSettings& settings);
    // Adds a stream of that type to the last output; raises TranscoderException.
    void newStream(AVMediaType type, EngineSettings& settings);

    // --- run (StreamMapping.cpp, TranscodeLoop.cpp) ---
    // The whole loop of one run; raises TranscoderException. finished: no stop was requested.
    void transcode(EngineSettings& settings);
    // Closes whatever encoders and decoders are still open (each under the codec lock).
    void closeCodecs();
    // Closes outputs (deleting empty files) and inputs, and frees the tables. Outputs written
    // through part files wait for keepOutputs or discardOutputs.
    void close();

    // --- the outputs of the last run (OutputCommit.cpp); guarded by m_writtenMutex ---
    std::vector<WrittenOutput> writtenOutputs() const;
    bool hasOutputsWaiting() const;
    // Renames each waiting part file to its final name (an empty one is removed instead). False
    // with *error at the first that fails; every other waiting output is then removed.
    bool keepOutputs(std::string* error);
    void discardOutputs();

    GenericOptions& genericOptions() { return m_generic; }
    const GenericOptions& genericOptions() const { return m_generic; }
    std::vector<InputFile>& inputs() { return m_inputs; }
    const std::vector<InputFile>& inputs() const { return m_inputs; }
    const std::vector<OutputFile>& outputs() const { return m_outputs; }
    bool joinMode() const { return m_joinMode; }
    std::string lastError() const { return m_lastError; }
    void setLastError(const std::string& text) { m_lastError = text; }
    AVFormatContext* lastOutputContext() const;
    // What the run went past in damaged input: streams left out when the outputs were created,
    // packets skipped since the run began.
    DamageReport damage() const;

    // Statistics of the run.
    int64_t videoBytes = 0;
    int64_t audioBytes = 0;
    int64_t headerBytes = 0;
    int framesDuplicated = 0;
    int framesDropped = 0;
    bool dupDropChanged = false;
    int processedFrames = 0;

private:
    // OutputSetup.cpp
    // The settings of one media kind that every new stream of that kind takes.
    struct StreamKindSettings {
        bool streamCopy;
        const std::string& codecName;
        std::uint32_t tag;
        std::vector<std::string>& bitstreamFilters;  // handed to the stream, then emptied
    };
    // Adds a stream with its encoder (none for a copy), tag and bitstream filters.
    OutputStream& createStream(AVFormatContext* context, std::vector<OutputStream>& streams,
                               AVMediaType type, const StreamKindSettings& kind,
                               EngineSettings& settings);
    void addVideoStream(AVFormatContext* context, std::vector<OutputStream>& streams,
                        EngineSettings& settings);
    void addAudioStream(AVFormatContext* context, std::vector<OutputStream>& streams,
                        EngineSettings& settings);
    void addSubtitleStream(AVFormatContext* context, std::vector<OutputStream>& streams,
                           EngineSettings& settings);

    // StreamDropping.cpp
    // Leaves video or audio out of a new output when no input stream of that type can be
    // decoded and something else is left to convert; notes each stream left out.
    void leaveOutUndecodableTypes(bool& useVideo, bool& useAudio, bool useSubtitle,
                                  const EngineSettings& settings, bool firstOnly);

    // PixelFormatDiscovery.cpp
    // Decodes the first frames of encoded video streams whose pixel format or size stream
    // analysis left unknown (a file read without its index), keeping the packets read.
    void discoverVideoFormats();
    bool discoverVideoFormat(InputStream& ist);
    // The next packet of the input: a packet read ahead, else one from the demuxer.
    int readPacket(InputFile& file, AVPacket* packet);

    // StreamMapping.cpp
    void prepareStreams(EngineSettings& settings);
    void mapStreams(EngineSettings& settings);
    // The unused, not discarded stream of that type in the file with the most frames; -1: none.
    int bestInputStream(AVMediaType type, int fileIndex) const;
    void setUpStreamCopy(OutputStream& ost, InputStream& ist);
    void setUpEncoding(OutputStream& ost, InputStream& ist);
    // DisplayAspectSetup.cpp: the chosen display aspect on the final size. shapePicture gives
    // the picture the aspect's shape where nothing else can carry it (the size was the
    // source's); applyDisplayAspect sets the sample aspect ratio for the size encoded.
    void shapePictureForAspect(OutputStream& ost);
    void applyDisplayAspect(OutputStream& ost);
    void openEncoders(EngineSettings& settings);
    void openPassLog(OutputStream& ost, const EngineSettings& settings);
    void openDecoders();
    void copyChapters();
    void applyMetadataMaps(const EngineSettings& settings);
    void writeHeaders();
    void logStreamMapping(int level);

    // OutputCommit.cpp
    // Creates each output's file (a locked part file for plain paths) just before its header.
    void openOutputFiles();
    // Moves the part files and what their streams hold into the waiting outputs (by close()).
    void collectWrittenOutputs();

    // OutputExpectations.cpp
    // Where each output stream should end, from its source's duration and the run's limits.
    void noteExpectedEnds();
    // Counts a packet of the input stream that lies at or after the output's start.
    void noteSourcePacket(InputStream& ist, const AVPacket* packet);
    // An output stream that got nothing while its source had packets fails the run.
    void requireEveryStreamFed();
    // A run ended by its size limit promises no duration.
    void forgetExpectedEnds();
    std::vector<std::string> streamMappingLines() const;

    // SizeLimitedOutput.cpp: the size limit ("fs") of the first output. Its packets are handed
    // to the muxer in time order across its streams, each only while it fits, so that a limit
    // cuts every stream at the same time (an encoder's look-ahead makes its packets come late).
    void startSizeLimit();
    // True when the packet was taken (held, or dropped past the limit); false when the output
    // has no limit and the packet is the caller's to write.
    bool holdForSizeLimit(OutputStream& ost, const AVPacket* packet);
    // Writes the held packets that are due (all of them with all) while they fit.
    void releaseHeldPackets(bool all);

    // InputGuards.cpp
    // A failed read of the input: true when the input has ended, false to read it again.
    bool inputEnded(InputFile& file, int fileIndex, int result);
    // Removes time-stamp gaps that no content explains from the packet (TimestampGuard.h).
    void guardTimeline(InputFile& file, InputStream& ist, int istIndex, AVPacket* packet);
    TimelineContext timelineContext(const InputFile& file, int istIndex) const;
    void logTimelineStep(const InputFile& file, const InputStream& ist, const TimelineStep& step,
                         int64_t timeUs);
    // Fails the run when the output has run far past the input's duration.
    void checkRunaway() const;
    // Expected output ends no longer count the gaps removed from within an input's span.
    void discountRemovedGaps();

    // TranscodeLoop.cpp
    void runLoop();
    int chooseInput();
    // Notes how far the stream has been read (what chooseInput compares).
    void noteReadTime(InputStream& ist, const AVPacket* packet);
    // False when the packet failed to decode (the round then makes no report).
    bool handlePacket(InputFile& file, int fileIndex, AVPacket* packet);
    void checkSomethingDecoded();
    void flushAll();
    // Join mode: the current input has ended. False when it was the last one.
    bool switchJoinedFile(int fileIndex);
    void writeTrailers();
    void printReport(bool isLast, int fileIndex);
    // Decode and dispatch one packet (null: flush); false on a decoding error.
    bool outputPacket(InputStream& ist, int istIndex, const AVPacket* packet);
    void dispatchFrame(InputStream& ist, int istIndex, AVFrame* frame);
    void copyPacket(OutputStream& ost, InputStream& ist, const AVPacket* packet);

    // VideoPath.cpp
    // Builds the output filter graph for pictures of that size and format.
    void buildFilterGraph(OutputStream& ost, int width, int height, int format, AVRational aspect);
    void videoOutput(OutputStream& ost, InputStream& ist, AVFrame* frame, int64_t ptsUs);
    void encodeVideoFrames(OutputStream& ost, AVFrame* picture, int64_t ptsUs);
    // How long a picture lasts, in the encoder's frame periods (1 when unknown).
    double pictureFrames(const OutputStream& ost) const;
    void scaleFrame(OutputStream& ost, InputStream& ist, AVFrame* frame);
    void flushVideoFilters(OutputStream& ost);

    // VideoStatistics.cpp: one coded picture (statistics file, PSNR sums, quantizer histogram),
    // and the PSNR and histogram text of the status line.
    void noteVideoPacket(OutputStream& ost, const AVPacket* packet);
    std::string videoStatusExtras(const OutputStream& ost, bool isLast) const;

    // AudioPath.cpp
    void applyVolume(AVFrame* frame) const;

    // Pre-processing and preview (VideoPath.cpp).
    void preprocessFrame(AVFrame* frame, int64_t ptsUs);
    void servePreview(const AVFrame* picture, int64_t ptsUs);
    void audioOutput(OutputStream& ost, InputStream& ist, AVFrame* frame);
    void ensureResampler(OutputStream& ost, const AVFrame* frame);
    void drainAudioFifo(OutputStream& ost, bool flush);
    // Puts that many samples of silence into the FIFO, encoding whole frames as they fill.
    void insertSilence(OutputStream& ost, int64_t samples);
    void flushAudio(OutputStream& ost);

    // SubtitlePath (in TranscodeLoop.cpp)
    // Decodes a subtitle packet once and encodes it for every output it feeds; false when it
    // failed to decode.
    bool decodeSubtitle(InputStream& ist, int istIndex, const AVPacket* packet);
    void subtitleOutput(OutputStream& ost, InputStream& ist, const AVPacket* packet,
                        AVSubtitle& subtitle);

    // Shared by the paths (TranscodeLoop.cpp).
    // Sends a frame (null: drain) to the encoder and writes every packet it gives back.
    void encodeAndWrite(OutputStream& ost, AVFrame* frame);
    void writePacket(OutputStream& ost, AVPacket* packet);
    // Hands one packet to the muxer and notes how far its stream got.
    void muxPacket(OutputStream& ost, AVPacket* packet);
    [[noreturn]] void fail(const std::string& text) const;
    void log(int level, const std::string& text) const;

    TCustomTranscoder& m_owner;
    GenericOptions m_generic;
    std::vector<InputFile> m_inputs;
    std::vector<OutputFormatPtr> m_outputOwners;
    std::vector<OutputFile> m_outputs;
    std::vector<std::vector<OutputStream>> m_pendingStreams;  // per output context, at creation
    std::vector<InputStream> m_inputStreams;
    std::vector<OutputStream> m_outputStreams;
    RunOptions m_run;
    std::vector<std::string> m_droppedStreams;  // by output creation, for the damage report
    int64_t m_skippedPackets = 0;               // in the current run
    bool m_joinMode = false;
    std::string m_lastError;
    int64_t m_startClockUs = 0;
    int64_t m_lastReportUs = 0;
    double m_reportedTimeSec = 0.0;  // output time of the last report
    bool m_tablesBuilt = false;
    bool m_hasFrameHooks = false;
    int m_currentFile = 0;  // join mode: the input being read
    bool m_endedBySizeLimit = false;
    OutputSizeLimit m_sizeLimit;
    struct HeldPacket {
        int64_t timeUs = 0;
        size_t streamTableIndex = 0;  // in m_outputStreams
        PacketPtr packet;
    };
    std::deque<HeldPacket> m_heldPackets;  // time order; the first output under a size limit
    std::vector<int> m_heldPerStream;      // held packets per output-stream table entry

    // Part files of the open outputs, by output context (m_outputOwners); null for an output
    // written in place.
    std::vector<std::unique_ptr<OutputPartFile>> m_partFiles;
    // Outputs of the last run waiting for their verdict.
    struct WaitingOutput {
        WrittenOutput record;
        std::unique_ptr<OutputPartFile> partFile;
    };
    mutable std::mutex m_writtenMutex;
    std::vector<WaitingOutput> m_waitingOutputs;  // guarded by m_writtenMutex

    // Frame hooks and preview, used on the task's thread only.
    std::shared_ptr<FrameHookList> m_frameHooks;  // taken from the settings at the start
    bool m_customHookActive = false;
    PictureConverter m_hookConverter;
    PictureConverter m_previewConverter;
    std::unique_ptr<TPreviewer> m_previewer;
    int64_t m_lastPreviewUs = 0;

    // Statistics file ("vstats"), opened on first use; task's thread only.
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> m_statisticsFile{nullptr, &std::fclose};
    bool m_statisticsOpenFailed = false;
};

// Texts shared by the engine files.
std::string LibraryErrorText(int code);

// Why the stream's decoder (forced, else the one for its codec) cannot be opened; empty when
// it can, or when the stream is neither audio nor video.
std::string DecoderOpenFailure(const AVStream* stream, const AVCodec* forced);

}  // namespace velmora
