// The two back buffers, flipped through the platform's screen.
#include "platform/Video.h"

#include <cstdio>
#include <cstdlib>

#include "platform/Input.h"
#include "platform/Platform.h"

namespace {

const size_t BUFFER_BYTES = size_t(Video::WIDTH) * Video::HEIGHT * sizeof(uint16_t);

uint16_t* gBuffers[2] = {nullptr, nullptr};
int gBufferIndex = 0;
unsigned gFlipCount = 0;

} // namespace

uint16_t* Video::screen = nullptr;

int Video::init()
{
    Input::reset();
    gBufferIndex = 0;
    for (int i = 0; i < 2; ++i) {
        if (!gBuffers[i])
            gBuffers[i] = static_cast<uint16_t*>(malloc(BUFFER_BYTES));
        if (!gBuffers[i]) {
            fprintf(stderr, "Couldn't allocate the screen buffers\n");
            return 1;
        }
    }
    screen = gBuffers[0];
    return Platform::current().openScreen() ? 0 : 1;
}

void Video::flip()
{
    Platform::current().present(screen);
    gBufferIndex ^= 1;
    screen = gBuffers[gBufferIndex];
    ++gFlipCount;
}

void Video::reshow()
{
    if (const uint16_t* shown = shownFrame())
        Platform::current().present(shown);
}

void Video::close()
{
    Platform::current().closeScreen();
}

void Video::shutdown()
{
    close();
    exit(0);
}

int Video::bufferIndex()
{
    return gBufferIndex;
}

uint16_t* Video::backBuffer(int index)
{
    return (index == 0 || index == 1) ? gBuffers[index] : nullptr;
}

unsigned Video::flipCount()
{
    return gFlipCount;
}
