#include "cli/CatalogueCommands.h"

#include <nlohmann/json.hpp>

#include <ostream>

#include "cli/BatchJobs.h"
#include "cli/ProfileOutput.h"
#include "medialib/MediaLibLoader.h"
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

// "matroska\th264 (source size)\tvorbis"; "-" for a missing stream, "?" for each column when
// nothing is known.
std::string producesText(const std::optional<ProfileOutput>& produces) {
    if (!produces) {
        return "?\t?\t?";
    }
    std::string video = "-";
    if (!produces->videoCodec.empty()) {
        video = produces->videoCodec + " " +
                (produces->frameSize.empty() ? "(source size)" : produces->frameSize);
    }
    return produces->container + '\t' + video + '\t' +
           (produces->audioCodec.empty() ? "-" : produces->audioCodec);
}

// null when nothing is known; inside, null for a missing stream or the source's picture size.
nlohmann::json producesRecord(const std::optional<ProfileOutput>& produces) {
    if (!produces) {
        return nullptr;
    }
    const auto orNull = [](const std::string& value) -> nlohmann::json {
        return value.empty() ? nlohmann::json(nullptr) : nlohmann::json(value);
    };
    return {{"container", produces->container},
            {"video_codec", orNull(produces->videoCodec)},
            {"frame_size", orNull(produces->frameSize)},
            {"audio_codec", orNull(produces->audioCodec)}};
}

std::string dump(const nlohmann::json& value) {
    return value.dump(2, ' ', false, nlohmann::json::error_handler_t::replace);
}

}  // namespace

int runProfilesCommand(bool json, std::ostream& out, std::ostream& err) {
    // Without the libraries the muxers' defaults are unknown; the list is shown all the same.
    TMediaLibLoader& loader = TMediaLibLoader::instance();
    loader.SetLibraryPath(DefaultLibraryFolder());
    const bool librariesLoaded = loader.LoadLibraries(kConverterSet);
    if (!librariesLoaded) {
        err << "warning: cannot load the media libraries (" << loader.LastError()
            << "); what each profile produces is not shown\n";
    }
    nlohmann::json list = nlohmann::json::array();
    for (const TProfileEntry& entry : profileCatalogue()) {
        const std::string tab = text(profileTabInfo(entry.Tab).caption);
        const std::optional<ProfileOutput> produces =
            librariesLoaded ? profileOutput(entry.Code) : std::nullopt;
        if (json) {
            list.push_back({{"code", entry.Code},
                            {"tab", tab},
                            {"caption", text(entry.Caption)},
                            {"extension", text(entry.OutputExt)},
                            {"profile_extension", text(entry.ProfileExtTag)},
                            {"output_format", text(entry.OutputFormat)},
                            {"disc", text(entry.DiscKind)},
                            {"audio_only", entry.AudioOnly},
                            {"produces", producesRecord(produces)}});
            continue;
        }
        out << entry.Code << '\t' << tab << '\t' << entry.Caption << '\t' << entry.OutputExt << '\t'
            << flagsOf(entry) << '\t' << producesText(produces) << '\n';
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
