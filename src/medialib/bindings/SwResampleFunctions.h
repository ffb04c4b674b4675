// Entry points bound from the library at run time, in lookup order.
// Every name is required: the first missing one fails the whole library. Keep the list sorted;
// every line, the last included, ends with a backslash.
#pragma once

// clang-format off

#define VELMORA_SWRESAMPLE_FUNCTIONS(X) \
    X(swr_alloc_set_opts2) \
    X(swr_convert) \
    X(swr_free) \
    X(swr_get_delay) \
    X(swr_get_out_samples) \
    X(swr_init) \
    X(swr_set_compensation) \
    X(swr_set_matrix) \
    X(swresample_version) \
    /* end of list */
