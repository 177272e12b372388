// Shared helpers for the skin tests: a screen buffer, generated PNGs and font, temporary trees.
#pragma once

#include <ftw.h>
#include <linux/capability.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "launcher/Globals.h"
#include "support/PngWriter.h"
#include "platform/Video.h"

namespace skintest {

// Glyph sheet geometry: every printable character is a solid block this wide and tall.
const int GLYPH_WIDTH = 2;
const int LINE_HEIGHT = 4;

// Points Video::screen at a private buffer so drawing can be read back.
class ScreenBuffer {
public:
    ScreenBuffer() : m_pixels(Video::WIDTH * Video::HEIGHT, 0), m_saved(Video::screen)
    {
        Video::screen = m_pixels.data();
    }
    ~ScreenBuffer() { Video::screen = m_saved; }
    uint16_t at(int x, int y) const { return m_pixels[y * Video::WIDTH + x]; }
    void fill(uint16_t pixel) { m_pixels.assign(m_pixels.size(), pixel); }
    int countOf(uint16_t pixel) const
    {
        int n = 0;
        for (uint16_t p : m_pixels)
            n += p == pixel;
        return n;
    }
    // Length of the run of pixels equal to pixel starting at (x, y) and going right.
    int runFrom(int x, int y, uint16_t pixel) const
    {
        int n = 0;
        while (x + n < Video::WIDTH && at(x + n, y) == pixel)
            n++;
        return n;
    }

private:
    std::vector<uint16_t> m_pixels;
    uint16_t* m_saved;
};

// Writes an 8-bit RGBA PNG from width * height * 4 samples.
inline bool writeRgbaPng(const std::string& path, int width, int height,
                         const std::vector<uint8_t>& rgba)
{
    return writeRgbPng(path, width, height, rgba, true);
}

// A single-colour opaque RGBA image.
inline bool writeSolidPng(const std::string& path, int width, int height, uint8_t r, uint8_t g,
                          uint8_t b)
{
    std::vector<uint8_t> rgba;
    for (int i = 0; i < width * height; i++) {
        rgba.push_back(r);
        rgba.push_back(g);
        rgba.push_back(b);
        rgba.push_back(255);
    }
    return writeRgbaPng(path, width, height, rgba);
}

inline int removeEntry(const char* path, const struct stat*, int, struct FTW*)
{
    return remove(path);
}

// A temporary directory removed with its contents at the end of the test.
class TempDir {
public:
    TempDir()
    {
        char pattern[] = "/tmp/trevandel-skin-XXXXXX";
        const char* made = mkdtemp(pattern);
        m_path = made ? std::string(made) + "/" : std::string();
    }
    ~TempDir()
    {
        if (!m_path.empty())
            nftw(m_path.c_str(), removeEntry, 16, FTW_DEPTH | FTW_PHYS);
    }
    // Always ends in "/".
    const std::string& path() const { return m_path; }
    void makeDir(const std::string& relative) const { mkdir((m_path + relative).c_str(), 0755); }
    void writeFile(const std::string& relative, const std::string& content = "") const
    {
        FILE* f = fopen((m_path + relative).c_str(), "wb");
        ASSERT_NE(f, nullptr) << relative;
        fwrite(content.data(), 1, content.size(), f);
        fclose(f);
    }

private:
    std::string m_path;
};

// Root reads and searches every directory whatever its mode (and the tests run as root in CI).
// While one of these lives, the calling thread does without those two privileges, so a folder's
// permission bits hold for it as for any user; it gets them back at the end.
class PermissionBitsHold {
public:
    PermissionBitsHold()
    {
        if (syscall(SYS_capget, &m_header, m_saved) != 0)
            return;
        __user_cap_data_struct reduced[_LINUX_CAPABILITY_U32S_3];
        for (int i = 0; i < _LINUX_CAPABILITY_U32S_3; i++)
            reduced[i] = m_saved[i];
        reduced[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
        m_reduced = syscall(SYS_capset, &m_header, reduced) == 0;
    }
    ~PermissionBitsHold()
    {
        if (m_reduced)
            syscall(SYS_capset, &m_header, m_saved);
    }
    PermissionBitsHold(const PermissionBitsHold&) = delete;
    PermissionBitsHold& operator=(const PermissionBitsHold&) = delete;

private:
    __user_cap_header_struct m_header = {_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct m_saved[_LINUX_CAPABILITY_U32S_3] = {};
    bool m_reduced = false;
};

// Loads a generated glyph sheet into gFont once: each of the characters 33..126 is a solid
// GLYPH_WIDTH x LINE_HEIGHT block, so drawn text can be measured in pixels.
inline void loadTestFont()
{
    static bool loaded = false;
    if (loaded)
        return;
    const int glyphs = 126 - 33 + 1;
    const int width = 1 + glyphs * GLYPH_WIDTH + 1;
    const int height = LINE_HEIGHT + 1;
    std::vector<uint8_t> rgba((size_t)width * height * 4, 0);
    auto setWhite = [&](int x, int y) {
        uint8_t* p = &rgba[((size_t)y * width + x) * 4];
        p[0] = p[1] = p[2] = 255;
    };
    for (size_t i = 3; i < rgba.size(); i += 4)
        rgba[i] = 255;
    for (int g = 1; g <= glyphs; g++)
        setWhite(1 + g * GLYPH_WIDTH, 0);
    for (int y = 1; y < height; y++)
        for (int x = 1; x < 1 + glyphs * GLYPH_WIDTH; x++)
            setWhite(x, y);
    char pattern[] = "/tmp/trevandel-font-XXXXXX";
    const int fd = mkstemp(pattern);
    ASSERT_GE(fd, 0);
    close(fd);
    ASSERT_TRUE(writeRgbaPng(pattern, width, height, rgba));
    testing::internal::CaptureStdout();
    const bool ok = gFont.load(pattern);
    testing::internal::GetCapturedStdout();
    unlink(pattern);
    ASSERT_TRUE(ok);
    ASSERT_EQ(gFont.lineHeight(), LINE_HEIGHT);
    loaded = true;
}

inline std::vector<std::string> toStrings(const WString::Array& items)
{
    std::vector<std::string> out;
    for (int i = 0; i < items.count(); i++)
        out.push_back(items.at(i).printable());
    return out;
}

inline WString::Array words(const std::vector<std::string>& items)
{
    WString::Array out;
    for (const std::string& item : items)
        out.append(WString(item.c_str()));
    return out;
}

// Hands one statement to a page or button, its values as plain strings.
template <class Control>
void feed(Control& control, const char* key, const std::vector<std::string>& values)
{
    control.parseStatement(WString(key), words(values));
}

// Runs one input through a page, button or list and returns the resulting action words;
// navAfter receives the navigation code as the control left it.
template <class Control>
std::vector<std::string> press(Control& control, int nav, int* navAfter = nullptr)
{
    WString::Array action;
    NavCode code = NavCode(nav);
    control.handleInput(action, code);
    if (navAfter)
        *navAfter = code;
    return toStrings(action);
}

// Runs fn with standard output captured and returns what it printed.
template <class Fn>
std::string captureStdout(Fn fn)
{
    fflush(stdout);
    testing::internal::CaptureStdout();
    fn();
    fflush(stdout);
    return testing::internal::GetCapturedStdout();
}

} // namespace skintest
