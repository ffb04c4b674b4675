// The records TMediaConverter hands to its event handlers, and the handler types.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace velmora {

class Bitmap;  // medialib/Bitmap.h
class TCustomMediaConverter;

// How a task ended, as the user is told. Only Done and the two "done with" states mean that the
// output holds what was asked; the component decides the state once, for the window and the
// command line alike.
enum class TaskEndState {
    Done,                   // the output holds everything that was asked for
    DoneWithSkippedData,    // done, but damaged input data was skipped on the way
    DoneWithDroppedStream,  // done without a source stream that could not be decoded
    Incomplete,             // the output covers clearly less than the source promised
    Failed,                 // the task ended by an error; no output is left under its name
    Stopped,                // stopped by the user (the partial output is kept)
};

// True for Done and the two "done with" states.
constexpr bool isDone(TaskEndState state) {
    return state == TaskEndState::Done || state == TaskEndState::DoneWithSkippedData ||
           state == TaskEndState::DoneWithDroppedStream;
}

// The end state with the numbers its texts are made of (component/TaskEndDecision.h decides it
// and words it in Chinese for the window and in English for velmora-cli).
struct TaskEndReport {
    TaskEndState state = TaskEndState::Stopped;
    std::string failure;  // Failed: why, in the engine's or the check's words

    // Incomplete: the output stream that falls shortest, as a share of what it should hold.
    enum class ShortStream { Every, Video, Audio };
    ShortStream shortStream = ShortStream::Every;  // Every: no stream of the output is complete
    std::int64_t convertedUs = -1;                 // how far it reaches
    std::int64_t expectedUs = -1;                  // how far it should reach

    // Damaged input the run went past (also told for an incomplete result).
    std::int64_t skippedPackets = 0;
    std::vector<std::string> droppedStreams;
};

// End of one task, or of the whole run when TaskIndex is -1 (then always Finished true,
// Exception false, ExceptionMsg empty, EndState Done). A stopped task, or one stopped before it
// started, reports Finished false and Exception false.
struct TTerminateInfo {
    std::int32_t TaskIndex = 0;
    bool Finished = false;   // true only for the done states: everything asked for was written
    bool Exception = false;  // the task ended by an error, or its output failed the check
    std::string ExceptionMsg;
    TaskEndState EndState = TaskEndState::Stopped;
    // What the end state means for this task, in the user's words (empty for a plain Done).
    std::string EndStateText;
    TaskEndReport EndReport;  // the same decision, for other wordings
};

// Progress of one task. Percent is CurrentDuration * 100 / TotalDuration when TotalDuration > 0.
struct TProgressInfo {
    std::int32_t TaskIndex = 0;
    std::int32_t FileIndex = 0;        // input being read; -1 in the final report
    std::int32_t FrameNumber = 0;      // frames of the first fed video output; -1 without one
    std::int32_t FPS = 0;              // -1 without a video stream
    float Quality = 0.0f;              // -1.0 for a copied stream
    float BitRate = 0.0f;              // kbit/s
    std::int64_t CurrentSize = 0;      // bytes written to the first output
    std::int64_t CurrentDuration = 0;  // microseconds of output reached
    std::int64_t TotalDuration = -1;   // microseconds; -1 when unknown
};
using PProgressInfo = TProgressInfo*;

// One output frame offered to OnCustomHook; the handler may draw on the bitmap.
struct THookInfo {
    std::int32_t TaskIndex = 0;
    ::velmora::Bitmap* Bitmap = nullptr;  // locked for the duration of the handler
    std::int32_t FrameNumber = 0;
    std::int64_t PTS = 0;   // microseconds
    bool Update = true;     // leave true to copy the bitmap back into the frame
    bool StopHook = false;  // set true to switch the hook off for the rest of the task
};
using PHookInfo = THookInfo*;

// One decoded frame delivered through OnPreviewBitmap.
struct TPreviewInfo {
    std::int32_t TaskIndex = 0;
    ::velmora::Bitmap* Bitmap = nullptr;
    std::int32_t FrameNumber = 0;
    std::int64_t PTS = 0;  // microseconds
};

// Handlers receive the component itself as sender. A record passed by pointer or reference is
// valid only during the call.
using TCustomHookEvent = std::function<void(TCustomMediaConverter& sender, PHookInfo hookInfo)>;
using TPreviewBitmapEvent =
    std::function<void(TCustomMediaConverter& sender, const TPreviewInfo& previewInfo)>;
using TProgressEvent =
    std::function<void(TCustomMediaConverter& sender, PProgressInfo progressInfo)>;
using TTerminateEvent =
    std::function<void(TCustomMediaConverter& sender, const TTerminateInfo& terminateInfo)>;

}  // namespace velmora
