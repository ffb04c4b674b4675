#include "profiles/JobListFile.h"

#include <array>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <nlohmann/json.hpp>
#include <type_traits>
#include <utility>

#include "profiles/AtomicFile.h"
#include "profiles/FileNames.h"
#include "profiles/SettingsFile.h"

namespace velmora {

namespace {

namespace fs = std::filesystem;
using Json = nlohmann::ordered_json;

constexpr std::array<std::pair<JobState, std::string_view>, 7> kStateNames = {{
    {JobState::Ready, "ready"},
    {JobState::Converting, "converting"},
    {JobState::Paused, "paused"},
    {JobState::Stopped, "stopped"},
    {JobState::Done, "done"},
    {JobState::Incomplete, "incomplete"},
    {JobState::Failed, "failed"},
}};

// --- the fields of each record, by name, for the writer and the reader alike ---

template <typename Record, typename Plain>
concept RecordOf = std::is_same_v<std::remove_const_t<Record>, Plain>;

template <RecordOf<TStreamInfo> Record, typename Visit>
void eachField(Record& r, Visit& visit) {
    visit("Timestamp", r.Timestamp);
    visit("Year", r.Year);
    visit("Track", r.Track);
    visit("Title", r.Title);
    visit("Author", r.Author);
    visit("Copyright", r.Copyright);
    visit("Comment", r.Comment);
    visit("Album", r.Album);
    visit("Genre", r.Genre);
}

template <RecordOf<TInputOptions> Record, typename Visit>
void eachField(Record& r, Visit& visit) {
    visit("FileName", r.FileName);
    visit("ForceFormat", r.ForceFormat);
    visit("StartTime", r.StartTime);
    visit("ProgramID", r.ProgramID);
    visit("ExtOptions", r.ExtOptions);
}

template <RecordOf<TOutputOptions> Record, typename Visit>
void eachField(Record& r, Visit& visit) {
    visit("FileName", r.FileName);
    visit("FileFormat", r.FileFormat);
    visit("PacketSize", r.PacketSize);
    visit("MuxRate", r.MuxRate);
    visit("MuxDelay", r.MuxDelay);
    visit("MuxPreload", r.MuxPreload);
    visit("AudioCodec", r.AudioCodec);
    visit("AudioPreset", r.AudioPreset);
    visit("DisableAudio", r.DisableAudio);
    visit("AudioVolume", r.AudioVolume);
    visit("AudioChannels", r.AudioChannels);
    visit("AudioSampleRate", r.AudioSampleRate);
    visit("AudioBitrate", r.AudioBitrate);
    visit("AudioBitrateTolerance", r.AudioBitrateTolerance);
    visit("AudioLanguage", r.AudioLanguage);
    visit("AudioSync", r.AudioSync);
    visit("AudioTag", r.AudioTag);
    visit("VideoCodec", r.VideoCodec);
    visit("VideoPreset", r.VideoPreset);
    visit("DisableVideo", r.DisableVideo);
    visit("FrameRate", r.FrameRate);
    visit("FrameSize", r.FrameSize);
    visit("AspectRatio", r.AspectRatio);
    visit("CropTop", r.CropTop);
    visit("CropBottom", r.CropBottom);
    visit("CropLeft", r.CropLeft);
    visit("CropRight", r.CropRight);
    visit("GOPSize", r.GOPSize);
    visit("VideoBitrate", r.VideoBitrate);
    visit("MaxRate", r.MaxRate);
    visit("MinRate", r.MinRate);
    visit("VideoBitrateTolerance", r.VideoBitrateTolerance);
    visit("BufSize", r.BufSize);
    visit("VideoSync", r.VideoSync);
    visit("VideoTag", r.VideoTag);
    visit("VideoFilters", r.VideoFilters);
    visit("VideoLanguage", r.VideoLanguage);
    visit("SubtitleCodec", r.SubtitleCodec);
    visit("SubtitlePreset", r.SubtitlePreset);
    visit("DisableSubtitle", r.DisableSubtitle);
    visit("SubtitleLanguage", r.SubtitleLanguage);
    visit("InputSync", r.InputSync);
    visit("CopyTS", r.CopyTS);
    visit("StartTime", r.StartTime);
    visit("RecordingTime", r.RecordingTime);
    visit("Metadata", r.Metadata);
    visit("Target", r.Target);
    visit("TargetNorm", r.TargetNorm);
    visit("TargetDefaultNorm", r.TargetDefaultNorm);
    visit("CustomHook", r.CustomHook);
    visit("Join", r.Join);
    visit("ExtOptions", r.ExtOptions);
}

template <RecordOf<PendingJobOptions> Record, typename Visit>
void eachField(Record& r, Visit& visit) {
    visit("ProfileCode", r.ProfileCode);
    visit("SourceFile", r.SourceFile);
    visit("OutputFile", r.OutputFile);
    visit("ProfileExt", r.ProfileExt);
    visit("ChannelsText", r.ChannelsText);
    visit("SampleRateText", r.SampleRateText);
    visit("FrameSizeText", r.FrameSizeText);
    visit("FrameRateText", r.FrameRateText);
    visit("TvNorm", r.TvNorm);
    visit("VideoFilters", r.VideoFilters);
    visit("VolumeText", r.VolumeText);
    visit("AspectText", r.AspectText);
    visit("VideoCodec", r.VideoCodec);
    visit("AudioCodec", r.AudioCodec);
    visit("OutputFormat", r.OutputFormat);
    visit("DiscTarget", r.DiscTarget);
    visit("VideoTag", r.VideoTag);
    visit("VideoBitRate", r.VideoBitRate);
    visit("AudioBitRate", r.AudioBitRate);
    visit("AudioOnly", r.AudioOnly);
    visit("CutStartMs", r.CutStartMs);
    visit("CutLengthMs", r.CutLengthMs);
    visit("CutMode", r.CutMode);
}

// --- writing ---

struct FieldWriter {
    Json& out;

    template <typename Value>
    void operator()(const char* name, const Value& value) {
        if constexpr (std::is_same_v<Value, TStreamInfo>) {
            Json nested = Json::object();
            FieldWriter writer{nested};
            eachField(value, writer);
            out[name] = std::move(nested);
        } else if constexpr (std::is_same_v<Value, std::int64_t>) {
            // A time that is not set reads better as null than as the smallest number.
            out[name] = value == kNoTime ? Json(nullptr) : Json(value);
        } else {
            out[name] = value;
        }
    }
};

template <typename Record>
Json recordJson(const Record& record) {
    Json out = Json::object();
    FieldWriter writer{out};
    eachField(record, writer);
    return out;
}

// --- reading ---

// Reads the fields present in an object; a missing field keeps the record's default. The first
// field of the wrong kind is named in error and ends the reading.
struct FieldReader {
    const Json& in;
    std::string where;
    std::string& error;

    void wrongKind(const char* name, const char* expected) {
        if (error.empty()) {
            error = where + "." + name + ": " + expected;
        }
    }

    template <typename Value>
    void operator()(const char* name, Value& value) {
        if (!error.empty()) {
            return;
        }
        const auto found = in.find(name);
        if (found == in.end()) {
            return;
        }
        const Json& field = *found;
        if constexpr (std::is_same_v<Value, TStreamInfo>) {
            if (!field.is_object()) {
                return wrongKind(name, "expected an object");
            }
            FieldReader reader{field, where + "." + name, error};
            eachField(value, reader);
        } else if constexpr (std::is_same_v<Value, std::string>) {
            if (!field.is_string()) {
                return wrongKind(name, "expected a text");
            }
            value = field.template get<std::string>();
        } else if constexpr (std::is_same_v<Value, bool>) {
            if (!field.is_boolean()) {
                return wrongKind(name, "expected true or false");
            }
            value = field.template get<bool>();
        } else if constexpr (std::is_floating_point_v<Value>) {
            if (!field.is_number()) {
                return wrongKind(name, "expected a number");
            }
            value = static_cast<Value>(field.template get<double>());
        } else if constexpr (std::is_same_v<Value, std::int64_t>) {
            if (field.is_null()) {
                value = kNoTime;
            } else if (field.is_number_integer() && fitsIn<std::int64_t>(field)) {
                value = field.template get<std::int64_t>();
            } else {
                wrongKind(name, "expected a whole number or null");
            }
        } else {
            static_assert(std::is_same_v<Value, std::int32_t>);
            if (!field.is_number_integer() || !fitsIn<std::int32_t>(field)) {
                return wrongKind(name, "expected a whole number within 32 bits");
            }
            value = static_cast<std::int32_t>(field.template get<std::int64_t>());
        }
    }

    template <typename Integer>
    static bool fitsIn(const Json& field) {
        if (field.is_number_unsigned()) {
            return field.template get<std::uint64_t>() <=
                   static_cast<std::uint64_t>(std::numeric_limits<Integer>::max());
        }
        const auto value = field.template get<std::int64_t>();
        return value >= std::numeric_limits<Integer>::min() &&
               value <= std::numeric_limits<Integer>::max();
    }
};

template <typename Record>
void readRecord(const Json& entry, const char* name, const std::string& where, Record& record,
                std::string& error) {
    const auto found = entry.find(name);
    if (found == entry.end() || !error.empty()) {
        return;
    }
    if (!found->is_object()) {
        error = where + "." + name + ": expected an object";
        return;
    }
    FieldReader reader{*found, where + "." + name, error};
    eachField(record, reader);
}

// --- paths ---

fs::path normalFolder(const std::string& folder) {
    std::error_code ignored;
    return fs::absolute(fs::path(folder), ignored).lexically_normal();
}

// A path under the folder as a relative path from it; any other path absolute.
std::string pathForList(const std::string& path, const fs::path& folder) {
    if (path.empty()) {
        return path;
    }
    std::error_code error;
    const fs::path absolute = fs::absolute(fs::path(path), error).lexically_normal();
    if (error) {
        return path;
    }
    const fs::path relative = absolute.lexically_relative(folder);
    if (relative.empty() || relative == "." || *relative.begin() == "..") {
        return absolute.string();
    }
    return relative.generic_string();
}

std::string pathFromList(const std::string& path, const fs::path& folder) {
    if (path.empty() || fs::path(path).is_absolute()) {
        return path;
    }
    return (folder / path).lexically_normal().string();
}

// Every path an entry holds, for one change applied to each.
template <typename Change>
void changePaths(JobListEntry& entry, Change change) {
    entry.input.FileName = change(entry.input.FileName);
    entry.output.FileName = change(entry.output.FileName);
    entry.origin.choices.SourceFile = change(entry.origin.choices.SourceFile);
    entry.origin.choices.OutputFile = change(entry.origin.choices.OutputFile);
}

Json entryJson(JobListEntry entry, const fs::path& folder) {
    changePaths(entry, [&](const std::string& path) { return pathForList(path, folder); });
    Json out = Json::object();
    out["state"] = std::string(jobStateName(entry.state));
    out["detail"] = entry.detail;
    out["source"] = {{"size", entry.origin.source.sizeBytes},
                     {"modifiedNs", entry.origin.source.modifiedNs},
                     {"durationUs", entry.origin.source.durationUs}};
    out["choices"] = recordJson(entry.origin.choices);
    out["input"] = recordJson(entry.input);
    out["output"] = recordJson(entry.output);
    return out;
}

std::optional<JobListEntry> entryFrom(const Json& in, const std::string& where,
                                      const fs::path& folder, std::string& error) {
    if (!in.is_object()) {
        error = where + ": expected an object";
        return std::nullopt;
    }
    JobListEntry entry;
    if (const auto state = in.find("state"); state != in.end()) {
        const auto named =
            state->is_string() ? jobStateNamed(state->get_ref<const std::string&>()) : std::nullopt;
        if (!named) {
            error = where +
                    ".state: expected one of ready, converting, paused, stopped, done, "
                    "incomplete, failed";
            return std::nullopt;
        }
        entry.state = *named;
    }
    if (const auto detail = in.find("detail"); detail != in.end()) {
        if (!detail->is_string()) {
            error = where + ".detail: expected a text";
            return std::nullopt;
        }
        entry.detail = detail->get<std::string>();
    }
    if (const auto source = in.find("source"); source != in.end()) {
        if (!source->is_object()) {
            error = where + ".source: expected an object";
            return std::nullopt;
        }
        SourceFacts& facts = entry.origin.source;
        FieldReader reader{*source, where + ".source", error};
        reader("size", facts.sizeBytes);
        reader("modifiedNs", facts.modifiedNs);
        reader("durationUs", facts.durationUs);
        if (!error.empty()) {
            return std::nullopt;
        }
        // null stands for "not known" here.
        facts.sizeBytes = facts.sizeBytes == kNoTime ? -1 : facts.sizeBytes;
        facts.modifiedNs = facts.modifiedNs == kNoTime ? 0 : facts.modifiedNs;
        facts.durationUs = facts.durationUs == kNoTime ? -1 : facts.durationUs;
    }
    readRecord(in, "choices", where, entry.origin.choices, error);
    readRecord(in, "input", where, entry.input, error);
    readRecord(in, "output", where, entry.output, error);
    if (!error.empty()) {
        return std::nullopt;
    }
    changePaths(entry, [&](const std::string& path) { return pathFromList(path, folder); });
    return entry;
}

JobListRead refused(JobListProblem problem, std::string error) {
    JobListRead read;
    read.problem = problem;
    read.error = std::move(error);
    return read;
}

JobListRead damaged(std::string error) {
    return refused(JobListProblem::Damaged, std::move(error));
}

std::string folderOf(const std::string& path) {
    const fs::path parent = normalFolder(path).parent_path();
    return parent.string();
}

}  // namespace

std::string_view jobStateName(JobState state) {
    for (const auto& [value, name] : kStateNames) {
        if (value == state) {
            return name;
        }
    }
    return "ready";
}

std::optional<JobState> jobStateNamed(std::string_view name) {
    for (const auto& [value, text] : kStateNames) {
        if (text == name) {
            return value;
        }
    }
    return std::nullopt;
}

bool isFinished(JobState state) {
    return state == JobState::Done || state == JobState::Incomplete;
}

std::optional<std::string> encodeJobList(const std::vector<JobListEntry>& jobs,
                                         const std::string& listFolder, std::string* error) {
    const fs::path folder = normalFolder(listFolder);
    Json list = Json::object();
    list["format"] = std::string(kJobListFormat);
    list["version"] = kJobListVersion;
    Json entries = Json::array();
    for (const JobListEntry& entry : jobs) {
        entries.push_back(entryJson(entry, folder));
    }
    list["jobs"] = std::move(entries);
    try {
        return list.dump(2) + "\n";
    } catch (const Json::type_error& failure) {
        // A file name or option text that is not UTF-8 cannot be written as JSON text.
        if (error) {
            *error = std::string("a text of the list is not UTF-8: ") + failure.what();
        }
        return std::nullopt;
    }
}

JobListRead decodeJobList(std::string_view text, const std::string& listFolder) {
    Json list;
    try {
        list = Json::parse(text);
    } catch (const Json::exception& failure) {
        return damaged(std::string("not JSON: ") + failure.what());
    }
    if (!list.is_object()) {
        return damaged("not a job list: the text is no JSON object");
    }
    const auto format = list.find("format");
    if (format == list.end() || !format->is_string() ||
        format->get_ref<const std::string&>() != kJobListFormat) {
        return damaged("not a job list: \"format\" is not \"" + std::string(kJobListFormat) + "\"");
    }
    const auto version = list.find("version");
    // Whole numbers that are not negative are parsed as unsigned.
    const bool positive =
        version != list.end() && version->is_number_unsigned() && version->get<std::uint64_t>() > 0;
    if (!positive) {
        return damaged("\"version\" is missing or not a whole number of at least 1");
    }
    if (version->get<std::uint64_t>() > static_cast<std::uint64_t>(kJobListVersion)) {
        return refused(JobListProblem::Newer, "format version " + version->dump() +
                                                  ", this program reads up to version " +
                                                  std::to_string(kJobListVersion));
    }
    const auto entries = list.find("jobs");
    if (entries == list.end() || !entries->is_array()) {
        return damaged("\"jobs\" is missing or not an array");
    }
    const fs::path folder = normalFolder(listFolder);
    std::vector<JobListEntry> jobs;
    jobs.reserve(entries->size());
    std::string error;
    for (std::size_t i = 0; i < entries->size(); ++i) {
        auto entry = entryFrom((*entries)[i], "jobs[" + std::to_string(i) + "]", folder, error);
        if (!entry) {
            return damaged(error);
        }
        jobs.push_back(std::move(*entry));
    }
    JobListRead read;
    read.jobs = std::move(jobs);
    return read;
}

JobListRead readJobList(const std::string& path) {
    std::error_code error;
    const auto status = fs::status(fs::path(path), error);
    if (!fs::exists(status)) {
        return refused(JobListProblem::Missing,
                       kJobListUnreadableMessage + path + ": no such file");
    }
    if (!fs::is_regular_file(status)) {
        return refused(JobListProblem::Unreadable,
                       kJobListUnreadableMessage + path + ": not a regular file");
    }
    const auto text = readWholeFile(path);
    if (!text) {
        return refused(JobListProblem::Unreadable,
                       kJobListUnreadableMessage + path + ": cannot be read");
    }
    JobListRead read = decodeJobList(*text, folderOf(path));
    if (!read.jobs) {
        const char* lead =
            read.problem == JobListProblem::Newer ? kJobListNewerMessage : kJobListDamagedMessage;
        read.error = lead + path + ": " + read.error;
    }
    return read;
}

bool writeJobList(const std::string& path, const std::vector<JobListEntry>& jobs,
                  std::string* error) {
    const auto text = encodeJobList(jobs, folderOf(path), error);
    if (!text) {
        return false;
    }
    return replaceFileAtomically(path, *text, error);
}

std::string savedQueuePath() {
    constexpr const char* kFileName = "queue.json";
    if (const char* dir = std::getenv("VELMORA_STATE_DIR"); dir != nullptr && *dir != '\0') {
        return joinPath(dir, kFileName);
    }
    const char* state = std::getenv("XDG_STATE_HOME");
    // A relative XDG_STATE_HOME is invalid and ignored, as the base-directory rules say.
    const std::string base = state != nullptr && *state == '/'
                                 ? std::string(state)
                                 : joinPath(joinPath(homeFolder(), ".local"), "state");
    return joinPath(joinPath(base, "velmora"), kFileName);
}

}  // namespace velmora
