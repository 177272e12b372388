// Decodes a PNG file with libpng into a malloc block of 8-bit RGB or RGBA rows.
#include "gfx/PngReader.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
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

// Skin images are small files: one read fills a buffer this size with a whole one, where the
// stream's default buffer would take a status query and a read per 4 KiB.
const size_t READ_BUFFER_BYTES = 1 << 16;

// Everything one decode holds. It lives in readPng's frame and is reached through libpng's error
// pointer and references, never as a local of the function that calls setjmp, so libpng's long
// jump back there leaves none of it undefined and all of it can be released.
struct Decoder {
    FILE* file = nullptr;
    png_structp png = nullptr;
    png_infop info = nullptr;
    png_bytep* rows = nullptr;
    unsigned char* image = nullptr;
    int width = 0;
    int height = 0;
    int channels = 0;
    // Given only by readPngRows.
    void* rowContext = nullptr;
    PngBeginFn begin = nullptr;
    PngRowFn row = nullptr;
    bool greyRows = false;
    // What libpng gave as its reason for stopping the decode, if it did.
    std::string error;
    char readBuffer[READ_BUFFER_BYTES];

    Decoder() = default;
    Decoder(const Decoder&) = delete;
    Decoder& operator=(const Decoder&) = delete;
    ~Decoder() { release(); }

    void release()
    {
        if (png)
            png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
        png = nullptr;
        info = nullptr;
        free(rows);
        rows = nullptr;
        free(image);
        image = nullptr;
        if (file)
            fclose(file);
        file = nullptr;
    }
};

void onPngError(png_structp png, png_const_charp message)
{
    fprintf(stderr, "libpng error: %s\n", message);
    // The message may be held in a frame the jump leaves, so it is copied now.
    static_cast<Decoder*>(png_get_error_ptr(png))->error = message;
    longjmp(png_jmpbuf(png), 1);
}

// Every libpng call that may fail happens in here, below runDecoder's setjmp.
// Returns false for images refused before anything is allocated for them.
bool decode(Decoder& d)
{
    png_init_io(d.png, d.file);
    png_set_sig_bytes(d.png, SIGNATURE_BYTES);
    png_set_keep_unknown_chunks(d.png, PNG_HANDLE_CHUNK_NEVER, nullptr, EVERY_ANCILLARY_CHUNK);
    png_set_chunk_malloc_max(d.png, MAX_CHUNK_BYTES);
    png_set_chunk_cache_max(d.png, NO_CACHED_CHUNKS);
    // Neither side may exceed the pixel limit, so a forged header fails inside IHDR.
    png_set_user_limits(d.png, (png_uint_32)MAX_PNG_PIXELS, (png_uint_32)MAX_PNG_PIXELS);
    png_read_info(d.png, d.info);

    png_uint_32 width = 0;
    png_uint_32 height = 0;
    int bitDepth = 0;
    int colourType = 0;
    png_get_IHDR(d.png, d.info, &width, &height, &bitDepth, &colourType, nullptr, nullptr, nullptr);
    // Checked in 64 bits so that a forged header cannot wrap the product.
    if (width == 0 || height == 0 ||
        (unsigned long long)width * height > (unsigned long long)MAX_PNG_PIXELS) {
        if (SkinObserver* observer = SkinObserver::observer()) {
            SkinObserver::Fate refused(SkinObserver::Fate::IMAGE_TOO_LARGE);
            refused.width = width;
            refused.height = height;
            refused.limit = MAX_PNG_PIXELS;
            observer->note(refused);
        }
        return false;
    }

    if (bitDepth == 16)
        png_set_strip_16(d.png);
    if (colourType == PNG_COLOR_TYPE_PALETTE)
        png_set_expand(d.png);
    if (bitDepth < 8)
        png_set_expand(d.png);
    if (png_get_valid(d.png, d.info, PNG_INFO_tRNS))
        png_set_expand(d.png);
    if ((colourType == PNG_COLOR_TYPE_GRAY || colourType == PNG_COLOR_TYPE_GRAY_ALPHA) && !d.greyRows)
        png_set_gray_to_rgb(d.png);
    const int passes = png_set_interlace_handling(d.png);
    png_read_update_info(d.png, d.info);

    png_get_IHDR(d.png, d.info, &width, &height, &bitDepth, &colourType, nullptr, nullptr, nullptr);
    size_t rowBytes = png_get_rowbytes(d.png, d.info);
    int channels = png_get_channels(d.png, d.info);

    // The caller may refuse the image now, before the rows cost anything.
    if (d.begin && !d.begin(d.rowContext, (int)width, (int)height, channels))
        return false;

    if (d.row && passes == 1) {
        // One row at a time through a single row buffer, each handed out while it is hot.
        d.image = (unsigned char*)malloc(rowBytes);
        if (!d.image)
            png_error(d.png, "Visual PNG: out of memory");
        for (png_uint_32 y = 0; y < height; y++) {
            png_read_row(d.png, d.image, nullptr);
            d.row(d.rowContext, (int)y, d.image);
        }
    } else {
        d.image = (unsigned char*)malloc(rowBytes * height);
        d.rows = (png_bytep*)malloc(sizeof(png_bytep) * height);
        if (!d.image || !d.rows)
            png_error(d.png, "Visual PNG: out of memory");
        for (png_uint_32 i = 0; i < height; i++)
            d.rows[i] = d.image + i * rowBytes;
        png_read_image(d.png, d.rows);
        if (d.row) {
            // Interlaced rows are complete only after the last pass.
            for (png_uint_32 y = 0; y < height; y++)
                d.row(d.rowContext, (int)y, d.rows[y]);
        }
    }
    png_read_end(d.png, nullptr);

    d.width = (int)width;
    d.height = (int)height;
    d.channels = channels;
    return true;
}

// Kept free of locals so that nothing here is left undefined by the long jump.
bool runDecoder(Decoder& d)
{
    if (setjmp(png_jmpbuf(d.png)))
        return false;
    return decode(d);
}

// readPng with the decoder's callbacks already set.
bool readWith(Decoder& d, const char* path, unsigned char*& buffer, int& width, int& height,
              int& channels)
{
    free(buffer);
    buffer = nullptr;
    if (!path)
        return false;

    // A FIFO or device named as an image must not stall the launcher.
    d.file = openRegularFile(path);
    if (!d.file) {
        if (SkinObserver* observer = SkinObserver::observer())
            observer->note(SkinObserver::Fate::inFile(SkinObserver::Fate::IMAGE_NOT_OPENED, path, 0));
        return false;
    }

    setvbuf(d.file, d.readBuffer, _IOFBF, sizeof(d.readBuffer));

    png_byte signature[SIGNATURE_BYTES];
    if (fread(signature, 1, SIGNATURE_BYTES, d.file) != SIGNATURE_BYTES
        || png_sig_cmp(signature, 0, SIGNATURE_BYTES) != 0) {
        if (SkinObserver* observer = SkinObserver::observer())
            observer->note(SkinObserver::Fate(SkinObserver::Fate::IMAGE_NOT_PNG));
        return false;
    }

    d.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &d, onPngError, nullptr);
    if (!d.png)
        return false;
    d.info = png_create_info_struct(d.png);
    if (!d.info)
        return false;
    if (!runDecoder(d)) {
        SkinObserver* observer = SkinObserver::observer();
        if (observer && !d.error.empty()) {
            SkinObserver::Fate stopped(SkinObserver::Fate::IMAGE_DECODER_ERROR);
            stopped.text = d.error.c_str();
            observer->note(stopped);
        }
        return false;
    }

    buffer = d.image;
    d.image = nullptr;
    width = d.width;
    height = d.height;
    channels = d.channels;
    return true;
}

} // namespace

bool readPng(const char* path, unsigned char*& buffer, int& width, int& height, int& channels)
{
    Decoder decoder;
    return readWith(decoder, path, buffer, width, height, channels);
}

bool readPngRows(const char* path, void* context, PngBeginFn begin, PngRowFn row, bool greyRows)
{
    Decoder decoder;
    decoder.greyRows = greyRows;
    decoder.rowContext = context;
    decoder.begin = begin;
    decoder.row = row;
    unsigned char* buffer = nullptr;
    int width = 0;
    int height = 0;
    int channels = 0;
    const bool ok = readWith(decoder, path, buffer, width, height, channels);
    free(buffer);
    return ok;
}
