// Tests of the configuration store: loading, lookups, expansion and the dump.
#include "config/Config.h"

#include "ConfigTestSupport.h"

static std::string dumpOf(const Config& config)
{
    testing::internal::CaptureStdout();
    config.dump();
    fflush(stdout);
    return testing::internal::GetCapturedStdout();
}

TEST(Config, LoadKeepsTheLastOccurrenceAndClearsFirst)
{
    TempDir dir;
    ASSERT_TRUE(dir.ok());
    std::string path = dir.file("Trevandel.cfg");
    ASSERT_TRUE(writeFile(path, "A=1\nskin=concept\nA=2,3\n"));

    Config config;
    EXPECT_FALSE(config.isLoaded());
    config.setString("STALE", WString("x"));
    EXPECT_TRUE(config.load(path.c_str()));
    EXPECT_TRUE(config.isLoaded());
    EXPECT_EQ(2, config.count());
    WString::Array values;
    ASSERT_TRUE(config.get("A", values));
    expectValues({"2", "3"}, values, "A");
    EXPECT_FALSE(config.get("STALE", values));
    // A repeated key keeps the place of its first occurrence.
    EXPECT_EQ("CFG: A=2,3\nCFG: SKIN=concept\n", dumpOf(config));

    EXPECT_FALSE(config.load(dir.file("missing.cfg").c_str()));
    EXPECT_FALSE(config.isLoaded());
    EXPECT_EQ(0, config.count());
    EXPECT_EQ("", dumpOf(config));

    Config fromPath(path.c_str());
    EXPECT_TRUE(fromPath.isLoaded());
    EXPECT_STREQ("concept", fromPath.lookup("SKIN", nullptr).printable());

    std::string empty = dir.file("empty.cfg");
    ASSERT_TRUE(writeFile(empty, ""));
    EXPECT_TRUE(config.load(empty.c_str()));
    EXPECT_EQ(0, config.count());
}

TEST(Config, GetLookupSetAndRemove)
{
    Config config;
    config.set("COLOR", makeArray({"255", "0", "0"}));
    config.set("EMPTY", WString::Array());
    config.set("ABSENT", makeArray({nullptr}));
    config.setString("SKIN", WString("concept"));

    WString::Array values = makeArray({"untouched"});
    EXPECT_FALSE(config.get("NONE", values));
    expectValues({"untouched"}, values, "after a miss");
    EXPECT_FALSE(config.get("color", values));
    EXPECT_TRUE(config.get("COLOR", values));
    expectValues({"255", "0", "0"}, values, "COLOR");

    EXPECT_STREQ("255,0,0", config.lookup("COLOR", "x").printable());
    EXPECT_STREQ("concept", config.lookup("SKIN", "x").printable());
    EXPECT_STREQ("dflt", config.lookup("NONE", "dflt").printable());
    EXPECT_STREQ("dflt", config.lookup("EMPTY", "dflt").printable());
    EXPECT_TRUE(config.lookup("NONE", nullptr).isAbsent());
    // One value that happens to be empty is still a value: the join, not the default.
    EXPECT_TRUE(config.lookup("ABSENT", "dflt").isAbsent());

    config.setString("SKIN", WString("dark"));
    EXPECT_STREQ("dark", config.lookup("SKIN", nullptr).printable());
    EXPECT_EQ(4, config.count());
    config.remove("SKIN");
    config.remove("NOT-THERE");
    EXPECT_EQ(3, config.count());
    EXPECT_FALSE(config.get("SKIN", values));
}

TEST(Config, ExpandResolvesReferences)
{
    Config config;
    config.setString("SKIN", WString("concept"));
    config.set("COLOR", makeArray({"255", "0", "0"}));
    config.setString("X", WString("50%"));
    config.set("HOLE", makeArray({nullptr, ""}));

    // An expansion that appends nothing is absent (nullptr here), not present empty.
    struct Case {
        const char* text;
        const char* expanded;
    };
    const Case cases[] = {
        {"%SKIN%", "concept"},
        {"%skin%", "%skin%"},
        {"%COLOR%", "255,0,0"},
        {"%COLOR[1]%", "0"},
        {"%COLOR[3]%", nullptr},
        {"%COLOR[-1]%", nullptr},
        {"%COLOR[x]%", "255"},
        {"%COLOR[]%", "255"},
        {"%COLOR[2x]%", "0"},
        {"%COLOR[4294967297]%", nullptr},
        {"%NONE%", "%NONE%"},
        {"%NONE[2]%", "%NONE%"},
        {"%[1]%", "%[1]%"},
        {"%COLOR]%", "%COLOR]%"},
        {"%COLOR[1]x%", "%COLOR[1]x%"},
        {"100%%", "100%"},
        {"%%%SKIN%", "%concept"},
        {"a%b", "a"},
        {"%SKIN", nullptr},
        {"%X%", "50%"},
        {"%X%%SKIN%", "50%concept"},
        {"skins/%SKIN%/%COLOR[0]%.png", "skins/concept/255.png"},
        {"%HOLE%", ","},
        {"%HOLE[1]%", ""},
        {"no references", "no references"},
        {"%%", "%"},
        {"abc%", "abc"},
    };
    for (const Case& c : cases) {
        WString result = config.expand(WString(c.text));
        EXPECT_EQ(c.expanded == nullptr, result.isAbsent()) << c.text;
        EXPECT_STREQ(c.expanded ? c.expanded : "", result.printable()) << c.text;
    }
}

TEST(Config, ExpandGivesAbsentWhenNothingIsAppended)
{
    Config config;
    config.set("HOLE", makeArray({nullptr, ""}));
    config.set("NOTHING", WString::Array());
    const char* texts[] = {"", "%SKIN", "%NOTHING%", "%HOLE[0]%", "%HOLE[5]%", "%unclosed"};
    for (const char* text : texts)
        EXPECT_TRUE(config.expand(WString(text)).isAbsent()) << text;
    EXPECT_TRUE(config.expand(WString()).isAbsent());
}

TEST(Config, ExpandInPlaceGivesWhatExpandGives)
{
    Config config;
    config.setString("SKIN", WString("concept"));
    config.setString("EMPTY", WString(""));
    config.set("ONEABSENT", makeArray({nullptr}));
    const char* texts[] = {"", "plain", " ", "%SKIN%", "a%SKIN%b", "%EMPTY%", "x%EMPTY%",
                           "%ONEABSENT%", "%NONE%", "100%%", "%", "50%", "%EMPTY[0]%"};
    for (const char* text : texts) {
        WString expected = config.expand(WString(text));
        WString inPlace(text);
        config.expandInPlace(inPlace);
        EXPECT_EQ(expected.isAbsent(), inPlace.isAbsent()) << text;
        EXPECT_STREQ(expected.printable(), inPlace.printable()) << text;
    }
    // One present empty value is appended, so the result is present; an absent one is not.
    EXPECT_FALSE(config.expand(WString("%EMPTY%")).isAbsent());
    EXPECT_TRUE(config.expand(WString("%ONEABSENT%")).isAbsent());
    WString absent;
    config.expandInPlace(absent);
    EXPECT_TRUE(absent.isAbsent());
}

TEST(Config, DumpFollowsBucketOrderThenInsertionOrder)
{
    // Buckets: ">" 0, "A" 3, "a" and "#" 4, "E" and "COLOR" 7.
    Config config;
    config.setString("a", WString("lower"));
    config.setString("E", WString("x"));
    config.setString("A", WString("upper"));
    config.setString("#", WString("hash"));
    config.setString(">", WString("first"));
    config.set("COLOR", makeArray({"255", "", "0"}));
    // Replacing values keeps the entry's place; an absent join prints nothing after "=".
    config.set("E", makeArray({nullptr}));
    config.setString("a", WString("again"));
    EXPECT_EQ(config.entries().bucketOf("a"), config.entries().bucketOf("#"));
    EXPECT_EQ("CFG: >=first\n"
              "CFG: A=upper\n"
              "CFG: a=again\n"
              "CFG: #=hash\n"
              "CFG: E=\n"
              "CFG: COLOR=255,,0\n",
              dumpOf(config));

    Config single;
    single.setString("SKIN", WString("concept"));
    EXPECT_EQ("CFG: SKIN=concept\n", dumpOf(single));
}
