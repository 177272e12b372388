// Shared pieces of the benchmarks, plus the memcpy of one window frame that several figures divide by.
#include "BenchSupport.h"

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <ftw.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/Video.h"
#include "platform/desktop/DesktopPlatform.h"
#include "support/PngWriter.h"

#ifndef TREVANDEL_DATA_DIR
#define TREVANDEL_DATA_DIR "data"
#endif

namespace benchsupport {

DesktopPlatform& desktop()
{
    static DesktopPlatform platform;
    return platform;
}

bool openDummyVideo()
{
    static int result = -1;
    if (result < 0) {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        Platform::install(&desktop());
        QuietStdout quiet;
        result = Video::init();
    }
    return result == 0;
}

std::string dataDir()
{
    const char* fromEnvironment = getenv("TREVANDEL_DATA_DIR");
    std::string dir = (fromEnvironment && *fromEnvironment) ? fromEnvironment : TREVANDEL_DATA_DIR;
    char resolved[PATH_MAX];
    if (realpath(dir.c_str(), resolved))
        dir = resolved;
    return dir;
}

QuietStdout::QuietStdout() : m_saved(-1)
{
    fflush(stdout);
    int devNull = open("/dev/null", O_WRONLY);
    if (devNull < 0)
        return;
    m_saved = dup(STDOUT_FILENO);
    if (m_saved >= 0)
        dup2(devNull, STDOUT_FILENO);
    close(devNull);
}

QuietStdout::~QuietStdout()
{
    fflush(stdout);
    if (m_saved >= 0) {
        dup2(m_saved, STDOUT_FILENO);
        close(m_saved);
    }
}

namespace {

int removeEntry(const char* path, const struct stat*, int, struct FTW*)
{
    return remove(path);
}

} // namespace

TempTree::TempTree()
{
    char pattern[] = "/tmp/trevandel-bench-XXXXXX";
    if (mkdtemp(pattern))
        m_path = std::string(pattern) + "/";
}

TempTree::~TempTree()
{
    if (!m_path.empty())
        nftw(m_path.c_str(), removeEntry, 16, FTW_DEPTH | FTW_PHYS);
}

bool writeFile(const std::string& path, const std::string& content)
{
    FILE* file = fopen(path.c_str(), "wb");
    if (!file)
        return false;
    bool ok = fwrite(content.data(), 1, content.size(), file) == content.size();
    return fclose(file) == 0 && ok;
}

bool writePng(const std::string& path, int width, int height, int channels,
              const std::vector<uint8_t>& samples)
{
    return writeRgbPng(path, width, height, samples, channels == 4);
}

KeepWorkingDirectory::KeepWorkingDirectory()
{
    char buffer[PATH_MAX];
    if (getcwd(buffer, sizeof(buffer)))
        m_path = buffer;
}

KeepWorkingDirectory::~KeepWorkingDirectory()
{
    if (!m_path.empty() && chdir(m_path.c_str()) != 0) {
        // Nothing left to restore to; later benchmarks use absolute paths anyway.
    }
}

namespace {

// The limit for the flip and the busy page: one plain copy of a whole window frame.
void limit_memcpyWindowFrame(benchmark::State& state)
{
    std::vector<uint8_t> source(WINDOW_FRAME_BYTES, 0x5A);
    std::vector<uint8_t> destination(WINDOW_FRAME_BYTES, 0);
    for (auto _ : state) {
        memcpy(destination.data(), source.data(), WINDOW_FRAME_BYTES);
        benchmark::DoNotOptimize(destination.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(WINDOW_FRAME_BYTES));
}

} // namespace

} // namespace benchsupport

BENCHMARK(benchsupport::limit_memcpyWindowFrame)->Name("limit/memcpyWindowFrame");
