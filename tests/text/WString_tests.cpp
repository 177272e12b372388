// WString: absent versus present empty, extraction tables, search edges, trim, format, replace, split, join.
#include "text/WString.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Makes a failure message show absent distinctly from "".
std::string show(const WString& s)
{
    return s.text() ? "\"" + std::string(s.text()) + "\"" : std::string("<absent>");
}

void expectPresent(const WString& s, const char* expected)
{
    ASSERT_NE(s.text(), nullptr) << "expected \"" << expected << "\", got absent";
    EXPECT_STREQ(s.text(), expected);
}

WString absent()
{
    return WString();
}

} // namespace

TEST(WString, DefaultIsAbsent)
{
    WString s;
    EXPECT_EQ(s.text(), nullptr);
    EXPECT_EQ(s.length(), 0);
    EXPECT_TRUE(s.isEmpty());
}

TEST(WString, ConstructFromNullIsAbsentAndFromEmptyIsPresent)
{
    EXPECT_EQ(WString(static_cast<const char*>(nullptr)).text(), nullptr);
    WString empty("");
    expectPresent(empty, "");
    EXPECT_TRUE(empty.isEmpty());
    EXPECT_EQ(empty.length(), 0);
}

TEST(WString, CopyOfAbsentIsAbsentAndCopyOfTextIsDeep)
{
    WString a;
    WString b(a);
    EXPECT_EQ(b.text(), nullptr);
    WString c("abc");
    WString d(c);
    EXPECT_NE(c.text(), d.text());
    d.at(0) = 'x';
    expectPresent(c, "abc");
}

TEST(WString, CharacterConstruction)
{
    expectPresent(WString('q'), "q");
    EXPECT_EQ(WString('q').length(), 1);
}

TEST(WString, AbsentComparedWithEmptyIsMinusOne)
{
    EXPECT_EQ(absent().compare(""), -1);
    EXPECT_FALSE(absent() == "");
    EXPECT_TRUE(absent() != "");
    EXPECT_EQ(WString("").compare(""), 0);
    EXPECT_TRUE(WString("") == "");
}

TEST(WString, CompareAbsentAndNull)
{
    EXPECT_EQ(absent().compare(absent()), 0);
    EXPECT_EQ(absent().compare(static_cast<const char*>(nullptr)), 0);
    EXPECT_EQ(WString("x").compare(absent()), 1);
    EXPECT_EQ(WString("").compare(absent()), 1);
    EXPECT_EQ(WString("x").compare(static_cast<const char*>(nullptr)), 1);
    EXPECT_EQ(absent().compare(WString("")), -1);
}

TEST(WString, CompareIsCaseSensitiveAndCompareNoCaseIsNot)
{
    EXPECT_LT(WString("ABC").compare("abc"), 0);
    EXPECT_EQ(WString("ABC").compareNoCase("abc"), 0);
    EXPECT_EQ(absent().compareNoCase(""), -1);
    EXPECT_EQ(WString("").compareNoCase(absent()), 1);
}

TEST(WString, RelationalOperatorsBothSides)
{
    WString b("b");
    EXPECT_TRUE(b > "a");
    EXPECT_TRUE(b >= "b");
    EXPECT_TRUE(b < "c");
    EXPECT_TRUE(b <= "b");
    EXPECT_TRUE("a" < b);
    EXPECT_TRUE("c" > b);
    EXPECT_TRUE("b" <= b);
    EXPECT_TRUE("b" >= b);
    EXPECT_TRUE("b" == b);
    EXPECT_TRUE("a" != b);
    EXPECT_FALSE("" == absent());
    EXPECT_TRUE(WString("a") < WString("b"));
}

TEST(WString, AssignToSelfKeepsText)
{
    WString s("abc");
    WString& same = s;
    s = same;
    expectPresent(s, "abc");
    s = s.text();
    expectPresent(s, "abc");
}

TEST(WString, AssignOfShorterLongerAndInnerTexts)
{
    WString s("abcdef");
    s = "xy";
    expectPresent(s, "xy");
    s = "longer than before";
    expectPresent(s, "longer than before");
    // A source inside the string's own block, shorter and at an offset.
    s = s.text() + 7;
    expectPresent(s, "than before");
    s = s.text() + s.length();
    expectPresent(s, "");
    s = "again";
    expectPresent(s, "again");
}

TEST(WString, EqualityWithTextMatchesCompare)
{
    const char* texts[] = {nullptr, "", "a", "ab", "b", "abc"};
    for (const char* left : texts) {
        WString s(left);
        for (const char* right : texts) {
            const bool same = s.compare(right) == 0;
            EXPECT_EQ(same, s == right) << (left ? left : "(null)") << " == " << (right ? right : "(null)");
            EXPECT_EQ(!same, s != right) << (left ? left : "(null)") << " != " << (right ? right : "(null)");
        }
    }
}

TEST(WString, AssignFromNullMakesAbsent)
{
    WString s("abc");
    s = static_cast<const char*>(nullptr);
    EXPECT_EQ(s.text(), nullptr);
    s = "";
    expectPresent(s, "");
    s = absent();
    EXPECT_EQ(s.text(), nullptr);
}

TEST(WString, AssignFromInsideOwnText)
{
    WString s("abcdef");
    s = s.text() + 2;
    expectPresent(s, "cdef");
}

TEST(WString, AssignCharacter)
{
    WString s("long text");
    s.assign('z');
    expectPresent(s, "z");
}

TEST(WString, AppendEmptyToAbsentMakesPresentEmpty)
{
    WString s;
    s.append("");
    expectPresent(s, "");
}

TEST(WString, AppendAbsentOrNullChangesNothing)
{
    WString s;
    s.append(absent());
    EXPECT_EQ(s.text(), nullptr);
    s.append(static_cast<const char*>(nullptr));
    EXPECT_EQ(s.text(), nullptr);
    WString t("ab");
    t.append(absent());
    expectPresent(t, "ab");
}

TEST(WString, AppendTextStringAndCharacter)
{
    WString s("ab");
    s.append("cd").append(WString("ef")).append('g');
    expectPresent(s, "abcdefg");
    WString c;
    c.append('x');
    expectPresent(c, "x");
}

TEST(WString, AppendOwnText)
{
    WString s("ab");
    s.append(s.text());
    expectPresent(s, "abab");
    s.append(s);
    expectPresent(s, "abababab");
}

TEST(WString, PlusOperators)
{
    expectPresent(WString("a") + WString("b"), "ab");
    expectPresent(WString("a") + "b", "ab");
    expectPresent("a" + WString("b"), "ab");
    expectPresent(WString("a") + 'b', "ab");
    expectPresent('a' + WString("b"), "ab");
    EXPECT_EQ((absent() + absent()).text(), nullptr);
    EXPECT_EQ((absent() + static_cast<const char*>(nullptr)).text(), nullptr);
    expectPresent(absent() + "", "");
    expectPresent(WString("") + absent(), "");
    expectPresent(absent() + 'c', "c");
}

struct ExtractCase {
    const char* name;
    WString (*extract)(const WString&);
    const char* expected;
};

TEST(WString, ExtractionTableForAbc)
{
    const ExtractCase cases[] = {
        {"left 10", [](const WString& s) { return s.left(10); }, "abc"},
        {"left 2", [](const WString& s) { return s.left(2); }, "ab"},
        {"left 0", [](const WString& s) { return s.left(0); }, ""},
        {"left -1", [](const WString& s) { return s.left(-1); }, ""},
        {"right 5", [](const WString& s) { return s.right(5); }, "abc"},
        {"right 3", [](const WString& s) { return s.right(3); }, "abc"},
        {"right 2", [](const WString& s) { return s.right(2); }, "bc"},
        {"right 0", [](const WString& s) { return s.right(0); }, ""},
        {"right -1", [](const WString& s) { return s.right(-1); }, ""},
        {"mid -3", [](const WString& s) { return s.mid(-3); }, "abc"},
        {"mid 1", [](const WString& s) { return s.mid(1); }, "bc"},
        {"mid 3", [](const WString& s) { return s.mid(3); }, ""},
        {"mid 4", [](const WString& s) { return s.mid(4); }, ""},
        {"mid 1,1", [](const WString& s) { return s.mid(1, 1); }, "b"},
        {"mid 1,5", [](const WString& s) { return s.mid(1, 5); }, "bc"},
        {"mid 1,2", [](const WString& s) { return s.mid(1, 2); }, "bc"},
        {"mid 0,-1", [](const WString& s) { return s.mid(0, -1); }, ""},
        {"mid -2,2", [](const WString& s) { return s.mid(-2, 2); }, "ab"},
        {"mid 3,1", [](const WString& s) { return s.mid(3, 1); }, ""},
        {"mid 4,1", [](const WString& s) { return s.mid(4, 1); }, ""},
    };
    WString abc("abc");
    for (const ExtractCase& c : cases) {
        SCOPED_TRACE(c.name);
        expectPresent(c.extract(abc), c.expected);
    }
    expectPresent(abc, "abc");
}

TEST(WString, ExtractionFromAbsentIsPresentEmpty)
{
    WString s;
    expectPresent(s.left(3), "");
    expectPresent(s.right(3), "");
    expectPresent(s.mid(0), "");
    expectPresent(s.mid(0, 2), "");
}

TEST(WString, FindCharEdges)
{
    WString s("abcb");
    EXPECT_EQ(absent().findChar('a'), -1);
    EXPECT_EQ(s.findChar('b'), 1);
    EXPECT_EQ(s.findChar('b', 2), 3);
    EXPECT_EQ(s.findChar('a', 1), -1);
    EXPECT_EQ(s.findChar('a', -1), -1);
    EXPECT_EQ(s.findChar('b', 4), -1);
    EXPECT_EQ(s.findChar('b', 5), -1);
    EXPECT_EQ(s.findLastChar('b'), 3);
    EXPECT_EQ(s.findLastChar('z'), -1);
    EXPECT_EQ(absent().findLastChar('b'), -1);
}

TEST(WString, FindEdges)
{
    WString s("abab");
    EXPECT_EQ(s.find(""), 0);
    EXPECT_EQ(s.find("", 2), 2);
    EXPECT_EQ(s.find("", 4), 4);
    EXPECT_EQ(s.find("", 5), -1);
    EXPECT_EQ(s.find("ab", 1), 2);
    EXPECT_EQ(s.find("ab", -1), -1);
    EXPECT_EQ(s.find("ba"), 1);
    EXPECT_EQ(s.find("abc"), -1);
    EXPECT_EQ(s.find(nullptr), -1);
    EXPECT_EQ(absent().find(nullptr), 0);
    EXPECT_EQ(absent().find(""), -1);
    EXPECT_EQ(absent().find("a"), -1);
}

TEST(WString, FindAnyOf)
{
    WString s("path/to:file");
    EXPECT_EQ(s.findAnyOf(":/"), 4);
    EXPECT_EQ(s.findAnyOf("#"), -1);
    EXPECT_EQ(s.findAnyOf(nullptr), -1);
    EXPECT_EQ(absent().findAnyOf(nullptr), 0);
    EXPECT_EQ(absent().findAnyOf("a"), -1);
}

TEST(WString, TrimRemovesSpaceTabCrLfOnly)
{
    WString s(" \tinner  text\r\n");
    s.trim();
    expectPresent(s, "inner  text");
    WString kept("\f\vx\v\f");
    kept.trim();
    expectPresent(kept, "\f\vx\v\f");
}

TEST(WString, TrimOfWhitespaceOnlyIsPresentEmpty)
{
    WString s("   ");
    s.trim();
    expectPresent(s, "");
    WString a;
    a.trim();
    EXPECT_EQ(a.text(), nullptr);
}

TEST(WString, TrimLeftAndRight)
{
    WString l("  x  ");
    l.trimLeft();
    expectPresent(l, "x  ");
    WString r("  x  ");
    r.trimRight();
    expectPresent(r, "  x");
}

TEST(WString, CaseChange)
{
    WString s("Abc-9z");
    s.toUpper();
    expectPresent(s, "ABC-9Z");
    s.toLower();
    expectPresent(s, "abc-9z");
    WString a;
    a.toUpper();
    EXPECT_EQ(a.text(), nullptr);
}

TEST(WString, FormatOnAbsent)
{
    WString s;
    s.format("%i", 7);
    expectPresent(s, "7");
}

TEST(WString, FormatReplacesLongText)
{
    WString s("a long old text that must vanish completely");
    s.format("%s", "new");
    expectPresent(s, "new");
}

TEST(WString, FormatGrowsPast31Characters)
{
    const std::string expected(100, 'x');
    WString fromAbsent;
    fromAbsent.format("%s", expected.c_str());
    expectPresent(fromAbsent, expected.c_str());
    WString fromEmpty("");
    fromEmpty.format("%s-%d", expected.c_str(), 42);
    expectPresent(fromEmpty, (expected + "-42").c_str());
    WString exact;
    exact.format("%s", std::string(32, 'y').c_str());
    expectPresent(exact, std::string(32, 'y').c_str());
}

TEST(WString, FormatWithNoCharactersIsPresentEmpty)
{
    WString s;
    s.format("%s", "");
    expectPresent(s, "");
}

TEST(WString, FormatMayUseOwnText)
{
    WString s("dir");
    s.format("%s/%s/%s", s.text(), s.text(), "file");
    expectPresent(s, "dir/dir/file");
}

TEST(WString, ReplaceEveryOccurrence)
{
    WString s("cd %cwd% && ls %cwd%/x");
    expectPresent(s.replace("%cwd%", "/mnt/sd"), "cd /mnt/sd && ls /mnt/sd/x");
    expectPresent(s, "cd %cwd% && ls %cwd%/x");
}

TEST(WString, ReplaceWithoutPatternIsCopy)
{
    WString s("plain");
    WString r = s.replace("%cwd%", "/p");
    expectPresent(r, "plain");
    EXPECT_NE(r.text(), s.text());
}

TEST(WString, ReplaceEdges)
{
    expectPresent(WString("a\r\nb\r\n").replace("\r", ""), "a\nb\n");
    expectPresent(WString("aaa").replace("aa", "b"), "ba");
    expectPresent(WString("\\\\").replace("\\", "/"), "//");
    expectPresent(absent().replace("x", "y"), "");
    EXPECT_EQ(absent().replace(nullptr, "y").text(), nullptr);
    expectPresent(WString("ab").replace("a", nullptr), "ab");
}

void expectItems(const WString::Array& items, std::initializer_list<const char*> expected)
{
    ASSERT_EQ(items.count(), static_cast<int>(expected.size()));
    int i = 0;
    for (const char* e : expected) {
        SCOPED_TRACE(i);
        if (e)
            expectPresent(items.at(i), e);
        else
            EXPECT_EQ(items.at(i).text(), nullptr) << show(items.at(i));
        i++;
    }
}

TEST(WString, SplitKeepsEmptyFields)
{
    expectItems(WString("a,,b,").split(","), {"a", "", "b", ""});
    expectItems(WString(",a").split(","), {"", "a"});
}

TEST(WString, SplitLimits)
{
    WString s("a,b,c");
    expectItems(s.split(",", 1), {"a", "b,c"});
    expectItems(s.split(",", 0), {"a,b,c"});
    expectItems(s.split(",", 2), {"a", "b", "c"});
    expectItems(s.split(",", 5), {"a", "b", "c"});
    expectItems(s.split(",", -1), {"a", "b", "c"});
}

TEST(WString, SplitMultiCharacterSeparator)
{
    expectItems(WString("a--b----c").split("--"), {"a", "b", "", "c"});
    expectItems(WString("a\r\nb").split("\n"), {"a\r", "b"});
}

TEST(WString, SplitAbsentOrEmptySourceGivesOnePresentEmptyItem)
{
    expectItems(absent().split(","), {""});
    expectItems(WString("").split(","), {""});
}

TEST(WString, SplitOnEmptySeparatorGivesOneCopy)
{
    expectItems(WString("a,b").split(""), {"a,b"});
    expectItems(absent().split(""), {nullptr});
}

TEST(WString, SplitOnCharacter)
{
    expectItems(WString("x=1=2").split('=', 1), {"x", "1=2"});
    expectItems(WString("a,,b,").split(','), {"a", "", "b", ""});
    expectItems(absent().split('\0'), {""});
    expectItems(WString("ab").split('\0'), {"ab"});
}

TEST(WString, SplitWords)
{
    expectItems(WString(" \tone  two\r\nthree ").splitWords(), {"one", "two", "three"});
    expectItems(WString("   ").splitWords(), {});
    expectItems(absent().splitWords(), {});
}

WString::Array arrayOf(std::initializer_list<const char*> texts)
{
    WString::Array items;
    for (const char* t : texts)
        items.append(WString(t));
    return items;
}

TEST(WString, JoinWritesSeparatorBeforeAbsentItems)
{
    expectPresent(WString(",").join(arrayOf({"a", nullptr, "b"})), "a,,b");
    expectPresent(WString("--").join(arrayOf({"exec", "/dir", "prog"})), "exec--/dir--prog");
}

TEST(WString, JoinOfNoItemsIsAbsent)
{
    EXPECT_EQ(WString(",").join(WString::Array()).text(), nullptr);
}

TEST(WString, JoinOfAbsentItems)
{
    EXPECT_EQ(WString(",").join(arrayOf({nullptr})).text(), nullptr);
    expectPresent(WString(",").join(arrayOf({nullptr, nullptr})), ",");
    EXPECT_EQ(absent().join(arrayOf({nullptr, nullptr})).text(), nullptr);
    expectPresent(WString("").join(arrayOf({nullptr, nullptr})), "");
    expectPresent(absent().join(arrayOf({"a", "b"})), "ab");
    expectPresent(WString(",").join(arrayOf({""})), "");
}

TEST(WString, SplitThenJoinRoundTrips)
{
    WString s("k=v1,,v3,");
    WString sep(",");
    expectPresent(sep.join(s.split(",")), "k=v1,,v3,");
}

TEST(WString, ToIntReadsLikeAtoiButHoldsAtTheIntLimits)
{
    struct Case {
        const char* text;
        int value;
    };
    const Case cases[] = {
        {"42", 42},
        {"  -17x", -17},
        {"+8", 8},
        {"\t\n5", 5},
        {"abc", 0},
        {"", 0},
        {nullptr, 0},
        {"- 3", 0},
        {"2147483647", 2147483647},
        {"-2147483648", -2147483647 - 1},
        {"2147483648", 2147483647},
        {"4294967296", 2147483647},
        {"4294967299", 2147483647},
        {"-4294967297", -2147483647 - 1},
        {"99999999999999999999999", 2147483647},
        {"-99999999999999999999999", -2147483647 - 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.value, WString(c.text).toInt()) << (c.text ? c.text : "(absent)");
}
