// Draws each button's area and slot number, and the rows of each list, over the window.
#pragma once

#include "platform/desktop/DesktopPlatform.h"

class Page;

class PreviewOverlay {
public:
    // Colours chosen to stand out on most skins: magenta areas, yellow for the selected button,
    // cyan list rows.
    static const unsigned short AREA = 0xF81F;
    static const unsigned short SELECTED = 0xFFE0;
    static const unsigned short ROWS = 0x07FF;
    static const unsigned short LABEL_BACK = 0x0000;

    // Draws onto the 640x480 window at its own resolution (lines one window pixel wide), so the
    // skin's pixels in the back buffers are never touched.
    static void draw(DesktopPlatform::WindowPixels& window, const Page& page);
};
