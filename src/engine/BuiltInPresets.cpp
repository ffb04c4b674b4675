// The built-in libx264 presets. The texts keep the option names of the encoder's 2010 interface;
// ApplyPresetOptions translates the few that the library no longer knows.
#include <algorithm>
#include <array>
#include <cctype>
#include <string_view>

#include "engine/Presets.h"

namespace velmora {

namespace {

// Graded by speed: partitions, motion search, subpixel refinement, reference frames and trellis
// grow from "ultrafast" to "placebo"; the first-pass variants keep the rate-control settings of
// their preset and turn the expensive analysis off.
constexpr std::string_view kBaseline =
    "coder=0\n"
    "bf=0\n"
    "flags2=-wpred-dct8x8\n"
    "wpredp=0\n";
constexpr std::string_view kDefault =
    "coder=1\n"
    "flags=+loop\n"
    "cmp=+chroma\n"
    "partitions=+parti8x8+parti4x4+partp8x8+partb8x8\n"
    "me_method=hex\n"
    "subq=7\n"
    "me_range=16\n"
    "g=250\n"
    "keyint_min=25\n"
    "sc_threshold=40\n"
    "i_qfactor=0.71\n"
    "b_strategy=1\n"
    "qcomp=0.6\n"
    "qmin=10\n"
    "qmax=51\n"
    "qdiff=4\n"
    "bf=3\n"
    "refs=3\n"
    "directpred=1\n"
    "trellis=1\n"
    "flags2=+mixed_refs+wpred+dct8x8+fastpskip\n"
    "wpredp=2\n";
constexpr std::string_view kFast =
    "coder=1\n"
    "flags=+loop\n"
    "cmp=+chroma\n"
    "partitions=+parti8x8+parti4x4+partp8x8+partb8x8\n"
    "me_method=hex\n"
    "subq=6\n"
    "me_range=16\n"
    "g=250\n"
    "keyint_min=25\n"
    "sc_threshold=40\n"
    "i_qfactor=0.71\n"
    "b_strategy=1\n"
    "qcomp=0.6\n"
    "qmin=10\n"
    "qmax=51\n"
    "qdiff=4\n"
    "bf=3\n"
    "refs=2\n"
    "directpred=1\n"
    "trellis=1\n"
    "flags2=+mixed_refs+wpred+dct8x8+fastpskip\n"
    "wpredp=2\n";
constexpr std::string_view kFastFirstpass =
    "coder=1\n"
    "flags=+loop\n"
    "cmp=+chroma\n"
    "partitions=-parti8x8-parti4x4-partp8x8-partb8x8\n"
    "me_method=dia\n"
    "subq=2\n"
    "me_range=16\n"
    "g=250\n"
    "keyint_min=25\n"
    "sc_threshold=40\n"
    "i_qfactor=0.71\n"
    "b_strategy=1\n"
    "qcomp=0.6\n"
    "qmin=10\n"
    "qmax=51\n"
    "qdiff=4\n"
    "bf=3\n"
    "refs=1\n"
    "directpred=1\n"
    "trellis=0\n"
    "flags2=-mixed_refs+wpred-dct8x8+fastpskip\n"
    "wpredp=2\n";
constexpr std::string_view kFaster =
    "coder=1\n"
    "flags=+loop\n"
    "cmp=+chroma\n"
    "partitions=+parti8x8+parti4x4+partp8x8+partb8x8\n"
    "me_method=hex\n"
    "subq=4\n"
    "me_range=16\n"
    "g=250\n"
    "keyint_min=25\n"
    "sc_threshold=40\n"
    "i_qfactor=0.71\n"
    "b_strategy=1\n"
    "qcomp=0.6\n"
    "qmin=10\n"
    "qmax=51\n"
    "qdiff=4\n"
    "bf=3\n"
    "refs=2\n"
    "directpred=1\n"
    "trellis=1\n"
    "flags2=+mixed_refs+wpred+dct8x8+fastpskip\n"
    "wpredp=1\n";
constexpr std::string_view kFasterFirstpass =
    "coder=1\n"
    "flags=+loop\n"
    "cmp=+chroma\n"
    "partitions=-parti8x8-parti4x4-partp8x8-partb8x8\n"
    "me_method=dia\n"
    "subq=2\n"
    "me_range=16\n"
    "g=250\n"
    "keyint_min=25\n"
    "sc_threshold=40\n"
    "i_qfactor=0.71\n"
    "b_strategy=1\n"
    "qcomp=0.6\n"
    "qmin=10\n"
    "qmax=51\n"
    "qdiff=4\n"
    "bf=3\n"
    "refs=1\n"
    "directpred=1\n"
    "trellis=0\n"
    "flags2=-mixed_refs+wpred-dct8x8+fastpskip\n"
    "wpredp=1\n";
constexpr std::string_view kLegacyFastFirstPass =
    "coder=1\n"
    "flags=+loop\n"
    "cmp=+chroma\n"
    "partitions=-parti8x8-parti4x4-partp8x8-partb8x8\n"
    "me_method=dia\n"
    "subq=1\n"
    "me_range=16\n"
    "g=250\n"
    "keyint_min=25\n"
    "sc_threshold=40\n"
    "i_qfactor=0.71\n"
    "b_strategy=1\n"
    "qcomp=0.6\n"
    "qmin=10\n"
    "qmax=51\n"
    "qdiff=4\n"
    "bf=3\n"
    "refs=1\n"
    "directpred=1\n"
    "trellis=0\n"
    "flags2=-mixed_refs+wpred-dct8x8+fastpskip\n"
    "wpredp=2\n";
constexpr std::string_view kHq =
    "coder=1\n"
    "flags=+loop\n"
    "cmp=+chroma\n"
    "partitions=+parti8x8+parti4x4+partp8x8+partp4x4+partb8x8\n"
    "me_method=umh\n"
    "subq=8\n"
    "me_range=16\n"
    "g=250\n"
    "keyint_min=25\n"
    "sc_threshold=40\n"
    "i_qfactor=0.71\n"
    "b_strategy=1\n"
    "qcomp=0.6\n"
    "qmin=10\n"
    "qmax=51\n"
    "qdiff=4\n"
    "bf=3\n"
    "refs=4\n"
    "directpred=3\n"
    "trellis=1\n"
    "flags2=+mixed_refs+wpred+dct8x8+fastpskip\n"
    "wpredp=2\n";
constexpr std::string_view kIpod320 =
    "coder=0\n"
    "bf=0\n"
    "flags2=-wpred-dct8x8\n"
    "level=13\n"
    "maxrate=768000\n"
    "bufsize=3000000\n"
    "wpredp=0\n";
constexpr std::string_view kIpod640 =
    "coder=0\n"
    "bf=0\n"
    "refs=1\n"
    "flags2=-wpred-dct8x8\n"
    "level=30\n"
    "maxrate=10000000\n"
    "bufsize=10000000\n"
    "wpredp=0\n";
constexpr std::string_view kLosslessFast =
    "coder=0\n"
    "flags=+loop\n"
    "cmp=+chroma\n"
    "partitions=+parti8x8+parti4x4-partp8x8-partb8x8\n"
    "me_method=hex\n"
    "subq=2\n"
    "me_range=16\n"
    "g=250\n"
    "keyint_min=25\n"
    "sc_threshold=40\n"
    "refs=2\n"
    "directpred=1\n"
    "trellis=0\n"
    "flags2=+mixed_refs+dct8x8+fastpskip\n"
    "wpredp=0\n"
    "cqp=0\n";
constexpr std::string_view kLosslessMax =
    "coder=1\n"
    "flags=+loop\n"
    "cmp=+chroma\n"
    "partitions=+parti8x8+parti4x4+partp8x8+partp4x4+partb8x8\n"
    "me_method=esa\n"
    "subq=9\n"
    "me_range=64\n"
    "g=250\n"
    "keyint_min=25\n"
    "sc_threshold=40\n"
    "refs=16\n"
    "directpred=1\n"
    "trellis=2\n"
    "flags2=+mixed_refs+dct8x8-fastpskip\n"
    "wpredp=0\n"
    "cqp=0\n";
constexpr std::string_view kLosslessMedium =
    "coder=1\n"
    "flags=+loop\n"
    "cmp=+chroma\n"
    "partitions=+parti8x8+parti4x4+partp8x8+partb8x8\n"
    "me_method=hex\n"
    "subq=4\n"
    "me_range=16\n"
    "g=250\n"
    "keyint_min=25\n"
    "sc_threshold=40\n"
    "refs=3\n"
    "directpred=1\n"
    "trellis=0\n"
    "flags2=+mixed_refs+dct8x8+fastpskip\n"
    "wpredp=0\n"
    "cqp=0\n";
constexpr std::string_view kLosslessSlow =
    "coder=1\n"
    "flags=+loop\n"
    "cmp=+chroma\n"
    "partitions=+parti8x8+parti4x4+partp8x8+partp4x4+partb8x8\n"
    "me_method=umh\n"
    "subq=6\n"
    "me_range=16\n"
    "g=250\n"
    "keyint_min=25\n"
    "sc_threshold=40\n"
    "refs=4\n"
    "directpred=1\n"
    "trellis=1\n"
    "flags2=+mixed_refs+dct8x8+fastpskip\n"
    "wpredp=0\n"
    "cqp=0\n";
constexpr std::string_view kLosslessSlower =
    "coder=1\n"
    "flags=+loop\n"
    "cmp=+chroma\n"
    "partitions=+parti8x8+parti4x4+partp8x8+partp4x4+partb8x8\n"
    "me_method=umh\n"
    "subq=8\n"
    "me_range=16\n"
    "g=250\n"
    "keyint_min=25\n"
    "sc_threshold=40\n"
    "refs=8\n"
    "directpred=1\n"
    "trellis=1\n"
    "flags2=+mixed_refs+dct8x8+fastpskip\n"
    "wpredp=0\n"
    "cqp=0\n";
constexpr std::string_view kLosslessUltrafast =
    "coder=0\n"
    "flags=+loop\n"
    "cmp=+chroma\n"
    "partitions=-parti8x8-parti4x4-partp8x8-partb8x8\n"
    "me_method=dia\n"
    "subq=0\n"
    "me_range=16\n"
    "g=250\n"
    "keyint_min=25\n"
    "sc_threshold=40\n"
    "refs=1\n"
    "directpred=1\n"
    "trellis=0\n"
    "flags2=-mixed_refs-dct8x8+fastpskip\n"
    "wpredp=0\n"
    "cqp=0\n";
constexpr std::string_view kMain = "flags2=-dct8x8\n";
constexpr std::string_view kMax =
    "coder=1\n"
    "flags=+loop\n"
    "cmp=+chroma\n"
    "partitions=+parti8x8+parti4x4+partp8x8+partp4x4+partb8x8\n"
    "me_method=tesa\n"
    "subq=10\n"
    "me_range=24\n"
    "g=250\n"
    "keyint_min=25\n"
    "sc_threshold=40\n"
    "i_qfactor=0.71\n"
    "b_strategy=2\n"
    "qcomp=0.6\n"
    "qmin=10\n"
    "qmax=51\n"
    "qdiff=4\n"
    "bf=16\n"
    "refs=16\n"
    "directpred=3\n"
    "trellis=2\n"
    "flags2=+mixed_refs+wpred+dct8x8-fastpskip\n"
    "wpredp=2\n";
constexpr std::string_view kMedium =
    "coder=1\n"
    "flags=+loop\n"
    "cmp=+chroma\n"
    "partitions=+parti8x8+parti4x4+partp8x8+partb8x8\n"
    "me_method=hex\n"
    "subq=7\n"
    "me_range=16\n"
    "g=250\n"
    "keyint_min=25\n"
    "sc_threshold=40\n"
    "i_qfactor=0.71\n"
    "b_strategy=1\n"
    "qcomp=0.6\n"
    "qmin=10\n"
    "qmax=51\n"
    "qdiff=4\n"
    "bf=3\n"
    "refs=3\n"
    "directpred=1\n"
    "trellis=1\n"
    "flags2=+mixed_refs+wpred+dct8x8+fastpskip\n"
    "wpredp=2\n";
constexpr std::string_view kNormal =
    "coder=1\n"
    "flags=+loop\n"
    "cmp=+chroma\n"
    "partitions=+parti8x8+parti4x4+partp8x8+partb8x8\n"
    "me_method=hex\n"
    "subq=6\n"
    "me_range=16\n"
    "g=250\n"
    "keyint_min=25\n"
    "sc_threshold=40\n"
    "i_qfactor=0.71\n"
    "b_strategy=1\n"
    "qcomp=0.6\n"
    "qmin=10\n"
    "qmax=51\n"
    "qdiff=4\n"
    "bf=3\n"
    "refs=2\n"
    "directpred=1\n"
    "trellis=0\n"
    "flags2=+mixed_refs+wpred+dct8x8+fastpskip\n"
    "wpredp=2\n";
constexpr std::string_view kPlacebo =
    "coder=1\n"
    "flags=+loop\n"
    "cmp=+chroma\n"
    "partitions=+parti8x8+parti4x4+partp8x8+partp4x4+partb8x8\n"
    "me_method=tesa\n"
    "subq=10\n"
    "me_range=24\n"
    "g=250\n"
    "keyint_min=25\n"
    "sc_threshold=40\n"
    "i_qfactor=0.71\n"
    "b_strategy=2\n"
    "qcomp=0.6\n"
    "qmin=10\n"
    "qmax=51\n"
    "qdiff=4\n"
    "bf=16\n"
    "refs=16\n"
    "directpred=3\n"
    "trellis=2\n"
    "flags2=+mixed_refs+wpred+dct8x8-fastpskip\n"
    "wpredp=2\n";
constexpr std::string_view kSlow =
    "coder=1\n"
    "flags=+loop\n"
    "cmp=+chroma\n"
    "partitions=+parti8x8+parti4x4+partp8x8+partb8x8\n"
    "me_method=umh\n"
    "subq=8\n"
    "me_range=16\n"
    "g=250\n"
    "keyint_min=25\n"
    "sc_threshold=40\n"
    "i_qfactor=0.71\n"
    "b_strategy=2\n"
    "qcomp=0.6\n"
    "qmin=10\n"
    "qmax=51\n"
    "qdiff=4\n"
    "bf=3\n"
    "refs=5\n"
    "directpred=3\n"
    "trellis=1\n"
    "flags2=+mixed_refs+wpred+dct8x8+fastpskip\n"
    "wpredp=2\n";
constexpr std::string_view kSlowFirstpass =
    "coder=1\n"
    "flags=+loop\n"
    "cmp=+chroma\n"
    "partitions=-parti8x8-parti4x4-partp8x8-partb8x8\n"
    "me_method=hex\n"
    "subq=2\n"
    "me_range=16\n"
    "g=250\n"
    "keyint_min=25\n"
    "sc_threshold=40\n"
    "i_qfactor=0.71\n"
    "b_strategy=2\n"
    "qcomp=0.6\n"
    "qmin=10\n"
    "qmax=51\n"
    "qdiff=4\n"
    "bf=3\n"
    "refs=1\n"
    "directpred=3\n"
    "trellis=0\n"
    "flags2=-mixed_refs+wpred-dct8x8+fastpskip\n"
    "wpredp=2\n";
constexpr std::string_view kSlower =
    "coder=1\n"
    "flags=+loop\n"
    "cmp=+chroma\n"
    "partitions=+parti8x8+parti4x4+partp8x8+partp4x4+partb8x8\n"
    "me_method=umh\n"
    "subq=9\n"
    "me_range=16\n"
    "g=250\n"
    "keyint_min=25\n"
    "sc_threshold=40\n"
    "i_qfactor=0.71\n"
    "b_strategy=2\n"
    "qcomp=0.6\n"
    "qmin=10\n"
    "qmax=51\n"
    "qdiff=4\n"
    "bf=3\n"
    "refs=8\n"
    "directpred=3\n"
    "trellis=2\n"
    "flags2=+mixed_refs+wpred+dct8x8+fastpskip\n"
    "wpredp=2\n";
constexpr std::string_view kLegacySlowFirstPass =
    "coder=1\n"
    "flags=+loop\n"
    "cmp=+chroma\n"
    "partitions=-parti8x8-parti4x4-partp8x8-partb8x8\n"
    "me_method=hex\n"
    "subq=4\n"
    "me_range=16\n"
    "g=250\n"
    "keyint_min=25\n"
    "sc_threshold=40\n"
    "i_qfactor=0.71\n"
    "b_strategy=1\n"
    "qcomp=0.6\n"
    "qmin=10\n"
    "qmax=51\n"
    "qdiff=4\n"
    "bf=3\n"
    "refs=1\n"
    "directpred=3\n"
    "trellis=0\n"
    "flags2=-mixed_refs+wpred-dct8x8+fastpskip\n"
    "wpredp=2\n";
constexpr std::string_view kSuperfast =
    "coder=1\n"
    "flags=+loop\n"
    "cmp=+chroma\n"
    "partitions=+parti8x8+parti4x4-partp8x8-partb8x8\n"
    "me_method=dia\n"
    "subq=1\n"
    "me_range=16\n"
    "g=250\n"
    "keyint_min=25\n"
    "sc_threshold=40\n"
    "i_qfactor=0.71\n"
    "b_strategy=1\n"
    "qcomp=0.6\n"
    "qmin=10\n"
    "qmax=51\n"
    "qdiff=4\n"
    "bf=3\n"
    "refs=1\n"
    "directpred=1\n"
    "trellis=0\n"
    "flags2=-mixed_refs+wpred+dct8x8+fastpskip\n"
    "wpredp=0\n";
constexpr std::string_view kSuperfastFirstpass =
    "coder=1\n"
    "flags=+loop\n"
    "cmp=+chroma\n"
    "partitions=-parti8x8-parti4x4-partp8x8-partb8x8\n"
    "me_method=dia\n"
    "subq=1\n"
    "me_range=16\n"
    "g=250\n"
    "keyint_min=25\n"
    "sc_threshold=40\n"
    "i_qfactor=0.71\n"
    "b_strategy=1\n"
    "qcomp=0.6\n"
    "qmin=10\n"
    "qmax=51\n"
    "qdiff=4\n"
    "bf=3\n"
    "refs=1\n"
    "directpred=1\n"
    "trellis=0\n"
    "flags2=-mixed_refs+wpred-dct8x8+fastpskip\n"
    "wpredp=0\n";
constexpr std::string_view kUltrafast =
    "coder=0\n"
    "flags=-loop\n"
    "cmp=-chroma\n"
    "partitions=-parti8x8-parti4x4-partp8x8-partb8x8\n"
    "me_method=dia\n"
    "subq=0\n"
    "me_range=16\n"
    "g=250\n"
    "keyint_min=25\n"
    "sc_threshold=0\n"
    "i_qfactor=0.71\n"
    "b_strategy=0\n"
    "qcomp=0.6\n"
    "qmin=10\n"
    "qmax=51\n"
    "qdiff=4\n"
    "bf=0\n"
    "refs=1\n"
    "directpred=1\n"
    "trellis=0\n"
    "flags2=-wpred-mixed_refs-dct8x8+fastpskip\n"
    "wpredp=0\n";
constexpr std::string_view kVeryfast =
    "coder=1\n"
    "flags=+loop\n"
    "cmp=+chroma\n"
    "partitions=+parti8x8+parti4x4+partp8x8+partb8x8\n"
    "me_method=hex\n"
    "subq=2\n"
    "me_range=16\n"
    "g=250\n"
    "keyint_min=25\n"
    "sc_threshold=40\n"
    "i_qfactor=0.71\n"
    "b_strategy=1\n"
    "qcomp=0.6\n"
    "qmin=10\n"
    "qmax=51\n"
    "qdiff=4\n"
    "bf=3\n"
    "refs=1\n"
    "directpred=1\n"
    "trellis=0\n"
    "flags2=-mixed_refs+wpred+dct8x8+fastpskip\n"
    "wpredp=0\n";
constexpr std::string_view kVeryfastFirstpass =
    "coder=1\n"
    "flags=+loop\n"
    "cmp=+chroma\n"
    "partitions=-parti8x8-parti4x4-partp8x8-partb8x8\n"
    "me_method=dia\n"
    "subq=2\n"
    "me_range=16\n"
    "g=250\n"
    "keyint_min=25\n"
    "sc_threshold=40\n"
    "i_qfactor=0.71\n"
    "b_strategy=1\n"
    "qcomp=0.6\n"
    "qmin=10\n"
    "qmax=51\n"
    "qdiff=4\n"
    "bf=3\n"
    "refs=1\n"
    "directpred=1\n"
    "trellis=0\n"
    "flags2=-mixed_refs+wpred-dct8x8+fastpskip\n"
    "wpredp=0\n";
constexpr std::string_view kVeryslow =
    "coder=1\n"
    "flags=+loop\n"
    "cmp=+chroma\n"
    "partitions=+parti8x8+parti4x4+partp8x8+partp4x4+partb8x8\n"
    "me_method=umh\n"
    "subq=10\n"
    "me_range=24\n"
    "g=250\n"
    "keyint_min=25\n"
    "sc_threshold=40\n"
    "i_qfactor=0.71\n"
    "b_strategy=2\n"
    "qcomp=0.6\n"
    "qmin=10\n"
    "qmax=51\n"
    "qdiff=4\n"
    "bf=8\n"
    "refs=16\n"
    "directpred=3\n"
    "trellis=2\n"
    "flags2=+mixed_refs+wpred+dct8x8+fastpskip\n"
    "wpredp=2\n";
constexpr std::string_view kVeryslowFirstpass =
    "coder=1\n"
    "flags=+loop\n"
    "cmp=+chroma\n"
    "partitions=-parti8x8-parti4x4-partp8x8-partb8x8\n"
    "me_method=hex\n"
    "subq=2\n"
    "me_range=24\n"
    "g=250\n"
    "keyint_min=25\n"
    "sc_threshold=40\n"
    "i_qfactor=0.71\n"
    "b_strategy=2\n"
    "qcomp=0.6\n"
    "qmin=10\n"
    "qmax=51\n"
    "qdiff=4\n"
    "bf=8\n"
    "refs=1\n"
    "directpred=3\n"
    "trellis=0\n"
    "flags2=-mixed_refs+wpred-dct8x8+fastpskip\n"
    "wpredp=2\n";

struct BuiltInPreset {
    std::string_view name;
    std::string_view text;
};

constexpr std::array<BuiltInPreset, 36> kBuiltInPresets{{
    {"libx264-baseline", kBaseline},
    {"libx264-default", kDefault},
    {"libx264-fast", kFast},
    {"libx264-fast_firstpass", kFastFirstpass},
    {"libx264-faster", kFaster},
    {"libx264-faster_firstpass", kFasterFirstpass},
    {"libx264-fastfirstpass", kLegacyFastFirstPass},
    {"libx264-hq", kHq},
    {"libx264-ipod320", kIpod320},
    {"libx264-ipod640", kIpod640},
    {"libx264-lossless_fast", kLosslessFast},
    {"libx264-lossless_max", kLosslessMax},
    {"libx264-lossless_medium", kLosslessMedium},
    {"libx264-lossless_slow", kLosslessSlow},
    {"libx264-lossless_slower", kLosslessSlower},
    {"libx264-lossless_ultrafast", kLosslessUltrafast},
    {"libx264-main", kMain},
    {"libx264-max", kMax},
    {"libx264-medium", kMedium},
    {"libx264-medium_firstpass", kFastFirstpass},
    {"libx264-normal", kNormal},
    {"libx264-placebo", kPlacebo},
    {"libx264-placebo_firstpass", kPlacebo},
    {"libx264-slow", kSlow},
    {"libx264-slow_firstpass", kSlowFirstpass},
    {"libx264-slower", kSlower},
    {"libx264-slower_firstpass", kSlowFirstpass},
    {"libx264-slowfirstpass", kLegacySlowFirstPass},
    {"libx264-superfast", kSuperfast},
    {"libx264-superfast_firstpass", kSuperfastFirstpass},
    {"libx264-ultrafast", kUltrafast},
    {"libx264-ultrafast_firstpass", kUltrafast},
    {"libx264-veryfast", kVeryfast},
    {"libx264-veryfast_firstpass", kVeryfastFirstpass},
    {"libx264-veryslow", kVeryslow},
    {"libx264-veryslow_firstpass", kVeryslowFirstpass},
}};

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

}  // namespace

std::optional<std::string_view> FindBuiltInPreset(std::string_view name) {
    for (const BuiltInPreset& preset : kBuiltInPresets) {
        if (equalsIgnoringCase(preset.name, name)) {
            return preset.text;
        }
    }
    return std::nullopt;
}

std::vector<std::string_view> BuiltInPresetNames() {
    std::vector<std::string_view> names;
    for (const BuiltInPreset& preset : kBuiltInPresets) {
        names.push_back(preset.name);
    }
    return names;
}

}  // namespace velmora
