// The directory scan that trusts readdir's entry types lists exactly what a status query per entry lists.
#include "skin/FileList.h"

#include <dirent.h>
#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "skin/DirectoryScan.h"
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

// Entries that readdir adds at the end of any directory while a test asks for them: names
// longer than NAME_MAX, as vfat, exfat, FUSE or CIFS deliver them, which no local file system
// used by the tests can hold.
struct ExtraEntry {
    unsigned char type;
    std::string name;
};
std::vector<ExtraEntry> gExtraEntries;
size_t gNextExtra = 0;
// A dirent with room behind it for a name of any length.
union {
    struct dirent entry;
    char bytes[sizeof(struct dirent) + PATH_MAX + 512];
} gExtraStorage;

} // namespace

// Stands in for the C library's readdir in this test program; passes every call through unless
// a test has set extra entries.
extern "C" struct dirent* readdir(DIR* dir)
{
    typedef struct dirent* (*ReadDirectory)(DIR*);
    // With 64-bit file offsets <dirent.h> renames readdir to readdir64, so this defines
    // readdir64; on a 32-bit system the plain readdir has another dirent layout and fails.
#ifdef __USE_FILE_OFFSET64
    static const char* const NEXT_NAME = "readdir64";
#else
    static const char* const NEXT_NAME = "readdir";
#endif
    static ReadDirectory next = reinterpret_cast<ReadDirectory>(dlsym(RTLD_NEXT, NEXT_NAME));
    struct dirent* entry = next(dir);
    if (entry || gNextExtra >= gExtraEntries.size())
        return entry;
    const ExtraEntry& extra = gExtraEntries[gNextExtra++];
    memset(&gExtraStorage, 0, sizeof gExtraStorage);
    gExtraStorage.entry.d_type = extra.type;
    memcpy(gExtraStorage.bytes + offsetof(struct dirent, d_name), extra.name.c_str(),
           extra.name.size() + 1);
    return &gExtraStorage.entry;
}

TEST(FileListScanTypes, NamesLongerThanNameMaxAreListedOrSkippedButNeverOverrun)
{
    TempDir dir;
    dir.writeFile("a.gpe");
    const std::string folder(400, 'd');
    const std::string unknown(400, 'u');
    const std::string unreachable(PATH_MAX + 100, 'p');
    gExtraEntries = {{DT_DIR, folder}, {DT_UNKNOWN, unknown}, {DT_DIR, unreachable},
                     {DT_REG, folder + ".gpe"}};
    gNextExtra = 0;
    const Names listed = fastScan(dir.path(), {".gpe"}, FileList::ALL);
    gExtraEntries.clear();
    // The folder's type came with it; the unknown entry's status query fails, as does any query
    // of a path longer than the kernel takes, so both are left out.
    EXPECT_EQ(listed, (Names{"../", folder + "/", "a.gpe", folder + ".gpe"}));
}

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

// The sort works each entry's key out once; the order must stay the comparator's, with entries it
// finds alike in the order they came, as the C library's merge sort leaves them.
TEST(FileListScanTypes, SortKeepsTheComparatorsOrder)
{
    const char* const pool[] = {"../", "a", "A", "a/", "A/", "abcdefgh", "ABCDEFGH", "abcdefghi",
                                "abcdefgH/", "abcdefgh.gpe", "ABCDEFGH.GPE", "ab", "b", "[x", "_y",
                                "Z", "z.gpe", "\xC3\xA9t\xC3\xA9", "\xC3\x89T\xC3\x89", "0", "9/", ""};
    const size_t poolSize = sizeof(pool) / sizeof(pool[0]);
    unsigned seed = 7;
    for (int round = 0; round < 50; ++round) {
        std::vector<const char*> picked;
        for (int i = 0; i < 40; ++i) {
            seed = seed * 1103515245u + 12345u;
            picked.push_back(pool[(seed >> 16) % poolSize]);
        }
        WString::Array sorted;
        std::vector<std::pair<std::string, int>> reference;
        for (size_t i = 0; i < picked.size(); ++i) {
            sorted.append(WString(picked[i]));
            reference.push_back({picked[i], int(i)});
        }
        DirectoryScan::sortEntries(sorted);
        std::stable_sort(reference.begin(), reference.end(), [](const auto& a, const auto& b) {
            const WString first(a.first.c_str()), second(b.first.c_str());
            return DirectoryScan::compareEntries(&first, &second) < 0;
        });
        Names expected;
        for (const auto& entry : reference)
            expected.push_back(entry.first);
        ASSERT_EQ(toStrings(sorted), expected) << "round " << round;
    }
}
