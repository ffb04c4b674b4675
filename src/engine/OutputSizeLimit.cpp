#include "engine/OutputSizeLimit.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace velmora {

namespace {

struct NamedOverhead {
    std::string_view name;
    ContainerOverhead overhead;
};

// Measured on what the muxers write (files of one and of eight seconds, the per-packet part
// and the fixed part told apart), rounded up: chunk header and index entry (AVI), block header,
// cluster and cue points (Matroska), sample table entries and the index at the end (MP4), tag
// header and back pointer (FLV), payload headers and packet padding (ASF), PES headers and the
// padding of the last transport packet of each (MPEG-TS), page headers (Ogg).
constexpr NamedOverhead kOverheads[] = {
    {"avi", {25, 1.0, 256}},    {"matroska", {8, 1.0, 512}}, {"webm", {8, 1.0, 512}},
    {"mov", {13, 1.0, 1536}},   {"mp4", {13, 1.0, 1536}},    {"ipod", {13, 1.0, 1536}},
    {"psp", {13, 1.0, 1536}},   {"3gp", {13, 1.0, 1536}},    {"3g2", {13, 1.0, 1536}},
    {"flv", {16, 1.0, 64}},     {"asf", {56, 1.02, 512}},    {"rm", {12, 1.0, 1024}},
    {"ogg", {8, 1.01, 0}},      {"mpeg", {16, 1.01, 0}},     {"vob", {16, 1.01, 0}},
    {"dvd", {16, 1.01, 0}},     {"svcd", {16, 1.05, 0}},     {"vcd", {16, 1.05, 0}},
    {"mpegts", {160, 1.03, 0}}, {"adts", {7, 1.0, 0}},       {"wav", {0, 1.0, 0}},
    {"mp3", {0, 1.0, 128}},     {"mp2", {0, 1.0, 0}},        {"ac3", {0, 1.0, 0}},
    {"flac", {0, 1.0, 0}},      {"amr", {0, 1.0, 0}},
};

int64_t saturatingAdd(int64_t a, int64_t b) {
    return b > 0 && a > std::numeric_limits<int64_t>::max() - b
               ? std::numeric_limits<int64_t>::max()
               : a + b;
}

}  // namespace

ContainerOverhead ContainerOverheadOf(std::string_view muxerName) {
    for (const NamedOverhead& entry : kOverheads) {
        if (entry.name == muxerName) {
            return entry.overhead;
        }
    }
    return ContainerOverhead{};
}

void OutputSizeLimit::start(int64_t limitBytes, const ContainerOverhead& overhead,
                            int64_t headerBytes) {
    *this = OutputSizeLimit{};
    m_limitBytes = std::max<int64_t>(limitBytes, 0);
    m_overhead = overhead;
    m_headerBytes = std::max<int64_t>(headerBytes, 0);
}

int64_t OutputSizeLimit::estimateBytes(int64_t writtenBytes) const {
    // In double: the sums are far below 2^53 for any file, and a factor applies to them.
    const double estimate = static_cast<double>(m_headerBytes) +
                            static_cast<double>(m_payloadBytes) * m_overhead.payloadFactor +
                            static_cast<double>(m_packets) * m_overhead.bytesPerPacket;
    const int64_t counted = static_cast<int64_t>(std::min(estimate, 9e18));
    return saturatingAdd(std::max(counted, writtenBytes), m_overhead.trailerBytes);
}

bool OutputSizeLimit::admit(int64_t packetBytes, int64_t writtenBytes) {
    if (!active()) {
        return true;
    }
    if (m_cut) {
        return false;
    }
    const double after =
        static_cast<double>(estimateBytes(writtenBytes)) +
        static_cast<double>(std::max<int64_t>(packetBytes, 0)) * m_overhead.payloadFactor +
        static_cast<double>(m_overhead.bytesPerPacket);
    if (after > static_cast<double>(m_limitBytes)) {
        m_cut = true;
        return false;
    }
    m_payloadBytes = saturatingAdd(m_payloadBytes, std::max<int64_t>(packetBytes, 0));
    ++m_packets;
    return true;
}

}  // namespace velmora
