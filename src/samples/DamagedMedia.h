// Damaged copies of sample clips, for tests of how conversions treat broken sources: cut-off
// files, a missing AVI index, flipped bytes and bits, inserted garbage, time stamps that jump,
// padded picture rows, a missing media-data box.
//
// Each function reads `from` and writes a new file `to` (never changing `from`), returns false
// with a message in *error (may be null) when it cannot, and never throws. The time-stamp
// functions work through the loaded media libraries (load them first); the others are plain
// byte work.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "medialib/LibraryBindings.h"

namespace velmora {

// Removes the AVI index (the "idx1" chunk after the "movi" list) and clears the has-index flag
// of the main header, as an interrupted recording leaves the file.
bool removeAviIndex(const std::string& from, const std::string& to, std::string* error);

// Removes every top-level box of that type from an MP4/MOV file ("mdat": the media data).
bool removeMp4Box(const std::string& from, const std::string& to, const std::string& type,
                  std::string* error);

// Inverts every bit of `count` bytes from `offset` on.
bool flipBytes(const std::string& from, const std::string& to, std::int64_t offset, int count,
               std::string* error);

// Inverts about `fraction` of the bits after the first `keepBytes` bytes, at places chosen by a
// generator seeded with `seed` (the same arguments damage the same bits).
bool flipBits(const std::string& from, const std::string& to, double fraction, unsigned seed,
              std::int64_t keepBytes, std::string* error);

// Inserts `count` bytes of `value` at `offset` (a hole of garbage a reader must skip).
bool insertBytes(const std::string& from, const std::string& to, std::int64_t offset,
                 std::int64_t count, std::uint8_t value, std::string* error);

// Offset of the first occurrence of `pattern` at or after `start`; -1 when there is none or the
// file cannot be read.
std::int64_t findBytes(const std::string& path, const std::string& pattern, std::int64_t start = 0);

// Moves the time stamps of every stream of one media type: packets stamped at or after
// `fromSeconds` get `shiftSeconds` added. fromSeconds 0 moves the whole stream (a stream that
// starts late); a later one makes a jump in the middle.
struct TimestampShift {
    AVMediaType type = AVMEDIA_TYPE_VIDEO;
    double fromSeconds = 0.0;
    double shiftSeconds = 0.0;
};

struct RemuxDamage {
    std::vector<TimestampShift> shifts;
    // Writes every packet of this type first and the other streams after them, as a recorder
    // that buffers one stream far ahead does; AVMEDIA_TYPE_UNKNOWN: interleaved as usual.
    AVMediaType writeFirst = AVMEDIA_TYPE_UNKNOWN;
};

// Copies every packet of `from` into `to` (container from to's name) with the damage applied.
bool remuxDamaged(const std::string& from, const std::string& to, const RemuxDamage& damage,
                  std::string* error);

// Writes `seconds` as the play and send duration of an ASF file's header, in place: a header
// that says the file is short while its packets say otherwise.
bool setAsfDuration(const std::string& path, double seconds, std::string* error);

// Appends `padBytes` bytes to every picture row of a 4:2:0 YUV4MPEG2 file, so the frames no
// longer have the size its header promises.
bool padY4mRows(const std::string& from, const std::string& to, int padBytes, std::string* error);

}  // namespace velmora
