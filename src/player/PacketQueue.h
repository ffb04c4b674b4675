// A queue of demuxed packets between the read thread and one decoder.
//
// Besides packets it carries the flush marker, which the read thread puts in at open and after
// every seek to tell the decoder to drop what it holds. The byte size counts each packet's data
// plus a fixed per-node overhead, which is what the read thread's limits are measured in.
// All members may be called from any thread; everything is guarded by m_mutex.
#pragma once

#include <condition_variable>
#include <deque>
#include <mutex>

#include "medialib/LibraryHandles.h"

namespace velmora {

class PacketQueue {
public:
    static constexpr int kNodeOverhead = 72;

    struct Item {
        PacketPtr packet;  // null for the flush marker
        bool flush = false;
        int serial = 0;  // flush marker: which flush it is (the open, then each seek)
    };

    PacketQueue() = default;
    ~PacketQueue() { flush(); }
    PacketQueue(const PacketQueue&) = delete;
    PacketQueue& operator=(const PacketQueue&) = delete;

    // Takes the packet's reference (the packet is left blank). Returns -1 when the copy fails.
    int put(AVPacket* packet);
    void putFlush(int serial = 0);
    // An empty packet: tells the decoder the input has ended so it hands out what it holds.
    int putEmpty();

    // 1: an item was taken; 0: none and not blocking; -1: the queue is aborted.
    int get(Item& item, bool block);

    void abort();
    bool aborted() const;
    // Frees every queued packet; the abort flag stays.
    void flush();

    int count() const;
    int byteSize() const;

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Item> m_items;  // guarded by m_mutex
    int m_byteSize = 0;        // guarded by m_mutex
    bool m_abort = false;      // guarded by m_mutex
};

}  // namespace velmora
