// The base of the player test suites: the dummy SDL drivers unless the caller chose others, the
// media libraries, the main thread, and one temporary folder a suite's clips are made in once.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>

#include "medialib/MainThreadQueue.h"
#include "samples/SampleMedia.h"
#include "support/MediaLibraries.h"
#include "support/TempDir.h"

namespace velmora::test {

class PlayerSuite : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        setenv("SDL_VIDEODRIVER", "dummy", 0);
        setenv("SDL_AUDIODRIVER", "dummy", 0);
        s_dir = new TempDir();
    }
    static void TearDownTestSuite() {
        delete s_dir;
        s_dir = nullptr;
    }
    void SetUp() override {
        requireMediaLibraries();
        SetMainThread();
    }

    // The suite's folder, while the suite runs.
    static inline TempDir* s_dir = nullptr;
};

}  // namespace velmora::test
