// WMap and WList: the signed-byte hash, buckets, insertion order, get/set/getOrCreate, clear, iteration.
#include "text/WMap.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

typedef WMap<WString, const char*, WString::Array, WString::Array&> ConfigMap;

// Stands in for DLImage: counts destructions so the test sees whether the map deletes values.
struct FakeImage {
    static int destroyed;
    ~FakeImage() { destroyed++; }
};
int FakeImage::destroyed = 0;

typedef WMap<WString, const char*, FakeImage*, FakeImage*> PointerMap;

WString::Array valuesOf(std::initializer_list<const char*> texts)
{
    WString::Array values;
    for (const char* t : texts)
        values.append(WString(t));
    return values;
}

std::vector<std::string> iterateKeys(ConfigMap& map)
{
    std::vector<std::string> keys;
    ConfigMap::Iterator it(&map);
    while (it.hasNext()) {
        WString key;
        WString::Array value;
        it.next(key, value);
        keys.push_back(key.text() ? key.text() : "<absent>");
    }
    return keys;
}

} // namespace

TEST(WMapHash, Examples)
{
    ConfigMap map;
    EXPECT_EQ(map.bucketCount(), 31u);
    EXPECT_EQ(hashString(""), 0u);
    EXPECT_EQ(map.bucketOf(""), 0u);
    EXPECT_EQ(hashString("a"), 97u);
    EXPECT_EQ(map.bucketOf("a"), 4u);
    EXPECT_EQ(hashString("ab"), 97u * 3 + 98);
    EXPECT_EQ(map.bucketOf("SPEED_LOADING"), 22u);
}

TEST(WMapHash, HighBytesAddNegativeAmounts)
{
    EXPECT_EQ(hashString("\xe9"), static_cast<unsigned>(-23));
    EXPECT_EQ(hashString("a\xe9"), 97u * 3 - 23);
    ConfigMap map;
    EXPECT_EQ(map.bucketOf("\xe9"), static_cast<unsigned>(-23) % 31u);
}

TEST(WMapHash, WrapsModulo2To32)
{
    // 21 bytes of 'z' overflow 32 bits; compute the expected value the same way in 64 bits.
    std::string key(21, 'z');
    unsigned long long h = 0;
    for (char c : key)
        h = (h * 3 + static_cast<signed char>(c)) & 0xFFFFFFFFull;
    EXPECT_EQ(hashString(key.c_str()), static_cast<unsigned>(h));
}

TEST(WMap, GetOfMissingKeyDoesNotCreate)
{
    ConfigMap map;
    WString::Array out = valuesOf({"untouched"});
    EXPECT_FALSE(map.get("KEY", out));
    EXPECT_EQ(map.count(), 0);
    ASSERT_EQ(out.count(), 1);
    EXPECT_STREQ(out.at(0).text(), "untouched");
    EXPECT_EQ(map.bucket(map.bucketOf("KEY")).count(), 0);
}

TEST(WMap, GetOrCreateCreatesEmptyArray)
{
    ConfigMap map;
    WString::Array& created = map.getOrCreate("KEY");
    EXPECT_EQ(created.count(), 0);
    EXPECT_EQ(map.count(), 1);
    created = valuesOf({"1", "2"});
    WString::Array out;
    EXPECT_TRUE(map.get("KEY", out));
    ASSERT_EQ(out.count(), 2);
    EXPECT_STREQ(out.at(1).text(), "2");
    EXPECT_EQ(&map.getOrCreate("KEY"), &created);
    EXPECT_EQ(map.count(), 1);
}

TEST(WMap, SetKeepsPlaceAndCount)
{
    ConfigMap map;
    WString::Array first = valuesOf({"1"});
    WString::Array second = valuesOf({"2"});
    WString::Array replaced = valuesOf({"new"});
    map.set("a", first);
    map.set("#", second);
    map.set("a", replaced);
    EXPECT_EQ(map.count(), 2);
    EXPECT_EQ(iterateKeys(map), (std::vector<std::string>{"a", "#"}));
    WString::Array out;
    ASSERT_TRUE(map.get("a", out));
    EXPECT_STREQ(out.at(0).text(), "new");
}

TEST(WMap, KeysDifferingInCaseAreDifferent)
{
    ConfigMap map;
    map.getOrCreate("Skin") = valuesOf({"upper"});
    map.getOrCreate("skin") = valuesOf({"lower"});
    EXPECT_EQ(map.count(), 2);
    WString::Array out;
    ASSERT_TRUE(map.get("Skin", out));
    EXPECT_STREQ(out.at(0).text(), "upper");
    EXPECT_FALSE(map.get("SKIN", out));
}

TEST(WMap, SameBucketKeysFoundAndIteratedInInsertionOrder)
{
    ConfigMap map;
    ASSERT_EQ(map.bucketOf("a"), map.bucketOf("#"));
    map.getOrCreate("#") = valuesOf({"hash"});
    map.getOrCreate("a") = valuesOf({"letter"});
    WString::Array out;
    ASSERT_TRUE(map.get("a", out));
    EXPECT_STREQ(out.at(0).text(), "letter");
    ASSERT_TRUE(map.get("#", out));
    EXPECT_STREQ(out.at(0).text(), "hash");
    EXPECT_EQ(map.bucket(4).count(), 2);
    EXPECT_EQ(iterateKeys(map), (std::vector<std::string>{"#", "a"}));
}

TEST(WMap, IterationFollowsBucketsNotInsertion)
{
    ConfigMap map;
    // "=" is bucket 30, "b" bucket 5, "" bucket 0.
    map.getOrCreate("=");
    map.getOrCreate("b");
    map.getOrCreate("");
    EXPECT_EQ(iterateKeys(map), (std::vector<std::string>{"", "b", "="}));
}

TEST(WMap, EmptyKeyIsValid)
{
    ConfigMap map;
    map.getOrCreate("") = valuesOf({"v"});
    WString::Array out;
    EXPECT_TRUE(map.get("", out));
    EXPECT_EQ(map.bucket(0).count(), 1);
}

TEST(WMap, IteratingEmptyMap)
{
    ConfigMap map;
    ConfigMap::Iterator it(&map);
    EXPECT_FALSE(it.hasNext());
    EXPECT_FALSE(it.hasNext());
}

TEST(WMap, OnlyEntryInLastBucket)
{
    ConfigMap map;
    ASSERT_EQ(map.bucketOf("="), 30u);
    map.getOrCreate("=") = valuesOf({"x", "y"});
    ConfigMap::Iterator it(&map);
    ASSERT_TRUE(it.hasNext());
    WString key;
    WString::Array value;
    it.next(key, value);
    EXPECT_STREQ(key.text(), "=");
    ASSERT_EQ(value.count(), 2);
    EXPECT_STREQ(value.at(1).text(), "y");
    EXPECT_FALSE(it.hasNext());
}

TEST(WMap, ClearThenRefill)
{
    ConfigMap map;
    for (const char* k : {"a", "#", "b", "SPEED_LOADING"})
        map.getOrCreate(k) = valuesOf({k});
    EXPECT_EQ(map.count(), 4);
    map.clear();
    EXPECT_EQ(map.count(), 0);
    for (unsigned i = 0; i < map.bucketCount(); i++)
        EXPECT_EQ(map.bucket(i).count(), 0) << "bucket " << i;
    EXPECT_TRUE(iterateKeys(map).empty());
    WString::Array out;
    EXPECT_FALSE(map.get("a", out));
    map.getOrCreate("b") = valuesOf({"again"});
    EXPECT_EQ(map.count(), 1);
    ASSERT_TRUE(map.get("b", out));
    EXPECT_STREQ(out.at(0).text(), "again");
}

TEST(WMap, RemoveEntry)
{
    ConfigMap map;
    map.getOrCreate("#");
    map.getOrCreate("a");
    map.remove("#");
    map.remove("missing");
    EXPECT_EQ(map.count(), 1);
    EXPECT_EQ(iterateKeys(map), (std::vector<std::string>{"a"}));
}

TEST(WMapPointers, SetGetAndDefaultValue)
{
    PointerMap map;
    FakeImage one;
    FakeImage two;
    FakeImage* out = &one;
    EXPECT_FALSE(map.get("img.png", out));
    EXPECT_EQ(out, &one);
    map.set("img.png", &one);
    map.set("img.png", &two);
    EXPECT_EQ(map.count(), 1);
    ASSERT_TRUE(map.get("img.png", out));
    EXPECT_EQ(out, &two);
    PointerMap::Entry fresh;
    EXPECT_EQ(fresh.key.text(), nullptr);
    EXPECT_EQ(fresh.value, nullptr);
}

TEST(WMapPointers, DestroyingMapLeavesValuesAlive)
{
    FakeImage::destroyed = 0;
    FakeImage* images = new FakeImage[3];
    {
        PointerMap map;
        map.set("a.png", &images[0]);
        map.set("b.png", &images[1]);
        map.set("c.png", &images[2]);
        map.clear();
        map.set("a.png", &images[0]);
    }
    EXPECT_EQ(FakeImage::destroyed, 0);
    delete[] images;
    EXPECT_EQ(FakeImage::destroyed, 3);
}

TEST(WMapEntry, DefaultHasAbsentKeyAndEmptyArray)
{
    ConfigMap::Entry entry;
    EXPECT_EQ(entry.key.text(), nullptr);
    EXPECT_EQ(entry.value.count(), 0);
}

typedef WList<WString, const WString&> StringList;

std::vector<std::string> listed(StringList& list)
{
    std::vector<std::string> out;
    StringList::Iterator it(&list);
    while (it.hasNext())
        out.push_back(it.next().text());
    return out;
}

TEST(WList, NewListIsEmptyAndAppendKeepsOrder)
{
    StringList list;
    EXPECT_EQ(list.count(), 0);
    EXPECT_TRUE(listed(list).empty());
    list.append(WString("1"));
    EXPECT_STREQ(list.last().text(), "1");
    list.append(WString("2"));
    EXPECT_STREQ(list.last().text(), "2");
    EXPECT_EQ(list.count(), 2);
    EXPECT_EQ(listed(list), (std::vector<std::string>{"1", "2"}));
}

TEST(WList, IteratorRemoveMidWalkDoesNotSkip)
{
    StringList list;
    for (const char* t : {"1", "2", "3", "4"})
        list.append(WString(t));
    std::vector<std::string> seen;
    StringList::Iterator it(&list);
    while (it.hasNext()) {
        WString& item = it.next();
        EXPECT_FALSE(it.removed());
        seen.push_back(item.text());
        if (item == "2") {
            WString removed = it.remove();
            EXPECT_STREQ(removed.text(), "2");
            EXPECT_TRUE(it.removed());
        }
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"1", "2", "3", "4"}));
    EXPECT_EQ(list.count(), 3);
    EXPECT_EQ(listed(list), (std::vector<std::string>{"1", "3", "4"}));
}

TEST(WList, RemoveEveryItemWhileWalking)
{
    StringList list;
    for (const char* t : {"1", "2", "3"})
        list.append(WString(t));
    StringList::Iterator it(&list);
    int removed = 0;
    while (it.hasNext()) {
        it.next();
        it.remove();
        removed++;
    }
    EXPECT_EQ(removed, 3);
    EXPECT_EQ(list.count(), 0);
    list.append(WString("again"));
    EXPECT_EQ(listed(list), (std::vector<std::string>{"again"}));
}

TEST(WList, RemoveWithoutACurrentItemDoesNothing)
{
    StringList list;
    for (const char* t : {"1", "2", "3"})
        list.append(WString(t));
    StringList::Iterator it(&list);
    // Before the first next() the node in hand is the sentinel, which must stay.
    EXPECT_TRUE(it.remove().isAbsent());
    EXPECT_EQ(list.count(), 3);
    it.next();
    it.next();
    EXPECT_STREQ(it.remove().text(), "2");
    // A second remove() in a row would take "1", which next() never handed out again.
    EXPECT_TRUE(it.remove().isAbsent());
    EXPECT_EQ(listed(list), (std::vector<std::string>{"1", "3"}));
    ASSERT_TRUE(it.hasNext());
    EXPECT_STREQ(it.next().text(), "3");
}

TEST(WList, ClearEmptiesAndAllowsReuse)
{
    StringList list;
    list.append(WString("x"));
    list.append(WString("y"));
    list.clear();
    EXPECT_EQ(list.count(), 0);
    EXPECT_TRUE(listed(list).empty());
    list.append(WString("z"));
    EXPECT_EQ(listed(list), (std::vector<std::string>{"z"}));
}
