#include "engine/DisplayAspect.h"

#include <algorithm>
#include <cmath>

namespace velmora {

namespace {

// Far wider than any encoder takes; keeps the arithmetic with an absurd aspect defined.
constexpr double kWidestPicture = 16384.0;

}  // namespace

AVRational SampleAspectFor(double displayAspect, int width, int height) {
    if (!(displayAspect > 0.0) || !std::isfinite(displayAspect)) {
        return AVRational{0, 1};
    }
    const double factor = width > 0 && height > 0 ? static_cast<double>(height) / width : 0.75;
    return lib::avutil.av_d2q(displayAspect * factor, 255);
}

bool AspectNeedsPictureShape(AVCodecID codec, std::string_view muxerName) {
    constexpr AVCodecID kNoAspectField[] = {
        AV_CODEC_ID_RV10, AV_CODEC_ID_RV20,      AV_CODEC_ID_FLV1,      AV_CODEC_ID_WMV1,
        AV_CODEC_ID_WMV2, AV_CODEC_ID_MSMPEG4V1, AV_CODEC_ID_MSMPEG4V2, AV_CODEC_ID_MSMPEG4V3,
    };
    constexpr std::string_view kAspectContainers[] = {"matroska", "webm", "mov", "mp4",
                                                      "ipod",     "psp",  "3gp", "3g2"};
    const bool codecHasNone = std::find(std::begin(kNoAspectField), std::end(kNoAspectField),
                                        codec) != std::end(kNoAspectField);
    const bool containerHasOne =
        std::find(std::begin(kAspectContainers), std::end(kAspectContainers), muxerName) !=
        std::end(kAspectContainers);
    return codecHasNone && !containerHasOne;
}

int ShapedWidth(int height, int fittedWidth, double displayAspect) {
    if (!(displayAspect > 0.0) || !std::isfinite(displayAspect) || height <= 0 ||
        fittedWidth <= 0) {
        return fittedWidth;
    }
    int unit = 16;
    while (unit > 1 && fittedWidth % unit != 0) {
        unit /= 2;
    }
    const double wanted = std::min(height * displayAspect, kWidestPicture);
    const long steps = std::lround(wanted / unit);
    return static_cast<int>(std::max<long>(steps, 1) * unit);
}

}  // namespace velmora
