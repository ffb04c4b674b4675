// The engine's generic option store: option names the option table does not handle itself are
// checked against the codec, format and scaler option classes of the media libraries and kept,
// per media kind, as name/value pairs that are applied to every codec or format context the task
// creates afterwards (later pairs win).
//
// Not thread-safe: used by the thread that configures the task, later by its run.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "medialib/LibraryHandles.h"

namespace velmora {

class GenericOptions {
public:
    GenericOptions();
    ~GenericOptions();
    GenericOptions(const GenericOptions&) = delete;
    GenericOptions& operator=(const GenericOptions&) = delete;

    // Checks and stores one option. "vb" and "ab" are the video and audio bit rate ("b"), "abt"
    // the audio bit-rate tolerance. False when no option class knows the name or the value was
    // refused. Needs the media libraries.
    bool set(const std::string& name, const std::string& value);
    // The value of a codec option of that kind as it stands now (a stored value or the default).
    std::optional<std::string> codecValue(AVMediaType kind, const std::string& name) const;

    // Sets the stored codec options of that kind on a codec context that is not opened yet:
    // encoding options when encoder, decoding options otherwise; private options of the chosen
    // codec included. Unknown and refused names are skipped.
    void applyToCodec(AVCodecContext* context, AVMediaType kind, bool encoder) const;
    // The stored format options (generic and private) as a dictionary for opening an input
    // (encoder false) or writing an output header (encoder true).
    DictionaryPtr formatDictionary(bool encoder) const;
    // Scaler flags ("sws_flags"); bicubic by default.
    int scalerFlags() const { return m_scalerFlags; }

    // Forgets everything (Reset).
    void clear();

private:
    struct Pair {
        std::string name;
        std::string value;
        int flags = 0;  // AV_OPT_FLAG_* of the option; 0 for codec-private options
    };
    void ensureScratch();

    CodecContextPtr m_scratch[3];  // video, audio, subtitle option contexts
    std::vector<Pair> m_codecPairs[3];
    std::vector<Pair> m_privateCodecPairs;  // options only some codec knows, all kinds
    std::vector<Pair> m_formatPairs;
    int m_scalerFlags = 4;  // SWS_BICUBIC
};

}  // namespace velmora
