// Entry points bound from the library at run time, in lookup order.
// Every name is required: the first missing one fails the whole library. Keep the list sorted;
// every line, the last included, ends with a backslash.
#pragma once

// clang-format off

#define VELMORA_AVDEVICE_FUNCTIONS(X) \
    X(avdevice_version) \
    /* end of list */
