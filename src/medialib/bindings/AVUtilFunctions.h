// Entry points bound from the library at run time, in lookup order.
// Every name is required: the first missing one fails the whole library. Keep the list sorted;
// every line, the last included, ends with a backslash.
#pragma once

// clang-format off

#define VELMORA_AVUTIL_FUNCTIONS(X) \
    X(av_audio_fifo_alloc) \
    X(av_audio_fifo_free) \
    X(av_audio_fifo_read) \
    X(av_audio_fifo_size) \
    X(av_audio_fifo_write) \
    X(av_channel_layout_compare) \
    X(av_channel_layout_copy) \
    X(av_channel_layout_default) \
    X(av_channel_layout_describe) \
    X(av_channel_layout_uninit) \
    X(av_compare_ts) \
    X(av_d2q) \
    X(av_dict_copy) \
    X(av_dict_count) \
    X(av_dict_free) \
    X(av_dict_get) \
    X(av_dict_set) \
    X(av_dict_set_int) \
    X(av_find_nearest_q_idx) \
    X(av_frame_alloc) \
    X(av_frame_clone) \
    X(av_frame_copy_props) \
    X(av_frame_free) \
    X(av_frame_get_buffer) \
    X(av_frame_make_writable) \
    X(av_frame_ref) \
    X(av_frame_unref) \
    X(av_free) \
    X(av_freep) \
    X(av_gcd) \
    X(av_get_bits_per_pixel) \
    X(av_get_bytes_per_sample) \
    X(av_get_cpu_flags) \
    X(av_get_media_type_string) \
    X(av_get_packed_sample_fmt) \
    X(av_get_pix_fmt) \
    X(av_get_pix_fmt_name) \
    X(av_get_sample_fmt) \
    X(av_get_sample_fmt_name) \
    X(av_gettime_relative) \
    X(av_image_copy) \
    X(av_log) \
    X(av_log_default_callback) \
    X(av_log_get_level) \
    X(av_log_set_callback) \
    X(av_log_set_level) \
    X(av_malloc) \
    X(av_mallocz) \
    X(av_opt_find2) \
    X(av_opt_get) \
    X(av_opt_get_int) \
    X(av_opt_set) \
    X(av_opt_set_bin) \
    X(av_opt_set_int) \
    X(av_parse_time) \
    X(av_parse_video_rate) \
    X(av_parse_video_size) \
    X(av_pix_fmt_desc_get) \
    X(av_realloc) \
    X(av_reduce) \
    X(av_rescale_q) \
    X(av_sample_fmt_is_planar) \
    X(av_samples_copy) \
    X(av_samples_set_silence) \
    X(av_set_options_string) \
    X(av_strdup) \
    X(av_strerror) \
    X(av_usleep) \
    X(avutil_version) \
    /* end of list */
