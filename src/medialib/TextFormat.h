// Small text helpers shared by every layer: printf-style formatting into a std::string and
// trimming.
#pragma once

#include <cstdarg>
#include <string>
#include <string_view>

namespace velmora {

// printf-style formatting of any length.
std::string FormatText(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string VFormatText(const char* format, va_list args);

// Without blanks and control characters (every byte up to ' ') at either end.
std::string_view TrimmedView(std::string_view text);
inline std::string Trimmed(std::string_view text) {
    return std::string(TrimmedView(text));
}

// ASCII lower case.
std::string LowerCase(std::string_view text);

// "fileName: text", unless the text already begins with that name (error texts of the media
// layer usually do), so that no message names the file twice.
std::string WithFileName(const std::string& fileName, const std::string& text);

}  // namespace velmora
