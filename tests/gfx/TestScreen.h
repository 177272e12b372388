// A guarded stand-in for the back buffer: any write outside the 320x240 screen fails the test.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/Video.h"

class ScreenTest : public testing::Test {
protected:
    static constexpr int W = Video::WIDTH;
    static constexpr int H = Video::HEIGHT;
    static constexpr int GUARD = 4096;
    static constexpr uint16_t GUARD_VALUE = 0xA5A5;

    void SetUp() override
    {
        m_memory.assign(GUARD + W * H + GUARD, GUARD_VALUE);
        m_saved = Video::screen;
        Video::screen = m_memory.data() + GUARD;
        fill(0);
    }
    void TearDown() override
    {
        for (int i = 0; i < GUARD; i++) {
            ASSERT_EQ(GUARD_VALUE, m_memory[i]) << "write before the screen at " << i;
            ASSERT_EQ(GUARD_VALUE, m_memory[GUARD + W * H + i]) << "write after the screen at " << i;
        }
        Video::screen = m_saved;
    }
    void fill(uint16_t value)
    {
        for (int i = 0; i < W * H; i++)
            Video::screen[i] = value;
    }
    uint16_t at(int x, int y) const { return Video::screen[y * W + x]; }

    std::vector<uint16_t> m_memory;
    uint16_t* m_saved = nullptr;
};
