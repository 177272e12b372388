// Decoding a PNG file into 8-bit RGB or RGBA rows with libpng.
#pragma once

#include "platform/Video.h"

// The handheld's screen, from which the decoder's limits are taken.
const unsigned long SCREEN_PIXELS = (unsigned long)Video::WIDTH * Video::HEIGHT;
// Any image larger than four screens (640x480, say) is refused from its header, before anything is
// allocated for it: nothing beyond the screen is ever shown, and four screens leave room for
// images placed partly off it. Its decode then needs at most about 2 MiB, interlaced or not.
const unsigned long MAX_PNG_PIXELS = 4 * SCREEN_PIXELS;

// Frees any buffer passed in, then decodes path into a new malloc block of rows of
// width * channels bytes. On failure buffer is null and false is returned.
bool readPng(const char* path, unsigned char*& buffer, int& width, int& height, int& channels);

// Called by readPngRows once the decoded size is known, before anything is allocated for the
// rows; returning false refuses the image, and the decode stops there.
typedef bool (*PngBeginFn)(void* context, int width, int height, int channels);
// Called by readPngRows with each decoded row of width * channels bytes, top to bottom.
typedef void (*PngRowFn)(void* context, int y, const unsigned char* samples);

// Decodes path exactly as readPng does, but hands the rows out one at a time instead of
// returning them: a non-interlaced image is then never held whole. The rows seen are final
// only when true is returned. With greyRows, a grey image comes as grey rows (1 channel, or 2
// with its alpha) instead of RGB or RGBA.
bool readPngRows(const char* path, void* context, PngBeginFn begin, PngRowFn row, bool greyRows = false);
