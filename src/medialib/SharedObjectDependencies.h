// The libraries a shared object names as its dependencies (its DT_NEEDED entries), read from
// the file without loading it. The loader uses them to open a library folder's copies of a
// library's dependencies before the library itself.
#pragma once

#include <string>
#include <vector>

namespace velmora {

// The needed library names of the ELF shared object at path, in file order. Empty for a file
// that cannot be read, is no ELF object of this machine's byte order, or has no dynamic
// section; a damaged file never reads outside its own size.
std::vector<std::string> NeededLibraries(const std::string& path);

}  // namespace velmora
