// Reading a generated skin of 128 pages x 64 buttons (1 MiB, and 10 MiB for linearity) into the
// page table, against reading the same file into lines and statements with plain std::string code.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "launcher/Globals.h"
#include "launcher/Launcher.h"
#include "skin/Button.h"
#include "skin/Page.h"

namespace {

const size_t MIB = 1 << 20;
const int PAGES = Launcher::PAGE_COUNT;
const int BUTTONS = 64;

// One button in one of four shapes, every value using a variable as real skins do.
std::string buttonText(int page, int slot, int round)
{
    std::string s = "BUTTON=" + std::to_string(slot) + "\n";
    const std::string tag = std::to_string(page) + "_" + std::to_string(slot) + "_" + std::to_string(round);
    switch (slot % 4) {
    case 0:
        s += "TYPE=image," + std::to_string(slot * 5 % 300) + ",40,%skindir%tile" + tag + ".png,%skindir%off.png\n";
        break;
    case 1:
        s += "TYPE=text,24,134,%ink%,%warm%,\"Label, \"" + tag + "\n";
        break;
    case 2:
        s += "TYPE=rect,14,28,230,28,%accent%\n";
        break;
    default:
        s += "TYPE=selector,24,34,230,214\nOPTIONS=startdir,%basedir%demo/\n";
        break;
    }
    s += "NAVIGATION=" + std::to_string((slot + 63) % 64) + "," + std::to_string((slot + 1) % 64) + "\n";
    s += "ACTION=exec,/mnt/sd/game" + tag + "/,./run.gpe,%p0%\n";
    return s;
}

// scale x 1 MiB: the 128 pages written scale times over, each page padded to 1/128 MiB by a comment.
std::string skinText(int scale)
{
    std::string text = "VARIABLE=ink,EAF2FA\nVARIABLE=warm,FFD166\nVARIABLE=accent,3DDCFF\nSTARTPAGE=0\n";
    const size_t pageBytes = MIB / PAGES;
    for (int round = 0; round < scale; round++) {
        for (int page = 0; page < PAGES; page++) {
            std::string block = "PAGE=" + std::to_string(page) + "\nBACKGROUND=image,%skindir%main.png\nRETURN=page,0\n";
            for (int slot = 0; slot < BUTTONS; slot++)
                block += buttonText(page, slot, round);
            const size_t target = size_t(page + 1 + round * PAGES) * pageBytes;
            if (text.size() + block.size() + 4 < target)
                block += "//" + std::string(target - text.size() - block.size() - 3, '-') + "\n";
            text += block;
        }
    }
    return text;
}

// Removes the generated skins when the program ends.
struct GeneratedSkins {
    benchsupport::TempTree tree;
    std::map<int, std::string> paths;
};

const std::string& skinOfScale(int scale)
{
    static GeneratedSkins skins;
    auto found = skins.paths.find(scale);
    if (found != skins.paths.end())
        return found->second;
    std::string path = skins.tree.path() + "skin" + std::to_string(scale) + ".skin";
    if (skins.tree.path().empty() || !benchsupport::writeFile(path, skinText(scale)))
        path.clear();
    return skins.paths[scale] = path;
}

void setStartupVariables()
{
    gConfig.clear();
    gConfig.setString("basedir", WString("/tmp/base/"));
    gConfig.setString("version", WString("Trevandel 0.4"));
    gConfig.setString("skindir", WString("/tmp/base/skins/big/"));
}

void skinLoad_launcher(benchmark::State& state)
{
    const int scale = int(state.range(0));
    const std::string& path = skinOfScale(scale);
    if (path.empty()) {
        state.SkipWithError("could not write the generated skin");
        return;
    }
    setStartupVariables();
    for (auto _ : state) {
        state.PauseTiming();
        Launcher* launcher = new Launcher;
        state.ResumeTiming();
        bool read = launcher->readSkin(path.c_str());
        state.PauseTiming();
        // The last page's last button proves the whole file went in.
        Button* last = launcher->page(PAGES - 1).button(BUTTONS - 1);
        bool whole = read && last && last->onAction().count() == 4;
        delete launcher;
        state.ResumeTiming();
        if (!whole) {
            state.SkipWithError("the generated skin did not fill every page");
            break;
        }
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(MIB) * scale);
}

// The limit: the file read whole, cut into trimmed lines, comments dropped, each statement cut
// into an upper-cased key and comma-separated values with quotes honoured.
size_t splitPlainly(const std::string& path)
{
    std::string content;
    FILE* file = fopen(path.c_str(), "rb");
    if (!file)
        return 0;
    char chunk[1 << 16];
    size_t got;
    while ((got = fread(chunk, 1, sizeof(chunk), file)) > 0)
        content.append(chunk, got);
    fclose(file);

    size_t statements = 0;
    std::string key;
    std::vector<std::string> values;
    size_t start = 0;
    while (start <= content.size()) {
        size_t end = content.find('\n', start);
        if (end == std::string::npos)
            end = content.size();
        std::string line = content.substr(start, end - start);
        start = end + 1;
        line.erase(std::remove(line.begin(), line.end(), '\r'), line.end());
        size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos)
            continue;
        line = line.substr(first, line.find_last_not_of(" \t") - first + 1);
        if (line.compare(0, 2, "//") == 0)
            continue;
        size_t equals = line.find('=');
        if (equals == std::string::npos || equals == 0)
            continue;
        key = line.substr(0, equals);
        for (char& c : key)
            c = char(toupper(static_cast<unsigned char>(c)));
        values.clear();
        std::string value;
        bool quoted = false;
        for (size_t i = equals + 1; i < line.size(); i++) {
            const char c = line[i];
            if (c == '"')
                quoted = !quoted;
            else if (c == ',' && !quoted)
                values.push_back(std::move(value)), value.clear();
            else
                value += c;
        }
        values.push_back(std::move(value));
        statements += values.empty() ? 0 : 1;
        benchmark::DoNotOptimize(key.data());
        benchmark::DoNotOptimize(values.data());
    }
    return statements;
}

void skinLoad_plainSplit(benchmark::State& state)
{
    const int scale = int(state.range(0));
    const std::string& path = skinOfScale(scale);
    if (path.empty()) {
        state.SkipWithError("could not write the generated skin");
        return;
    }
    for (auto _ : state) {
        if (splitPlainly(path) < size_t(PAGES) * BUTTONS * scale) {
            state.SkipWithError("the plain split found too few statements");
            break;
        }
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(MIB) * scale);
}

} // namespace

BENCHMARK(skinLoad_launcher)->Name("skinLoad/launcher")->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);
BENCHMARK(skinLoad_plainSplit)->Name("skinLoad/plainSplit")->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);
