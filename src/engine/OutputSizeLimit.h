// Keeps an output within its size limit ("fs"). The write position says little while the run is
// on: a muxer holds packets back (interleaving, Matroska clusters, the MP4 index written at the
// end). What the file will hold is therefore estimated from what was handed to the muxer: the
// header, every packet with what the container adds to it, and the index written at the end.
// A packet that would carry the file past the limit is not written, nor is any packet after it.
//
// Pure arithmetic; the run feeds it (SizeLimitedOutput.cpp). One instance per run, task thread
// only.
#pragma once

#include <cstdint>
#include <string_view>

namespace velmora {

// What a container adds to what its streams carry.
struct ContainerOverhead {
    int64_t bytesPerPacket = 24;  // headers and index entries of one packet
    double payloadFactor = 1.02;  // framing that grows with the data (sectors, TS packets)
    int64_t trailerBytes = 1024;  // index and tags written at the end
};

// The overhead of a muxer by its short name; a cautious guess for names not listed.
ContainerOverhead ContainerOverheadOf(std::string_view muxerName);

class OutputSizeLimit {
public:
    // limitBytes <= 0: no limit. headerBytes: the file's size once its header was written.
    void start(int64_t limitBytes, const ContainerOverhead& overhead, int64_t headerBytes);
    bool active() const { return m_limitBytes > 0; }

    // The file's expected size with what was handed so far. writtenBytes: its write position,
    // which the estimate never falls below.
    int64_t estimateBytes(int64_t writtenBytes) const;
    // Whether a packet of that size may be written; counts it when it may. False from the first
    // packet that does not fit on.
    bool admit(int64_t packetBytes, int64_t writtenBytes);
    // A packet was refused: the output was cut at its limit.
    bool cut() const { return m_cut; }

private:
    int64_t m_limitBytes = 0;
    ContainerOverhead m_overhead;
    int64_t m_headerBytes = 0;
    int64_t m_payloadBytes = 0;
    int64_t m_packets = 0;
    bool m_cut = false;
};

}  // namespace velmora
