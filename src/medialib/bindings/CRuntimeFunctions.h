// Entry points bound from the library at run time, in lookup order.
// Every name is required: the first missing one fails the whole library. Keep the list sorted;
// every line, the last included, ends with a backslash.
#pragma once

// clang-format off

#define VELMORA_CRUNTIME_FUNCTIONS(X) \
    X(fclose) \
    X(fopen) \
    X(fread) \
    X(fseek) \
    X(ftell) \
    /* end of list */
