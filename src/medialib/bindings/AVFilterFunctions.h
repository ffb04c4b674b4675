// Entry points bound from the library at run time, in lookup order.
// Every name is required: the first missing one fails the whole library. Keep the list sorted;
// every line, the last included, ends with a backslash.
#pragma once

// clang-format off

#define VELMORA_AVFILTER_FUNCTIONS(X) \
    X(av_buffersink_get_format) \
    X(av_buffersink_get_frame) \
    X(av_buffersink_get_frame_rate) \
    X(av_buffersink_get_h) \
    X(av_buffersink_get_time_base) \
    X(av_buffersink_get_w) \
    X(av_buffersink_set_frame_size) \
    X(av_buffersrc_add_frame_flags) \
    X(avfilter_get_by_name) \
    X(avfilter_graph_alloc) \
    X(avfilter_graph_config) \
    X(avfilter_graph_create_filter) \
    X(avfilter_graph_free) \
    X(avfilter_graph_parse_ptr) \
    X(avfilter_inout_alloc) \
    X(avfilter_inout_free) \
    X(avfilter_link) \
    X(avfilter_version) \
    /* end of list */
