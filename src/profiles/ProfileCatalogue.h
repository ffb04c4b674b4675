// The fixed catalogue of output profiles the format chooser offers. A profile code is the base of
// the chooser tab plus the entry's position on that tab; every later step (option lists, option
// resolution, job creation) is keyed by that code.
#pragma once

#include <optional>
#include <span>
#include <string_view>

namespace velmora {

// The chooser's tabs in their order on screen.
enum class ProfileTab { Common, Devices, Computer, Audio };

struct ProfileTabInfo {
    ProfileTab tab;
    std::string_view caption;
    int base;   // code of the tab's first entry
    int count;  // entries on the tab
};

// One entry of the catalogue. All texts are literal; empty OutputFormat / DiscKind mean none.
struct TProfileEntry {
    int Code;
    ProfileTab Tab;
    std::string_view Caption;
    int Icon;                        // index into the tab's picture list
    std::string_view OutputExt;      // extension given to the output file name
    std::string_view ProfileExtTag;  // value written to ProfileExt
    std::string_view OutputFormat;   // container forced on the output
    std::string_view DiscKind;       // "vcd", "svcd", "dvd"
    bool AudioOnly;                  // the option settings run in audio mode
};

inline constexpr int kProfileCount = 75;
// After the chooser fills its lists the first entry of the first tab is selected last.
inline constexpr int kInitialProfileCode = 400;

// The four tabs in screen order.
std::span<const ProfileTabInfo> profileTabs();
const ProfileTabInfo& profileTabInfo(ProfileTab tab);

// All entries in ascending code order.
std::span<const TProfileEntry> profileCatalogue();

// nullptr for a code that names no entry (the gaps between the tab ranges included).
const TProfileEntry* findProfile(int code);

// The code of the entry at a zero-based position of a tab; nothing when the tab has no such entry.
std::optional<int> profileCodeAt(ProfileTab tab, int position);

// The entries of one tab in position order.
std::span<const TProfileEntry> profilesOnTab(ProfileTab tab);

}  // namespace velmora
