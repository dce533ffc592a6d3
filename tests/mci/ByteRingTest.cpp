// The ring between a device's callback and the spooling thread, worked from two threads with
// sizes that never line up with its end, so every byte crosses the wrap-around in some split.

#include "platform/mci/ByteRing.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace qf::mci {
namespace {

TEST(ByteRingTest, EveryByteArrivesOnceAndInOrderAcrossThreads) {
    ByteRing ring(1000);
    EXPECT_EQ(ring.capacity(), 1024u);
    constexpr std::size_t kTotal = 3'000'000;
    std::thread writer([&] {
        std::vector<std::uint8_t> chunk(97);
        std::size_t sent = 0;
        while (sent < kTotal) {
            const std::size_t n = std::min(chunk.size() - sent % 13, kTotal - sent);
            for (std::size_t i = 0; i < n; ++i) {
                chunk[i] = static_cast<std::uint8_t>((sent + i) * 7);
            }
            sent += ring.write(chunk.data(), n);
        }
    });
    std::vector<std::uint8_t> chunk(61);
    std::size_t received = 0;
    bool inOrder = true;
    while (received < kTotal && inOrder) {
        const std::size_t n = ring.read(chunk.data(), chunk.size() - received % 7);
        for (std::size_t i = 0; i < n; ++i) {
            inOrder = inOrder && chunk[i] == static_cast<std::uint8_t>((received + i) * 7);
        }
        received += n;
    }
    writer.join();
    EXPECT_TRUE(inOrder) << "wrong byte near " << received;
    EXPECT_EQ(received, kTotal);
    EXPECT_EQ(ring.readable(), 0u);
    EXPECT_EQ(ring.writable(), ring.capacity());
}

TEST(ByteRingTest, AFullRingTakesNoMoreAndGivesBackWhatItHolds) {
    ByteRing ring(8);
    const std::uint8_t in[12] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    EXPECT_EQ(ring.write(in, 12), 8u);
    EXPECT_EQ(ring.write(in, 1), 0u);
    std::uint8_t out[12] = {};
    EXPECT_EQ(ring.read(out, 5), 5u);
    EXPECT_EQ(ring.write(in + 8, 4), 4u);
    EXPECT_EQ(ring.read(out + 5, 12), 7u);
    const std::uint8_t expected[12] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    EXPECT_EQ(std::vector<std::uint8_t>(out, out + 12),
              std::vector<std::uint8_t>(expected, expected + 12));
}

} // namespace
} // namespace qf::mci
