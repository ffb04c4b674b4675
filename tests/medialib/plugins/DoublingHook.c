/* Process only: doubles every byte of plane 0 and records the context it was given. */
#include "HookPlugin.h"

HOOK_EXPORT void* hook_last_context = (void*)1;
HOOK_EXPORT int64_t hook_last_pts = 0;

static uint8_t twice(uint8_t value, int unused) {
    (void)unused;
    return (uint8_t)(value * 2);
}

HOOK_EXPORT void Process(void* context, HookPicture* picture, int format, int width, int height,
                         int64_t pts) {
    (void)format;
    hook_last_context = context;
    hook_last_pts = pts;
    hookForEachByte(picture, width, height, twice, 0);
}
