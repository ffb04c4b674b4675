// The chosen display aspect of a video output, applied at the start of a run once its size is
// known: the source's size, rounded for the encoder, or what the filters give.
#include "engine/DisplayAspect.h"
#include "engine/TranscodeSession.h"
#include "engine/Transcoder.h"

namespace velmora {

void TranscodeSession::shapePictureForAspect(OutputStream& ost) {
    AVCodecContext* enc = ost.encoderContext.get();
    const AVOutputFormat* format = m_outputs[ost.fileIndex].context->oformat;
    if (ost.displayAspect <= 0.0 || !AspectNeedsPictureShape(enc->codec_id, format->name)) {
        return;
    }
    const int width = ShapedWidth(enc->height, enc->width, ost.displayAspect);
    if (width == enc->width) {
        return;
    }
    log(4,
        FormatText("Frame size %dx%d changed to %dx%d: %s in %s cannot carry an aspect ratio, "
                   "so the picture itself takes the display aspect %.3f",
                   enc->width, enc->height, width, enc->height,
                   lib::avcodec.avcodec_get_name(enc->codec_id), format->name, ost.displayAspect));
    enc->width = width;
}

void TranscodeSession::applyDisplayAspect(OutputStream& ost) {
    if (ost.displayAspect <= 0.0) {
        return;
    }
    AVCodecContext* enc = ost.encoderContext.get();
    const AVRational aspect = SampleAspectFor(ost.displayAspect, enc->width, enc->height);
    enc->sample_aspect_ratio = aspect;
    ost.stream->sample_aspect_ratio = aspect;
}

}  // namespace velmora
