// Config::load of a large configuration file: the cost must grow linearly with the file.
// Runs at 1x (1 MiB, 40,000 statements) and 10x; 10x the file should cost at most about 12x
// the time. Keys cycle through a fixed set of names, since the store's 31 buckets make lookups
// of ever more distinct keys grow with their number whatever the reader does.
#include "config/Config.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include <unistd.h>

namespace {

const long long kBaseBytes = 1 << 20;
const long long kBaseStatements = 40000;
const int kDistinctKeys = 1000;

// Removes the generated files when the benchmark program ends.
struct GeneratedFiles {
    std::map<int, std::string> paths;
    ~GeneratedFiles()
    {
        for (auto& entry : paths)
            unlink(entry.second.c_str());
    }
};

// Path of a configuration of scale x 1 MiB in scale x 40,000 CR LF statements, with comments,
// quoted values and blank lines mixed in; empty on failure.
const std::string& configOfScale(int scale)
{
    static GeneratedFiles files;
    auto found = files.paths.find(scale);
    if (found != files.paths.end())
        return found->second;
    const long long bytes = kBaseBytes * scale;
    const long long statements = kBaseStatements * scale;
    std::string text;
    text.reserve(static_cast<size_t>(bytes));
    for (long long i = 0; i < statements; i++) {
        const long long lineEnd = (i + 1) * bytes / statements;
        std::string line;
        if (i % 50 == 0)
            line = "// comment " + std::to_string(i) + "\r\n";
        line += "Key" + std::to_string(i % kDistinctKeys) + "=v" + std::to_string(i) + ",\"a,b\",";
        while (static_cast<long long>(text.size() + line.size()) + 2 < lineEnd)
            line += static_cast<char>('a' + (text.size() + line.size()) % 26);
        text += line;
        text += "\r\n";
    }

    char pattern[] = "/tmp/trevandel-bench-XXXXXX";
    std::string path;
    int fd = mkstemp(pattern);
    if (fd >= 0) {
        FILE* stream = fdopen(fd, "wb");
        bool ok = stream && fwrite(text.data(), 1, text.size(), stream) == text.size();
        ok = stream && fclose(stream) == 0 && ok;
        if (!stream)
            close(fd);
        if (ok)
            path = pattern;
        else
            unlink(pattern);
    }
    return files.paths[scale] = path;
}

void loadConfig(benchmark::State& state)
{
    const int scale = static_cast<int>(state.range(0));
    const std::string& path = configOfScale(scale);
    if (path.empty()) {
        state.SkipWithError("could not write the generated configuration");
        return;
    }
    Config config;
    for (auto _ : state) {
        bool loaded = config.load(path.c_str());
        benchmark::DoNotOptimize(loaded);
        if (!loaded || config.count() != kDistinctKeys) {
            state.SkipWithError("the generated configuration did not load as expected");
            return;
        }
    }
    state.SetBytesProcessed(state.iterations() * kBaseBytes * scale);
    state.counters["statements"] = static_cast<double>(kBaseStatements * scale);
}

} // namespace

BENCHMARK(loadConfig)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);
