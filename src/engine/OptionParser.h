// The engine's option table: every task setting arrives as a name and a value text and lands in
// the task's EngineSettings, or (for names the table does not know) in the generic library option
// contexts. Also the option-text format of the component's ExtOptions and the value parsers the
// table uses.
//
// All functions run on the thread that configures the task; none of them keeps state of its own.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

extern "C" {
#include <libavutil/avutil.h>
#include <libavutil/rational.h>
}

#include "engine/EngineSettings.h"

namespace velmora {

// What the option table needs from the engine that owns the settings. The transcoder implements
// it; tests use a fake.
class OptionActions {
public:
    virtual ~OptionActions() = default;

    // Opening inputs and outputs consumes the pending settings; the option table does not call
    // these two itself (the converter component does), they are here so that a caller holding
    // only the OptionActions can drive a whole task.
    virtual void openInputFile(const std::string& name) = 0;
    virtual void openOutputFile(const std::string& name) = 0;

    // "newvideo", "newaudio", "newsubtitle": add a stream of that type to the last output file.
    // Called only when outputCount() > 0. Failures raise TranscoderException.
    virtual void newVideoStream() = 0;
    virtual void newAudioStream() = 0;
    virtual void newSubtitleStream() = 0;

    // Number of output files created so far.
    virtual int outputCount() const = 0;

    // The time base of every video stream of the opened inputs, in file order then stream order
    // ("target" with an automatic norm reads the frame rate from them: round(den * 1000 / num)).
    // The transcoder gives the decoder's time base, or 1 / the stream's frame rate when the
    // decoder sets none.
    virtual std::vector<AVRational> inputVideoTimeBases() const = 0;

    // The generic library option setter over the engine's option contexts (codec contexts per
    // media kind, format context, scaler context). False when no context knows the name or the
    // value was refused.
    virtual bool setGenericOption(const std::string& name, const std::string& value) = 0;
    // Reads an option back as text from the codec option context of the given kind
    // (AVMEDIA_TYPE_VIDEO, AVMEDIA_TYPE_AUDIO, ...); nothing when the option does not exist.
    virtual std::optional<std::string> codecOptionValue(AVMediaType kind,
                                                        const std::string& name) const = 0;

    // Sender given with every log line of the engine.
    virtual const void* logSender() const { return this; }
};

// Sets one option. The name is matched exactly (case-sensitive). Errors raise
// TranscoderException with an English text; names the table does not know go to
// actions.setGenericOption and its failure is ignored.
void SetEngineOption(EngineSettings& settings, OptionActions& actions, const std::string& name,
                     const std::string& value);

// True when the option table handles this name itself (false: the generic setter gets it).
bool IsEngineOptionName(std::string_view name);

// --- option text ("ExtOptions") ------------------------------------------------------------

struct OptionLine {
    std::string name;   // lower-cased text before the first "="
    std::string value;  // everything after that "=", untrimmed; empty without "="
    bool operator==(const OptionLine&) const = default;
};

// Which pass over an option text is applied: the input pass applies every name; the output pass
// holds back the names the component applies as stream defaults ("acodec", "vcodec", "scodec",
// "s").
enum class OptionPass { Input, Output };

// Splits an option text into lines: the whole text is trimmed, CR LF / CR become LF, "<CRLF>"
// becomes LF. Names are trimmed and lower-cased (ASCII); lines without a name are dropped.
// Linear in the text length.
std::vector<OptionLine> SplitOptionText(std::string_view text);

// True when a line of that (lower-cased) name is not applied in the given pass: "newvideo",
// "newaudio", "newsubtitle", "apre", "vpre", "spre", "vfilters", "vf" in both passes (the
// component handles them), "acodec", "vcodec", "scodec", "s" in the output pass.
bool IsSkippedInPass(std::string_view name, OptionPass pass);

// Applies every line of an option text that the pass does not skip, in order, with
// SetEngineOption. The first failure raises and stops.
void ApplyOptionText(EngineSettings& settings, OptionActions& actions, std::string_view text,
                     OptionPass pass);

// --- value parsers (raise TranscoderException) ----------------------------------------------

// "intra_matrix" / "inter_matrix": 64 unsigned integers separated by commas.
std::array<std::uint16_t, 64> ParseMatrix(const std::string& text);

// Times of "t", "ss", "itsoffset" (isDuration) and "timestamp" (a date), in microseconds.
// Failure: "Invalid duration specification for t: abc".
std::int64_t ParseTimeOption(const std::string& name, const std::string& value, bool isDuration);

struct FrameSize {
    int width = 0;
    int height = 0;
};
// "640x480", "640*480", a size abbreviation ("vga", "hd720"), or "480*272  (note)": a size
// followed by a note in any text; the leading pair counts. Nothing when it is not a size.
std::optional<FrameSize> ParseFrameSize(std::string_view text);

// "25", "30000/1001", "29.97", or an abbreviation ("ntsc", "pal", "film"). Nothing when it is not
// a positive rate.
std::optional<AVRational> ParseFrameRate(std::string_view text);

// Integer and float option values; anything else (empty, trailing text, out of range) raises
// "Invalid value \"abc\" for option \"ab\"".
std::int64_t ParseIntegerOption(const std::string& name, const std::string& value,
                                std::int64_t minimum, std::int64_t maximum);
double ParseFloatOption(const std::string& name, const std::string& value);

}  // namespace velmora
