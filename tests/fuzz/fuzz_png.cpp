// Fuzzes PNG decoding at every depth and both draw calls at coordinates from the input.
#include <cstring>
#include <vector>

#include <zlib.h>

#include "FuzzSupport.h"
#include "platform/Video.h"
#include "gfx/DLImage.h"

namespace {
// Mutations nearly always break a chunk's CRC, and libpng then rejects the file before it
// decodes anything; the CRCs are recomputed so that the decoder itself gets explored.
void fixChunkCrcs(std::vector<uint8_t>& png)
{
    const size_t signatureBytes = 8;
    size_t at = signatureBytes;
    while (at + 12 <= png.size()) {
        uint32_t length = uint32_t(png[at]) << 24 | uint32_t(png[at + 1]) << 16 |
                          uint32_t(png[at + 2]) << 8 | png[at + 3];
        if (length > png.size() - at - 12)
            break;
        uLong crc = crc32(0L, png.data() + at + 4, uInt(length + 4));
        uint8_t* out = png.data() + at + 8 + length;
        out[0] = uint8_t(crc >> 24);
        out[1] = uint8_t(crc >> 16);
        out[2] = uint8_t(crc >> 8);
        out[3] = uint8_t(crc);
        at += 12 + size_t(length);
    }
}
} // namespace

// Nearly every input makes the decoder print "libpng error: ..." on standard error, hundreds of
// megabytes in a few minutes. Unless told otherwise, libFuzzer is asked to discard the
// target's standard error; its own output and sanitizer reports go to a copy it keeps.
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    static std::vector<char*> arguments;
    static char quietStderr[] = "-close_fd_mask=2";
    for (int i = 0; i < *argc; i++) {
        if (strncmp((*argv)[i], "-close_fd_mask=", 15) == 0)
            return 0;
        arguments.push_back((*argv)[i]);
    }
    arguments.push_back(quietStderr);
    arguments.push_back(nullptr);
    *argc += 1;
    *argv = arguments.data();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static std::vector<uint16_t> screen(Video::WIDTH * Video::HEIGHT);
    Video::screen = screen.data();
    if (size < 4)
        return 0;
    int x = int(int8_t(data[0])) * 4;
    int y = int(int8_t(data[1])) * 4;
    const std::string path = fuzzDirectory() + "image.png";
    std::vector<uint8_t> png(data + 2, data + size);
    fixChunkCrcs(png);
    writeFile(path, png.data(), png.size());

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
