// How a task ended, decided once for the window and velmora-cli alike, and the two wordings of
// that decision: Chinese for the window, English for the command line.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "component/EventRecords.h"
#include "component/OutputVerification.h"
#include "engine/DamageReport.h"

namespace velmora {

// Everything known when a task has ended.
struct TaskEndFacts {
    bool finished = false;   // the loop ended by itself
    bool exception = false;  // it ended by an error
    std::string exceptionMessage;
    // An output could not be read back (a stopped task then simply keeps no output).
    std::string outputProblem;
    // An output could not be put under its final name.
    std::string keepProblem;
    std::vector<StreamCoverage> streams;  // of every output, as checked
    DamageReport damage;
};

// True when a stream reaches less than expected by more than the larger of 5 % of what was
// expected and 0.5 s. Nothing expected, or a reach the file does not tell, is never short.
bool fallsShort(std::int64_t expectedEndUs, std::int64_t actualEndUs);

// Failed (an error, an output that cannot be read back or put in place) before Stopped before
// Incomplete (a stream falls short) before the done states (a dropped stream before skipped
// data before plain Done).
TaskEndReport decideTaskEnd(const TaskEndFacts& facts);

// "只转换了 4.9 秒，源文件应有 10.0 秒", "已跳过 3 个损坏的数据包", ...; empty for a plain Done.
std::string endStateText(const TaskEndReport& report);
// "only 4.9 s of 10.0 s converted", "3 damaged packets skipped", ...; empty for a plain Done.
std::string endStateTextEnglish(const TaskEndReport& report);

// The status a job row shows for an end state: "完成" for the done states, "不完整", "失败",
// "停止".
const char* endStateStatusText(TaskEndState state);

}  // namespace velmora
