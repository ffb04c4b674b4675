// The choices the option settings offer per profile: ten pick-only lists, each preselected with
// one entry, plus the two rules that replace a list when the user picks another video encoder.
// Every list is a constant table; the text of an entry is its only value.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <string_view>

namespace velmora {

// The ten lists, in the order the fill step fills them.
enum class OptionKind {
    VideoEncoder,
    VideoBitRate,
    FrameSize,
    FrameRate,
    AudioEncoder,
    AudioBitRate,
    SampleRate,
    ScalingMode,
    Volume,
    Channels,
};
inline constexpr std::size_t kOptionKindCount = 10;

constexpr std::size_t indexOf(OptionKind kind) {
    return static_cast<std::size_t>(kind);
}

// A named list of entries ("VE1", "FS5", ...).
struct OptionList {
    std::string_view key;
    std::span<const std::string_view> entries;
};

// The list a profile offers for one kind and the entry shown first.
struct OptionChoice {
    const OptionList* list;
    std::string_view preselected;
};

using ProfileOptionChoices = std::array<OptionChoice, kOptionKindCount>;

// The label shown beside a list ("视频编码器：", ...).
std::string_view optionLabel(OptionKind kind);

// Every named list; nullptr for an unknown key.
std::span<const OptionList* const> optionLists();
const OptionList* findOptionList(std::string_view key);

// The ten choices of a profile, indexed by OptionKind; nothing for a code outside the catalogue.
std::optional<ProfileOptionChoices> profileOptionChoices(int profileCode);

// A list to put in place of the shown one after the user picked another video encoder.
struct ListReplacement {
    OptionKind kind;
    OptionChoice choice;
};

// The bit-rate rule (codes 1-3) and then the frame-size rule (codes 100 and 101) for a new video
// encoder entry; nothing when neither applies.
std::optional<ListReplacement> encoderChangeReplacement(int profileCode,
                                                        std::string_view encoderText);

}  // namespace velmora
