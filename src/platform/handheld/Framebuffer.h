// The handheld's screen: a Linux framebuffer device, mapped, with page flipping where it has
// room for two pages.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/handheld/FrameConverter.h"
#include "platform/handheld/ScreenFormat.h"

class Framebuffer {
public:
    Framebuffer() = default;
    ~Framebuffer() { close(); }
    Framebuffer(const Framebuffer&) = delete;
    Framebuffer& operator=(const Framebuffer&) = delete;

    // Opens and maps path. The geometry comes from the driver; where the device cannot answer
    // (a plain file stands in for it), from formatText (see ScreenFormat::parse) when given.
    // false, with a message on standard error naming the device, when it cannot be used.
    bool open(const std::string& path, const std::string& formatText, bool upsideDown);
    // Shows a 320x240 frame: into the hidden page and panned to it where there are two pages,
    // else straight into the one shown.
    void present(const uint16_t* frame);
    // Shows the page that was shown at open again, and unmaps.
    void close();
    bool isOpen() const { return m_memory != nullptr; }
    const ScreenFormat& format() const { return m_format; }

private:
    bool fail(const std::string& reason) const;
    uint8_t* page(int index) const { return m_memory + size_t(index) * m_format.height * m_format.lineLength; }
    // Makes page index the one shown; false when the device refuses.
    bool pan(int index);

    std::string m_path;
    int m_fd = -1;
    uint8_t* m_memory = nullptr;
    size_t m_mappedBytes = 0;
    ScreenFormat m_format;
    FrameConverter m_converter;
    // The geometry came from formatText: there is no display controller to pan.
    bool m_standIn = false;
    bool m_flipping = false;
    int m_shownPage = 0;
    int m_pageAtOpen = 0;
};
