#include "cli/CatalogueCommands.h"

#include <nlohmann/json.hpp>

#include <ostream>

#include "cli/BatchJobs.h"
#include "profiles/JobChoices.h"
#include "profiles/OptionSettings.h"
#include "profiles/ProfileCatalogue.h"

namespace velmora::cli {

namespace {

std::string text(std::string_view view) {
    return std::string(view);
}

// "audio", "disc=dvd", "format=mov", separated by blanks; "-" when there are none.
std::string flagsOf(const TProfileEntry& entry) {
    std::string flags;
    const auto add = [&](const std::string& flag) {
        flags += flags.empty() ? "" : " ";
        flags += flag;
    };
    if (entry.AudioOnly) {
        add("audio");
    }
    if (!entry.DiscKind.empty()) {
        add("disc=" + text(entry.DiscKind));
    }
    if (!entry.OutputFormat.empty()) {
        add("format=" + text(entry.OutputFormat));
    }
    return flags.empty() ? "-" : flags;
}

std::string dump(const nlohmann::json& value) {
    return value.dump(2, ' ', false, nlohmann::json::error_handler_t::replace);
}

}  // namespace

int runProfilesCommand(bool json, std::ostream& out) {
    nlohmann::json list = nlohmann::json::array();
    for (const TProfileEntry& entry : profileCatalogue()) {
        const std::string tab = text(profileTabInfo(entry.Tab).caption);
        if (json) {
            list.push_back({{"code", entry.Code},
                            {"tab", tab},
                            {"caption", text(entry.Caption)},
                            {"extension", text(entry.OutputExt)},
                            {"profile_extension", text(entry.ProfileExtTag)},
                            {"output_format", text(entry.OutputFormat)},
                            {"disc", text(entry.DiscKind)},
                            {"audio_only", entry.AudioOnly}});
            continue;
        }
        out << entry.Code << '\t' << tab << '\t' << entry.Caption << '\t' << entry.OutputExt << '\t'
            << flagsOf(entry) << '\n';
    }
    if (json) {
        out << dump(list) << '\n';
    }
    return kExitAllDone;
}

int runOptionsCommand(int profileCode, bool json, std::ostream& out, std::ostream& err) {
    PendingJobOptions pending;
    pending.ProfileCode = profileCode;
    const auto state = fillOptionSettings(pending, "");
    if (!state) {
        err << "error: unknown profile " << profileCode << " (velmora-cli profiles lists them)\n";
        return kExitUsage;
    }
    nlohmann::json lists = nlohmann::json::array();
    for (std::size_t i = 0; i < kOptionKindCount; ++i) {
        const auto kind = static_cast<OptionKind>(i);
        const OptionListState& list = state->list(kind);
        if (json) {
            nlohmann::json entries = nlohmann::json::array();
            for (std::string_view entry : list.entries()) {
                entries.push_back(text(entry));
            }
            lists.push_back({{"name", text(optionListName(kind))},
                             {"label", text(optionLabel(kind))},
                             {"key", list.list ? text(list.list->key) : std::string()},
                             {"entries", entries},
                             {"preselected", text(list.selectedText())}});
            continue;
        }
        out << optionListName(kind) << " (" << (list.list ? list.list->key : "-") << ")\n";
        const auto entries = list.entries();
        for (std::size_t e = 0; e < entries.size(); ++e) {
            out << (static_cast<int>(e) == list.selected ? "  * " : "    ") << entries[e] << '\n';
        }
    }
    if (json) {
        out << dump({{"profile", profileCode}, {"lists", lists}}) << '\n';
    }
    return kExitAllDone;
}

}  // namespace velmora::cli
