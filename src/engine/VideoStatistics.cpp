// Per-picture statistics of the video outputs: the statistics file ("vstats"), the PSNR and
// the quantizer histogram of the status line. Everything runs on the task's thread.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "engine/TranscodeSession.h"

namespace velmora {

namespace {

// Peak signal-to-noise ratio of a mean squared error already divided by 255².
double psnrOf(double normalisedError) {
    if (normalisedError <= 0.0) {
        return 99.99;  // identical pictures: the ratio is unbounded
    }
    return -10.0 * std::log10(normalisedError);
}

uint64_t readLittleEndian(const uint8_t* bytes, int count) {
    uint64_t value = 0;
    for (int i = count - 1; i >= 0; --i) {
        value = (value << 8) | bytes[i];
    }
    return value;
}

}  // namespace

VideoPacketStats ParseQualityStats(const uint8_t* data, size_t size) {
    // Layout: u32le quality, u8 picture type, u8 error count, u16 reserved, u64le errors[count].
    VideoPacketStats stats;
    if (data == nullptr || size < 8) {
        return stats;
    }
    stats.known = true;
    stats.quality = static_cast<int>(readLittleEndian(data, 4));
    stats.pictureType = data[4];
    const int count = std::min<int>(data[5], static_cast<int>(stats.errors.size()));
    for (int i = 0; i < count && 8 + (i + 1) * 8 <= static_cast<int>(size); ++i) {
        stats.errors[i] = readLittleEndian(data + 8 + i * 8, 8);
        stats.errorCount = i + 1;
    }
    return stats;
}

std::string VideoStatisticsLine(const VideoStatisticsInput& in) {
    std::string line = FormatText("frame= %5d q= %2.1f ", static_cast<int>(in.frameNumber),
                                  in.quality / static_cast<double>(FF_QP2LAMBDA));
    if (in.withPsnr) {
        const double pixels = static_cast<double>(in.width) * in.height * 255.0 * 255.0;
        line += FormatText("PSNR= %6.2f ",
                           psnrOf(pixels > 0 ? static_cast<double>(in.lumaError) / pixels : 0.0));
    }
    double seconds = static_cast<double>(in.syncPosition) * in.timeBaseSeconds;
    if (seconds < 0.01) {
        seconds = 0.01;
    }
    const double bitRate =
        in.timeBaseSeconds > 0 ? in.frameSize * 8.0 / in.timeBaseSeconds / 1000.0 : 0.0;
    const double averageBitRate = static_cast<double>(in.videoBytes) * 8.0 / seconds / 1000.0;
    line += FormatText("f_size= %6d ", in.frameSize);
    line +=
        FormatText("s_size= %8.0fkB time= %0.3f br= %7.1fkbits/s avg_br= %7.1fkbits/s ",
                   static_cast<double>(in.videoBytes) / 1024.0, seconds, bitRate, averageBitRate);
    // The letters of AVPictureType, in its order.
    static const char kTypeLetters[] = "?IPBSipb";
    const char type =
        in.pictureType >= 0 && in.pictureType < 8 ? kTypeLetters[in.pictureType] : '?';
    line += FormatText("type= %c\n", type);
    return line;
}

void TranscodeSession::noteVideoPacket(OutputStream& ost, const AVPacket* packet) {
    size_t size = 0;
    const uint8_t* data =
        lib::avcodec.av_packet_get_side_data(packet, AV_PKT_DATA_QUALITY_STATS, &size);
    const VideoPacketStats stats = ParseQualityStats(data, size);
    ost.lastStats = stats;
    if (stats.known) {
        const long qp = std::lround(stats.quality / static_cast<double>(FF_QP2LAMBDA));
        if (qp >= 0 && qp < static_cast<long>(ost.qpHistogram.size())) {
            ++ost.qpHistogram[static_cast<size_t>(qp)];
        }
        for (int i = 0; i < stats.errorCount; ++i) {
            ost.errorSums[i] += stats.errors[i];
        }
        ++ost.statsFrames;
    }
    if (m_run.statisticsFileName.empty()) {
        return;
    }
    if (!m_statisticsFile) {
        if (m_statisticsOpenFailed) {
            return;
        }
        m_statisticsFile.reset(std::fopen(m_run.statisticsFileName.c_str(), "w"));
        if (!m_statisticsFile) {
            m_statisticsOpenFailed = true;
            log(3, "fopen fail: " + m_run.statisticsFileName);
            return;
        }
    }
    const AVCodecContext* enc = ost.encoderContext.get();
    VideoStatisticsInput in;
    in.frameNumber = ++ost.statsLines;
    in.quality = stats.known ? stats.quality : static_cast<int>(ost.quality);
    in.withPsnr = (enc->flags & AV_CODEC_FLAG_PSNR) != 0;
    in.lumaError = stats.errors[0];
    in.width = enc->width;
    in.height = enc->height;
    in.frameSize = packet->size;
    in.syncPosition = ost.syncOpts;
    in.timeBaseSeconds = av_q2d(enc->time_base);
    in.videoBytes = videoBytes;
    in.pictureType = stats.known ? stats.pictureType
                                 : ((packet->flags & AV_PKT_FLAG_KEY) ? AV_PICTURE_TYPE_I
                                                                      : AV_PICTURE_TYPE_NONE);
    const std::string line = VideoStatisticsLine(in);
    std::fputs(line.c_str(), m_statisticsFile.get());
}

std::string TranscodeSession::videoStatusExtras(const OutputStream& ost, bool isLast) const {
    std::string text;
    if (ost.streamCopy || !ost.encoderContext) {
        return text;
    }
    if (m_run.qpHistogram) {
        for (const int64_t count : ost.qpHistogram) {
            text += FormatText("%X", static_cast<int>(std::lround(std::log2(count + 1.0))));
        }
    }
    const AVCodecContext* enc = ost.encoderContext.get();
    if (enc->flags & AV_CODEC_FLAG_PSNR) {
        // The last report gives the whole run, the others the last picture.
        static const char kPlanes[3] = {'Y', 'U', 'V'};
        double errorSum = 0.0;
        double scaleSum = 0.0;
        text += "PSNR=";
        for (int plane = 0; plane < 3; ++plane) {
            double error = 0.0;
            double scale = static_cast<double>(enc->width) * enc->height * 255.0 * 255.0;
            if (isLast) {
                error = static_cast<double>(ost.errorSums[plane]);
                scale *= static_cast<double>(std::max<int64_t>(ost.statsFrames, 1));
            } else {
                error = static_cast<double>(ost.lastStats.errors[plane]);
            }
            if (plane > 0) {
                scale /= 4;
            }
            errorSum += error;
            scaleSum += scale;
            text += FormatText("%c:%2.2f ", kPlanes[plane], psnrOf(scale > 0 ? error / scale : 0));
        }
        text += FormatText("*:%2.2f ", psnrOf(scaleSum > 0 ? errorSum / scaleSum : 0));
    }
    return text;
}

}  // namespace velmora
