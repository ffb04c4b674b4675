/* A plug-in whose Configure refuses every argument list. */
#include "HookPlugin.h"

HOOK_EXPORT int Configure(void** context, int argc, char* argv[]) {
    (void)context;
    (void)argc;
    (void)argv;
    return 1;
}

HOOK_EXPORT void Process(void* context, HookPicture* picture, int format, int width, int height,
                         int64_t pts) {
    (void)context;
    (void)picture;
    (void)format;
    (void)width;
    (void)height;
    (void)pts;
}
