// Sample-media generator: short synthetic clips (a moving test picture and a sine tone) encoded
// and muxed through the loaded media libraries. Tests make their fixtures with it and the command
// line's demo makes its sample clip with it; no media file is ever kept in the repository.
//
// The caller loads the libraries first (TMediaLibLoader::instance().LoadLibraries(kConverterSet)).
// The functions may run on any thread; each call works on its own objects only.
#pragma once

#include <map>
#include <string>

#include "medialib/LibraryBindings.h"

namespace velmora {

struct SampleSpec {
    // Muxer short name: "matroska", "mp4", "avi", "mpegts", "mp3", "wav", "flac", "ogg",
    // "mpeg", "flv", "mov", "adts" ...; empty: guessed from the file extension.
    std::string container;
    double durationSeconds = 2.0;

    bool video = true;  // false: audio-only
    std::string videoCodec =
        "mpeg4";  // encoder name: "libx264", "mpeg4", "mpeg2video", "mjpeg" ...
    int width = 320;
    int height = 240;
    AVRational frameRate{25, 1};
    int videoBitRate = 0;  // bits per second; 0: the encoder's default

    bool audio = true;               // false: video-only
    std::string audioCodec = "aac";  // "aac", "libmp3lame", "pcm_s16le", "flac", "libvorbis" ...
    int sampleRate = 44100;
    int channels = 2;
    double toneHz = 440.0;

    std::map<std::string, std::string> metadata;  // container tags (title, artist, date, track ...)
    std::map<std::string, std::string> videoMetadata;  // stream tags, e.g. {"language", "eng"}
    std::map<std::string, std::string> audioMetadata;

    bool movingPicture = true;  // a moving test picture with a frame counter; false: a still colour
    std::string videoFilter;    // extra filter text applied after the picture source
    // Draws each frame's number into the picture as a code that readFrameNumber
    // (FrameNumberCode.h) reads back, before videoFilter.
    bool frameNumberCode = false;
    // Key frames exactly every n frames, with no extra ones at scene changes; 0: the encoder's
    // own choice.
    int keyFrameInterval = 0;
};

// Writes a clip as the sample spec describes to path, replacing any file there. Returns false with a
// message in *error (may be null) naming what failed: libraries not loaded, unknown encoder or
// container, a codec the container refuses, an I/O error ... A partly written file is removed.
// Output is bit-exact where the encoders allow it: the same spec gives the same bytes.
// Never throws.
bool makeSampleMedia(const SampleSpec& spec, const std::string& path, std::string* error);

// Copies the first fraction (0..1) of the file from into to, for tests on cut-off input.
// Returns false when from cannot be read, to cannot be written or fraction is out of range.
bool truncateCopy(const std::string& from, const std::string& to, double fraction);

}  // namespace velmora
