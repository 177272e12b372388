// Decoding a PNG file into 8-bit RGB or RGBA rows with libpng.
#pragma once

// Images whose decoded size would exceed this many pixels are refused before allocation.
const long MAX_PNG_PIXELS = 16L * 1024 * 1024;

// Frees any buffer passed in, then decodes path into a new malloc block of rows of
// width * channels bytes. On failure buffer is null and false is returned.
bool readPng(const char* path, unsigned char*& buffer, int& width, int& height, int& channels);

// Called by readPngRows once the decoded size is known, before the first row.
typedef void (*PngBeginFn)(void* context, int width, int height, int channels);
// Called by readPngRows with each decoded row of width * channels bytes, top to bottom.
typedef void (*PngRowFn)(void* context, int y, const unsigned char* samples);

// Decodes path exactly as readPng does, but hands the rows out one at a time instead of
// returning them: a non-interlaced image is then never held whole. The rows seen are final
// only when true is returned.
bool readPngRows(const char* path, void* context, PngBeginFn begin, PngRowFn row);
