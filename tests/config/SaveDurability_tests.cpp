// Saving a change under a full disk, a read-only directory, a process killed at any step and
// other saves at the same time.
#include "config/saveConfigChange.h"

#include <csignal>
#include <vector>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include "config/Config.h"
#include "ConfigTestSupport.h"

namespace {

// Exit codes of the forked children.
const int CHILD_REFUSED = 0;
const int CHILD_SAVED = 1;
const int CHILD_NO_LIMIT = 3;
const int CHILD_CHANGE_LOST = 4;
const int CHILD_STOPPED = 77;

struct Files {
    TempDir dir;
    std::string config = dir.file("Trevandel.cfg");
    std::string fresh = dir.file("Trevandel.newcfg");

    bool save(const SaveSettings& settings = SaveSettings()) const
    {
        WString::Array values;
        values.append(WString("dark"));
        values.append(WString("a,b"));
        return saveConfigChange(config.c_str(), fresh.c_str(), WString("SKIN"), values, settings);
    }
};

// Many lines, so that the save takes many steps and a size limit falls in the middle of it.
std::string oldContent()
{
    std::string text = "// settings\r\nSKIN=concept\n";
    for (int i = 0; i < 40; i++)
        text += "OPTION" + std::to_string(i) + "=value " + std::to_string(i) + "\n";
    return text + "  skin=shadowed\n";
}

// Starts body in a forked child, whose exit status is body's result.
template <typename Body>
pid_t startChild(Body body)
{
    fflush(nullptr);
    pid_t child = fork();
    if (child == 0)
        _exit(body());
    return child;
}

// The exit status of a child, or -1 when it did not exit.
int exitStatusOf(pid_t child)
{
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

// Runs body in a forked child and returns its exit status, or -1 when it did not exit.
template <typename Body>
int inChild(Body body)
{
    return exitStatusOf(startChild(body));
}

int gStopAtStep;

void stopAtStep(int step)
{
    if (step == gStopAtStep)
        _exit(CHILD_STOPPED);
}

} // namespace

TEST(SaveDurability, AFullDiskKeepsTheOldFileByteForByte)
{
    const std::string before = oldContent();
    // Limits that stop the new file at its first byte, early, in the middle and one byte short.
    const rlim_t limits[] = {0, 1, 17, rlim_t(before.size() / 2), rlim_t(before.size() - 1)};
    for (rlim_t bytes : limits) {
        Files files;
        ASSERT_TRUE(files.dir.ok());
        ASSERT_TRUE(writeFile(files.config, before));
        int status = inChild([&] {
            // Writes past the limit then fail with EFBIG instead of killing the child.
            signal(SIGXFSZ, SIG_IGN);
            struct rlimit limit = {bytes, bytes};
            if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
                return CHILD_NO_LIMIT;
            return files.save() ? CHILD_SAVED : CHILD_REFUSED;
        });
        EXPECT_EQ(CHILD_REFUSED, status) << "limit " << bytes;
        EXPECT_EQ(before, readFile(files.config)) << "limit " << bytes;
        EXPECT_EQ(std::vector<std::string>{}, newFilesIn(files.dir.path())) << "limit " << bytes;
    }
}

TEST(SaveDurability, AReadOnlyDirectoryKeepsTheOldFile)
{
    // Permissions do not stop root; the file-size case above covers a refused write for root.
    if (geteuid() == 0)
        GTEST_SKIP() << "running as root, for whom a read-only directory is writable";
    Files files;
    ASSERT_TRUE(files.dir.ok());
    const std::string before = oldContent();
    ASSERT_TRUE(writeFile(files.config, before));
    ASSERT_EQ(0, chmod(files.dir.path().c_str(), 0555));
    bool saved = files.save();
    ASSERT_EQ(0, chmod(files.dir.path().c_str(), 0755));
    EXPECT_FALSE(saved);
    EXPECT_EQ(before, readFile(files.config));
    EXPECT_EQ(std::vector<std::string>{}, newFilesIn(files.dir.path()));
}

TEST(SaveDurability, AProcessKilledAtAnyStepLeavesTheOldOrTheNewFileWhole)
{
    const std::string before = oldContent();
    std::string after;
    {
        Files reference;
        ASSERT_TRUE(reference.dir.ok());
        ASSERT_TRUE(writeFile(reference.config, before));
        ASSERT_TRUE(reference.save());
        after = readFile(reference.config);
        ASSERT_NE(before, after);
    }

    Files files;
    ASSERT_TRUE(files.dir.ok());
    // What the configuration held after a child was stopped at step k (index k - 1).
    std::vector<std::string> leftAt;
    const int maxSteps = 1000;
    bool finished = false;
    for (int step = 1; step <= maxSteps && !finished; step++) {
        ASSERT_TRUE(writeFile(files.config, before));
        gStopAtStep = step;
        int status = inChild([&] {
            SaveSettings settings;
            settings.afterStep = stopAtStep;
            return files.save(settings) ? CHILD_SAVED : CHILD_REFUSED;
        });
        ASSERT_TRUE(status == CHILD_STOPPED || status == CHILD_SAVED) << "step " << step;
        if (status == CHILD_SAVED) {
            // No step is left to stop at: the whole save ran.
            finished = true;
            EXPECT_EQ(after, readFile(files.config));
            EXPECT_EQ(std::vector<std::string>{}, newFilesIn(files.dir.path()));
        } else {
            leftAt.push_back(readFile(files.config));
        }
    }
    ASSERT_TRUE(finished);
    // Creation, 43 lines, the statement appended after the shadowing line, flush, fsync, close
    // and rename.
    ASSERT_EQ(49u, leftAt.size());
    for (size_t i = 0; i < leftAt.size(); i++) {
        // Only the rename, the last step, puts the new content in place.
        const std::string& expected = i + 1 < leftAt.size() ? before : after;
        EXPECT_EQ(expected, leftAt[i]) << "stopped after step " << i + 1;
    }

    // A new file left behind by a killed save does not stand in the way of the next one.
    ASSERT_TRUE(writeFile(files.config, before));
    ASSERT_TRUE(writeFile(files.fresh, "SKIN=half-writ"));
    EXPECT_TRUE(files.save());
    EXPECT_EQ(after, readFile(files.config));
    EXPECT_EQ(std::vector<std::string>{}, newFilesIn(files.dir.path()));
    Config reloaded(files.config.c_str());
    WString::Array values;
    ASSERT_TRUE(reloaded.get("SKIN", values));
    expectValues({"dark", "a", "b"}, values, "SKIN");
}

namespace {
const int SAVES_PER_WRITER = 200;

// Saves key with the values tag0, tag1, ... in turn. Only this writer changes key, so before
// each save the file must still hold the value of its last one.
int saveManyTimes(const Files& files, const char* key, const std::string& tag)
{
    std::string last;
    for (int i = 0; i < SAVES_PER_WRITER; i++) {
        if (i > 0 && Config(files.config.c_str()).lookup(key, "") != WString(last.c_str()))
            return CHILD_CHANGE_LOST;
        last = tag + std::to_string(i);
        WString::Array values;
        values.append(WString(last.c_str()));
        if (!saveConfigChange(files.config.c_str(), files.fresh.c_str(), WString(key), values))
            return CHILD_REFUSED;
    }
    return CHILD_SAVED;
}
} // namespace

TEST(SaveDurability, TwoWritersAtOnceLoseNoLineAndNoChange)
{
    Files files;
    ASSERT_TRUE(files.dir.ok());
    ASSERT_TRUE(writeFile(files.config, oldContent() + "OTHER=start\n"));
    pid_t first = startChild([&] { return saveManyTimes(files, "SKIN", "a"); });
    pid_t second = startChild([&] { return saveManyTimes(files, "OTHER", "b"); });
    EXPECT_EQ(CHILD_SAVED, exitStatusOf(first)) << "4: a change was undone by the other save";
    EXPECT_EQ(CHILD_SAVED, exitStatusOf(second)) << "4: a change was undone by the other save";

    // Every other line as it was; the first SKIN save added one after the shadowing line.
    const std::string skin = "SKIN=a" + std::to_string(SAVES_PER_WRITER - 1) + "\n";
    std::string expected = "// settings\n" + skin;
    for (int i = 0; i < 40; i++)
        expected += "OPTION" + std::to_string(i) + "=value " + std::to_string(i) + "\n";
    expected += "  skin=shadowed\nOTHER=b" + std::to_string(SAVES_PER_WRITER - 1) + "\n" + skin;
    EXPECT_EQ(expected, readFile(files.config));
    EXPECT_EQ(std::vector<std::string>{"Trevandel.cfg"}, namesIn(files.dir.path()));
}

TEST(SaveDurability, ASaveGivesUpOnAnotherThatHoldsTheLockTooLong)
{
    Files files;
    ASSERT_TRUE(files.dir.ok());
    const std::string before = oldContent();
    ASSERT_TRUE(writeFile(files.config, before));
    int holder = open(files.config.c_str(), O_RDONLY);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(0, flock(holder, LOCK_EX));
    SaveSettings shortWait;
    shortWait.lockWaitMs = 50;
    bool saved = files.save(shortWait);
    EXPECT_FALSE(saved);
    EXPECT_EQ(before, readFile(files.config));
    EXPECT_EQ(std::vector<std::string>{"Trevandel.cfg"}, namesIn(files.dir.path()));

    close(holder);
    EXPECT_TRUE(files.save());
}
