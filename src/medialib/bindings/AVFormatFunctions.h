// Entry points bound from the library at run time, in lookup order.
// Every name is required: the first missing one fails the whole library. Keep the list sorted;
// every line, the last included, ends with a backslash.
#pragma once

// clang-format off

#define VELMORA_AVFORMAT_FUNCTIONS(X) \
    X(av_codec_get_id) \
    X(av_codec_get_tag) \
    X(av_demuxer_iterate) \
    X(av_dump_format) \
    X(av_filename_number_test) \
    X(av_find_best_stream) \
    X(av_find_input_format) \
    X(av_guess_codec) \
    X(av_guess_format) \
    X(av_guess_frame_rate) \
    X(av_interleaved_write_frame) \
    X(av_muxer_iterate) \
    X(av_new_program) \
    X(av_pkt_dump_log2) \
    X(av_program_add_stream_index) \
    X(av_read_frame) \
    X(av_read_pause) \
    X(av_read_play) \
    X(av_seek_frame) \
    X(av_write_frame) \
    X(av_write_trailer) \
    X(avformat_alloc_context) \
    X(avformat_alloc_output_context2) \
    X(avformat_close_input) \
    X(avformat_find_stream_info) \
    X(avformat_free_context) \
    X(avformat_get_class) \
    X(avformat_new_stream) \
    X(avformat_open_input) \
    X(avformat_query_codec) \
    X(avformat_seek_file) \
    X(avformat_version) \
    X(avformat_write_header) \
    X(avio_closep) \
    X(avio_feof) \
    X(avio_flush) \
    X(avio_open2) \
    X(avio_seek) \
    X(avio_size) \
    /* end of list */
