// Start-up of the default skin to its first flipped frame, against decoding the same PNGs with bare libpng.
#include <benchmark/benchmark.h>
#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "launcher/Globals.h"
#include "launcher/Launcher.h"
#include "platform/Video.h"

namespace {

const char* const FONT_FILE = "ARIALN.TTF_0_12_255_255_255.png";

// Everything from the page table to the first frame in the window, from an empty image cache.
// Returns the flip count reached, so a start-up that drew nothing is noticed.
unsigned startOnce(const std::string& programPath)
{
    benchsupport::KeepWorkingDirectory keep;
    gImageCache.clear();
    gConfig.clear();
    std::vector<char> argv0(programPath.begin(), programPath.end());
    argv0.push_back('\0');
    char* argv[] = {argv0.data(), nullptr};
    const unsigned flipsBefore = Video::flipCount();
    Launcher* launcher = new Launcher;
    if (launcher->start(1, argv) == 0)
        launcher->iterate();
    delete launcher;
    return Video::flipCount() - flipsBefore;
}

// The plain decode that start-up cannot avoid: header, expansion to 8-bit RGB(A), all rows.
bool decodeWithLibpng(const char* path, size_t& bytes)
{
    FILE* file = fopen(path, "rb");
    if (!file)
        return false;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    png_bytep image = nullptr;
    png_bytepp rows = nullptr;
    if (!info || setjmp(png_jmpbuf(png))) {
        free(image);
        free(rows);
        png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
        fclose(file);
        return false;
    }
    png_init_io(png, file);
    png_read_info(png, info);
    png_set_strip_16(png);
    png_set_expand(png);
    png_set_gray_to_rgb(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    const png_uint_32 height = png_get_image_height(png, info);
    const size_t rowBytes = png_get_rowbytes(png, info);
    image = static_cast<png_bytep>(malloc(rowBytes * height));
    rows = static_cast<png_bytepp>(malloc(sizeof(png_bytep) * height));
    if (!image || !rows)
        png_error(png, "out of memory");
    for (png_uint_32 y = 0; y < height; y++)
        rows[y] = image + y * rowBytes;
    png_read_image(png, rows);
    png_read_end(png, nullptr);
    bytes += rowBytes * height;
    benchmark::DoNotOptimize(image[0]);
    free(image);
    free(rows);
    png_destroy_read_struct(&png, &info, nullptr);
    fclose(file);
    return true;
}

// The PNG files a start-up decodes: the font and whatever the first page put into the image cache.
std::vector<std::string> startupPngs(const std::string& programPath)
{
    std::vector<std::string> files;
    {
        benchsupport::QuietStdout quiet;
        startOnce(programPath);
    }
    files.push_back(benchsupport::dataDir() + "/" + FONT_FILE);
    WString::Array cached = gImageCache.paths();
    for (int i = 0; i < cached.count(); i++)
        files.push_back(cached.at(i).printable());
    return files;
}

std::string programPath()
{
    return benchsupport::dataDir() + "/trevandel";
}

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
    const std::vector<std::string> files = startupPngs(programPath());
    if (files.size() < 2) {
        state.SkipWithError("start-up loaded no skin images");
        return;
    }
    size_t bytes = 0;
    for (auto _ : state) {
        for (const std::string& file : files) {
            if (!decodeWithLibpng(file.c_str(), bytes)) {
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
