// Small shared routines of the media layer: error texts, time and size formats, media-type
// names, codec descriptions, the generic library option setter with its option contexts, a
// whole-file reader and the file-name conversion for the format library.
//
// Everything here may be called from any thread; OptionContexts is not locked and belongs to
// the one thread that parses a task's options.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "medialib/LibraryHandles.h"

namespace velmora {

// Writes a message through the library's log (av_log without a context) at the given library
// level, so it takes the same road as the libraries' own lines; straight to the logger while
// avutil is not bound. The text should end with a line feed.
void LibraryLog(int libraryLevel, const char* format, ...) __attribute__((format(printf, 2, 3)));

// fileName + ": " + the text of a library error code: the table's text, else the library's own
// description ("Error number %d occurred" when neither has one, or avutil is not loaded).
std::string ErrorText(const std::string& fileName, int code);

// "%.2d:%.2d:%.2d.%.3d" (hours not limited to two digits); "N/A" for AV_NOPTS_VALUE.
std::string FormatTime(std::int64_t microseconds);

// "%.2f GB" / "%.2f MB" / "%.2f KB" above 2^30 / 2^20 / 2^10 bytes, else "%d Byte".
std::string FormatSize(std::int64_t bytes);

// "Video", "Audio", "Data", "Subtitle", "Attachment" for 0..4, "Unknown" otherwise.
std::string MediaTypeName(int kind);

// One-line description of the context's codec: "name(long name)", or what the context's codec
// id or tag tells when the library has no such encoder/decoder.
std::string CodecDescription(const AVCodecContext* context, bool encoder);

// Media kinds of the option contexts, in order.
constexpr int kOptionKindCount = 5;  // video, audio, data, subtitle, attachment

// The objects that the generic option setter writes to while a task's options are parsed; the
// engine later copies the options that were set onto its real codec and format contexts
// (ApplyOptions).
struct OptionContexts {
    OptionContexts() = default;
    OptionContexts(const OptionContexts&) = delete;
    OptionContexts& operator=(const OptionContexts&) = delete;
    ~OptionContexts();

    // An option that exists only as a private option of some codec or format (libx264's
    // "partitions", a legacy x264 name translated to its present name, ...). It cannot be set
    // on the generic contexts, so it is kept as text and set on the real context.
    struct PrivateOption {
        std::string name;
        std::string value;
        bool forCodec;  // a codec's private option; otherwise a muxer's or demuxer's
    };

    std::vector<std::string> names;  // options set on the generic contexts, no duplicates
    std::vector<PrivateOption> privateOptions;
    CodecContextPtr codec[kOptionKindCount];
    std::unique_ptr<AVFormatContext, OutputFormatDeleter> format;
    ScalerPtr scaler;
};

// Frees everything and empties the lists.
void OptionContextsFree(OptionContexts& set);
// (Re)creates the five codec contexts (library defaults, codec_type = kind), the format context
// and a 16x16 YUV 4:2:0 scaler with the given scaler flags. False when the library refuses one.
bool OptionContextsCreate(OptionContexts& set, int scalerFlags);

// Sets a library option by name on the option contexts: each media kind whose filter flags the
// option carries, then the format context, then the scaler, then "a"/"v"/"s" + name on the
// audio/video/subtitle context. Legacy x264 names are translated first; a name that only a
// codec or format knows privately is kept for ApplyOptions. A refused value logs
// "Invalid value ..." at error level. False for an empty name or value, an unknown name or a
// refused value.
bool SetOption(OptionContexts& set, const std::string& name, const std::string& value);

// Copies every option set so far from `source` (one of the set's contexts) to `destination`
// when the option's flags contain all bits of `flags`; private options go to a destination of
// the matching class (codec or format context) that has them with those flags. Returns false
// when the destination refused a value (logged at error level); the rest is still applied.
bool ApplyOptions(const OptionContexts& set, void* source, void* destination, int flags);

// Sets one option on a real object (a codec context with its private data, a format context,
// any AVClass object), translating the legacy x264 names first: "directpred" -> "direct-pred",
// "cqp" -> "qp", "flags2" values mixed_refs/wpred/dct8x8/fastpskip -> "mixed-refs"/"weightb"/
// "8x8dct"/"fast-pskip" = 1 for "+", 0 for "-". A legacy option that the object has no
// equivalent for is logged as a warning and skipped (true). False with *error set when the
// object has no such option or refuses the value.
bool SetLegacyAwareOption(void* object, const std::string& name, const std::string& value,
                          int searchFlags, std::string* error);

// Reads a whole file through the C library. On success (0) `contents` holds the bytes followed
// by one 0 byte, so it can be used as text. -1: not a readable regular file; -12: no memory.
int ReadWholeFile(const std::string& path, std::vector<char>& contents);

// The file-name marker of names that needed the "unicode" file protocol.
inline constexpr char kUnicodeFileMarker[] = "unicode:utf8:";
// Protocol names that are never rewritten, each enclosed in ':'.
inline constexpr char kPlainProtocols[] = ":unicode:stream:gopher:http:pipe:rtp:tcp:udp:";

// Whether the text before the name's first ':' is one of kPlainProtocols (case-sensitive).
bool StartsWithPlainProtocol(const std::string& name);

// Whether the name is a URL the user wrote as one: a scheme (a letter, then letters, digits,
// '+', '-' or '.') followed by "://".
bool IsExplicitUrl(const std::string& name);

// The name handed to the format library. The library takes any text before a ':' as a protocol
// name, so a relative file name such as "part1:intro.mkv" or "pipe:x.mkv" would not mean the
// file: every name that is not an explicit URL, an absolute path or already a "file:" name
// gets the "file:" protocol. File names are UTF-8 and the library takes them as they are, so
// no name needs the marker. Returned by value, so threads converting names at the same time
// never share a buffer.
std::string ToLibraryFileName(const std::string& name);
// The inverse: a marked name (at least 14 bytes starting with kUnicodeFileMarker) loses the
// marker, a "file:" name loses the protocol; any other text is returned unchanged.
std::string FromLibraryFileName(const std::string& text);

}  // namespace velmora
