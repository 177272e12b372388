// Renders a TrueType font into the launcher's glyph sheet: a marker row over characters 33..126.
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr int kFirstCode = 33;
constexpr int kLastCode = 126;
constexpr unsigned char kMarker = 255;
constexpr int kMinPixelSize = 4;
constexpr int kMaxPixelSize = 128;

// A grey image whose row 0 holds the markers and rows 1.. the glyphs.
struct Sheet {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> grey;

    unsigned char& at(int x, int y) { return grey[static_cast<size_t>(y) * width + x]; }
};

// One rendered glyph, copied out of FreeType's slot so all glyphs can be laid out afterwards.
struct Glyph {
    int advance = 0;
    int left = 0;
    int top = 0;
    int bitmapWidth = 0;
    int bitmapRows = 0;
    std::vector<unsigned char> coverage;
};

int ceilPixels(FT_Pos value26_6) { return static_cast<int>((value26_6 + 63) >> 6); }
int roundPixels(FT_Pos value26_6) { return static_cast<int>((value26_6 + 32) >> 6); }

bool renderGlyph(FT_Face face, int code, Glyph& glyph)
{
    // Light hinting snaps stems to rows only; columns stay unhinted so shapes keep their proportions.
    if (FT_Load_Char(face, static_cast<FT_ULong>(code), FT_LOAD_NO_BITMAP | FT_LOAD_TARGET_LIGHT) != 0) {
        return false;
    }
    const FT_GlyphSlot slot = face->glyph;
    if (slot->format != FT_GLYPH_FORMAT_OUTLINE) {
        return false;
    }
    // The sheet only holds whole-pixel advances: rounding up gives small text some air, and the
    // ink is centred so the extra fraction is shared by both side bearings.
    const FT_Pos exactAdvance = slot->linearHoriAdvance >> 10;
    glyph.advance = ceilPixels(exactAdvance);
    FT_Outline_Translate(&slot->outline, (glyph.advance * 64 - exactAdvance) / 2, 0);
    if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0) {
        return false;
    }
    const FT_Bitmap& bitmap = slot->bitmap;
    if (bitmap.pixel_mode != FT_PIXEL_MODE_GRAY && bitmap.rows > 0) {
        return false;
    }
    glyph.left = slot->bitmap_left;
    glyph.top = slot->bitmap_top;
    glyph.bitmapWidth = static_cast<int>(bitmap.width);
    glyph.bitmapRows = static_cast<int>(bitmap.rows);
    glyph.coverage.resize(static_cast<size_t>(glyph.bitmapWidth) * glyph.bitmapRows);
    for (int row = 0; row < glyph.bitmapRows; ++row) {
        for (int col = 0; col < glyph.bitmapWidth; ++col) {
            glyph.coverage[static_cast<size_t>(row) * glyph.bitmapWidth + col] =
                bitmap.buffer[row * bitmap.pitch + col];
        }
    }
    return true;
}

// The cell is the advance, widened only when the ink would not fit, so no coverage is cut off.
int cellWidth(const Glyph& glyph)
{
    int width = glyph.advance;
    if (glyph.bitmapWidth > width) {
        width = glyph.bitmapWidth;
    }
    return width < 1 ? 1 : width;
}

// Ink keeps its bearing where it fits; otherwise it is shifted just enough to stay inside the cell.
int inkOffset(const Glyph& glyph, int width)
{
    int offset = glyph.left;
    if (offset + glyph.bitmapWidth > width) {
        offset = width - glyph.bitmapWidth;
    }
    return offset < 0 ? 0 : offset;
}

void layOut(const std::vector<Glyph>& glyphs, int ascent, int descent, Sheet& sheet)
{
    int total = 1;
    for (const Glyph& glyph : glyphs) {
        total += cellWidth(glyph);
    }
    sheet.width = total + 1;  // the marker that closes the last glyph
    sheet.height = 1 + ascent + descent;
    sheet.grey.assign(static_cast<size_t>(sheet.width) * sheet.height, 0);

    int x = 1;
    for (size_t i = 0; i < glyphs.size(); ++i) {
        const Glyph& glyph = glyphs[i];
        if (i > 0) {
            sheet.at(x, 0) = kMarker;
        }
        const int width = cellWidth(glyph);
        const int offset = inkOffset(glyph, width);
        for (int row = 0; row < glyph.bitmapRows; ++row) {
            const int y = 1 + ascent - glyph.top + row;
            for (int col = 0; col < glyph.bitmapWidth; ++col) {
                sheet.at(x + offset + col, y) = glyph.coverage[static_cast<size_t>(row) * glyph.bitmapWidth + col];
            }
        }
        x += width;
    }
    sheet.at(x, 0) = kMarker;
}

// Kept free of objects with destructors because libpng leaves it through longjmp on error.
bool writeRows(FILE* file, int width, int height, png_bytepp rows)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (png == nullptr) {
        return false;
    }
    png_infop info = png_create_info_struct(png);
    if (info == nullptr) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_GRAY, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_write_image(png, rows);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

bool writePng(const char* path, Sheet& sheet)
{
    FILE* file = std::fopen(path, "wb");
    if (file == nullptr) {
        return false;
    }
    std::vector<png_bytep> rows(static_cast<size_t>(sheet.height));
    for (int y = 0; y < sheet.height; ++y) {
        rows[static_cast<size_t>(y)] = &sheet.at(0, y);
    }
    const bool written = writeRows(file, sheet.width, sheet.height, rows.data());
    return std::fclose(file) == 0 && written;
}

int makeSheet(const char* fontPath, int pixelSize, const char* outPath)
{
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0) {
        std::fprintf(stderr, "makefont: cannot start FreeType\n");
        return 1;
    }
    FT_Face face = nullptr;
    if (FT_New_Face(library, fontPath, 0, &face) != 0) {
        std::fprintf(stderr, "makefont: cannot open font %s\n", fontPath);
        FT_Done_FreeType(library);
        return 1;
    }
    int status = 0;
    std::vector<Glyph> glyphs(kLastCode - kFirstCode + 1);
    if (FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixelSize)) != 0) {
        std::fprintf(stderr, "makefont: %s has no size %i\n", fontPath, pixelSize);
        status = 1;
    }
    for (int code = kFirstCode; status == 0 && code <= kLastCode; ++code) {
        if (!renderGlyph(face, code, glyphs[static_cast<size_t>(code - kFirstCode)])) {
            std::fprintf(stderr, "makefont: cannot render character %i\n", code);
            status = 1;
        }
    }
    if (status == 0) {
        int ascent = roundPixels(FT_MulFix(face->ascender, face->size->metrics.y_scale));
        int descent = roundPixels(FT_MulFix(-face->descender, face->size->metrics.y_scale));
        // Rows reach far enough for every glyph's ink, so layOut never has to clip.
        for (const Glyph& glyph : glyphs) {
            if (glyph.top > ascent) {
                ascent = glyph.top;
            }
            if (glyph.bitmapRows - glyph.top > descent) {
                descent = glyph.bitmapRows - glyph.top;
            }
        }
        Sheet sheet;
        layOut(glyphs, ascent, descent, sheet);
        if (writePng(outPath, sheet)) {
            std::printf("%s: %ix%i, line height %i\n", outPath, sheet.width, sheet.height, sheet.height - 1);
        } else {
            std::fprintf(stderr, "makefont: cannot write %s\n", outPath);
            status = 1;
        }
    }
    FT_Done_Face(face);
    FT_Done_FreeType(library);
    return status;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: makefont <font.ttf> <pixel size> <out.png>\n");
        return 2;
    }
    const int pixelSize = std::atoi(argv[2]);
    if (pixelSize < kMinPixelSize || pixelSize > kMaxPixelSize) {
        std::fprintf(stderr, "makefont: pixel size must be %i to %i\n", kMinPixelSize, kMaxPixelSize);
        return 2;
    }
    return makeSheet(argv[1], pixelSize, argv[3]);
}
