#include "profiles/JobChoices.h"

#include <algorithm>
#include <array>

#include "profiles/ProfileCatalogue.h"

namespace velmora {

namespace {

constexpr std::array<std::string_view, kOptionKindCount> kListNames = {
    "video-encoder", "video-bitrate", "frame-size", "frame-rate", "audio-encoder",
    "audio-bitrate", "sample-rate",   "scaling",    "volume",     "channels",
};

std::string_view leadingWord(std::string_view entry) {
    return entry.substr(0, entry.find_first_of(" ("));
}

std::string listing(const OptionListState& list) {
    std::string text;
    for (std::string_view entry : list.entries()) {
        text += "\n  ";
        text += entry;
    }
    return text;
}

// Applies the settings to a filled state; an empty text when every one was offered.
std::string applySettings(const JobChoices& choices, OptionSettingsState& state) {
    // The video encoder first: picking it may replace the bit-rate or frame-size list, and a
    // setting for that list must then be checked against the replacement.
    std::vector<const OptionSetting*> ordered;
    for (const OptionSetting& setting : choices.settings) {
        if (setting.kind == OptionKind::VideoEncoder) {
            ordered.push_back(&setting);
        }
    }
    for (const OptionSetting& setting : choices.settings) {
        if (setting.kind != OptionKind::VideoEncoder) {
            ordered.push_back(&setting);
        }
    }
    for (const OptionSetting* setting : ordered) {
        OptionListState& list = state.list(setting->kind);
        const int index = findListEntry(list, setting->entry);
        if (index < 0) {
            return "\"" + setting->entry + "\" is not an entry of the " +
                   std::string(optionListName(setting->kind)) + " list of profile " +
                   std::to_string(choices.profileCode) + "; valid entries:" + listing(list);
        }
        const std::string_view entry = list.entries()[static_cast<std::size_t>(index)];
        if (setting->kind == OptionKind::VideoEncoder) {
            state.pickVideoEncoder(entry);
        } else {
            list.select(entry);
        }
    }
    return {};
}

std::string englishRejection(const Confirmation& confirmation, std::int64_t sourceDurationUs) {
    if (confirmation.message == kCutStopBeyondLengthMessage) {
        return "the cut range ends after the end of the source (" +
               std::to_string(sourceDurationUs / 1'000'000) + " s)";
    }
    if (confirmation.message == kCutStartNotBeforeStopMessage) {
        return "the cut range must start before it ends";
    }
    if (confirmation.message == kDigitsOnlyMessage) {
        return "the cut times take digits only";
    }
    return "the option settings were refused: " + confirmation.message;
}

}  // namespace

std::string_view optionListName(OptionKind kind) {
    return kListNames[indexOf(kind)];
}

std::optional<OptionKind> optionKindNamed(std::string_view name) {
    const auto it = std::ranges::find(kListNames, name);
    if (it == kListNames.end()) {
        return std::nullopt;
    }
    return static_cast<OptionKind>(it - kListNames.begin());
}

int findListEntry(const OptionListState& list, std::string_view text) {
    const auto entries = list.entries();
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (entries[i] == text) {
            return static_cast<int>(i);
        }
    }
    int found = -1;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (!text.empty() && leadingWord(entries[i]) == text) {
            if (found >= 0) {
                return -1;
            }
            found = static_cast<int>(i);
        }
    }
    return found;
}

std::string validateSettings(const JobChoices& choices) {
    PendingJobOptions pending;
    pending.ProfileCode = choices.profileCode;
    auto state = fillOptionSettings(pending, "");
    if (!state) {
        return "unknown profile " + std::to_string(choices.profileCode) +
               " (velmora-cli profiles lists them)";
    }
    return applySettings(choices, *state);
}

ResolvedJob resolveJob(const JobChoices& choices, const std::string& sourceFile,
                       std::string_view outputFolder, std::int64_t sourceDurationUs) {
    PendingJobOptions pending;
    pending.reset();
    pending.ProfileCode = choices.profileCode;
    pending.SourceFile = sourceFile;
    auto state = fillOptionSettings(pending, outputFolder);
    if (!state) {
        return {std::nullopt, "unknown profile " + std::to_string(choices.profileCode)};
    }
    if (std::string error = applySettings(choices, *state); !error.empty()) {
        return {std::nullopt, std::move(error)};
    }
    ShownOptions shown = shownOptions(*state);
    shown.flipHorizontal = choices.flipHorizontal;
    shown.flipVertical = choices.flipVertical;
    shown.negative = choices.negative;
    if (const auto split = splitDuration(sourceDurationUs)) {
        shown.SourceSeconds = split->SourceSeconds;
    }
    if (choices.cut) {
        shown.cutEnabled = true;
        shown.cutStart = choices.cut->start;
        shown.cutStop = choices.cut->stop;
    }
    Confirmation confirmation = confirmOptions(shown, pending, outputFolder);
    if (!confirmation.accepted) {
        return {std::nullopt, englishRejection(confirmation, sourceDurationUs)};
    }
    return {std::move(confirmation.options), {}};
}

}  // namespace velmora
