// WString on a large file: splitting into lines and deleting carriage returns must grow linearly.
// Each benchmark runs at 1x (1 MiB, 40,000 lines) and 10x that size; 10x the text should cost
// at most about 12x the time.
#include "text/WString.h"

#include <benchmark/benchmark.h>

#include <map>
#include <string>

namespace {

const int kBaseBytes = 1 << 20;
const int kBaseLines = 40000;

// A text of scale x 1 MiB in scale x 40,000 lines ending in "\r\n", the lines of slightly varying length.
const WString& textOfScale(int scale)
{
    static std::map<int, WString> cache;
    auto found = cache.find(scale);
    if (found != cache.end())
        return found->second;
    const long long bytes = static_cast<long long>(kBaseBytes) * scale;
    const long long lines = static_cast<long long>(kBaseLines) * scale;
    std::string text;
    text.reserve(bytes);
    for (long long i = 0; i < lines; i++) {
        const long long lineEnd = (i + 1) * bytes / lines;
        std::string line = "KEY" + std::to_string(i) + "=value,";
        while (static_cast<long long>(text.size() + line.size()) + 2 < lineEnd)
            line += static_cast<char>('a' + (text.size() + line.size()) % 26);
        text += line;
        text += "\r\n";
    }
    return cache[scale] = WString(text.c_str());
}

void splitLines(benchmark::State& state)
{
    const int scale = static_cast<int>(state.range(0));
    const WString& text = textOfScale(scale);
    for (auto _ : state) {
        WString::Array lines = text.split("\n");
        benchmark::DoNotOptimize(lines.count());
        if (lines.count() != kBaseLines * scale + 1)
            state.SkipWithError("wrong line count");
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.length()));
}
BENCHMARK(splitLines)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);

void deleteCarriageReturns(benchmark::State& state)
{
    const int scale = static_cast<int>(state.range(0));
    const WString& text = textOfScale(scale);
    const int expectedLength = text.length() - kBaseLines * scale;
    for (auto _ : state) {
        WString stripped = text.replace("\r", "");
        benchmark::DoNotOptimize(stripped.text());
        if (stripped.length() != expectedLength)
            state.SkipWithError("wrong result length");
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.length()));
}
BENCHMARK(deleteCarriageReturns)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);

} // namespace
