/* The frame-hook interface as a plug-in author sees it (C). */
#ifndef VELMORA_TEST_HOOK_PLUGIN_H
#define VELMORA_TEST_HOOK_PLUGIN_H

#include <stdint.h>

#define HOOK_EXPORT __attribute__((visibility("default")))

typedef struct HookPicture {
    uint8_t* data[4];
    int linesize[4];
} HookPicture;

/* Applies fn to every byte of the first plane. */
static inline void hookForEachByte(HookPicture* picture, int width, int height,
                                   uint8_t (*fn)(uint8_t, int), int parameter) {
    for (int y = 0; y < height; ++y) {
        uint8_t* row = picture->data[0] + y * picture->linesize[0];
        for (int x = 0; x < width; ++x) {
            row[x] = fn(row[x], parameter);
        }
    }
}

#endif
