#include "player/PacketQueue.h"

namespace velmora {

namespace {

int itemBytes(const PacketQueue::Item& item) {
    return (item.packet ? item.packet->size : 0) + PacketQueue::kNodeOverhead;
}

}  // namespace

int PacketQueue::put(AVPacket* packet) {
    PacketPtr copy = makePacket();
    if (!copy) {
        return -1;
    }
    // Reference-counted data is shared; anything else is copied so the demuxer may reuse it.
    if (lib::avcodec.av_packet_ref(copy.get(), packet) < 0) {
        return -1;
    }
    lib::avcodec.av_packet_unref(packet);
    Item item{std::move(copy), false, 0};
    {
        std::lock_guard lock(m_mutex);
        m_byteSize += itemBytes(item);
        m_items.push_back(std::move(item));
    }
    m_changed.notify_one();
    return 0;
}

void PacketQueue::putFlush(int serial) {
    {
        std::lock_guard lock(m_mutex);
        m_byteSize += kNodeOverhead;
        m_items.push_back(Item{nullptr, true, serial});
    }
    m_changed.notify_one();
}

int PacketQueue::putEmpty() {
    PacketPtr empty = makePacket();
    if (!empty) {
        return -1;
    }
    Item item{std::move(empty), false, 0};
    {
        std::lock_guard lock(m_mutex);
        m_byteSize += itemBytes(item);
        m_items.push_back(std::move(item));
    }
    m_changed.notify_one();
    return 0;
}

int PacketQueue::get(Item& item, bool block) {
    std::unique_lock lock(m_mutex);
    for (;;) {
        if (m_abort) {
            return -1;
        }
        if (!m_items.empty()) {
            item = std::move(m_items.front());
            m_items.pop_front();
            m_byteSize -= itemBytes(item);
            return 1;
        }
        if (!block) {
            return 0;
        }
        m_changed.wait(lock);
    }
}

void PacketQueue::abort() {
    {
        std::lock_guard lock(m_mutex);
        m_abort = true;
    }
    m_changed.notify_all();
}

bool PacketQueue::aborted() const {
    std::lock_guard lock(m_mutex);
    return m_abort;
}

void PacketQueue::flush() {
    std::deque<Item> dropped;
    {
        std::lock_guard lock(m_mutex);
        dropped.swap(m_items);
        m_byteSize = 0;
    }
    // The packets are freed outside the lock.
}

int PacketQueue::count() const {
    std::lock_guard lock(m_mutex);
    return static_cast<int>(m_items.size());
}

int PacketQueue::byteSize() const {
    std::lock_guard lock(m_mutex);
    return m_byteSize;
}

}  // namespace velmora
