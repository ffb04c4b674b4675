// Frame-hook plug-ins: shared libraries that a task names in its video-hook option and that get
// every decoded picture of that task.
//
// The published plug-in interface (exported C names):
//   int  Configure(void** context, int argc, char* argv[]);   // optional; 0 = accepted
//   void Process(void* context, HookPicture* picture, enum AVPixelFormat format,
//                int width, int height, int64_t pts);
//   void Release(void* context);                               // optional
// argv[0] is the plug-in's file name. The argument strings stay valid until the hook is
// released, so a plug-in may keep pointers into them.
//
// Each plug-in file is loaded once per process (the cache looks names up regardless of case)
// and never unloaded. A hook list belongs to one task: AddHook runs while the task is set up,
// ProcessHooks on its conversion thread, ReleaseHooks (or the destructor) when it ends.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

extern "C" {
#include <libavutil/pixfmt.h>
}

namespace velmora {

// The picture handed to Process: four planes and their line sizes (the layout plug-ins of the
// hook interface were built against).
struct HookPicture {
    std::uint8_t* data[4];
    int linesize[4];
};

using HookConfigureFn = int (*)(void** context, int argc, char* argv[]);
using HookProcessFn = void (*)(void* context, HookPicture* picture, enum AVPixelFormat format,
                               int width, int height, std::int64_t pts);
using HookReleaseFn = void (*)(void* context);

// AddHook results.
constexpr int kHookOk = 0;
constexpr int kHookNotLoadable = -1;   // the module could not be loaded
constexpr int kHookBadArguments = -2;  // no arguments, or an entry point is missing
constexpr int kHookNoMemory = -12;
constexpr int kHookRefused = -22;  // Configure answered non-zero

class FrameHookList {
public:
    FrameHookList() = default;
    FrameHookList(const FrameHookList&) = delete;
    FrameHookList& operator=(const FrameHookList&) = delete;
    ~FrameHookList();

    // argv[0] names the plug-in file, the rest are its arguments. Failures are logged through
    // the library log at error level. Returns one of the kHook* codes.
    int AddHook(int argc, char* argv[]);
    int AddHook(const std::vector<std::string>& arguments);

    // Calls every hook's Process in the order the hooks were added, on the same picture (each
    // sees the changes of the ones before).
    void ProcessHooks(HookPicture* picture, AVPixelFormat format, int width, int height,
                      std::int64_t pts) const;

    // Calls Release of every hook that has one, in order, and empties the list.
    void ReleaseHooks();

    bool empty() const { return m_entries.empty(); }
    std::size_t size() const { return m_entries.size(); }

private:
    struct Entry {
        std::vector<std::string> arguments;  // owned copies handed to Configure
        std::vector<char*> argv;
        HookConfigureFn configure = nullptr;
        HookProcessFn process = nullptr;
        HookReleaseFn release = nullptr;
        void* context = nullptr;
    };
    std::vector<std::unique_ptr<Entry>> m_entries;
};

// How many distinct plug-in files the process has loaded so far.
std::size_t LoadedHookModuleCount();

}  // namespace velmora
