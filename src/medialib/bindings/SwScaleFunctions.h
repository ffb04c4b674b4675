// Entry points bound from the library at run time, in lookup order.
// Every name is required: the first missing one fails the whole library. Keep the list sorted;
// every line, the last included, ends with a backslash.
#pragma once

// clang-format off

#define VELMORA_SWSCALE_FUNCTIONS(X) \
    X(sws_alloc_context) \
    X(sws_freeContext) \
    X(sws_getCachedContext) \
    X(sws_getContext) \
    X(sws_get_class) \
    X(sws_scale) \
    X(swscale_version) \
    /* end of list */
