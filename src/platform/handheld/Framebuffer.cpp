// FBIOGET_VSCREENINFO and FBIOGET_FSCREENINFO for the geometry, mmap for the pixels,
// FBIOPAN_DISPLAY for the page flip.
#include "platform/handheld/Framebuffer.h"

#include <fcntl.h>
#include <linux/fb.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

ScreenFormat::Field fieldOf(const fb_bitfield& field)
{
    return {int(field.offset), int(field.length)};
}

} // namespace

bool Framebuffer::fail(const std::string& reason) const
{
    fprintf(stderr, "trevandel: %s: %s\n", m_path.c_str(), reason.c_str());
    return false;
}

bool Framebuffer::open(const std::string& path, const std::string& formatText, bool upsideDown)
{
    close();
    m_path = path;
    m_fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (m_fd < 0)
        return fail(std::string("cannot open the framebuffer: ") + strerror(errno));

    fb_var_screeninfo var = {};
    fb_fix_screeninfo fix = {};
    size_t deviceBytes = 0;
    if (ioctl(m_fd, FBIOGET_VSCREENINFO, &var) == 0 && ioctl(m_fd, FBIOGET_FSCREENINFO, &fix) == 0) {
        m_standIn = false;
        m_format.width = int(var.xres);
        m_format.height = int(var.yres);
        m_format.bitsPerPixel = int(var.bits_per_pixel);
        m_format.lineLength = int(fix.line_length);
        m_format.virtualHeight = int(var.yres_virtual);
        m_format.yOffset = int(var.yoffset);
        m_format.red = fieldOf(var.red);
        m_format.green = fieldOf(var.green);
        m_format.blue = fieldOf(var.blue);
        m_format.transp = fieldOf(var.transp);
        deviceBytes = fix.smem_len;
    } else {
        const int error = errno;
        if (formatText.empty()) {
            ::close(m_fd);
            m_fd = -1;
            return fail(std::string("not a framebuffer (") + strerror(error) + ")");
        }
        std::string problem;
        if (!ScreenFormat::parse(formatText.c_str(), m_format, problem)) {
            ::close(m_fd);
            m_fd = -1;
            return fail("the given screen format: " + problem);
        }
        m_standIn = true;
        struct stat info;
        deviceBytes = fstat(m_fd, &info) == 0 ? size_t(info.st_size) : 0;
    }

    std::string problem;
    if (!m_converter.configure(m_format, upsideDown, problem)) {
        ::close(m_fd);
        m_fd = -1;
        return fail(problem);
    }
    const size_t pageBytes = size_t(m_format.lineLength) * m_format.height;
    m_flipping = m_format.virtualHeight >= 2 * m_format.height && deviceBytes >= 2 * pageBytes;
    m_mappedBytes = m_flipping ? 2 * pageBytes : pageBytes;
    m_pageAtOpen = m_format.height > 0 && m_format.yOffset == m_format.height ? 1 : 0;
    if (!m_flipping)
        m_pageAtOpen = 0;
    if (deviceBytes < m_mappedBytes) {
        ::close(m_fd);
        m_fd = -1;
        return fail(m_format.describe() + " needs " + std::to_string(m_mappedBytes) +
                    " bytes, the device has " + std::to_string(deviceBytes));
    }
    void* memory = mmap(nullptr, m_mappedBytes, PROT_READ | PROT_WRITE, MAP_SHARED, m_fd, 0);
    if (memory == MAP_FAILED) {
        const int error = errno;
        ::close(m_fd);
        m_fd = -1;
        return fail(std::string("cannot map the framebuffer: ") + strerror(error));
    }
    m_memory = static_cast<uint8_t*>(memory);
    m_shownPage = m_pageAtOpen;
    // Around a frame of another size the screen is black, on both pages.
    m_converter.fill(page(0));
    if (m_flipping)
        m_converter.fill(page(1));
    return true;
}

bool Framebuffer::pan(int index)
{
    if (m_standIn)
        return true;
    fb_var_screeninfo var = {};
    if (ioctl(m_fd, FBIOGET_VSCREENINFO, &var) != 0)
        return false;
    var.xoffset = 0;
    var.yoffset = unsigned(index * m_format.height);
    return ioctl(m_fd, FBIOPAN_DISPLAY, &var) == 0;
}

void Framebuffer::present(const uint16_t* frame)
{
    if (!m_memory || !frame)
        return;
    if (m_flipping) {
        const int hidden = m_shownPage ^ 1;
        m_converter.convert(frame, page(hidden));
        if (pan(hidden)) {
            m_shownPage = hidden;
            return;
        }
        // A driver that cannot pan shows one page only: draw there from now on.
        m_flipping = false;
    }
    m_converter.convert(frame, page(m_shownPage));
}

void Framebuffer::close()
{
    if (m_memory) {
        if (m_shownPage != m_pageAtOpen)
            pan(m_pageAtOpen);
        munmap(m_memory, m_mappedBytes);
        m_memory = nullptr;
    }
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}
