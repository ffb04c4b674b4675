#include "cli/ChoiceParsing.h"

#include <algorithm>
#include <charconv>
#include <vector>

namespace velmora::cli {

namespace {

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

}  // namespace

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
        for (std::size_t i = 0; i < kOptionKindCount; ++i) {
            names += names.empty() ? "" : ", ";
            names += optionListName(static_cast<OptionKind>(i));
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

}  // namespace velmora::cli
