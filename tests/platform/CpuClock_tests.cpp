// Clock requests: validation, one-word and three-word forms, and announcing only real changes.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "platform/CpuClock.h"

namespace {

WString::Array speedWords(std::initializer_list<const char*> items)
{
    WString::Array list;
    for (const char* item : items)
        list.append(WString(item));
    return list;
}

// Applies the words and returns what was printed; the result goes to *result.
std::string applyOutput(CpuClock& clock, const WString::Array& words, int* result)
{
    testing::internal::CaptureStdout();
    *result = clock.apply(words);
    fflush(stdout);
    return testing::internal::GetCapturedStdout();
}

} // namespace

TEST(CpuClock, StartsUnsetAndAnnouncesOnlyChanges)
{
    CpuClock clock;
    EXPECT_EQ(clock.mhz(), -1);
    EXPECT_EQ(clock.pll(), -1);
    EXPECT_EQ(clock.prescaler(), -1);

    int result = -7;
    EXPECT_EQ(applyOutput(clock, speedWords({"200"}), &result),
              "Switching CPU to 200 Mhz, display to PLL -1, prescalar -1\n");
    EXPECT_EQ(result, 1);
    EXPECT_EQ(clock.mhz(), 200);
    EXPECT_EQ(clock.pll(), -1);
    EXPECT_EQ(clock.prescaler(), -1);

    EXPECT_EQ(applyOutput(clock, speedWords({"200"}), &result), "");
    EXPECT_EQ(result, 1);

    EXPECT_EQ(applyOutput(clock, speedWords({"100", "5", "2"}), &result),
              "Switching CPU to 100 Mhz, display to PLL 5, prescalar 2\n");
    EXPECT_EQ(result, 1);
    EXPECT_EQ(applyOutput(clock, speedWords({"150"}), &result),
              "Switching CPU to 150 Mhz, display to PLL 5, prescalar 2\n");
    EXPECT_EQ(clock.pll(), 5);
    EXPECT_EQ(clock.prescaler(), 2);
    EXPECT_EQ(applyOutput(clock, speedWords({"150", "5", "2"}), &result), "");
    EXPECT_EQ(result, 1);
    // A change of the PLL alone is a real change.
    EXPECT_EQ(applyOutput(clock, speedWords({"150", "6", "2"}), &result),
              "Switching CPU to 150 Mhz, display to PLL 6, prescalar 2\n");
}

TEST(CpuClock, RefusesClocksOutsideTheRangeAndWrongWordCounts)
{
    struct Case {
        WString::Array words;
        int result;
        const char* output;
    };
    const Case cases[] = {
        {speedWords({"32"}), 0, ""},
        {speedWords({"321"}), 0, ""},
        {speedWords({"0"}), 0, ""},
        {speedWords({"-50"}), 0, ""},
        {speedWords({"fast"}), 0, ""},
        {speedWords({"4294967496"}), 0, ""},
        {speedWords({"200", "5"}), 0, ""},
        {speedWords({"200", "5", "2", "1"}), 0, ""},
        {speedWords({}), 0, ""},
        {speedWords({"33"}), 1, "Switching CPU to 33 Mhz, display to PLL -1, prescalar -1\n"},
        {speedWords({"320"}), 1, "Switching CPU to 320 Mhz, display to PLL -1, prescalar -1\n"},
        {speedWords({"320x"}), 1, "Switching CPU to 320 Mhz, display to PLL -1, prescalar -1\n"},
        {speedWords({"120", "-3", "x"}), 1, "Switching CPU to 120 Mhz, display to PLL -3, prescalar 0\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.output);
        CpuClock clock;
        int result = -7;
        EXPECT_EQ(applyOutput(clock, c.words, &result), c.output);
        EXPECT_EQ(result, c.result);
        if (c.result == 0) {
            EXPECT_EQ(clock.mhz(), -1);
        }
    }

    CpuClock clock;
    testing::internal::CaptureStdout();
    EXPECT_EQ(clock.set(7, 8, 321), 0);
    EXPECT_EQ(clock.set(7, 8, 32), 0);
    EXPECT_EQ(clock.set(7, 8, 64), 1);
    fflush(stdout);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Switching CPU to 64 Mhz, display to PLL 7, prescalar 8\n");
    EXPECT_EQ(clock.mhz(), 64);
}
