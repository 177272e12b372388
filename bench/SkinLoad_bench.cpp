// Reading a generated skin of 128 pages x 64 buttons (1 MiB, and 10 MiB for linearity) into the
// page table, against reading the same file into lines and statements with plain std::string code.
#include <benchmark/benchmark.h>

#include <string>

#include "Workloads.h"
#include "launcher/Launcher.h"

namespace {

using workload::MIB;
using workload::SKIN_BUTTONS;
using workload::SKIN_PAGES;

void skinLoad_launcher(benchmark::State& state)
{
    const int scale = int(state.range(0));
    const std::string& path = workload::skinOfScale(scale);
    if (path.empty()) {
        state.SkipWithError("could not write the generated skin");
        return;
    }
    workload::setStartupVariables();
    for (auto _ : state) {
        state.PauseTiming();
        Launcher* launcher = new Launcher;
        state.ResumeTiming();
        const bool whole = workload::readSkin(*launcher, path);
        state.PauseTiming();
        delete launcher;
        state.ResumeTiming();
        if (!whole) {
            state.SkipWithError("the generated skin did not fill every page");
            break;
        }
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(MIB) * scale);
}

void skinLoad_plainSplit(benchmark::State& state)
{
    const int scale = int(state.range(0));
    const std::string& path = workload::skinOfScale(scale);
    if (path.empty()) {
        state.SkipWithError("could not write the generated skin");
        return;
    }
    for (auto _ : state) {
        if (workload::splitPlainly(path) < size_t(SKIN_PAGES) * SKIN_BUTTONS * scale) {
            state.SkipWithError("the plain split found too few statements");
            break;
        }
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(MIB) * scale);
}

} // namespace

BENCHMARK(skinLoad_launcher)->Name("skinLoad/launcher")->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);
BENCHMARK(skinLoad_plainSplit)->Name("skinLoad/plainSplit")->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);
