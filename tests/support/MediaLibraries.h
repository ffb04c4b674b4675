#pragma once

namespace velmora::test {

// Loads the converter and player library sets once per test process; fails the calling test
// with the loader's text when they cannot be loaded.
void requireMediaLibraries();

}  // namespace velmora::test
