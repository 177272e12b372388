// WString::Array: the exact growth and shrink policies, copying, takeAt, assign and join.
#include "text/WStringArray.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace {

WString::Array numbered(int n)
{
    WString::Array items;
    for (int i = 0; i < n; i++)
        items.append(WString(std::to_string(i).c_str()));
    return items;
}

void expectNumbered(const WString::Array& items, std::initializer_list<int> expected)
{
    ASSERT_EQ(items.count(), static_cast<int>(expected.size()));
    int i = 0;
    for (int e : expected) {
        ASSERT_NE(items.at(i).text(), nullptr) << "item " << i;
        EXPECT_STREQ(items.at(i).text(), std::to_string(e).c_str()) << "item " << i;
        i++;
    }
}

} // namespace

TEST(WStringArray, NewArrayAllocatesNothing)
{
    WString::Array items;
    EXPECT_EQ(items.count(), 0);
    EXPECT_EQ(items.capacity(), 0);
    EXPECT_EQ(items.items(), nullptr);
}

TEST(WStringArray, AppendCapacities)
{
    const struct {
        int count;
        int capacity;
    } steps[] = {{1, 5}, {5, 5}, {6, 10}, {10, 10}, {11, 15}, {15, 15}, {16, 22}, {23, 33}, {34, 49}, {50, 73}};
    WString::Array items;
    int appended = 0;
    for (const auto& step : steps) {
        while (appended < step.count)
            EXPECT_EQ(items.append(WString("x")), appended++);
        EXPECT_EQ(items.capacity(), step.capacity) << "after " << step.count << " appends";
    }
}

TEST(WStringArray, AppendKeepsStorageUntilFull)
{
    WString::Array items;
    items.append(WString("a"));
    WString* storage = items.items();
    for (int i = 1; i < 5; i++)
        items.append(WString("a"));
    EXPECT_EQ(items.items(), storage);
}

TEST(WStringArray, AppendCopiesTheText)
{
    WString text("abc");
    WString::Array items;
    items.append(text);
    EXPECT_NE(items.at(0).text(), text.text());
    EXPECT_STREQ(items.at(0).text(), "abc");
}

TEST(WStringArray, AppendAbsentGivesAbsentItem)
{
    WString::Array items;
    items.append(WString());
    ASSERT_EQ(items.count(), 1);
    EXPECT_EQ(items.at(0).text(), nullptr);
}

TEST(WStringArray, AppendOwnItemAcrossGrowth)
{
    WString::Array items = numbered(5);
    items.append(items.at(2));
    EXPECT_EQ(items.capacity(), 10);
    expectNumbered(items, {0, 1, 2, 3, 4, 2});
}

TEST(WStringArray, ItemsSurviveGrowth)
{
    WString::Array items = numbered(40);
    for (int i = 0; i < 40; i++)
        EXPECT_STREQ(items.at(i).text(), std::to_string(i).c_str());
}

TEST(WStringArray, RemoveKeepsStorageWhileHalfUsed)
{
    WString::Array items = numbered(6);
    ASSERT_EQ(items.capacity(), 10);
    WString* storage = items.items();
    EXPECT_EQ(items.removeRange(1, 1), 5);
    EXPECT_EQ(items.items(), storage);
    EXPECT_EQ(items.capacity(), 10);
    expectNumbered(items, {0, 2, 3, 4, 5});
    EXPECT_EQ(items.at(5).text(), nullptr);
}

TEST(WStringArray, RemoveBelowHalfMovesToRemainingPlusFour)
{
    WString::Array items = numbered(6);
    items.removeRange(1, 1);
    EXPECT_EQ(items.removeRange(0, 1), 4);
    EXPECT_EQ(items.capacity(), 8);
    expectNumbered(items, {2, 3, 4, 5});
}

TEST(WStringArray, TakeAtShrinksEvenWhenNotSmaller)
{
    WString::Array items = numbered(2);
    ASSERT_EQ(items.capacity(), 5);
    WString first = items.takeAt(0);
    EXPECT_STREQ(first.text(), "0");
    EXPECT_EQ(items.capacity(), 5);
    expectNumbered(items, {1});
    WString second = items.takeAt(0);
    EXPECT_STREQ(second.text(), "1");
    EXPECT_EQ(items.count(), 0);
    EXPECT_EQ(items.capacity(), 4);
}

TEST(WStringArray, TakeAtKeepsOrderOfTheRest)
{
    WString::Array items = numbered(5);
    WString taken = items.takeAt(2);
    EXPECT_STREQ(taken.text(), "2");
    expectNumbered(items, {0, 1, 3, 4});
}

TEST(WStringArray, RemoveRangeInTheMiddle)
{
    WString::Array items = numbered(12);
    ASSERT_EQ(items.capacity(), 15);
    EXPECT_EQ(items.removeRange(3, 4), 8);
    EXPECT_EQ(items.capacity(), 15);
    expectNumbered(items, {0, 1, 2, 7, 8, 9, 10, 11});
}

TEST(WStringArray, ResizeGrowsWithAbsentSlotsAndShrinks)
{
    WString::Array items = numbered(2);
    EXPECT_EQ(items.resize(4), 4);
    EXPECT_EQ(items.at(2).text(), nullptr);
    EXPECT_EQ(items.at(3).text(), nullptr);
    EXPECT_EQ(items.resize(1), 1);
    expectNumbered(items, {0});
    EXPECT_EQ(items.resize(1), 1);
}

TEST(WStringArray, InsertSlotsBeforeEndOpensAbsentSlots)
{
    WString::Array items = numbered(3);
    items.insertSlots(1, 2);
    ASSERT_EQ(items.count(), 5);
    EXPECT_STREQ(items.at(0).text(), "0");
    EXPECT_EQ(items.at(1).text(), nullptr);
    EXPECT_EQ(items.at(2).text(), nullptr);
    EXPECT_STREQ(items.at(3).text(), "1");
    EXPECT_STREQ(items.at(4).text(), "2");
    items.insertSlots(0, 3);
    EXPECT_EQ(items.capacity(), 12);
    EXPECT_STREQ(items.at(3).text(), "0");
    EXPECT_STREQ(items.at(7).text(), "2");
}

TEST(WStringArray, AssignFromLongerGrows)
{
    WString::Array source = numbered(3);
    WString::Array target;
    target.assign(source);
    EXPECT_EQ(target.capacity(), 7);
    expectNumbered(target, {0, 1, 2});
    EXPECT_NE(target.at(0).text(), source.at(0).text());
}

TEST(WStringArray, AssignFromShorterShrinks)
{
    WString::Array target = numbered(10);
    ASSERT_EQ(target.capacity(), 10);
    WString::Array source = numbered(2);
    target = source;
    EXPECT_EQ(target.capacity(), 6);
    expectNumbered(target, {0, 1});
}

TEST(WStringArray, AssignKeepsAbsentItems)
{
    WString::Array source;
    source.append(WString("a"));
    source.append(WString());
    source.append(WString(""));
    WString::Array copy(source);
    ASSERT_EQ(copy.count(), 3);
    EXPECT_STREQ(copy.at(0).text(), "a");
    EXPECT_EQ(copy.at(1).text(), nullptr);
    ASSERT_NE(copy.at(2).text(), nullptr);
    EXPECT_STREQ(copy.at(2).text(), "");
}

TEST(WStringArray, AssignToSelfIsNoOp)
{
    WString::Array items = numbered(3);
    const char* first = items.at(0).text();
    WString::Array& same = items;
    items = same;
    EXPECT_EQ(items.at(0).text(), first);
    expectNumbered(items, {0, 1, 2});
}

TEST(WStringArray, Join)
{
    WString::Array items = numbered(3);
    EXPECT_STREQ(items.join(WString(",")).text(), "0,1,2");
    EXPECT_EQ(WString::Array().join(WString(",")).text(), nullptr);
    WString::Array oneAbsent;
    oneAbsent.append(WString());
    EXPECT_EQ(oneAbsent.join(WString(",")).text(), nullptr);
    oneAbsent.append(WString());
    EXPECT_STREQ(oneAbsent.join(WString(",")).text(), ",");
}

TEST(WStringArray, AssignTakingEndsLikeAssign)
{
    // Targets that grow, keep and shrink their storage; the source keeps its count, absent.
    for (int targetCount : {0, 2, 10}) {
        for (int sourceCount : {0, 1, 3, 7}) {
            WString::Array copied = numbered(targetCount);
            WString::Array taken = numbered(targetCount);
            WString::Array source = numbered(sourceCount);
            copied.assign(source);
            taken.assignTaking(source);
            const std::string where = std::to_string(targetCount) + " <- " + std::to_string(sourceCount);
            EXPECT_EQ(taken.capacity(), copied.capacity()) << where;
            ASSERT_EQ(taken.count(), copied.count()) << where;
            for (int i = 0; i < taken.count(); i++)
                EXPECT_STREQ(taken.at(i).text(), copied.at(i).text()) << where << " item " << i;
            ASSERT_EQ(source.count(), sourceCount) << where;
            for (int i = 0; i < source.count(); i++)
                EXPECT_EQ(source.at(i).text(), nullptr) << where << " item " << i;
        }
    }
    WString::Array items = numbered(3);
    items.assignTaking(items);
    expectNumbered(items, {0, 1, 2});
}

TEST(WStringArray, AppendOfATemporaryTakesItsText)
{
    WString::Array items;
    for (int i = 0; i < 6; i++)
        items.append(WString(std::to_string(i).c_str()));
    EXPECT_EQ(items.capacity(), 10);
    expectNumbered(items, {0, 1, 2, 3, 4, 5});
    WString text("moved");
    const char* block = text.text();
    items.append(std::move(text));
    EXPECT_EQ(items.at(6).text(), block);
    EXPECT_TRUE(text.isAbsent());
    items.append(std::move(items.at(0)));
    EXPECT_STREQ(items.at(7).text(), "0");
    EXPECT_TRUE(items.at(0).isAbsent());
}

TEST(WStringArray, SwapExchangesStorageAndCount)
{
    WString::Array a = numbered(6);
    WString::Array b = numbered(2);
    const WString* aItems = a.items();
    a.swap(b);
    EXPECT_EQ(b.items(), aItems);
    EXPECT_EQ(b.capacity(), 10);
    expectNumbered(b, {0, 1, 2, 3, 4, 5});
    EXPECT_EQ(a.capacity(), 5);
    expectNumbered(a, {0, 1});
}
