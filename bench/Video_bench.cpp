// The flip's doubling copy into the 640x480 window, to be set against one memcpy of a window frame.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "BenchSupport.h"
#include "platform/Video.h"
#include "platform/desktop/DesktopPlatform.h"

namespace {

void flip_copyToWindow(benchmark::State& state)
{
    if (!benchsupport::openDummyVideo()) {
        state.SkipWithError("SDL could not open the dummy video driver");
        return;
    }
    // A pattern in both buffers, so no copy can be skipped as all zeros.
    for (int b = 0; b < 2; b++) {
        uint16_t* buffer = Video::backBuffer(b);
        for (int i = 0; i < Video::WIDTH * Video::HEIGHT; i++)
            buffer[i] = uint16_t(i * 2654435761u >> 16) & 0xFFDF;
    }
    for (auto _ : state) {
        benchsupport::desktop().copyToWindow(Video::screen);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(benchsupport::WINDOW_FRAME_BYTES));
}

} // namespace

BENCHMARK(flip_copyToWindow)->Name("flip/copyToWindow");
