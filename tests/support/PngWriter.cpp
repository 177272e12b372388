// Test helper that writes PNG files through libpng, plus a forged header writer.
#include "support/PngWriter.h"

#include <unistd.h>
#include <zlib.h>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>

namespace {

void onWriteError(png_structp png, png_const_charp)
{
    longjmp(png_jmpbuf(png), 1);
}

bool writeWith(FILE* out, const PngFile& file, std::vector<png_bytep>& rowPointers)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, onWriteError, nullptr);
    if (!png)
        return false;
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, out);
    png_set_IHDR(png, info, file.width, file.height, file.bitDepth, file.colourType,
                 file.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (!file.palette.empty())
        png_set_PLTE(png, info, file.palette.data(), (int)file.palette.size());
    if (!file.paletteAlpha.empty())
        png_set_tRNS(png, info, file.paletteAlpha.data(), (int)file.paletteAlpha.size(), nullptr);
    if (file.hasTransparentColour) {
        png_color_16 colour = file.transparentColour;
        png_set_tRNS(png, info, nullptr, 0, &colour);
    }
    png_write_info(png, info);
    png_write_image(png, rowPointers.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

void putBigEndian(std::vector<uint8_t>& out, uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back((uint8_t)(value >> shift));
}

void putChunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data)
{
    putBigEndian(out, (uint32_t)data.size());
    size_t typeAt = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    uLong crc = crc32(0L, out.data() + typeAt, (uInt)(4 + data.size()));
    putBigEndian(out, (uint32_t)crc);
}

} // namespace

bool writePng(const std::string& path, const PngFile& file)
{
    std::vector<png_bytep> rowPointers;
    std::vector<std::vector<uint8_t>> rows = file.rows;
    for (auto& row : rows)
        rowPointers.push_back(row.data());
    if ((int)rowPointers.size() != file.height)
        return false;
    FILE* out = fopen(path.c_str(), "wb");
    if (!out)
        return false;
    bool ok = writeWith(out, file, rowPointers);
    fclose(out);
    return ok;
}

bool writeRgbPng(const std::string& path, int width, int height, const std::vector<uint8_t>& samples,
                 bool withAlpha, bool interlaced)
{
    PngFile file;
    file.width = width;
    file.height = height;
    file.colourType = withAlpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB;
    file.interlaced = interlaced;
    size_t rowBytes = (size_t)width * (withAlpha ? 4 : 3);
    if (samples.size() != rowBytes * height)
        return false;
    for (int y = 0; y < height; y++)
        file.rows.emplace_back(samples.begin() + y * rowBytes, samples.begin() + (y + 1) * rowBytes);
    return writePng(path, file);
}

bool writePngHeaderOnly(const std::string& path, uint32_t width, uint32_t height)
{
    std::vector<uint8_t> bytes = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> header;
    putBigEndian(header, width);
    putBigEndian(header, height);
    header.insert(header.end(), {8, PNG_COLOR_TYPE_RGB, 0, 0, 0});
    putChunk(bytes, "IHDR", header);
    // A zlib stream of one empty stored block: valid, but far too little data for any row.
    putChunk(bytes, "IDAT", {0x78, 0x01, 0x01, 0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x01});
    putChunk(bytes, "IEND", {});
    return writeBytes(path, bytes);
}

std::string tempPath(const std::string& name)
{
    const char* dir = getenv("TMPDIR");
    std::string base = (dir && *dir) ? std::string(dir) + "/" : std::string("/tmp/");
    return base + "trevandel_test_" + std::to_string(getpid()) + "_" + name;
}

bool writeBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    FILE* out = fopen(path.c_str(), "wb");
    if (!out)
        return false;
    size_t written = bytes.empty() ? 0 : fwrite(bytes.data(), 1, bytes.size(), out);
    return fclose(out) == 0 && written == bytes.size();
}

std::vector<uint8_t> readBytes(const std::string& path)
{
    std::vector<uint8_t> bytes;
    FILE* in = fopen(path.c_str(), "rb");
    if (!in)
        return bytes;
    int c;
    while ((c = fgetc(in)) != EOF)
        bytes.push_back((uint8_t)c);
    fclose(in);
    return bytes;
}
