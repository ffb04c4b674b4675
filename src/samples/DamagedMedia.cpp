#include "samples/DamagedMedia.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <mutex>
#include <optional>
#include <random>
#include <sstream>

#include "medialib/LibraryHandles.h"
#include "medialib/MediaLibLoader.h"

namespace velmora {
namespace {

std::optional<std::string> readBytes(const std::string& path, std::string* error) {
    std::ifstream input(path, std::ios::binary);
    if (!input) {
        if (error != nullptr) {
            *error = "cannot read '" + path + "'";
        }
        return std::nullopt;
    }
    return std::string(std::istreambuf_iterator<char>(input), {});
}

bool writeBytes(const std::string& path, const std::string& bytes, std::string* error) {
    std::ofstream output(path, std::ios::binary | std::ios::trunc);
    output.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    output.close();
    if (!output) {
        if (error != nullptr) {
            *error = "cannot write '" + path + "'";
        }
        return false;
    }
    return true;
}

bool refuse(std::string* error, const std::string& text) {
    if (error != nullptr) {
        *error = text;
    }
    return false;
}

std::uint32_t readLittle32(const std::string& bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) {
        value = (value << 8) | static_cast<std::uint8_t>(bytes[at + i]);
    }
    return value;
}

void writeLittle32(std::string& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    }
}

void writeLittle64(std::string& bytes, std::size_t at, std::uint64_t value) {
    for (int i = 0; i < 8; ++i) {
        bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    }
}

std::uint64_t readBig(const std::string& bytes, std::size_t at, int count) {
    std::uint64_t value = 0;
    for (int i = 0; i < count; ++i) {
        value = (value << 8) | static_cast<std::uint8_t>(bytes[at + i]);
    }
    return value;
}

std::string libraryErrorText(int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    lib::avutil.av_strerror(code, text, sizeof text);
    return text;
}

}  // namespace

bool removeAviIndex(const std::string& from, const std::string& to, std::string* error) {
    std::optional<std::string> bytes = readBytes(from, error);
    if (!bytes) {
        return false;
    }
    std::string& data = *bytes;
    if (data.size() < 12 || data.compare(0, 4, "RIFF") != 0 || data.compare(8, 4, "AVI ") != 0) {
        return refuse(error, "'" + from + "' is not an AVI file");
    }
    // The top-level chunks of the RIFF list; the index is one of them.
    std::size_t at = 12;
    bool removed = false;
    while (at + 8 <= data.size()) {
        const std::size_t size = readLittle32(data, at + 4);
        const std::size_t whole = std::min(data.size() - at, 8 + size + (size & 1));
        if (data.compare(at, 4, "idx1") == 0) {
            data.erase(at, whole);
            removed = true;
            continue;
        }
        at += whole;
    }
    if (!removed) {
        return refuse(error, "'" + from + "' has no index");
    }
    writeLittle32(data, 4, static_cast<std::uint32_t>(data.size() - 8));
    // avih: micro seconds per frame, max bytes per second, padding granularity, flags.
    const std::size_t header = data.find("avih");
    if (header != std::string::npos && header + 8 + 16 <= data.size()) {
        constexpr std::uint32_t kHasIndex = 0x10;
        constexpr std::uint32_t kMustUseIndex = 0x20;
        const std::size_t flags = header + 8 + 12;
        writeLittle32(data, flags, readLittle32(data, flags) & ~(kHasIndex | kMustUseIndex));
    }
    return writeBytes(to, data, error);
}

bool removeMp4Box(const std::string& from, const std::string& to, const std::string& type,
                  std::string* error) {
    if (type.size() != 4) {
        return refuse(error, "a box type has four letters");
    }
    std::optional<std::string> bytes = readBytes(from, error);
    if (!bytes) {
        return false;
    }
    const std::string& data = *bytes;
    std::string kept;
    std::size_t at = 0;
    bool removed = false;
    while (at + 8 <= data.size()) {
        std::uint64_t size = readBig(data, at, 4);
        if (size == 1 && at + 16 <= data.size()) {
            size = readBig(data, at + 8, 8);  // 64-bit size after the type
        } else if (size == 0) {
            size = data.size() - at;  // the box runs to the end of the file
        }
        if (size < 8 || size > data.size() - at) {
            return refuse(error, "'" + from + "' is not an MP4 file");
        }
        if (data.compare(at + 4, 4, type) == 0) {
            removed = true;
        } else {
            kept.append(data, at, size);
        }
        at += size;
    }
    if (!removed) {
        return refuse(error, "'" + from + "' has no '" + type + "' box");
    }
    return writeBytes(to, kept, error);
}

bool flipBytes(const std::string& from, const std::string& to, std::int64_t offset, int count,
               std::string* error) {
    std::optional<std::string> bytes = readBytes(from, error);
    if (!bytes) {
        return false;
    }
    if (offset < 0 || count < 0 || static_cast<std::uint64_t>(offset) + count > bytes->size()) {
        return refuse(error, "bytes to flip lie outside '" + from + "'");
    }
    for (int i = 0; i < count; ++i) {
        (*bytes)[offset + i] = static_cast<char>(~static_cast<std::uint8_t>((*bytes)[offset + i]));
    }
    return writeBytes(to, *bytes, error);
}

bool flipBits(const std::string& from, const std::string& to, double fraction, unsigned seed,
              std::int64_t keepBytes, std::string* error) {
    std::optional<std::string> bytes = readBytes(from, error);
    if (!bytes) {
        return false;
    }
    if (!(fraction >= 0.0 && fraction <= 1.0) || keepBytes < 0 ||
        static_cast<std::uint64_t>(keepBytes) >= bytes->size()) {
        return refuse(error, "nothing to damage in '" + from + "'");
    }
    const std::uint64_t span = bytes->size() - static_cast<std::uint64_t>(keepBytes);
    const auto flips = static_cast<std::uint64_t>(std::llround(fraction * span * 8));
    // The raw generator output (not a distribution) keeps the damage the same everywhere.
    std::mt19937 generator(seed);
    for (std::uint64_t i = 0; i < flips; ++i) {
        const std::uint64_t position = keepBytes + generator() % span;
        const int bit = static_cast<int>(generator() % 8);
        (*bytes)[position] = static_cast<char>((*bytes)[position] ^ (1 << bit));
    }
    return writeBytes(to, *bytes, error);
}

bool insertBytes(const std::string& from, const std::string& to, std::int64_t offset,
                 std::int64_t count, std::uint8_t value, std::string* error) {
    std::optional<std::string> bytes = readBytes(from, error);
    if (!bytes) {
        return false;
    }
    if (offset < 0 || count < 0 || static_cast<std::uint64_t>(offset) > bytes->size()) {
        return refuse(error, "the place to insert lies outside '" + from + "'");
    }
    bytes->insert(static_cast<std::size_t>(offset), static_cast<std::size_t>(count),
                  static_cast<char>(value));
    return writeBytes(to, *bytes, error);
}

std::int64_t findBytes(const std::string& path, const std::string& pattern, std::int64_t start) {
    std::optional<std::string> bytes = readBytes(path, nullptr);
    if (!bytes || start < 0 || pattern.empty()) {
        return -1;
    }
    const std::size_t at = bytes->find(pattern, static_cast<std::size_t>(start));
    return at == std::string::npos ? -1 : static_cast<std::int64_t>(at);
}

bool remuxDamaged(const std::string& from, const std::string& to, const RemuxDamage& damage,
                  std::string* error) {
    AVFormatContext* rawInput = nullptr;
    int result = lib::avformat.avformat_open_input(&rawInput, from.c_str(), nullptr, nullptr);
    if (result < 0) {
        return refuse(error, "cannot open '" + from + "': " + libraryErrorText(result));
    }
    InputFormatPtr input(rawInput);
    {
        std::lock_guard lock(CodecLock());
        result = lib::avformat.avformat_find_stream_info(rawInput, nullptr);
    }
    if (result < 0) {
        return refuse(error, "cannot read the streams of '" + from + "'");
    }
    AVFormatContext* rawOutput = nullptr;
    lib::avformat.avformat_alloc_output_context2(&rawOutput, nullptr, nullptr, to.c_str());
    if (rawOutput == nullptr) {
        return refuse(error, "no container for '" + to + "'");
    }
    OutputFormatPtr output(rawOutput);
    rawOutput->flags |= AVFMT_FLAG_BITEXACT;
    for (unsigned i = 0; i < rawInput->nb_streams; ++i) {
        AVStream* stream = lib::avformat.avformat_new_stream(rawOutput, nullptr);
        if (stream == nullptr || lib::avcodec.avcodec_parameters_copy(
                                     stream->codecpar, rawInput->streams[i]->codecpar) < 0) {
            return refuse(error, "out of memory");
        }
        stream->codecpar->codec_tag = 0;
        stream->time_base = rawInput->streams[i]->time_base;
        stream->avg_frame_rate = rawInput->streams[i]->avg_frame_rate;
    }
    if (!(rawOutput->oformat->flags & AVFMT_NOFILE)) {
        result =
            lib::avformat.avio_open2(&rawOutput->pb, to.c_str(), AVIO_FLAG_WRITE, nullptr, nullptr);
        if (result < 0) {
            return refuse(error, "cannot create '" + to + "': " + libraryErrorText(result));
        }
    }
    result = lib::avformat.avformat_write_header(rawOutput, nullptr);
    if (result < 0) {
        return refuse(error,
                      "container of '" + to + "' refused the streams: " + libraryErrorText(result));
    }
    // Packets held back until the stream written first has ended.
    std::vector<PacketPtr> heldBack;
    auto write = [&](AVPacket* packet) {
        const int written = damage.writeFirst == AVMEDIA_TYPE_UNKNOWN
                                ? lib::avformat.av_interleaved_write_frame(rawOutput, packet)
                                : lib::avformat.av_write_frame(rawOutput, packet);
        lib::avcodec.av_packet_unref(packet);
        if (written < 0) {
            return refuse(
                error, "container of '" + to + "' refused a packet: " + libraryErrorText(written));
        }
        return true;
    };
    PacketPtr packet = makePacket();
    while (lib::avformat.av_read_frame(rawInput, packet.get()) >= 0) {
        const AVStream* source = rawInput->streams[packet->stream_index];
        const AVStream* target = rawOutput->streams[packet->stream_index];
        const int64_t stamp = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
        for (const TimestampShift& shift : damage.shifts) {
            if (shift.type != source->codecpar->codec_type || stamp == AV_NOPTS_VALUE ||
                stamp * av_q2d(source->time_base) < shift.fromSeconds) {
                continue;
            }
            const int64_t delta = std::llround(shift.shiftSeconds / av_q2d(source->time_base));
            if (packet->pts != AV_NOPTS_VALUE) {
                packet->pts += delta;
            }
            if (packet->dts != AV_NOPTS_VALUE) {
                packet->dts += delta;
            }
        }
        lib::avcodec.av_packet_rescale_ts(packet.get(), source->time_base, target->time_base);
        packet->pos = -1;
        if (damage.writeFirst != AVMEDIA_TYPE_UNKNOWN &&
            source->codecpar->codec_type != damage.writeFirst) {
            heldBack.emplace_back(lib::avcodec.av_packet_clone(packet.get()));
            lib::avcodec.av_packet_unref(packet.get());
            if (!heldBack.back()) {
                return refuse(error, "out of memory");
            }
            continue;
        }
        if (!write(packet.get())) {
            return false;
        }
    }
    for (PacketPtr& held : heldBack) {
        if (!write(held.get())) {
            return false;
        }
    }
    result = lib::avformat.av_write_trailer(rawOutput);
    if (result < 0) {
        return refuse(error, "cannot finish '" + to + "': " + libraryErrorText(result));
    }
    return true;
}

bool setAsfDuration(const std::string& path, double seconds, std::string* error) {
    std::optional<std::string> bytes = readBytes(path, error);
    if (!bytes) {
        return false;
    }
    // The file properties object: its identifier, then size, file id, file size, creation
    // date, packet count, play duration, send duration (100 ns units) and preroll (ms).
    static const unsigned char kFileProperties[16] = {0xA1, 0xDC, 0xAB, 0x8C, 0x47, 0xA9,
                                                      0xCF, 0x11, 0x8E, 0xE4, 0x00, 0xC0,
                                                      0x0C, 0x20, 0x53, 0x65};
    const std::size_t at =
        bytes->find(std::string(reinterpret_cast<const char*>(kFileProperties), 16));
    if (at == std::string::npos || at + 88 > bytes->size()) {
        return refuse(error, "'" + path + "' has no ASF file properties");
    }
    std::uint64_t prerollMs = 0;
    for (int i = 7; i >= 0; --i) {
        prerollMs = (prerollMs << 8) | static_cast<std::uint8_t>((*bytes)[at + 80 + i]);
    }
    const auto sendDuration = static_cast<std::uint64_t>(std::llround(seconds * 1e7));
    writeLittle64(*bytes, at + 64, sendDuration + prerollMs * 10000);
    writeLittle64(*bytes, at + 72, sendDuration);
    return writeBytes(path, *bytes, error);
}

bool padY4mRows(const std::string& from, const std::string& to, int padBytes, std::string* error) {
    std::optional<std::string> bytes = readBytes(from, error);
    if (!bytes) {
        return false;
    }
    const std::string& data = *bytes;
    const std::size_t headerEnd = data.find('\n');
    if (data.compare(0, 10, "YUV4MPEG2 ") != 0 || headerEnd == std::string::npos || padBytes < 0) {
        return refuse(error, "'" + from + "' is not a YUV4MPEG2 file");
    }
    int width = 0;
    int height = 0;
    std::istringstream header(data.substr(10, headerEnd - 10));
    std::string token;
    while (header >> token) {
        if (token[0] == 'W') {
            width = std::atoi(token.c_str() + 1);
        } else if (token[0] == 'H') {
            height = std::atoi(token.c_str() + 1);
        } else if (token[0] == 'C' && token.compare(0, 4, "C420") != 0) {
            return refuse(error, "'" + from + "' is not 4:2:0");
        }
    }
    if (width <= 0 || height <= 0) {
        return refuse(error, "'" + from + "' names no picture size");
    }
    const std::size_t chromaWidth = (width + 1) / 2;
    const std::size_t chromaHeight = (height + 1) / 2;
    const std::size_t frameBytes =
        static_cast<std::size_t>(width) * height + 2 * chromaWidth * chromaHeight;
    std::string padded = data.substr(0, headerEnd + 1);
    const std::string pad(static_cast<std::size_t>(padBytes), static_cast<char>(0x80));
    std::size_t at = headerEnd + 1;
    while (at < data.size()) {
        const std::size_t lineEnd = data.find('\n', at);
        if (lineEnd == std::string::npos || data.compare(at, 5, "FRAME") != 0 ||
            lineEnd + 1 + frameBytes > data.size()) {
            return refuse(error, "'" + from + "' holds a broken frame");
        }
        padded.append(data, at, lineEnd + 1 - at);
        std::size_t row = lineEnd + 1;
        auto copyRows = [&](std::size_t rowBytes, std::size_t rows) {
            for (std::size_t r = 0; r < rows; ++r, row += rowBytes) {
                padded.append(data, row, rowBytes);
                padded += pad;
            }
        };
        copyRows(width, height);
        copyRows(chromaWidth, chromaHeight);
        copyRows(chromaWidth, chromaHeight);
        at = row;
    }
    return writeBytes(to, padded, error);
}

}  // namespace velmora
