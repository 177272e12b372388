// Entering a folder of 10,000 files and 500 folders (scan, sort, draw) against the naive
// opendir/readdir/stat/qsort loop over the same folder.
#include <benchmark/benchmark.h>

#include <string>

#include "BenchSupport.h"
#include "Workloads.h"

namespace {

const int FILES = 10000;
const int FOLDERS = 500;

void directory_enter(benchmark::State& state)
{
    const std::string& dir = workload::bigFolder(FILES, FOLDERS);
    if (dir.empty() || !benchsupport::openDummyVideo()) {
        state.SkipWithError("could not make the folder or open the dummy video driver");
        return;
    }
    for (auto _ : state) {
        if (workload::enterFolder(dir) != size_t(FILES + FOLDERS + 1)) {
            state.SkipWithError("the list does not hold every entry");
            break;
        }
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * (FILES + FOLDERS));
}

void directory_naiveLoop(benchmark::State& state)
{
    const std::string& dir = workload::bigFolder(FILES, FOLDERS);
    if (dir.empty()) {
        state.SkipWithError("could not make the folder");
        return;
    }
    for (auto _ : state) {
        if (workload::naiveListing(dir) != size_t(FILES + FOLDERS + 1)) {
            state.SkipWithError("the naive loop does not see every entry");
            break;
        }
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * (FILES + FOLDERS));
}

} // namespace

BENCHMARK(directory_enter)->Name("directory/enter")->Unit(benchmark::kMillisecond);
BENCHMARK(directory_naiveLoop)->Name("directory/naiveLoop")->Unit(benchmark::kMillisecond);
