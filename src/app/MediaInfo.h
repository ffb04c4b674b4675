// The media information texts: gathered from the converter's probe, partly from its records and
// partly cut out of its text description by the labels of that description. The cutting follows
// fixed position rules on the description's characters (Pos finds the first position, 1-based,
// 0 when absent; Copy takes n characters from position i, none for n <= 0, position 0 counting
// as 1).
#pragma once

#include <QString>
#include <string>

namespace velmora {
class TCustomMediaProbe;
}

namespace velmora::app {

// The pieces cut out of a description.
struct DescriptionPieces {
    QString videoStream;   // from "Video:" to before that stream line's ", StartTime:"
    QString audioStream;   // the same with "Audio:"
    QString fileSize;      // after "File Size:", its line break included
    QString duration;      // " hh:mm:ss" of the "Duration:" line
    QString totalBitRate;  // after "Bit Rate:"
};

// The texts the media information dialog shows (besides those it derives from them).
struct MediaInfoTexts {
    QString fileName;  // the probe's file name, folder included
    QString formatName;
    QString formatLongName;
    QString description;
    DescriptionPieces pieces;
    QString audioSampleRate;
    QString audioChannels;
    QString audioBitRate;  // kb/s, rounded
    QString videoBitRate;  // kb/s, rounded
    QString videoWidth;
    QString videoHeight;
    QString videoFrameRate;  // "0.00" pattern; empty when the rate's denominator is 0
};

// Cuts the pieces out of a description. A piece never runs past the end of the line it starts
// on (its line break stays with it), and the total bit rate keeps at most 10 characters unless
// its line's text is longer: so a description whose layout differs (a missing line, a bit rate
// of 10000 kb/s and more) gives a piece of its own line rather than the start of the next ones.
DescriptionPieces cutDescription(const QString& description);

// Opens the file with the probe and gathers the texts; the probe is closed again. False, with
// the probe's reason in *error (may be null), when the probe cannot open the file.
bool gatherMediaInfo(TCustomMediaProbe& probe, const std::string& file, MediaInfoTexts& texts,
                     std::string* error);

// "单声道" for "1", "立体声" for "2"; nothing (the label keeps its text) for any other count.
QString channelWords(const QString& channels);

// The text of a stream line for its label: "无" when the piece is no stream's (it begins with
// "File Name", as when the file has no such stream).
QString streamText(const QString& piece);

// The file name's extension with its dot; empty when it has none.
QString extensionWithDot(const QString& fileName);

}  // namespace velmora::app
