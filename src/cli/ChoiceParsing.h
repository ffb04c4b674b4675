// The command line's texts for a convert run's choices: --set LIST=ENTRY and --cut
// HH:MM:SS-HH:MM:SS, turned into the JobChoices that job creation resolves.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "profiles/JobChoices.h"

namespace velmora::cli {

// "video-bitrate=1000" and the like; nothing (with the reason in *error) for an unknown list or a
// text without "=".
std::optional<OptionSetting> parseOptionSetting(std::string_view text, std::string* error);

// Each time is HH:MM:SS, MM:SS or SS (digits only; minutes and seconds below 60 unless they are
// the first field). Nothing, with the reason in *error, for anything else.
std::optional<CutRange> parseCutRange(std::string_view text, std::string* error);

}  // namespace velmora::cli
