// `velmora-cli profiles` and `velmora-cli options`: the profile catalogue and a profile's option
// lists, as text or JSON.
#pragma once

#include <iosfwd>

namespace velmora::cli {

// Every profile: code, tab caption, caption, output extension, flags and what it produces at its
// preselected choices (container, video codec and size, audio codec). Returns the exit code.
int runProfilesCommand(bool json, std::ostream& out, std::ostream& err);

// The ten option lists of a profile with the preselected entries marked. Returns the exit code
// (2 for an unknown profile).
int runOptionsCommand(int profileCode, bool json, std::ostream& out, std::ostream& err);

}  // namespace velmora::cli
