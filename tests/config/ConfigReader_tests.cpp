// Tests of statement splitting: keys, quoting, comments, line ends and line numbers.
#include "config/ConfigReader.h"

#include <cerrno>

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

TEST(ConfigReader, ALineLongerThanTheLimitIsSkippedWithAMessage)
{
    TempDir dir;
    ASSERT_TRUE(dir.ok());
    const size_t limit = InputFile::MAX_LINE_BYTES;
    // A line of exactly the limit is read; one byte more and it is skipped, also as the last
    // line without a line feed.
    const std::string longest = "A=" + std::string(limit - 2, 'a');
    const std::string tooLong = "B=" + std::string(limit - 1, 'b');
    std::string path = dir.file("long.skin");
    ASSERT_TRUE(writeFile(path, longest + "\n" + tooLong + "\r\nC=1\n" + tooLong));
    ConfigReader reader(path.c_str());
    testing::internal::CaptureStdout();
    WString key;
    WString::Array values;
    ASSERT_TRUE(reader.next(key, values));
    EXPECT_STREQ("A", key.printable());
    ASSERT_EQ(1, values.count());
    EXPECT_EQ(int(limit - 2), values.at(0).length());
    ASSERT_TRUE(reader.next(key, values));
    EXPECT_STREQ("C", key.printable());
    EXPECT_EQ(3, reader.lineNumber());
    EXPECT_FALSE(reader.next(key, values));
    fflush(stdout);
    const std::string skipped = " of " + path + ": longer than 4194304 bytes\n";
    EXPECT_EQ("Skipped line 2" + skipped + "Skipped line 4" + skipped,
              testing::internal::GetCapturedStdout());
}

namespace {
// The first block as usual, then an error: a file that cannot be read to its end.
ssize_t failAfterTheFirstBlock(int fd, void* buffer, size_t count, off_t offset)
{
    if (offset > 0) {
        errno = EIO;
        return -1;
    }
    return pread(fd, buffer, count, offset);
}
} // namespace

TEST(ConfigReader, AFileThatCannotBeReadToItsEndSaysWhereItStopped)
{
    TempDir dir;
    ASSERT_TRUE(dir.ok());
    std::string content;
    for (int i = 0; content.size() < InputFile::BLOCK_BYTES * 2; i++)
        content += "KEY" + std::to_string(10000 + i) + "=" + std::string(100, 'v') + "\n";
    std::string path = dir.file("cut.cfg");
    ASSERT_TRUE(writeFile(path, content));
    ConfigReader reader(path.c_str());
    testing::internal::CaptureStdout();
    reader.setReadAt(failAfterTheFirstBlock);
    std::vector<std::string> statements = drain(reader);
    fflush(stdout);
    // Every whole line of the first block, and a message naming the last of them.
    const size_t lineBytes = content.find('\n') + 1;
    const size_t wholeLines = InputFile::BLOCK_BYTES / lineBytes;
    ASSERT_EQ(wholeLines, statements.size());
    EXPECT_EQ("Could not read " + path + " after line " + std::to_string(wholeLines) + "\n",
              testing::internal::GetCapturedStdout());
}
