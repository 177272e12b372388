// Saving a change under a full disk, a read-only directory and a process killed at any step.
#include "config/saveConfigChange.h"

#include <csignal>
#include <vector>

#include <sys/resource.h>
#include <sys/wait.h>

#include "config/Config.h"
#include "ConfigTestSupport.h"

namespace {

// Exit codes of the forked children.
const int CHILD_REFUSED = 0;
const int CHILD_SAVED = 1;
const int CHILD_NO_LIMIT = 3;
const int CHILD_STOPPED = 77;

struct Files {
    TempDir dir;
    std::string config = dir.file("Trevandel.cfg");
    std::string fresh = dir.file("Trevandel.newcfg");

    bool save() const
    {
        WString::Array values;
        values.append(WString("dark"));
        values.append(WString("a,b"));
        return saveConfigChange(config.c_str(), fresh.c_str(), WString("SKIN"), values);
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

// Runs body in a forked child and returns its exit status, or -1 when it did not exit.
template <typename Body>
int inChild(Body body)
{
    fflush(nullptr);
    pid_t child = fork();
    if (child < 0)
        return -1;
    if (child == 0)
        _exit(body());
    int status = 0;
    if (waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
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
        EXPECT_FALSE(fileExists(files.fresh)) << "limit " << bytes;
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
    EXPECT_FALSE(fileExists(files.fresh));
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
            gSaveStepHook = stopAtStep;
            return files.save() ? CHILD_SAVED : CHILD_REFUSED;
        });
        ASSERT_TRUE(status == CHILD_STOPPED || status == CHILD_SAVED) << "step " << step;
        if (status == CHILD_SAVED) {
            // No step is left to stop at: the whole save ran.
            finished = true;
            EXPECT_EQ(after, readFile(files.config));
            EXPECT_FALSE(fileExists(files.fresh));
        } else {
            leftAt.push_back(readFile(files.config));
        }
    }
    ASSERT_TRUE(finished);
    // Creation, 44 lines (the last one empty), the statement appended after the shadowing
    // line, flush, fsync, close and rename.
    ASSERT_EQ(50u, leftAt.size());
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
    EXPECT_FALSE(fileExists(files.fresh));
    Config reloaded(files.config.c_str());
    WString::Array values;
    ASSERT_TRUE(reloaded.get("SKIN", values));
    expectValues({"dark", "a", "b"}, values, "SKIN");
}
