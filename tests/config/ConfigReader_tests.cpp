// Tests of statement splitting: keys, quoting, comments, line ends and line numbers.
#include "config/ConfigReader.h"

#include "ConfigTestSupport.h"

TEST(ConfigReader, ParseLineSplitsKeyAndValues)
{
    struct Case {
        const char* line;
        const char* key;
        Values values;
    };
    const Case cases[] = {
        {"skin=concept", "SKIN", {"concept"}},
        {"Skin=Concept", "SKIN", {"Concept"}},
        {"PAGE = 1", "PAGE ", {" 1"}},
        {"A=", "A", {nullptr}},
        {"A=x,,y,", "A", {"x", "", "y", ""}},
        {"A=,x", "A", {nullptr, "x"}},
        {"A=\"\",x", "A", {nullptr, "x"}},
        {"A=\"x,y\",z", "A", {"x,y", "z"}},
        {"A=\"say hi\"", "A", {"say hi"}},
        {"A=a\"b,c", "A", {"ab,c"}},
        {"A=b=c", "A", {"b=c"}},
        {"A=1 // x", "A", {"1 // x"}},
        {"/A=1", "/A", {"1"}},
        {"A=x\\ty", "A", {"x\\ty"}},
        {"A= a , b ", "A", {" a ", " b "}},
        {"mIx_3.k\xe9=v", "MIX_3.K\xe9", {"v"}},
    };
    for (const Case& c : cases) {
        WString key;
        WString::Array values = makeArray({"stale", "stale"});
        ASSERT_TRUE(ConfigReader::parseLine(WString(c.line), key, values)) << c.line;
        EXPECT_STREQ(c.key, key.printable()) << c.line;
        expectValues(c.values, values, c.line);
    }
}

TEST(ConfigReader, ParseLineRejectsLinesWithoutAKeyAndLeavesTheKey)
{
    const char* lines[] = {"=x", "hello", "=", ""};
    for (const char* line : lines) {
        WString key("KEEP");
        WString::Array values = makeArray({"stale"});
        EXPECT_FALSE(ConfigReader::parseLine(WString(line), key, values)) << line;
        EXPECT_STREQ("KEEP", key.printable()) << line;
        EXPECT_EQ(0, values.count()) << line;
    }
    WString key("KEEP");
    WString::Array values;
    EXPECT_FALSE(ConfigReader::parseLine(WString(), key, values));
    EXPECT_STREQ("KEEP", key.printable());
}

// Drains a reader into "KEY:v1|v2@line" strings; an absent value shows as "<absent>".
static std::vector<std::string> drain(ConfigReader& reader)
{
    std::vector<std::string> statements;
    WString key;
    WString::Array values;
    while (reader.next(key, values)) {
        std::string s = std::string(key.printable()) + ":";
        for (int i = 0; i < values.count(); i++) {
            if (i > 0)
                s += "|";
            s += values.at(i).isAbsent() ? "<absent>" : values.at(i).printable();
        }
        s += "@" + std::to_string(reader.lineNumber());
        statements.push_back(s);
    }
    return statements;
}

TEST(ConfigReader, NextDeliversStatementsInFileOrderWithLineNumbers)
{
    TempDir dir;
    ASSERT_TRUE(dir.ok());
    std::string path = dir.file("test.skin");
    ASSERT_TRUE(writeFile(path, "// heading\n"
                                "\n"
                                "  PAGE=1  \n"
                                "   // A=1\n"
                                "hello\n"
                                "=x\n"
                                "\t\n"
                                "button=a,\"b,c\"\n"
                                "PAGE = 2\n"
                                "LAST=end"));
    ConfigReader reader(path.c_str());
    EXPECT_TRUE(reader.isOpen());
    EXPECT_EQ(0, reader.lineNumber());
    std::vector<std::string> expected = {"PAGE:1@3", "BUTTON:a|b,c@8", "PAGE : 2@9", "LAST:end@10"};
    EXPECT_EQ(expected, drain(reader));

    WString key;
    WString::Array values;
    EXPECT_FALSE(reader.next(key, values));
    EXPECT_FALSE(reader.next(key, values));
}

TEST(ConfigReader, LineEndsAndZeroBytesShapeTheStatements)
{
    TempDir dir;
    ASSERT_TRUE(dir.ok());
    struct Case {
        std::string content;
        std::vector<std::string> statements;
    };
    const Case cases[] = {
        {"A=1\nB=x,y\n", {"A:1@1", "B:x|y@2"}},
        {"A=1\r\nB=x,y\r\n", {"A:1@1", "B:x|y@2"}},
        {"A=1\rB=2", {"A:1B=2@1"}},
        {"A=1\nB=2", {"A:1@1", "B:2@2"}},
        {std::string("A=1\nB=2\0\nC=3\n", 13), {"A:1@1", "B:2@2"}},
        {"", {}},
        {"\n\n", {}},
    };
    for (const Case& c : cases) {
        std::string path = dir.file("statements.cfg");
        ASSERT_TRUE(writeFile(path, c.content));
        ConfigReader reader(path.c_str());
        EXPECT_TRUE(reader.isOpen());
        EXPECT_EQ(c.statements, drain(reader)) << "content \"" << c.content << "\"";
    }
}

TEST(ConfigReader, MissingFileIsNotOpenAndReopeningStartsAfresh)
{
    TempDir dir;
    ASSERT_TRUE(dir.ok());
    ConfigReader reader(dir.file("missing.cfg").c_str());
    EXPECT_FALSE(reader.isOpen());
    WString key;
    WString::Array values;
    EXPECT_FALSE(reader.next(key, values));

    std::string path = dir.file("present.cfg");
    ASSERT_TRUE(writeFile(path, "A=1\n"));
    reader.open(path.c_str());
    EXPECT_TRUE(reader.isOpen());
    EXPECT_EQ(std::vector<std::string>{"A:1@1"}, drain(reader));

    reader.open(dir.file("missing.cfg").c_str());
    EXPECT_FALSE(reader.isOpen());
    EXPECT_EQ(0, reader.lineNumber());
    EXPECT_FALSE(reader.next(key, values));

    ConfigReader unopened;
    EXPECT_FALSE(unopened.isOpen());
    EXPECT_FALSE(unopened.next(key, values));
}
