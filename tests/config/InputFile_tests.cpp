// Tests of reading a file into lines: zero byte, carriage returns, kept empty pieces.
#include "config/InputFile.h"

#include <fcntl.h>

#include "ConfigTestSupport.h"
#include "config/ConfigReader.h"

namespace {

// Every line the file hands out, and how the reading ended.
WString::Array linesOf(InputFile& file, InputFile::Status* last = nullptr)
{
    WString::Array lines;
    InputFile::Line line;
    InputFile::Status status;
    while ((status = file.readLine(line)) == InputFile::GOT_LINE)
        lines.append(WString(line.text));
    if (last)
        *last = status;
    return lines;
}

} // namespace

TEST(InputFile, ReadLinesSplitsAtEveryLineFeedKeepingEmptyPieces)
{
    TempDir dir;
    ASSERT_TRUE(dir.ok());
    struct Case {
        std::string content;
        Values lines;
    };
    const std::string longLine(70000, 'a');
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
        // Lines across the blocks the file is read in, and a zero byte in a later block.
        {longLine + "\r\nA=1\n" + std::string("B=2\0C=3", 7), {longLine.c_str(), "A=1", "B=2"}},
    };
    for (const Case& c : cases) {
        std::string path = dir.file("lines.txt");
        ASSERT_TRUE(writeFile(path, c.content));
        InputFile file;
        ASSERT_TRUE(file.open(path.c_str()));
        InputFile::Status last;
        WString::Array lines = linesOf(file, &last);
        EXPECT_EQ(InputFile::END, last);
        expectValues(c.lines, lines, "content \"" + c.content.substr(0, 80) + "\"");
    }
}

TEST(InputFile, EmptyMissingAndUnopenedFilesGiveNoLines)
{
    TempDir dir;
    ASSERT_TRUE(dir.ok());
    std::string empty = dir.file("empty.txt");
    ASSERT_TRUE(writeFile(empty, ""));

    InputFile file;
    EXPECT_EQ(0, linesOf(file).count());
    ASSERT_TRUE(file.open(empty.c_str()));
    InputFile::Status last;
    EXPECT_EQ(0, linesOf(file, &last).count());
    EXPECT_EQ(InputFile::END, last);

    EXPECT_FALSE(file.open(dir.file("missing.txt").c_str()));
    EXPECT_EQ(0, linesOf(file).count());
    file.close();
    file.close();
}

TEST(InputFile, OnlyARegularFileOpens)
{
    TempDir dir;
    ASSERT_TRUE(dir.ok());
    std::string fifo = dir.file("Trevandel.dat");
    ASSERT_EQ(0, mkfifo(fifo.c_str(), 0600));
    // A writer holding the FIFO open lets an unguarded open succeed instead of blocking, so a
    // regression fails here rather than hanging the test.
    int writer = open(fifo.c_str(), O_RDWR | O_NONBLOCK);
    ASSERT_GE(writer, 0);
    ASSERT_EQ(4, write(writer, "A=1\n", 4));

    const std::string refused[] = {dir.path(), fifo, "/dev/null", "/dev/zero"};
    for (const std::string& path : refused) {
        InputFile file;
        EXPECT_FALSE(file.open(path.c_str())) << path;
        EXPECT_EQ(0, linesOf(file).count()) << path;
        EXPECT_EQ(nullptr, openRegularFile(path.c_str())) << path;
        ConfigReader reader(path.c_str());
        EXPECT_FALSE(reader.isOpen()) << path;
    }
    close(writer);

    std::string regular = dir.file("plain.cfg");
    ASSERT_TRUE(writeFile(regular, "A=1"));
    InputFile file;
    EXPECT_TRUE(file.open(regular.c_str()));
    expectValues({"A=1"}, linesOf(file), "regular file");
    EXPECT_FALSE(file.open(dir.file("missing").c_str()));
    EXPECT_FALSE(file.open(nullptr));
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
    WString::Array lines = linesOf(file);
    ASSERT_EQ(20001, lines.count());
    EXPECT_STREQ("KEY0=value", lines.at(0).printable());
    EXPECT_STREQ("KEY19999=value", lines.at(19999).printable());
    EXPECT_STREQ("", lines.at(20000).printable());
}
