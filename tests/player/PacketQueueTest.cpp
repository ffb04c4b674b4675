#include "player/PacketQueue.h"

#include <gtest/gtest.h>

#include <thread>

#include "support/MediaLibraries.h"

namespace velmora {
namespace {

PacketPtr packetOfSize(int size) {
    PacketPtr packet = makePacket();
    EXPECT_EQ(lib::avcodec.av_new_packet(packet.get(), size), 0);
    return packet;
}

class PacketQueueTest : public ::testing::Test {
protected:
    void SetUp() override { test::requireMediaLibraries(); }
};

TEST_F(PacketQueueTest, CountsPacketsAndBytesWithNodeOverhead) {
    PacketQueue queue;
    PacketPtr a = packetOfSize(100);
    PacketPtr b = packetOfSize(28);
    ASSERT_EQ(queue.put(a.get()), 0);
    ASSERT_EQ(queue.put(b.get()), 0);
    queue.putFlush(7);
    EXPECT_EQ(queue.count(), 3);
    EXPECT_EQ(queue.byteSize(), 100 + 28 + 3 * PacketQueue::kNodeOverhead);
    EXPECT_EQ(a->size, 0);  // the queue took the reference

    PacketQueue::Item item;
    ASSERT_EQ(queue.get(item, false), 1);
    EXPECT_EQ(item.packet->size, 100);
    ASSERT_EQ(queue.get(item, false), 1);
    ASSERT_EQ(queue.get(item, false), 1);
    EXPECT_TRUE(item.flush);
    EXPECT_EQ(item.serial, 7);
    EXPECT_EQ(queue.byteSize(), 0);
    EXPECT_EQ(queue.get(item, false), 0);
}

TEST_F(PacketQueueTest, FlushEmptiesAndAbortWakesABlockedReader) {
    PacketQueue queue;
    PacketPtr a = packetOfSize(10);
    queue.put(a.get());
    queue.flush();
    EXPECT_EQ(queue.count(), 0);
    EXPECT_EQ(queue.byteSize(), 0);

    int result = 0;
    std::thread reader([&] {
        PacketQueue::Item item;
        result = queue.get(item, true);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    queue.abort();
    reader.join();
    EXPECT_EQ(result, -1);
    PacketPtr b = packetOfSize(10);
    queue.put(b.get());
    PacketQueue::Item item;
    EXPECT_EQ(queue.get(item, false), -1);  // an aborted queue hands nothing out
}

}  // namespace
}  // namespace velmora
