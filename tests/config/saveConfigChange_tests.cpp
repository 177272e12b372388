// Tests of rewriting one key: exact new contents, refusals, and failures that keep the old file.
#include "config/saveConfigChange.h"

#include <cerrno>
#include <csignal>

#include <sys/resource.h>
#include <sys/wait.h>

#include "config/Config.h"
#include "config/InputFile.h"
#include "ConfigTestSupport.h"

namespace {

struct SaveFiles {
    TempDir dir;
    std::string config = dir.file("Trevandel.cfg");
    std::string fresh = dir.file("Trevandel.newcfg");

    bool save(const char* key, const Values& values, const SaveSettings& settings = SaveSettings())
    {
        return saveConfigChange(config.c_str(), fresh.c_str(), WString(key), makeArray(values),
                                settings);
    }
};

} // namespace

TEST(saveConfigChange, WritesTheExactNewContent)
{
    struct Case {
        std::string before;
        const char* key;
        Values values;
        std::string after;
    };
    const Case cases[] = {
        {"SKIN=concept\n", "SKIN", {"dark"}, "SKIN=dark\n"},
        {"SKIN=a\n\n", "SKIN", {"b"}, "SKIN=b\n\n"},
        {"//SKIN=old\n  SKIN=concept\n", "SKIN", {"dark"}, "//SKIN=old\nSKIN=dark\n"},
        {"A=1\n\n  B = 2 \t\n// c", "SKIN", {"dark"}, "A=1\n\n  B = 2 \t\n// c\nSKIN=dark\n"},
        {"A=1\n", "SKIN", {"dark"}, "A=1\nSKIN=dark\n"},
        {"COLOR=1\n", "COLOR", {"255", "0", "0"}, "COLOR=255,0,0\n"},
        {"", "SKIN", {"dark"}, "SKIN=dark\n"},
        {"A=1\r\nSKIN=x\r\nB=2\r\n", "SKIN", {"dark"}, "A=1\nSKIN=dark\nB=2\n"},
        {"SKIN=a\nX=1\n\tSKIN=b", "SKIN", {"dark"}, "SKIN=dark\nX=1\nSKIN=dark"},
        {"SKIN =x", "SKIN", {"dark"}, "SKIN =x\nSKIN=dark\n"},
        {"skin=concept", "SKIN", {"dark"}, "skin=concept\nSKIN=dark\n"},
        {"SKINNY=1", "SKIN", {"dark"}, "SKINNY=1\nSKIN=dark\n"},
        {"SKIN=a\n  Skin=b\nX=1", "SKIN", {"dark"}, "SKIN=dark\n  Skin=b\nX=1\nSKIN=dark\n"},
        {"Skin=a\nSKIN=b\n//skin=c", "SKIN", {"dark"}, "Skin=a\nSKIN=dark\n//skin=c"},
        {"skin=a\nSKIN=b", "skin", {"dark"}, "skin=dark\nSKIN=b\nskin=dark\n"},
        {"K=1", "K", {}, "K="},
        {"K=1", "K", {""}, "K="},
        {"K=1", "K", {nullptr}, "K="},
        {"K=1", "K", {"", "x"}, "K=,x"},
        {"K=1", "K", {"x", ""}, "K=x,"},
        {"K=1", "K", {"a,b", "c"}, "K=a,b,c"},
        {"K=1", "K", {"x ", " y", "a b"}, "K=x , y,a b"},
        {"K=1", "K", {"a", "b, c "}, "K=a,b,\" c \""},
        {"K=1", "K", {"tab\t"}, "K=\"tab\t\""},
        {"K=1", "K", {"x", " "}, "K=x,\" \""},
        {"SKIN=concept\n", " SKIN", {"other"}, "SKIN=concept\n SKIN=other\n"},
        {"SKIN=a", "\tSKIN", {"b"}, "SKIN=a\n\tSKIN=b\n"},
        {"K=1", "K", {"50%", "a//b", "back\\slash"}, "K=50%,a//b,back\\slash"},
        {std::string("K=1\nA=2\0B=3\n", 12), "K", {"v"}, "K=v\nA=2"},
    };
    for (const Case& c : cases) {
        SaveFiles files;
        ASSERT_TRUE(files.dir.ok());
        ASSERT_TRUE(writeFile(files.config, c.before));
        testing::internal::CaptureStdout();
        EXPECT_TRUE(files.save(c.key, c.values)) << c.before;
        fflush(stdout);
        EXPECT_EQ("", testing::internal::GetCapturedStdout());
        EXPECT_EQ(c.after, readFile(files.config)) << "before: \"" << c.before << "\"";
        EXPECT_EQ(std::vector<std::string>{}, newFilesIn(files.dir.path())) << c.before;
    }
}

TEST(saveConfigChange, JoinedValuesReadBackAsTheSameText)
{
    SaveFiles files;
    ASSERT_TRUE(files.dir.ok());
    ASSERT_TRUE(writeFile(files.config, "SKIN=concept\nLIST=old\n  skin=shadow\n"));
    ASSERT_TRUE(files.save("SKIN", {"dark"}));
    ASSERT_TRUE(files.save("LIST", {"a,b", "trailing ", " leading", "", "x\ty", "tab\t", "\ttab"}));
    ASSERT_TRUE(files.save("RATE", {"100", "20"}));
    ASSERT_TRUE(files.save("TAIL", {"x", "a, end \t"}));
    ASSERT_TRUE(files.save(" BLANK", {"led"}));

    Config config(files.config.c_str());
    ASSERT_TRUE(config.isLoaded());
    EXPECT_STREQ("a,b,trailing , leading,,x\ty,tab\t,\ttab", config.lookup("LIST", nullptr).printable());
    EXPECT_STREQ("x,a, end \t", config.lookup("TAIL", nullptr).printable());
    EXPECT_STREQ("led", config.lookup("BLANK", nullptr).printable());
    EXPECT_STREQ("dark", config.lookup("SKIN", nullptr).printable());
    // Values saved from several words read back as several, for keys read by value count.
    WString::Array values;
    ASSERT_TRUE(config.get("RATE", values));
    expectValues({"100", "20"}, values, "RATE");
    ASSERT_TRUE(config.get("TAIL", values));
    expectValues({"x", "a", " end \t"}, values, "TAIL");
}

TEST(saveConfigChange, RefusesWhatCannotBeWrittenFaithfully)
{
    struct Case {
        const char* key;
        Values values;
    };
    const Case cases[] = {
        {"SKIN", {"dark\nEVIL=1"}},
        {"SKIN", {"ok", "dark\r"}},
        {"SKIN", {"say \"hi\""}},
        {"SKIN\nEVIL", {"dark"}},
        {"SK\rIN", {"dark"}},
        {"A=B", {"dark"}},
        {"", {"dark"}},
        {nullptr, {"dark"}},
        {" ", {"dark"}},
        {"\t \t", {"dark"}},
        {" //SKIN", {"dark"}},
        {"SKIN\n", {"dark"}},
        {"//SKIN", {"dark"}},
    };
    const std::string before = "// keep me\r\nSKIN=concept\n";
    for (const Case& c : cases) {
        SaveFiles files;
        ASSERT_TRUE(files.dir.ok());
        ASSERT_TRUE(writeFile(files.config, before));
        EXPECT_FALSE(files.save(c.key, c.values)) << (c.key ? c.key : "<absent>");
        EXPECT_EQ(before, readFile(files.config));
        EXPECT_EQ(std::vector<std::string>{}, newFilesIn(files.dir.path()));
    }
}

TEST(saveConfigChange, MissingConfigurationOrUnwritableNewFileChangesNothing)
{
    SaveFiles files;
    ASSERT_TRUE(files.dir.ok());
    EXPECT_FALSE(files.save("SKIN", {"dark"}));
    EXPECT_FALSE(fileExists(files.config));
    EXPECT_EQ(std::vector<std::string>{}, newFilesIn(files.dir.path()));

    ASSERT_TRUE(writeFile(files.config, "SKIN=concept\n"));
    // The new file's name, with its unique ending, is longer than a file name may be.
    std::string unnamable = files.dir.file(std::string(250, 'n').c_str());
    EXPECT_FALSE(saveConfigChange(files.config.c_str(), unnamable.c_str(), WString("SKIN"),
                                  makeArray({"dark"})));
    EXPECT_EQ("SKIN=concept\n", readFile(files.config));

    // A directory in the configuration's place cannot be read whole.
    EXPECT_FALSE(saveConfigChange(files.dir.path().c_str(), files.fresh.c_str(), WString("SKIN"),
                                  makeArray({"dark"})));
    EXPECT_EQ(std::vector<std::string>{}, newFilesIn(files.dir.path()));
}

namespace {
// Reads only the first few bytes, then reports the end of the file: a file cut short meanwhile.
ssize_t readShort(int fd, void* buffer, size_t count, off_t offset)
{
    return offset > 0 ? 0 : pread(fd, buffer, count < 4 ? count : 4, offset);
}

ssize_t readFails(int, void*, size_t, off_t)
{
    errno = EIO;
    return -1;
}
} // namespace

TEST(saveConfigChange, AShortOrFailedReadOfTheConfigurationChangesNothing)
{
    const std::string before = "// keep me\nSKIN=concept\nOTHER=1\n";
    for (auto read : {readShort, readFails}) {
        SaveFiles files;
        ASSERT_TRUE(files.dir.ok());
        ASSERT_TRUE(writeFile(files.config, before));
        SaveSettings settings;
        settings.readAt = read;
        bool saved = files.save("SKIN", {"dark"}, settings);
        EXPECT_FALSE(saved);
        EXPECT_EQ(before, readFile(files.config));
        EXPECT_EQ(std::vector<std::string>{"Trevandel.cfg"}, namesIn(files.dir.path()));
    }
    // A line too long to be read whole cannot be copied either.
    SaveFiles files;
    ASSERT_TRUE(files.dir.ok());
    const std::string withLongLine =
        before + "LONG=" + std::string(InputFile::MAX_LINE_BYTES, 'x') + "\nAFTER=1\n";
    ASSERT_TRUE(writeFile(files.config, withLongLine));
    EXPECT_FALSE(files.save("SKIN", {"dark"}));
    EXPECT_TRUE(readFile(files.config) == withLongLine);
    EXPECT_EQ(std::vector<std::string>{"Trevandel.cfg"}, namesIn(files.dir.path()));
}

TEST(saveConfigChange, AFailedWriteKeepsTheOldFileWhole)
{
    SaveFiles files;
    ASSERT_TRUE(files.dir.ok());
    std::string before = "// a configuration longer than the file-size limit\n";
    for (int i = 0; i < 200; i++)
        before += "KEY" + std::to_string(i) + "=value number " + std::to_string(i) + "\n";
    ASSERT_TRUE(writeFile(files.config, before));

    fflush(nullptr);
    pid_t child = fork();
    ASSERT_NE(-1, child);
    if (child == 0) {
        // Writes past the limit fail with EFBIG instead of killing the child.
        signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit = {256, 256};
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
            _exit(3);
        _exit(files.save("KEY5", {"changed"}) ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(child, waitpid(child, &status, 0));
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(0, WEXITSTATUS(status)) << "1: the save claimed success; 3: no limit could be set";
    EXPECT_EQ(before, readFile(files.config));
    EXPECT_EQ(std::vector<std::string>{}, newFilesIn(files.dir.path()));

    // Without the limit the same change goes through.
    EXPECT_TRUE(files.save("KEY5", {"changed"}));
    EXPECT_NE(std::string::npos, readFile(files.config).find("\nKEY5=changed\n"));
}

TEST(saveConfigChange, KeepsThePermissionsOfTheReplacedFile)
{
    SaveFiles files;
    ASSERT_TRUE(files.dir.ok());
    ASSERT_TRUE(writeFile(files.config, "SKIN=concept\n"));
    ASSERT_EQ(0, chmod(files.config.c_str(), 0640));
    ASSERT_TRUE(files.save("SKIN", {"dark"}));
    struct stat info;
    ASSERT_EQ(0, stat(files.config.c_str(), &info));
    EXPECT_EQ(0640u, info.st_mode & 07777);
}

TEST(saveConfigChange, AStaleNewFileIsReplacedAndRemoved)
{
    SaveFiles files;
    ASSERT_TRUE(files.dir.ok());
    ASSERT_TRUE(writeFile(files.config, "SKIN=concept\n"));
    ASSERT_TRUE(writeFile(files.fresh, "leftover from an earlier run that is much longer\n"));
    // What a save stopped half-way leaves, and a file of the user's that only looks alike.
    const std::string stopped = files.fresh + ".a1B2c3.part";
    const std::string users = files.fresh + ".backup";
    ASSERT_TRUE(writeFile(stopped, "SKIN=half-writ"));
    ASSERT_TRUE(writeFile(users, "SKIN=mine\n"));
    ASSERT_TRUE(files.save("SKIN", {"dark"}));
    EXPECT_EQ("SKIN=dark\n", readFile(files.config));
    const std::vector<std::string> left = {"Trevandel.cfg", "Trevandel.newcfg.backup"};
    EXPECT_EQ(left, namesIn(files.dir.path()));
    EXPECT_EQ("SKIN=mine\n", readFile(users));
}

TEST(saveConfigChange, SavesThroughASymbolicLinkWhichStaysALink)
{
    SaveFiles files;
    ASSERT_TRUE(files.dir.ok());
    // The configuration kept in a folder of its own, linked by a relative path.
    const std::string folder = files.dir.file("kept");
    ASSERT_EQ(0, mkdir(folder.c_str(), 0755));
    const std::string target = folder + "/settings.cfg";
    ASSERT_TRUE(writeFile(target, "// mine\nSKIN=concept\n"));
    ASSERT_EQ(0, symlink("kept/settings.cfg", files.config.c_str()));
    ASSERT_TRUE(files.save("SKIN", {"dark"}));
    EXPECT_EQ("// mine\nSKIN=dark\n", readFile(target));
    struct stat link;
    ASSERT_EQ(0, lstat(files.config.c_str(), &link));
    EXPECT_TRUE(S_ISLNK(link.st_mode));
    char pointsTo[64] = {};
    ASSERT_GT(readlink(files.config.c_str(), pointsTo, sizeof pointsTo - 1), 0);
    EXPECT_STREQ("kept/settings.cfg", pointsTo);
    EXPECT_EQ(std::vector<std::string>{}, newFilesIn(files.dir.path()));
    EXPECT_EQ(std::vector<std::string>{"settings.cfg"}, namesIn(folder));

    // A link to nothing is a missing configuration, which a save never creates.
    ASSERT_EQ(0, unlink(target.c_str()));
    EXPECT_FALSE(files.save("SKIN", {"other"}));
    EXPECT_FALSE(fileExists(target));
    unlink(files.config.c_str());
    rmdir(folder.c_str());
}
