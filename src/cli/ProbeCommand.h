// `velmora-cli probe`: the probe's description of a media file, or its records as JSON.
#pragma once

#include <iosfwd>
#include <string>

namespace velmora::cli {

// Returns the exit code: 0, or 1 with the probe's (or the loader's) text on err.
int runProbeCommand(const std::string& file, bool json, std::ostream& out, std::ostream& err);

}  // namespace velmora::cli
