// Tests of reading a whole file into lines: zero byte, carriage returns, kept empty pieces.
#include "config/InputFile.h"

#include "ConfigTestSupport.h"

TEST(InputFile, ReadLinesSplitsAtEveryLineFeedKeepingEmptyPieces)
{
    TempDir dir;
    ASSERT_TRUE(dir.ok());
    struct Case {
        std::string content;
        Values lines;
    };
    const Case cases[] = {
        {"a\n\nb\n", {"a", "", "b", ""}},
        {"one line", {"one line"}},
        {"\n", {"", ""}},
        {"a\r\nb\r\n", {"a", "b", ""}},
        {"A=1\rB=2", {"A=1B=2"}},
        {"x\ry\r\r\nz", {"xy", "z"}},
        {std::string("A=1\nB=2\0C=3\n", 12), {"A=1", "B=2"}},
        {std::string("\0A=1", 4), {""}},
        {"  keep  blanks\t\n", {"  keep  blanks\t", ""}},
    };
    for (const Case& c : cases) {
        std::string path = dir.file("lines.txt");
        ASSERT_TRUE(writeFile(path, c.content));
        InputFile file;
        ASSERT_TRUE(file.open(path.c_str()));
        WString::Array lines = file.readLines();
        EXPECT_FALSE(file.readFailed());
        expectValues(c.lines, lines, "content \"" + c.content + "\"");
    }
}

TEST(InputFile, EmptyMissingAndUnopenedFilesGiveNoLines)
{
    TempDir dir;
    ASSERT_TRUE(dir.ok());
    std::string empty = dir.file("empty.txt");
    ASSERT_TRUE(writeFile(empty, ""));

    InputFile file;
    EXPECT_EQ(0, file.readLines().count());
    ASSERT_TRUE(file.open(empty.c_str()));
    EXPECT_EQ(0, file.readLines().count());
    EXPECT_FALSE(file.readFailed());

    EXPECT_FALSE(file.open(dir.file("missing.txt").c_str()));
    EXPECT_EQ(0, file.readLines().count());
    file.close();
    file.close();
}

TEST(InputFile, ADirectoryOpensButCannotBeReadAndSaysSo)
{
    TempDir dir;
    ASSERT_TRUE(dir.ok());
    InputFile file;
    if (!file.open(dir.path().c_str()))
        GTEST_SKIP() << "this C library refuses to open a directory";
    EXPECT_EQ(0, file.readLines().count());
    EXPECT_TRUE(file.readFailed());
}

TEST(InputFile, ALargeFileKeepsEveryLine)
{
    TempDir dir;
    ASSERT_TRUE(dir.ok());
    std::string content;
    for (int i = 0; i < 20000; i++)
        content += "KEY" + std::to_string(i) + "=value\r\n";
    std::string path = dir.file("large.txt");
    ASSERT_TRUE(writeFile(path, content));
    InputFile file;
    ASSERT_TRUE(file.open(path.c_str()));
    WString::Array lines = file.readLines();
    ASSERT_EQ(20001, lines.count());
    EXPECT_STREQ("KEY0=value", lines.at(0).printable());
    EXPECT_STREQ("KEY19999=value", lines.at(19999).printable());
    EXPECT_STREQ("", lines.at(20000).printable());
}
