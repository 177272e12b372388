// Decoding a PNG file into 8-bit RGB or RGBA rows with libpng.
#pragma once

// Images whose decoded size would exceed this many pixels are refused before allocation.
const long MAX_PNG_PIXELS = 16L * 1024 * 1024;

// Frees any buffer passed in, then decodes path into a new malloc block of rows of
// width * channels bytes. On failure buffer is null and false is returned.
bool readPng(const char* path, unsigned char*& buffer, int& width, int& height, int& channels);
