// The battery counter's sequence and its wrap at 1000.
#include <gtest/gtest.h>

#include "platform/Battery.h"

TEST(Battery, ReadsRunFromZeroTo999AndWrap)
{
    Battery battery;
    int mismatches = 0;
    for (int i = 0; i < 3500; ++i)
        if (battery.read() != i % 1000)
            ++mismatches;
    EXPECT_EQ(mismatches, 0);
    EXPECT_EQ(battery.read(), 500);
}
