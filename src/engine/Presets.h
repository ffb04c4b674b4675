// Option presets: the built-in libx264 presets, preset files, the target presets ("vcd", "svcd",
// "dvd", "dv", "dv50") and the application of preset pairs to an encoder context.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
}

#include "engine/EngineSettings.h"
#include "engine/OptionParser.h"

namespace velmora {

// A built-in preset's text ("coder=1\nflags=+loop\n..."), looked up without regard to case.
std::optional<std::string_view> FindBuiltInPreset(std::string_view name);
// The names of all built-in presets, in table order.
std::vector<std::string_view> BuiltInPresetNames();

// "apre", "vpre", "spre", "fpre" with a preset name or a preset file. Codec keys set the codec
// name of their kind; other pairs go to the generic setter and are kept in
// settings.presetOptions for the encoder. Raises the preset error texts.
void ApplyPreset(EngineSettings& settings, OptionActions& actions, const std::string& optionName,
                 const std::string& value);

// "target": "vcd", "svcd", "dvd", "dv", "dv50", optionally prefixed "pal-", "ntsc-", "film-".
// defaultNorm is the norm taken when nothing else decides ("ntsc" for the option table).
void ApplyTargetPreset(EngineSettings& settings, OptionActions& actions, const std::string& value,
                       const std::string& defaultNorm = "ntsc");

// Sets the preset pairs of the given kind (and the "fpre" pairs) on an encoder context that is
// allocated but not yet opened. Legacy names of the built-in presets are translated; a pair the
// encoder does not know is logged as a warning and skipped. Call before applying the generic
// options so that later options win. Needs the media libraries.
void ApplyPresetOptions(AVCodecContext* encoder, AVMediaType kind, const EngineSettings& settings,
                        const void* logSender = nullptr);

}  // namespace velmora
