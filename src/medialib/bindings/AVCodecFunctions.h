// Entry points bound from the library at run time, in lookup order.
// Every name is required: the first missing one fails the whole library. Keep the list sorted;
// every line, the last included, ends with a backslash.
#pragma once

// clang-format off

#define VELMORA_AVCODEC_FUNCTIONS(X) \
    X(av_bsf_alloc) \
    X(av_bsf_free) \
    X(av_bsf_get_by_name) \
    X(av_bsf_init) \
    X(av_bsf_receive_packet) \
    X(av_bsf_send_packet) \
    X(av_codec_iterate) \
    X(av_get_bits_per_sample) \
    X(av_new_packet) \
    X(av_packet_alloc) \
    X(av_packet_clone) \
    X(av_packet_free) \
    X(av_packet_get_side_data) \
    X(av_packet_ref) \
    X(av_packet_rescale_ts) \
    X(av_packet_unref) \
    X(av_rdft_calc) \
    X(av_rdft_end) \
    X(av_rdft_init) \
    X(avcodec_alloc_context3) \
    X(avcodec_decode_subtitle2) \
    X(avcodec_descriptor_get) \
    X(avcodec_encode_subtitle) \
    X(avcodec_find_decoder) \
    X(avcodec_find_decoder_by_name) \
    X(avcodec_find_encoder) \
    X(avcodec_find_encoder_by_name) \
    X(avcodec_flush_buffers) \
    X(avcodec_free_context) \
    X(avcodec_get_class) \
    X(avcodec_get_name) \
    X(avcodec_open2) \
    X(avcodec_parameters_copy) \
    X(avcodec_parameters_free) \
    X(avcodec_parameters_from_context) \
    X(avcodec_parameters_to_context) \
    X(avcodec_receive_frame) \
    X(avcodec_receive_packet) \
    X(avcodec_send_frame) \
    X(avcodec_send_packet) \
    X(avcodec_string) \
    X(avcodec_version) \
    X(avsubtitle_free) \
    /* end of list */
