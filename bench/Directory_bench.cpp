// Entering a folder of 10,000 files and 500 folders (scan, sort, draw) against the naive
// opendir/readdir/stat/qsort loop over the same folder.
#include <benchmark/benchmark.h>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <strings.h>
#include <vector>

#include "BenchSupport.h"
#include "config/Config.h"
#include "launcher/Globals.h"
#include "platform/Video.h"
#include "skin/FileList.h"

namespace {

const int FILES = 10000;
const int FOLDERS = 500;
const int LIST_ROWS = 12;

// Mixed case and endings, so the case-blind sort and the folder-first rule both have work.
const std::string& bigFolder()
{
    static benchsupport::TempTree tree;
    static std::string path;
    static bool made = false;
    if (made)
        return path;
    made = true;
    if (tree.path().empty())
        return path;
    const char* const endings[] = {".gpe", ".GPE", ".txt", ".rom"};
    for (int i = 0; i < FILES; i++) {
        char name[64];
        snprintf(name, sizeof(name), "%sile%05d%s", (i % 3) ? "f" : "F", (i * 7919) % 100000, endings[i % 4]);
        int fd = open((tree.path() + name).c_str(), O_CREAT | O_WRONLY, 0644);
        if (fd < 0)
            return path;
        close(fd);
    }
    for (int i = 0; i < FOLDERS; i++) {
        char name[64];
        snprintf(name, sizeof(name), "%solder%04d", (i % 2) ? "f" : "F", (i * 613) % 10000);
        if (mkdir((tree.path() + name).c_str(), 0755) != 0)
            return path;
    }
    path = tree.path();
    return path;
}

void directory_enter(benchmark::State& state)
{
    const std::string& dir = bigFolder();
    if (dir.empty() || !benchsupport::openDummyVideo()) {
        state.SkipWithError("could not make the folder or open the dummy video driver");
        return;
    }
    if (gFont.lineHeight() <= 0) {
        benchsupport::QuietStdout quiet;
        gFont.load((benchsupport::dataDir() + "/ARIALN.TTF_0_12_255_255_255.png").c_str());
    }
    Config options;
    WString::Array start;
    start.append(WString(dir.c_str()));
    options.set("startdir", start);
    const int bottom = LIST_ROWS * gFont.lineHeight();
    for (auto _ : state) {
        FileList list(0, 0, 200, bottom, options);
        list.draw(true);
        if (list.entries().count() != FILES + FOLDERS + 1) {
            state.SkipWithError("the list does not hold every entry");
            break;
        }
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * (FILES + FOLDERS));
}

int compareNames(const void* a, const void* b)
{
    const char* first = *static_cast<char* const*>(a);
    const char* second = *static_cast<char* const*>(b);
    const size_t firstLength = strlen(first), secondLength = strlen(second);
    const bool firstIsDir = firstLength > 0 && first[firstLength - 1] == '/';
    const bool secondIsDir = secondLength > 0 && second[secondLength - 1] == '/';
    if (firstIsDir != secondIsDir)
        return firstIsDir ? -1 : 1;
    return strcasecmp(first, second);
}

// The limit: one status query per entry, names copied out, sorted with qsort, freed.
size_t naiveListing(const std::string& dir)
{
    std::vector<char*> names;
    DIR* handle = opendir(dir.c_str());
    if (!handle)
        return 0;
    char path[PATH_MAX];
    struct dirent* entry;
    while ((entry = readdir(handle)) != nullptr) {
        if (strcmp(entry->d_name, ".") == 0)
            continue;
        snprintf(path, sizeof(path), "%s%s", dir.c_str(), entry->d_name);
        struct stat status;
        if (stat(path, &status) != 0)
            continue;
        const size_t length = strlen(entry->d_name);
        char* name = static_cast<char*>(malloc(length + 2));
        memcpy(name, entry->d_name, length + 1);
        if (S_ISDIR(status.st_mode)) {
            name[length] = '/';
            name[length + 1] = '\0';
        }
        names.push_back(name);
    }
    closedir(handle);
    qsort(names.data(), names.size(), sizeof(char*), compareNames);
    const size_t count = names.size();
    for (char* name : names)
        free(name);
    return count;
}

void directory_naiveLoop(benchmark::State& state)
{
    const std::string& dir = bigFolder();
    if (dir.empty()) {
        state.SkipWithError("could not make the folder");
        return;
    }
    for (auto _ : state) {
        if (naiveListing(dir) != size_t(FILES + FOLDERS + 1)) {
            state.SkipWithError("the naive loop does not see every entry");
            break;
        }
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * (FILES + FOLDERS));
}

} // namespace

BENCHMARK(directory_enter)->Name("directory/enter")->Unit(benchmark::kMillisecond);
BENCHMARK(directory_naiveLoop)->Name("directory/naiveLoop")->Unit(benchmark::kMillisecond);
