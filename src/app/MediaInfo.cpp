#include "app/MediaInfo.h"

#include <QFileInfo>
#include <algorithm>
#include <cmath>

#include "probe/MediaProbe.h"

namespace velmora::app {

namespace {

constexpr qsizetype kBitRateCharacters = 10;

// 1-based position of the first what in text; 0 when absent.
qsizetype pos(const QString& what, const QString& text) {
    return text.indexOf(what) + 1;
}

// count characters from the 1-based position from; none for count <= 0; position 0 counts as 1.
QString copy(const QString& text, qsizetype from, qsizetype count) {
    if (count <= 0) {
        return {};
    }
    from = std::max<qsizetype>(from, 1);
    if (from > text.size()) {
        return {};
    }
    return text.mid(from - 1, count);
}

// The piece up to and including the first line break in it.
QString withinItsLine(const QString& piece) {
    const qsizetype end = piece.indexOf(QLatin1Char('\n'));
    return end < 0 ? piece : piece.left(end + 1);
}

// The text of one stream kind ("Video:" or "Audio:").
QString streamPiece(const QString& d, const QString& label) {
    static const QString startTime = QStringLiteral(", StartTime:");
    const qsizetype v = pos(label, d);
    const qsizetype s = pos(startTime, d);
    if (s < v) {
        // An earlier stream line carries the first ", StartTime:": look from the label on.
        const QString rest = copy(d, v, d.size() - v);
        return copy(rest, pos(label, rest), pos(startTime, rest) - pos(label, rest));
    }
    return copy(d, v, s - v);
}

QString bitRatePiece(const QString& d) {
    const qsizetype b = pos(QStringLiteral("Bit Rate:"), d);
    QString piece = withinItsLine(copy(d, b + 9, pos(QStringLiteral("Stream #0"), d) - b - 9));
    if (piece.size() > kBitRateCharacters) {
        qsizetype text = piece.size();
        while (text > 0 &&
               (piece[text - 1] == QLatin1Char('\n') || piece[text - 1] == QLatin1Char('\r'))) {
            --text;
        }
        piece.truncate(std::max(kBitRateCharacters, text));
    }
    return piece;
}

QString kilobits(std::int32_t bitsPerSecond) {
    return QString::number(std::llround(bitsPerSecond / 1000.0));
}

QString fromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

DescriptionPieces cutDescription(const QString& d) {
    DescriptionPieces pieces;
    pieces.videoStream = withinItsLine(streamPiece(d, QStringLiteral("Video:")));
    pieces.audioStream = withinItsLine(streamPiece(d, QStringLiteral("Audio:")));
    const qsizetype size = pos(QStringLiteral("File Size:"), d);
    const qsizetype duration = pos(QStringLiteral("Duration:"), d);
    pieces.fileSize = withinItsLine(copy(d, size + 10, duration - size - 10));
    pieces.duration =
        withinItsLine(copy(d, duration + 9, pos(QStringLiteral("StartTime:"), d) - duration - 15));
    pieces.totalBitRate = bitRatePiece(d);
    return pieces;
}

bool gatherMediaInfo(TCustomMediaProbe& probe, const std::string& file, MediaInfoTexts& texts,
                     std::string* error) {
    texts = MediaInfoTexts();
    if (!probe.Open(file)) {
        if (error != nullptr) {
            *error = probe.LastError();
        }
        return false;
    }
    texts.fileName = fromUtf8(probe.FileName());
    texts.formatName = fromUtf8(probe.FormatName());
    texts.description = fromUtf8(probe.DumpText());
    texts.formatLongName = fromUtf8(probe.FormatLongName());
    texts.pieces = cutDescription(texts.description);

    // A file without such a stream leaves the records at their initial values (-1).
    TAudioStreamInfo audio;
    if (probe.FirstAudioStream() >= 0) {
        probe.GetAudioStreamInfo(probe.FirstAudioStream(), audio);
    }
    TVideoStreamInfo video;
    if (probe.FirstVideoStream() >= 0) {
        probe.GetVideoStreamInfo(probe.FirstVideoStream(), video);
    }
    probe.Close();

    texts.audioSampleRate = QString::number(audio.SampleRate);
    texts.audioChannels = QString::number(audio.Channels);
    texts.audioBitRate = kilobits(audio.BitRate);
    texts.videoBitRate = kilobits(video.BitRate);
    texts.videoWidth = QString::number(video.Width);
    texts.videoHeight = QString::number(video.Height);
    if (video.FrameRateDen != 0) {
        texts.videoFrameRate =
            QString::number(static_cast<double>(video.FrameRateNum) / video.FrameRateDen, 'f', 2);
    }
    return true;
}

QString channelWords(const QString& channels) {
    if (channels == QLatin1String("1")) {
        return QStringLiteral("单声道");
    }
    if (channels == QLatin1String("2")) {
        return QStringLiteral("立体声");
    }
    return {};
}

QString streamText(const QString& piece) {
    return piece.startsWith(QLatin1String("File Name")) ? QStringLiteral("无") : piece;
}

QString extensionWithDot(const QString& fileName) {
    const QString name = QFileInfo(fileName).fileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.mid(dot);
}

}  // namespace velmora::app
