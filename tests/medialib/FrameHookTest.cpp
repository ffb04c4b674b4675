#include "medialib/FrameHook.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "LogCapture.h"
#include "support/MediaLibraries.h"
#include "support/TempDir.h"

namespace velmora {
namespace {

template <typename T>
T* pluginValue(const char* path, const char* name) {
    void* module = dlopen(path, RTLD_NOW | RTLD_NOLOAD);
    if (module == nullptr) {
        return nullptr;
    }
    T* value = static_cast<T*>(dlsym(module, name));
    dlclose(module);  // only drops the reference taken just now
    return value;
}

// An 8 x 2 picture whose first plane holds the given value.
struct TestPicture {
    explicit TestPicture(std::uint8_t value) {
        std::fill(std::begin(bytes), std::end(bytes), value);
        picture.data[0] = bytes;
        picture.linesize[0] = 8;
    }
    std::uint8_t bytes[16];
    HookPicture picture{};
};

class FrameHookTest : public ::testing::Test {
protected:
    void SetUp() override { test::requireMediaLibraries(); }

    test::LogCapture capture;
    FrameHookList hooks;
};

TEST_F(FrameHookTest, ReportsEachFailureWithItsCodeAndText) {
    const std::string missing = "/nonexistent/folder/NoSuchHook.so";
    const struct {
        std::vector<std::string> arguments;
        int result;
        std::string logged;
    } rows[] = {
        {{}, kHookBadArguments, ""},
        {{missing}, kHookNotLoadable, missing},
        {{VELMORA_FAKE_LIBRARY},
         kHookBadArguments,
         std::string("Failed to find Process entrypoint in ") + VELMORA_FAKE_LIBRARY},
        {{VELMORA_DOUBLING_HOOK, "arg"},
         kHookBadArguments,
         std::string("Failed to find Configure entrypoint in ") + VELMORA_DOUBLING_HOOK},
        {{VELMORA_REFUSING_HOOK},
         kHookRefused,
         std::string("Failed to Configure ") + VELMORA_REFUSING_HOOK},
    };
    for (const auto& row : rows) {
        capture.clear();
        EXPECT_EQ(hooks.AddHook(row.arguments), row.result) << row.logged;
        if (!row.logged.empty()) {
            const auto entries = capture.entries();
            ASSERT_EQ(entries.size(), 1u) << row.logged;
            EXPECT_NE(entries[0].message.find(row.logged), std::string::npos) << entries[0].message;
            EXPECT_EQ(entries[0].level, TLogLevel::llError);
        }
    }
    EXPECT_EQ(hooks.AddHook(0, nullptr), kHookBadArguments);
    EXPECT_TRUE(hooks.empty());
}

TEST_F(FrameHookTest, LoadsAFileOnceAndGivesEachHookItsOwnContext) {
    // A private copy, so the module count and the configure calls belong to this test alone.
    test::TempDir dir;
    const std::string path = dir.file("AddingHook.so");
    std::filesystem::copy_file(VELMORA_ADDING_HOOK, path);
    std::string shouted = path;
    std::transform(shouted.begin(), shouted.end(), shouted.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });

    FrameHookList warmUp;  // the doubling plug-in may be cached already by an earlier test
    ASSERT_EQ(warmUp.AddHook({VELMORA_DOUBLING_HOOK}), kHookOk);
    const std::size_t modulesBefore = LoadedHookModuleCount();
    ASSERT_EQ(hooks.AddHook({path, "1"}), kHookOk);
    // The same file named in other letter case comes from the cache (that name is not on disk).
    ASSERT_EQ(hooks.AddHook({shouted, "10"}), kHookOk);
    ASSERT_EQ(hooks.AddHook({VELMORA_DOUBLING_HOOK}), kHookOk);
    EXPECT_EQ(LoadedHookModuleCount(), modulesBefore + 1);
    EXPECT_EQ(hooks.size(), 3u);

    int* configureCalls = pluginValue<int>(path.c_str(), "hook_configure_calls");
    int* releaseCalls = pluginValue<int>(path.c_str(), "hook_release_calls");
    void** lastContext = pluginValue<void*>(VELMORA_DOUBLING_HOOK, "hook_last_context");
    std::int64_t* lastPts = pluginValue<std::int64_t>(VELMORA_DOUBLING_HOOK, "hook_last_pts");
    ASSERT_TRUE(configureCalls && releaseCalls && lastContext && lastPts);
    EXPECT_EQ(*configureCalls, 2);

    // In order and in place: (3 + 1 + 10) * 2.
    TestPicture picture(3);
    hooks.ProcessHooks(&picture.picture, AV_PIX_FMT_GRAY8, 8, 2, 1234);
    for (std::uint8_t value : picture.bytes) {
        EXPECT_EQ(value, 28);
    }
    EXPECT_EQ(*lastContext, nullptr) << "a hook without Configure gets a null context";
    EXPECT_EQ(*lastPts, 1234);

    hooks.ReleaseHooks();
    EXPECT_TRUE(hooks.empty());
    EXPECT_EQ(*releaseCalls, 2);
    {
        FrameHookList taskHooks;
        ASSERT_EQ(taskHooks.AddHook({path}), kHookOk);
    }
    EXPECT_EQ(*configureCalls, 3);
    EXPECT_EQ(*releaseCalls, 3) << "the list releases its hooks when it goes away";
    EXPECT_EQ(LoadedHookModuleCount(), modulesBefore + 1);
}

TEST_F(FrameHookTest, HookKeepsItsOwnCopyOfTheArguments) {
    char file[] = VELMORA_ADDING_HOOK;
    char increment[] = "5";
    char* argv[] = {file, increment, nullptr};
    ASSERT_EQ(hooks.AddHook(2, argv), kHookOk);
    increment[0] = '9';  // the caller's buffer changes after the hook was added
    TestPicture picture(0);
    hooks.ProcessHooks(&picture.picture, AV_PIX_FMT_GRAY8, 8, 2, 0);
    EXPECT_EQ(picture.bytes[0], 5);
}

}  // namespace
}  // namespace velmora
