// Process-wide tables of the media-library entry points, bound at run time by the loader.
//
// The rest of the program calls FFmpeg, SDL and the C library's stream functions only through
// these tables (lib::avcodec.avcodec_open2(...)); the libraries are never linked. A pointer is
// null while its library is not bound. Bound pointers are written on the loading thread and then
// only read, from any thread.
#pragma once

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavcodec/avfft.h>
#include <libavcodec/bsf.h>
#include <libavdevice/avdevice.h>
#include <libavfilter/avfilter.h>
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/avstring.h>
#include <libavutil/channel_layout.h>
#include <libavutil/cpu.h>
#include <libavutil/dict.h>
#include <libavutil/frame.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
#include <libavutil/parseutils.h>
#include <libavutil/pixdesc.h>
#include <libavutil/samplefmt.h>
#include <libavutil/time.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}
#include <SDL2/SDL.h>

#include <cstdarg>
#include <cstdio>

#include "medialib/bindings/AVCodecFunctions.h"
#include "medialib/bindings/AVDeviceFunctions.h"
#include "medialib/bindings/AVFilterFunctions.h"
#include "medialib/bindings/AVFormatFunctions.h"
#include "medialib/bindings/AVUtilFunctions.h"
#include "medialib/bindings/CRuntimeFunctions.h"
#include "medialib/bindings/SDLFunctions.h"
#include "medialib/bindings/SwResampleFunctions.h"
#include "medialib/bindings/SwScaleFunctions.h"

namespace velmora::lib {

#define VELMORA_DECLARE_ENTRY(name) decltype(&::name) name = nullptr;

struct AVCodecEntries {
    VELMORA_AVCODEC_FUNCTIONS(VELMORA_DECLARE_ENTRY)
};
struct AVDeviceEntries {
    VELMORA_AVDEVICE_FUNCTIONS(VELMORA_DECLARE_ENTRY)
};
struct AVFilterEntries {
    VELMORA_AVFILTER_FUNCTIONS(VELMORA_DECLARE_ENTRY)
};
struct AVFormatEntries {
    VELMORA_AVFORMAT_FUNCTIONS(VELMORA_DECLARE_ENTRY)
};
struct AVUtilEntries {
    VELMORA_AVUTIL_FUNCTIONS(VELMORA_DECLARE_ENTRY)
};
struct SwScaleEntries {
    VELMORA_SWSCALE_FUNCTIONS(VELMORA_DECLARE_ENTRY)
};
struct CRuntimeEntries {
    VELMORA_CRUNTIME_FUNCTIONS(VELMORA_DECLARE_ENTRY)
};
struct SDLEntries {
    VELMORA_SDL_FUNCTIONS(VELMORA_DECLARE_ENTRY)
};
struct SwResampleEntries {
    VELMORA_SWRESAMPLE_FUNCTIONS(VELMORA_DECLARE_ENTRY)
};

#undef VELMORA_DECLARE_ENTRY

extern AVCodecEntries avcodec;
extern AVDeviceEntries avdevice;
extern AVFilterEntries avfilter;
extern AVFormatEntries avformat;
extern AVUtilEntries avutil;
extern SwScaleEntries swscale;
extern CRuntimeEntries libc;
extern SDLEntries sdl;
extern SwResampleEntries swresample;

}  // namespace velmora::lib
