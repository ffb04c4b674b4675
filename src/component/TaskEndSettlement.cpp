#include "component/TaskEndSettlement.h"

#include "component/TaskEndDecision.h"

namespace velmora {

TaskEndReport settleTaskEnd(TaskEngine& engine) {
    TaskEndFacts facts;
    facts.finished = engine.finished();
    facts.exception = engine.exception();
    facts.exceptionMessage = engine.exceptionMessage();
    facts.damage = engine.damageReport();
    if (facts.exception) {
        engine.discardOutputs();
        return decideTaskEnd(facts);
    }
    for (const WrittenOutput& output : engine.writtenOutputs()) {
        OutputCheck check = checkWrittenOutput(output);
        if (!check.problem.empty() && facts.outputProblem.empty()) {
            facts.outputProblem = check.problem;
        }
        facts.streams.insert(facts.streams.end(), check.streams.begin(), check.streams.end());
    }
    TaskEndReport report = decideTaskEnd(facts);
    // A failed task, or a stopped one whose partial output cannot be read, leaves nothing.
    if (report.state == TaskEndState::Failed || !facts.outputProblem.empty()) {
        engine.discardOutputs();
        return report;
    }
    std::string error;
    if (!engine.keepOutputs(&error)) {
        facts.keepProblem = error;
        report = decideTaskEnd(facts);
    }
    return report;
}

TTerminateInfo terminateInfoOf(int taskIndex, const TaskEndReport& report) {
    TTerminateInfo info;
    info.TaskIndex = taskIndex;
    info.Finished = isDone(report.state);
    info.Exception = report.state == TaskEndState::Failed;
    info.ExceptionMsg = info.Exception ? report.failure : std::string();
    info.EndState = report.state;
    info.EndStateText = endStateText(report);
    info.EndReport = report;
    return info;
}

}  // namespace velmora
