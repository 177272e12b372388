// Fuzzes PNG decoding at every depth and both draw calls at coordinates from the input.
#include <vector>

#include "FuzzSupport.h"
#include "core/Video.h"
#include "gfx/DLImage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static std::vector<uint16_t> screen(Video::WIDTH * Video::HEIGHT);
    Video::screen = screen.data();
    if (size < 4)
        return 0;
    int x = int(int8_t(data[0])) * 4;
    int y = int(int8_t(data[1])) * 4;
    const std::string path = fuzzDirectory() + "image.png";
    writeFile(path, data + 2, size - 2);

    static const int depths[] = {8, 15, 16};
    for (int depth : depths) {
        for (int keepAlpha = 0; keepAlpha < 2; keepAlpha++) {
            DLImage image;
            if (!image.loadPng(path.c_str(), depth, keepAlpha != 0))
                continue;
            image.blit(x, y);
            image.blitAlpha(x, y);
            if (image.width() > 0 && image.height() > 0)
                (void)image.pixelAt(image.width() - 1, image.height() - 1);
        }
    }
    return 0;
}
