// The rules of the option settings without their window: the fill step that shows a profile's ten
// lists, the encoder-change rules, the split of the source's duration into the cut edits, and the
// confirmation that resolves the shown texts into PendingJobOptions.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "profiles/OptionLists.h"
#include "profiles/PendingJobOptions.h"

namespace velmora {

inline constexpr const char* kMediaModeVideo = "Vedio";
inline constexpr const char* kMediaModeMusic = "Music";

// Texts of the information boxes the option settings show, all titled kNoticeTitle.
inline constexpr const char* kNoticeTitle = "提示";
inline constexpr const char* kDigitsOnlyMessage = "对不起，这里只能输入数字！";
inline constexpr const char* kCutStopBeyondLengthMessage =
    "截取时间设置错误，不允许停止时间大于时间长度！";
inline constexpr const char* kCutStartNotBeforeStopMessage =
    "截取时间设置错误，不允许起始时间大于等于停止时间！";

// One shown list: its entries and the selected one.
struct OptionListState {
    const OptionList* list = nullptr;
    int selected = -1;

    std::span<const std::string_view> entries() const;
    // Empty when nothing is selected.
    std::string_view selectedText() const;
    // Selects the first entry with this text; false (selection unchanged) when not offered.
    bool select(std::string_view text);
};

struct OptionSettingsState {
    int profileCode = 0;
    std::array<OptionListState, kOptionKindCount> lists;
    std::string MediaMode = kMediaModeVideo;
    std::string DiscKind;  // "vcd", "svcd", "dvd" or empty

    OptionListState& list(OptionKind kind) { return lists[indexOf(kind)]; }
    const OptionListState& list(OptionKind kind) const { return lists[indexOf(kind)]; }

    // A user's pick in the video-encoder list: selects the entry, then the bit-rate or frame-size
    // list may be replaced (with its own preselection). False when the text is not offered.
    bool pickVideoEncoder(std::string_view text);
};

// The fill step for pending.ProfileCode: switches to video mode (clearing OutputFormat and
// TvNorm), derives OutputFile from pending.SourceFile and the output folder, sets ProfileExt,
// OutputFormat and DiscKind, switches audio profiles to audio mode, and shows the ten lists with
// their preselections. Nothing (and pending untouched) for a code outside the catalogue.
std::optional<OptionSettingsState> fillOptionSettings(PendingJobOptions& pending,
                                                      std::string_view outputFolder);

// Hours, minutes and seconds of the cut edits as the duration probe presets them.
struct CutTimeText {
    std::string hours;
    std::string minutes;
    std::string seconds;
};

struct DurationSplit {
    std::string SourceSeconds;  // whole seconds as decimal text
    CutTimeText stop;           // two digits at least, "01", "02", "05" for 3725 s
};

// Nothing for an unknown (negative) duration: the stop edits stay empty and SourceSeconds keeps
// its earlier value.
std::optional<DurationSplit> splitDuration(std::int64_t durationUs);

// Everything the confirmation reads from the window.
struct ShownOptions {
    std::array<std::string, kOptionKindCount> texts;  // the ten shown texts, by OptionKind
    bool flipHorizontal = false;
    bool flipVertical = false;
    bool negative = false;
    bool cutEnabled = false;
    CutTimeText cutStart;
    CutTimeText cutStop;
    std::string SourceSeconds;  // empty when no duration is known
    std::string MediaMode = kMediaModeVideo;
    std::string DiscKind;
};

// The texts, MediaMode and DiscKind of a filled state; picture boxes and cut range left off.
ShownOptions shownOptions(const OptionSettingsState& state);

struct Confirmation {
    // The record as the confirmation leaves it. When it is rejected, the fields written before
    // the cut check are kept, as the window keeps them until the next confirmation.
    PendingJobOptions options;
    bool accepted = false;
    std::string message;  // the information text when rejected
};

Confirmation confirmOptions(const ShownOptions& shown, const PendingJobOptions& pending,
                            std::string_view outputFolder);

}  // namespace velmora
