/* Configure, Process and Release: adds its argument (default 1) to every byte of plane 0. */
#include <stdlib.h>

#include "HookPlugin.h"

HOOK_EXPORT int hook_configure_calls = 0;
HOOK_EXPORT int hook_release_calls = 0;

typedef struct {
    int increment;
} AddingContext;

static uint8_t add(uint8_t value, int increment) {
    return (uint8_t)(value + increment);
}

HOOK_EXPORT int Configure(void** context, int argc, char* argv[]) {
    AddingContext* own = calloc(1, sizeof *own);
    if (own == NULL || argv[argc] != NULL) {
        free(own);
        return -1;
    }
    own->increment = argc > 1 ? atoi(argv[1]) : 1;
    *context = own;
    ++hook_configure_calls;
    return 0;
}

HOOK_EXPORT void Process(void* context, HookPicture* picture, int format, int width, int height,
                         int64_t pts) {
    (void)format;
    (void)pts;
    hookForEachByte(picture, width, height, add, ((AddingContext*)context)->increment);
}

HOOK_EXPORT void Release(void* context) {
    free(context);
    ++hook_release_calls;
}
