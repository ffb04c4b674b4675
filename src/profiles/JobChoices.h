// Choices for a job made without the option settings window (velmora-cli convert, the window's
// `velmora --profile CODE FILE...`), and how they go through the same option settings a window
// add uses: the profile's ten lists with their preselections, the changed entries, the picture
// effects and the cut range, confirmed into PendingJobOptions.
//
// Plain data and rules: no media libraries, so everything here is tested without files.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "profiles/OptionLists.h"
#include "profiles/OptionSettings.h"
#include "profiles/PendingJobOptions.h"

namespace velmora {

// The names the ten lists go by outside the window ("video-encoder", ...), indexed by OptionKind.
std::string_view optionListName(OptionKind kind);
std::optional<OptionKind> optionKindNamed(std::string_view name);

// One changed list: the entry to pick instead of the preselected one.
struct OptionSetting {
    OptionKind kind = OptionKind::VideoEncoder;
    std::string entry;
};

// A cut range as the cut edits of the option settings hold it.
struct CutRange {
    CutTimeText start;
    CutTimeText stop;
};

// Everything applied to each file of a batch.
struct JobChoices {
    int profileCode = kInitialProfileCode;
    std::vector<OptionSetting> settings;
    bool flipHorizontal = false;
    bool flipVertical = false;
    bool negative = false;
    std::optional<CutRange> cut;
    std::string extOptions;  // appended to the output record's option text
};

// Finds the entry a setting names in a shown list: the exact text, or else the one entry whose
// leading word (the text before the first blank or "(") is the given text, so "1000" picks
// "1000 kbps(很高质量)" and "320*240" picks "320*240 (PSP所有固件版本适用)". -1 when none or
// several match.
int findListEntry(const OptionListState& list, std::string_view text);

// Checks every setting against the lists of the profile; an empty text when all are offered,
// else one message naming the first bad setting and listing the valid entries.
std::string validateSettings(const JobChoices& choices);

struct ResolvedJob {
    std::optional<PendingJobOptions> pending;
    std::string error;  // set when pending is empty
};

// The fill step for the profile, the settings applied (the video encoder first, since picking it
// may replace the bit-rate or frame-size list), then the confirmation. sourceDurationUs (-1 when
// unknown) bounds the cut range, as the option settings do.
ResolvedJob resolveJob(const JobChoices& choices, const std::string& sourceFile,
                       std::string_view outputFolder, std::int64_t sourceDurationUs);

}  // namespace velmora
