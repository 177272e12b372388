// Start-up of the default skin to its first flipped frame, against decoding the same PNGs with bare libpng.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "BenchSupport.h"
#include "Workloads.h"
#include "launcher/Globals.h"

namespace {

using workload::programPath;
using workload::startOnce;

void startup_firstFrame(benchmark::State& state)
{
    if (!benchsupport::openDummyVideo()) {
        state.SkipWithError("SDL could not open the dummy video driver");
        return;
    }
    const std::string path = programPath();
    benchsupport::QuietStdout quiet;
    for (auto _ : state) {
        if (startOnce(path) != 1) {
            state.SkipWithError("start-up did not show its first frame");
            break;
        }
    }
    state.counters["images"] = double(gImageCache.count());
}

void startup_bareLibpng(benchmark::State& state)
{
    if (!benchsupport::openDummyVideo()) {
        state.SkipWithError("SDL could not open the dummy video driver");
        return;
    }
    const std::vector<std::string> files = workload::startupPngs(programPath());
    if (files.size() < 2) {
        state.SkipWithError("start-up loaded no skin images");
        return;
    }
    size_t bytes = 0;
    for (auto _ : state) {
        for (const std::string& file : files) {
            if (!workload::decodeWithLibpng(file.c_str(), bytes)) {
                state.SkipWithError(("libpng could not decode " + file).c_str());
                return;
            }
        }
    }
    state.counters["files"] = double(files.size());
}

} // namespace

BENCHMARK(startup_firstFrame)->Name("startup/firstFrame")->Unit(benchmark::kMicrosecond);
BENCHMARK(startup_bareLibpng)->Name("startup/bareLibpng")->Unit(benchmark::kMicrosecond);
