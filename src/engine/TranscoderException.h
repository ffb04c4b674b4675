// The one exception class of the transcoding engine. Its text is English; the converter component
// catches it at its boundary and turns it into a failed result with the text as last error.
#pragma once

#include <stdexcept>
#include <string>

namespace velmora {

class TranscoderException : public std::runtime_error {
public:
    explicit TranscoderException(const std::string& message) : std::runtime_error(message) {}
    explicit TranscoderException(const char* message) : std::runtime_error(message) {}
};

}  // namespace velmora
