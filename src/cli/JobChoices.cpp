#include "cli/JobChoices.h"

#include <algorithm>
#include <charconv>

#include "profiles/ProfileCatalogue.h"

namespace velmora::cli {

namespace {

constexpr std::array<std::string_view, kOptionKindCount> kListNames = {
    "video-encoder", "video-bitrate", "frame-size", "frame-rate", "audio-encoder",
    "audio-bitrate", "sample-rate",   "scaling",    "volume",     "channels",
};

bool allDigits(std::string_view text) {
    return !text.empty() && std::ranges::all_of(text, [](char c) { return c >= '0' && c <= '9'; });
}

std::optional<long long> toNumber(std::string_view text) {
    long long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

// One time of a cut range into the three edits.
std::optional<CutTimeText> parseCutTime(std::string_view text, std::string* error) {
    std::vector<std::string_view> fields;
    std::size_t begin = 0;
    while (true) {
        const std::size_t colon = text.find(':', begin);
        fields.push_back(text.substr(begin, colon - begin));
        if (colon == std::string_view::npos) {
            break;
        }
        begin = colon + 1;
    }
    const auto fail = [&]() -> std::optional<CutTimeText> {
        if (error) {
            *error = "invalid time \"" + std::string(text) + "\" (expected HH:MM:SS)";
        }
        return std::nullopt;
    };
    if (fields.size() > 3) {
        return fail();
    }
    for (std::size_t i = 0; i < fields.size(); ++i) {
        // Nine digits at most keeps the millisecond sums of the option settings in range.
        if (!allDigits(fields[i]) || fields[i].size() > 9) {
            return fail();
        }
        if (i > 0 && *toNumber(fields[i]) >= 60) {
            return fail();
        }
    }
    while (fields.size() < 3) {
        fields.insert(fields.begin(), std::string_view("0"));
    }
    return CutTimeText{std::string(fields[0]), std::string(fields[1]), std::string(fields[2])};
}

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

std::optional<OptionSetting> parseOptionSetting(std::string_view text, std::string* error) {
    const std::size_t equals = text.find('=');
    const auto fail = [&](const std::string& why) -> std::optional<OptionSetting> {
        if (error) {
            *error = why;
        }
        return std::nullopt;
    };
    if (equals == std::string_view::npos) {
        return fail("--set takes LIST=ENTRY, got \"" + std::string(text) + "\"");
    }
    const auto kind = optionKindNamed(text.substr(0, equals));
    if (!kind) {
        std::string names;
        for (std::string_view name : kListNames) {
            names += names.empty() ? "" : ", ";
            names += name;
        }
        return fail("unknown option list \"" + std::string(text.substr(0, equals)) +
                    "\"; the lists are " + names);
    }
    return OptionSetting{*kind, std::string(text.substr(equals + 1))};
}

std::optional<CutRange> parseCutRange(std::string_view text, std::string* error) {
    const std::size_t dash = text.find('-');
    if (dash == std::string_view::npos || text.find('-', dash + 1) != std::string_view::npos) {
        if (error) {
            *error = "--cut takes HH:MM:SS-HH:MM:SS, got \"" + std::string(text) + "\"";
        }
        return std::nullopt;
    }
    auto start = parseCutTime(text.substr(0, dash), error);
    if (!start) {
        return std::nullopt;
    }
    auto stop = parseCutTime(text.substr(dash + 1), error);
    if (!stop) {
        return std::nullopt;
    }
    return CutRange{std::move(*start), std::move(*stop)};
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

}  // namespace velmora::cli
