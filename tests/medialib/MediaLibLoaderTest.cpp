#include "medialib/MediaLibLoader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "medialib/LibraryBindings.h"
#include "support/TempDir.h"

namespace velmora {
namespace {

constexpr LibrarySet kEverything = kPlayerSet | libraryBit(MediaLibrary::avdevice);

class MediaLibLoaderTest : public ::testing::Test {
protected:
    void SetUp() override { resetLoader(); }
    void TearDown() override { resetLoader(); }

    static void resetLoader() {
        TMediaLibLoader& loader = TMediaLibLoader::instance();
        loader.UnloadLibraries(kEverything);
        for (int index = 0; index < kLibraryCount; ++index) {
            loader.SetFileNameOverride(static_cast<MediaLibrary>(index), "");
        }
        loader.SetLibraryPath("");
    }

    static bool nothingLoaded() {
        for (int index = 0; index < kLibraryCount; ++index) {
            if (loader().LibraryLoaded(static_cast<MediaLibrary>(index))) {
                return false;
            }
        }
        return lib::avcodec.avcodec_open2 == nullptr && lib::avutil.av_frame_alloc == nullptr;
    }

    static TMediaLibLoader& loader() { return TMediaLibLoader::instance(); }
};

TEST_F(MediaLibLoaderTest, FileNamesFollowTheSharedObjectRule) {
    const struct {
        MediaLibrary lib;
        const char* fileName;
    } rows[] = {
        {MediaLibrary::avcodec, "libavcodec.so.59"},
        {MediaLibrary::avdevice, "libavdevice.so.59"},
        {MediaLibrary::avfilter, "libavfilter.so.8"},
        {MediaLibrary::avformat, "libavformat.so.59"},
        {MediaLibrary::avutil, "libavutil.so.57"},
        {MediaLibrary::swscale, "libswscale.so.6"},
        {MediaLibrary::msvcrt, "libc.so.6"},
        {MediaLibrary::SDL, "libSDL2-2.0.so.0"},
        {MediaLibrary::swresample, "libswresample.so.4"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(loader().LibraryFileName(row.lib), row.fileName);
    }
    loader().SetFileNameOverride(MediaLibrary::swscale, "/opt/custom/libswscale.so");
    EXPECT_EQ(loader().LibraryFileName(MediaLibrary::swscale), "/opt/custom/libswscale.so");
}

TEST_F(MediaLibLoaderTest, SetsAreMadeOfCatalogueBits) {
    EXPECT_EQ(kConverterSet & libraryBit(MediaLibrary::avdevice), 0);
    EXPECT_EQ(kConverterSet & libraryBit(MediaLibrary::SDL), 0);
    EXPECT_NE(kConverterSet & libraryBit(MediaLibrary::swresample), 0);
    EXPECT_EQ(kPlayerSet, kConverterSet | libraryBit(MediaLibrary::SDL));
}

TEST_F(MediaLibLoaderTest, LoadsBothSetsThroughTheSystemSearch) {
    loader().SetLibraryPath("/nonexistent/velmora/LibAV");
    ASSERT_TRUE(loader().LoadLibraries(kConverterSet)) << loader().LastError();
    EXPECT_TRUE(loader().LibrariesLoaded(kConverterSet));
    EXPECT_FALSE(loader().LibraryLoaded(MediaLibrary::SDL));
    EXPECT_FALSE(loader().LibraryLoaded(MediaLibrary::avdevice));
    EXPECT_NE(lib::avcodec.avcodec_open2, nullptr);
    EXPECT_NE(lib::libc.fopen, nullptr);

    ASSERT_TRUE(loader().LoadLibraries(kPlayerSet)) << loader().LastError();
    EXPECT_TRUE(loader().LibrariesLoaded(kPlayerSet));
    EXPECT_NE(lib::sdl.SDL_InitSubSystem, nullptr);
    EXPECT_EQ(lib::avcodec.avcodec_version() >> 16, unsigned{LIBAVCODEC_VERSION_MAJOR});
}

TEST_F(MediaLibLoaderTest, MissingLibraryFileUnloadsTheWholeSet) {
    // Libraries loaded by an earlier call are unloaded as well.
    const LibrarySet earlier = libraryBit(MediaLibrary::avcodec) | libraryBit(MediaLibrary::avutil);
    ASSERT_TRUE(loader().LoadLibraries(earlier)) << loader().LastError();
    loader().SetFileNameOverride(MediaLibrary::swresample, "libvelmora-missing.so.1");
    EXPECT_FALSE(loader().LoadLibraries(kConverterSet));
    EXPECT_EQ(loader().LastError().rfind("Load library libvelmora-missing.so.1 error: ", 0), 0u)
        << loader().LastError();
    EXPECT_TRUE(nothingLoaded());
}

TEST_F(MediaLibLoaderTest, FolderGetsTrailingSlashAndRefusesFilesThatAreNotSharedObjects) {
    test::TempDir dir;
    std::ofstream(dir.file("libavcodec.so.59")) << "this is not a shared object\n";
    for (const std::string& folder : {dir.path().string(), dir.path().string() + "/"}) {
        loader().SetLibraryPath(folder);
        EXPECT_FALSE(loader().LoadLibraries(kConverterSet));
        const std::string expected = "Load library " + dir.file("libavcodec.so.59") + " error: ";
        EXPECT_EQ(loader().LastError().rfind(expected, 0), 0u) << loader().LastError();
        EXPECT_TRUE(nothingLoaded());
    }
}

TEST_F(MediaLibLoaderTest, MissingEntryPointNamesFunctionAndFile) {
    test::TempDir dir;
    std::filesystem::copy_file(VELMORA_FAKE_LIBRARY, dir.file("libavcodec.so.59"));
    loader().SetLibraryPath(dir.path().string());
    EXPECT_FALSE(loader().LoadLibraries(kConverterSet));
    // The fake holds av_bsf_alloc but not the next name of the list.
    EXPECT_EQ(loader().LastError().rfind("Load function av_bsf_free@libavcodec.so.59 error: ", 0),
              0u)
        << loader().LastError();
    EXPECT_TRUE(nothingLoaded());
    EXPECT_EQ(lib::avcodec.av_bsf_alloc, nullptr) << "half-bound pointers must be cleared";
}

TEST_F(MediaLibLoaderTest, UnloadClearsEntryPoints) {
    ASSERT_TRUE(loader().LoadLibraries(kConverterSet)) << loader().LastError();
    loader().UnloadOneLibrary(MediaLibrary::avformat);
    EXPECT_FALSE(loader().LibraryLoaded(MediaLibrary::avformat));
    EXPECT_FALSE(loader().LibrariesLoaded(kConverterSet));
    EXPECT_EQ(lib::avformat.avformat_open_input, nullptr);
    EXPECT_TRUE(loader().LibraryLoaded(MediaLibrary::avcodec));
}

TEST(DefaultLibraryFolderTest, IsLibAVNextToTheExecutable) {
    const std::filesystem::path folder = DefaultLibraryFolder();
    EXPECT_EQ(folder.filename(), "LibAV");
    EXPECT_TRUE(std::filesystem::exists(folder.parent_path() / "velmora_medialib_tests"));
}

}  // namespace
}  // namespace velmora
