// Decodes a PNG file with libpng into a malloc block of 8-bit RGB or RGBA rows.
#include "gfx/PngReader.h"

#include <png.h>
#include <sys/stat.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "config/InputFile.h"
#include "config/SkinObserver.h"

namespace {

const int SIGNATURE_BYTES = 8;
// Only the chunks that decoding and the transforms below need are read: IHDR, PLTE, tRNS, IDAT
// and IEND. No gamma, background or shift transform is asked for, so no other chunk can change a
// pixel; skipping them all (text, sPLT, iCCP and unknown ones among them) means a chunk's claimed
// length is never allocated, however large.
const int EVERY_ANCILLARY_CHUNK = -1;
// Caps what libpng may allocate for one chunk, should it handle one by its length after all. The
// chunks kept need at most 768 bytes (a palette); 1 MiB lets real files with large skipped
// chunks (an ICC profile, XMP text) pass without a warning.
const png_alloc_size_t MAX_CHUNK_BYTES = 1024 * 1024;
// libpng counts its cache from 1: a maximum of 1 keeps no ancillary chunk at all.
const png_uint_32 NO_CACHED_CHUNKS = 1;

// One load at a time. The state lives at file scope so that it survives libpng's
// long jump back into runDecoder() unchanged and can always be released.
FILE* sFile;
png_structp sPng;
png_infop sInfo;
png_bytep* sRows;
unsigned char* sImage;
int sWidth;
int sHeight;
int sChannels;
// Set only while readPngRows runs.
void* sRowContext;
PngBeginFn sBegin;
PngRowFn sRow;
bool sGreyRows = false;
// Skin images are small files: one read fills this buffer with a whole one, where the
// stream's default buffer would take a status query and a read per 4 KiB.
char sReadBuffer[1 << 16];

void onPngError(png_structp png, png_const_charp message)
{
    fprintf(stderr, "libpng error: %s\n", message);
    if (SkinObserver* observer = SkinObserver::observer())
        observer->noteImageError(std::string("libpng error: ") + message);
    longjmp(png_jmpbuf(png), 1);
}

void releaseDecoder()
{
    if (sPng)
        png_destroy_read_struct(&sPng, sInfo ? &sInfo : nullptr, nullptr);
    sPng = nullptr;
    sInfo = nullptr;
    free(sRows);
    sRows = nullptr;
    free(sImage);
    sImage = nullptr;
    if (sFile)
        fclose(sFile);
    sFile = nullptr;
}

// Only asked when a checker listens, so the launcher's failure path stays as it was.
std::string whyNotOpened(const char* path)
{
    struct stat info;
    if (stat(path, &info) != 0)
        return errno == ENOENT || errno == ENOTDIR ? "does not exist"
                                                   : std::string("cannot be read: ") + strerror(errno);
    if (!S_ISREG(info.st_mode))
        return "is not a regular file";
    return "cannot be read: permission denied or a read error";
}

// Every libpng call that may fail happens in here, below runDecoder's setjmp.
// Returns false for images refused before anything is allocated for them.
bool decode()
{
    png_init_io(sPng, sFile);
    png_set_sig_bytes(sPng, SIGNATURE_BYTES);
    png_set_keep_unknown_chunks(sPng, PNG_HANDLE_CHUNK_NEVER, nullptr, EVERY_ANCILLARY_CHUNK);
    png_set_chunk_malloc_max(sPng, MAX_CHUNK_BYTES);
    png_set_chunk_cache_max(sPng, NO_CACHED_CHUNKS);
    // Neither side may exceed the pixel limit, so a forged header fails inside IHDR.
    png_set_user_limits(sPng, (png_uint_32)MAX_PNG_PIXELS, (png_uint_32)MAX_PNG_PIXELS);
    png_read_info(sPng, sInfo);

    png_uint_32 width = 0;
    png_uint_32 height = 0;
    int bitDepth = 0;
    int colourType = 0;
    png_get_IHDR(sPng, sInfo, &width, &height, &bitDepth, &colourType, nullptr, nullptr, nullptr);
    // Checked in 64 bits so that a forged header cannot wrap the product.
    if (width == 0 || height == 0 || (unsigned long long)width * height > (unsigned long long)MAX_PNG_PIXELS) {
        if (SkinObserver* observer = SkinObserver::observer())
            observer->noteImageError("is too large (" + std::to_string(width) + "x" +
                                        std::to_string(height) + " pixels; at most " +
                                        std::to_string(MAX_PNG_PIXELS) + ")");
        return false;
    }

    if (bitDepth == 16)
        png_set_strip_16(sPng);
    if (colourType == PNG_COLOR_TYPE_PALETTE)
        png_set_expand(sPng);
    if (bitDepth < 8)
        png_set_expand(sPng);
    if (png_get_valid(sPng, sInfo, PNG_INFO_tRNS))
        png_set_expand(sPng);
    if ((colourType == PNG_COLOR_TYPE_GRAY || colourType == PNG_COLOR_TYPE_GRAY_ALPHA) && !sGreyRows)
        png_set_gray_to_rgb(sPng);
    const int passes = png_set_interlace_handling(sPng);
    png_read_update_info(sPng, sInfo);

    png_get_IHDR(sPng, sInfo, &width, &height, &bitDepth, &colourType, nullptr, nullptr, nullptr);
    size_t rowBytes = png_get_rowbytes(sPng, sInfo);
    int channels = png_get_channels(sPng, sInfo);

    // The caller may refuse the image now, before the rows cost anything.
    if (sBegin && !sBegin(sRowContext, (int)width, (int)height, channels))
        return false;

    if (sRow && passes == 1) {
        // One row at a time through a single row buffer, each handed out while it is hot.
        sImage = (unsigned char*)malloc(rowBytes);
        if (!sImage)
            png_error(sPng, "Visual PNG: out of memory");
        for (png_uint_32 y = 0; y < height; y++) {
            png_read_row(sPng, sImage, nullptr);
            sRow(sRowContext, (int)y, sImage);
        }
    } else {
        sImage = (unsigned char*)malloc(rowBytes * height);
        sRows = (png_bytep*)malloc(sizeof(png_bytep) * height);
        if (!sImage || !sRows)
            png_error(sPng, "Visual PNG: out of memory");
        for (png_uint_32 i = 0; i < height; i++)
            sRows[i] = sImage + i * rowBytes;
        png_read_image(sPng, sRows);
        if (sRow) {
            // Interlaced rows are complete only after the last pass.
            for (png_uint_32 y = 0; y < height; y++)
                sRow(sRowContext, (int)y, sRows[y]);
        }
    }
    png_read_end(sPng, nullptr);

    sWidth = (int)width;
    sHeight = (int)height;
    sChannels = channels;
    return true;
}

// Kept free of locals so that nothing here is left undefined by the long jump.
bool runDecoder()
{
    if (setjmp(png_jmpbuf(sPng)))
        return false;
    return decode();
}

} // namespace

bool readPng(const char* path, unsigned char*& buffer, int& width, int& height, int& channels)
{
    free(buffer);
    buffer = nullptr;
    if (!path)
        return false;

    // A FIFO or device named as an image must not stall the launcher.
    sFile = openRegularFile(path);
    if (!sFile) {
        if (SkinObserver* observer = SkinObserver::observer())
            observer->noteImageError(whyNotOpened(path));
        return false;
    }

    setvbuf(sFile, sReadBuffer, _IOFBF, sizeof(sReadBuffer));

    png_byte signature[SIGNATURE_BYTES];
    if (fread(signature, 1, SIGNATURE_BYTES, sFile) != SIGNATURE_BYTES
        || png_sig_cmp(signature, 0, SIGNATURE_BYTES) != 0) {
        if (SkinObserver* observer = SkinObserver::observer())
            observer->noteImageError("is not a PNG file");
        releaseDecoder();
        return false;
    }

    sPng = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, onPngError, nullptr);
    if (!sPng) {
        releaseDecoder();
        return false;
    }
    sInfo = png_create_info_struct(sPng);
    if (!sInfo) {
        releaseDecoder();
        return false;
    }

    if (!runDecoder()) {
        releaseDecoder();
        return false;
    }

    buffer = sImage;
    sImage = nullptr;
    width = sWidth;
    height = sHeight;
    channels = sChannels;
    releaseDecoder();
    return true;
}

bool readPngRows(const char* path, void* context, PngBeginFn begin, PngRowFn row, bool greyRows)
{
    sGreyRows = greyRows;
    sRowContext = context;
    sBegin = begin;
    sRow = row;
    unsigned char* buffer = nullptr;
    int width = 0;
    int height = 0;
    int channels = 0;
    const bool ok = readPng(path, buffer, width, height, channels);
    free(buffer);
    sRowContext = nullptr;
    sBegin = nullptr;
    sRow = nullptr;
    sGreyRows = false;
    return ok;
}
