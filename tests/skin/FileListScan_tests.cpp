// The directory scan that trusts readdir's entry types lists exactly what a status query per entry lists.
#include "skin/FileList.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "skin/SkinTestSupport.h"

using skintest::TempDir;
using skintest::toStrings;
using skintest::words;

namespace {

typedef std::vector<std::string> Names;

// The listing rules followed literally: one stat per entry, nothing taken from readdir's types.
Names statScan(const std::string& directory, const Names& endings, int type)
{
    Names out;
    DIR* dir = opendir(directory.c_str());
    if (dir) {
        while (struct dirent* entry = readdir(dir)) {
            const std::string name = entry->d_name;
            if (name == ".")
                continue;
            struct stat status;
            if (stat((directory + name).c_str(), &status) != 0)
                continue;
            if (S_ISDIR(status.st_mode)) {
                if (type == FileList::FILES || (type == FileList::DIRECTORIES && name == ".."))
                    continue;
                out.push_back(type == FileList::DIRECTORIES ? name : name + "/");
                continue;
            }
            if (type == FileList::DIRECTORIES)
                continue;
            if (endings.size() == 1 && endings[0] == "*") {
                out.push_back(name);
                continue;
            }
            for (const std::string& ending : endings) {
                if (ending.size() <= name.size() &&
                    name.compare(name.size() - ending.size(), ending.size(), ending) == 0)
                    out.push_back(name);
            }
        }
        closedir(dir);
    }
    // The same sort on the same input order, so names that compare equal land alike.
    WString::Array sortable = words(out);
    if (sortable.count() > 1)
        qsort(sortable.items(), sortable.count(), sizeof(WString), FileList::compareEntries);
    return toStrings(sortable);
}

Names fastScan(const std::string& directory, const Names& endings, int type)
{
    WString::Array into;
    FileList::scan(WString(directory.c_str()), words(endings), into, type);
    return toStrings(into);
}

// Plain files and folders, links to each, a broken link, a link to a link, a self-loop and a fifo.
void makeMixedTree(const TempDir& dir)
{
    dir.makeDir("Alpha");
    dir.makeDir("beta.gpe");
    dir.writeFile("run.gpe");
    dir.writeFile("Run.GPE");
    dir.writeFile("notes.txt");
    const std::string p = dir.path();
    ASSERT_EQ(symlink((p + "Alpha").c_str(), (p + "toAlpha").c_str()), 0);
    ASSERT_EQ(symlink("beta.gpe", (p + "relative.gpe").c_str()), 0);
    ASSERT_EQ(symlink((p + "run.gpe").c_str(), (p + "linked.gpe").c_str()), 0);
    ASSERT_EQ(symlink((p + "linked.gpe").c_str(), (p + "chain.gpe").c_str()), 0);
    ASSERT_EQ(symlink((p + "missing").c_str(), (p + "broken.gpe").c_str()), 0);
    ASSERT_EQ(symlink((p + "loop.gpe").c_str(), (p + "loop.gpe").c_str()), 0);
    ASSERT_EQ(mkfifo((p + "pipe.gpe").c_str(), 0644), 0);
}

} // namespace

TEST(FileListScanTypes, MatchesOneStatusQueryPerEntry)
{
    TempDir dir;
    makeMixedTree(dir);
    const std::vector<Names> filterSets = {{""}, {".gpe"}, {"*"}, {".gpe", "gpe"}, {}};
    for (int type : {FileList::ALL, FileList::DIRECTORIES, FileList::FILES}) {
        for (const Names& endings : filterSets) {
            EXPECT_EQ(fastScan(dir.path(), endings, type), statScan(dir.path(), endings, type))
                << "type " << type << ", " << endings.size() << " endings";
        }
    }
}

TEST(FileListScanTypes, LinksResolveAsTheirTargetsAndBrokenOnesAreLeftOut)
{
    TempDir dir;
    makeMixedTree(dir);
    EXPECT_EQ(fastScan(dir.path(), {".gpe"}, FileList::ALL),
              (Names{"../", "Alpha/", "beta.gpe/", "relative.gpe/", "toAlpha/", "chain.gpe", "linked.gpe",
                     "pipe.gpe", "run.gpe"}));
}

TEST(FileListScanTypes, WithoutTrailingSlashNoEntryIsListedEitherWay)
{
    TempDir dir;
    makeMixedTree(dir);
    const std::string bare = dir.path().substr(0, dir.path().size() - 1);
    EXPECT_EQ(statScan(bare, {""}, FileList::ALL), Names{});
    EXPECT_EQ(fastScan(bare, {""}, FileList::ALL), Names{});
}

TEST(FileListScanTypes, UnsearchableDirectoryListsWhatTheStatusQueriesAllow)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root searches every directory";
    TempDir dir;
    dir.makeDir("locked");
    dir.writeFile("locked/a.gpe");
    const std::string locked = dir.path() + "locked/";
    ASSERT_EQ(chmod(locked.c_str(), 0444), 0);
    EXPECT_EQ(fastScan(locked, {""}, FileList::ALL), statScan(locked, {""}, FileList::ALL));
    chmod(locked.c_str(), 0755);
}
