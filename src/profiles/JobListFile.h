// The job-list file: a list of jobs kept beyond the process that made it (the window's saved
// queue, a list planned for later or for many machines). JSON with a format version; one entry
// per job holding its input and output option records (every field by its record name), the
// choices it was made from with the profile code, its source's size and modification time when
// it was added, and its state.
//
// Paths under the list file's folder are stored relative to it, so a list on a shared file system
// works from every machine that mounts it, wherever it is mounted. The file is replaced in one
// step. A file that cannot be read, is damaged or was written by a newer format is refused with
// a text saying so, and is never written over by the reading.
//
//   {"format": "velmora-job-list", "version": 1, "jobs": [
//     {"state": "ready", "detail": "", "source": {"size": 1234, "modifiedNs": 1700000000000000000,
//      "durationUs": 5000000},
//      "choices": {"ProfileCode": 1, ...}, "input": {"FileName": "clips/a.mkv", ...},
//      "output": {"FileName": "out/a.avi", ..., "Metadata": {...}}}]}
//
// Times that are not set (kNoTime) are written as null.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "component/OptionRecords.h"
#include "profiles/JobOrigin.h"

namespace velmora {

inline constexpr std::string_view kJobListFormat = "velmora-job-list";
inline constexpr int kJobListVersion = 1;

// A job's state as the job list shows it. Done and Incomplete jobs have finished: they wrote their
// output and are not run again when a list is taken up later.
enum class JobState { Ready, Converting, Paused, Stopped, Done, Incomplete, Failed };

// "ready", "converting", "paused", "stopped", "done", "incomplete", "failed".
std::string_view jobStateName(JobState state);
std::optional<JobState> jobStateNamed(std::string_view name);
bool isFinished(JobState state);

struct JobListEntry {
    TInputOptions input;
    TOutputOptions output;
    JobOrigin origin;
    JobState state = JobState::Ready;
    std::string detail;  // why it failed or is incomplete, or a done state's remark

    bool operator==(const JobListEntry&) const = default;
};

// The first words of a refusal, followed by the file's path and the details.
inline constexpr const char* kJobListUnreadableMessage = "无法读取任务列表文件：";
inline constexpr const char* kJobListDamagedMessage = "任务列表文件已损坏，未作任何改动：";
inline constexpr const char* kJobListNewerMessage =
    "任务列表文件由较新版本的 Velmora 写入，未作任何改动：";

// Why a list was refused.
enum class JobListProblem { None, Missing, Unreadable, Damaged, Newer };

struct JobListRead {
    std::optional<std::vector<JobListEntry>> jobs;  // empty when refused
    std::string error;                              // set when refused
    JobListProblem problem = JobListProblem::None;
};

// The file's text for the jobs; paths under listFolder (an absolute folder) are made relative to
// it. Nothing, with the reason in *error, when a text of the records is not UTF-8.
std::optional<std::string> encodeJobList(const std::vector<JobListEntry>& jobs,
                                         const std::string& listFolder,
                                         std::string* error = nullptr);

// The jobs of a file's text; relative paths are taken from listFolder. The error (without the
// file's path) names what is wrong: not JSON, another format, a newer version, or the first
// entry and field of the wrong kind.
JobListRead decodeJobList(std::string_view text, const std::string& listFolder);

// Reads a list file; paths are relative to the file's own folder.
JobListRead readJobList(const std::string& path);

// Writes a list file in one step (its folder created when missing). False, with the reason in
// *error, when it cannot be written; the old file then stays as it was.
bool writeJobList(const std::string& path, const std::vector<JobListEntry>& jobs,
                  std::string* error = nullptr);

// The window's saved queue: VELMORA_STATE_DIR/queue.json when that variable is set, else
// $XDG_STATE_HOME/velmora/queue.json, with $HOME/.local/state when XDG_STATE_HOME is unset.
std::string savedQueuePath();

}  // namespace velmora
