#include "medialib/FrameHook.h"

#include <dlfcn.h>
#include <strings.h>

#include <mutex>
#include <new>

#include "medialib/LibraryBindings.h"
#include "medialib/MediaUtils.h"

namespace velmora {

namespace {

struct CachedModule {
    std::string fileName;  // as first given
    void* handle;
};

// Plug-in modules loaded so far; they stay loaded until the process ends, because a released
// hook's code may still be referenced by another task's entries.
struct ModuleCache {
    std::mutex mutex;
    std::vector<CachedModule> modules;  // guarded by mutex
};

ModuleCache& moduleCache() {
    static ModuleCache* cache = new ModuleCache;  // outlives every task
    return *cache;
}

// Finds or loads the module. Unlike the original search-path handling, nothing about the
// current directory or PATH is changed: dlopen ignores both (a name with a '/' is opened as
// that path, a bare name goes through the loader's own search), so the process environment
// stays untouched and tasks may add hooks at the same time.
void* loadModule(const std::string& fileName, std::string& error) {
    ModuleCache& cache = moduleCache();
    std::lock_guard lock(cache.mutex);
    for (const CachedModule& module : cache.modules) {
        if (::strcasecmp(module.fileName.c_str(), fileName.c_str()) == 0) {
            return module.handle;
        }
    }
    void* handle = ::dlopen(fileName.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        const char* text = ::dlerror();
        error = text != nullptr ? text : "unknown error";
        return nullptr;
    }
    cache.modules.push_back({fileName, handle});
    return handle;
}

template <typename Fn>
Fn entryPoint(void* module, const char* name) {
    return reinterpret_cast<Fn>(::dlsym(module, name));
}

}  // namespace

std::size_t LoadedHookModuleCount() {
    ModuleCache& cache = moduleCache();
    std::lock_guard lock(cache.mutex);
    return cache.modules.size();
}

FrameHookList::~FrameHookList() {
    ReleaseHooks();
}

int FrameHookList::AddHook(int argc, char* argv[]) {
    if (argc <= 0 || argv == nullptr || argv[0] == nullptr) {
        return kHookBadArguments;
    }
    std::vector<std::string> arguments;
    try {
        for (int i = 0; i < argc; ++i) {
            arguments.emplace_back(argv[i] != nullptr ? argv[i] : "");
        }
    } catch (const std::bad_alloc&) {
        return kHookNoMemory;
    }
    return AddHook(arguments);
}

int FrameHookList::AddHook(const std::vector<std::string>& arguments) {
    if (arguments.empty()) {
        return kHookBadArguments;
    }
    const std::string& fileName = arguments[0];
    std::string error;
    void* module = loadModule(fileName, error);
    if (module == nullptr) {
        LibraryLog(AV_LOG_ERROR, "%s\n", error.c_str());
        return kHookNotLoadable;
    }
    std::unique_ptr<Entry> entry;
    try {
        entry = std::make_unique<Entry>();
        entry->arguments = arguments;
        for (std::string& argument : entry->arguments) {
            entry->argv.push_back(argument.data());
        }
        entry->argv.push_back(nullptr);  // argv[argc] is null, as for a program's main
        m_entries.reserve(m_entries.size() + 1);
    } catch (const std::bad_alloc&) {
        return kHookNoMemory;
    }
    entry->configure = entryPoint<HookConfigureFn>(module, "Configure");
    entry->process = entryPoint<HookProcessFn>(module, "Process");
    entry->release = entryPoint<HookReleaseFn>(module, "Release");

    const int argc = static_cast<int>(arguments.size());
    if (entry->process == nullptr) {
        LibraryLog(AV_LOG_ERROR, "Failed to find Process entrypoint in %s\n", fileName.c_str());
        return kHookBadArguments;
    }
    if (entry->configure == nullptr && argc > 1) {
        LibraryLog(AV_LOG_ERROR, "Failed to find Configure entrypoint in %s\n", fileName.c_str());
        return kHookBadArguments;
    }
    if (entry->configure != nullptr &&
        entry->configure(&entry->context, argc, entry->argv.data()) != 0) {
        LibraryLog(AV_LOG_ERROR, "Failed to Configure %s\n", fileName.c_str());
        return kHookRefused;
    }
    m_entries.push_back(std::move(entry));  // capacity reserved above: cannot throw
    return kHookOk;
}

void FrameHookList::ProcessHooks(HookPicture* picture, AVPixelFormat format, int width, int height,
                                 std::int64_t pts) const {
    for (const std::unique_ptr<Entry>& entry : m_entries) {
        entry->process(entry->context, picture, format, width, height, pts);
    }
}

void FrameHookList::ReleaseHooks() {
    for (const std::unique_ptr<Entry>& entry : m_entries) {
        if (entry->release != nullptr) {
            entry->release(entry->context);
        }
    }
    m_entries.clear();
}

}  // namespace velmora
