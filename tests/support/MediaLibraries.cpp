#include "support/MediaLibraries.h"

#include <gtest/gtest.h>

#include "medialib/MediaLibLoader.h"

namespace velmora::test {

void requireMediaLibraries() {
    TMediaLibLoader& loader = TMediaLibLoader::instance();
    if (loader.LibrariesLoaded(kPlayerSet)) {
        return;
    }
    loader.SetLibraryPath("");
    ASSERT_TRUE(loader.LoadLibraries(kPlayerSet)) << loader.LastError();
}

}  // namespace velmora::test
