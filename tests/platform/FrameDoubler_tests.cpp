// The SSE2 doubling copy held to its plain C++ version.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "platform/FrameDoubler.h"
#include "platform/Video.h"

TEST(FrameDoubler, DoublingCopyMatchesThePlainPathOnRandomRows)
{
#ifndef __SSE2__
    GTEST_SKIP() << "only the plain path is built for this processor";
#endif
    std::mt19937 random(16);
    const size_t rowBytes = Video::WIDTH * 4;
    const size_t guardBytes = 32;
    std::vector<uint16_t> source(Video::WIDTH);
    for (int round = 0; round < 48; ++round) {
        for (uint16_t& pixel : source)
            pixel = uint16_t(random());
        // Both window rows start at every offset within a 16-byte block, and the guard bytes
        // around them show a store past either end of the row.
        const size_t first = round % 16;
        const size_t second = first + rowBytes + round % 3;
        std::vector<uint8_t> fast(second + rowBytes + guardBytes, 0xA5);
        std::vector<uint8_t> plain = fast;
        FrameDoubler::doubleRow(source.data(), fast.data() + first, fast.data() + second);
        FrameDoubler::doubleRowPlain(source.data(), plain.data() + first, plain.data() + second);
        ASSERT_EQ(fast, plain) << "round " << round;
    }
}
