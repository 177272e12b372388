// Writes small PNG files with libpng so tests and benchmarks can build exactly the input they need.
#pragma once

#include <png.h>

#include <cstdint>
#include <string>
#include <vector>

struct PngFile {
    int width = 1;
    int height = 1;
    int colourType = PNG_COLOR_TYPE_RGB;
    int bitDepth = 8;
    bool interlaced = false;
    std::vector<png_color> palette;
    // Palette alpha entries, or for grey/RGB images one transparent colour.
    std::vector<png_byte> paletteAlpha;
    bool hasTransparentColour = false;
    png_color_16 transparentColour = {};
    // Rows already packed in the file's format (bit depth and channels), height of them.
    std::vector<std::vector<uint8_t>> rows;
};

bool writePng(const std::string& path, const PngFile& file);

// An 8-bit RGB or RGBA file from samples in row order.
bool writeRgbPng(const std::string& path, int width, int height, const std::vector<uint8_t>& samples,
                 bool withAlpha, bool interlaced = false);

// A file holding the signature, an IHDR claiming the given size, one tiny IDAT and IEND.
bool writePngHeaderOnly(const std::string& path, uint32_t width, uint32_t height);

// A fresh path under the test temporary directory, unique to this process.
std::string tempPath(const std::string& name);

bool writeBytes(const std::string& path, const std::vector<uint8_t>& bytes);
std::vector<uint8_t> readBytes(const std::string& path);
