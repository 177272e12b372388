// The overlay: outlines in window pixels and slot numbers from a tiny built-in digit font.
#include "PreviewOverlay.h"

#include <algorithm>
#include <climits>
#include <cstdint>

#include "gfx/DLImage.h"
#include "gfx/Font.h"
#include "platform/Video.h"
#include "skin/Button.h"
#include "skin/ButtonType.h"
#include "skin/FileList.h"
#include "skin/Page.h"

namespace {

const int SCALE = 2;
// Digits 0-9, three columns by five rows, one bit per pixel (top row in the high bits).
const uint16_t DIGITS[10] = {0x7B6F, 0x2C97, 0x73E7, 0x73CF, 0x5BC9,
                             0x79CF, 0x79EF, 0x7249, 0x7BEF, 0x7BCF};
const int DIGIT_WIDTH = 3;
const int DIGIT_HEIGHT = 5;
// Each digit pixel is drawn as a 2x2 block of window pixels.
const int DIGIT_PIXEL = 2;
// A number's dark box, in window pixels.
const int LABEL_HEIGHT = (DIGIT_HEIGHT + 1) * DIGIT_PIXEL + 1;

class Canvas {
public:
    explicit Canvas(DesktopPlatform::WindowPixels& window) : m_window(window) {}

    void pixel(int x, int y, uint16_t colour)
    {
        if (x < 0 || y < 0 || x >= m_window.width || y >= m_window.height)
            return;
        uint8_t* row = m_window.pixels + y * m_window.pitchBytes;
        reinterpret_cast<uint16_t*>(row)[x] = colour;
    }
    void fill(int left, int top, int right, int bottom, uint16_t colour)
    {
        for (int y = top; y <= bottom; y++)
            for (int x = left; x <= right; x++)
                pixel(x, y, colour);
    }
    // The outline of screen pixels left..right, top..bottom (edges included), one window pixel wide.
    void outline(int left, int top, int right, int bottom, uint16_t colour)
    {
        const int x0 = left * SCALE, y0 = top * SCALE;
        const int x1 = right * SCALE + SCALE - 1, y1 = bottom * SCALE + SCALE - 1;
        fill(x0, y0, x1, y0, colour);
        fill(x0, y1, x1, y1, colour);
        fill(x0, y0, x0, y1, colour);
        fill(x1, y0, x1, y1, colour);
    }
    // A number on a dark box, its top left corner at window pixel (x, y).
    void number(int x, int y, int value, uint16_t colour)
    {
        char digits[12];
        int count = 0;
        unsigned rest = unsigned(value < 0 ? 0 : value);
        do {
            digits[count++] = char(rest % 10);
            rest /= 10;
        } while (rest > 0 && count < 11);
        const int step = (DIGIT_WIDTH + 1) * DIGIT_PIXEL;
        fill(x, y, x + count * step, y + LABEL_HEIGHT - 1, PreviewOverlay::LABEL_BACK);
        for (int i = 0; i < count; i++)
            digit(x + DIGIT_PIXEL + i * step, y + DIGIT_PIXEL, digits[count - 1 - i], colour);
    }

private:
    void digit(int x, int y, int value, uint16_t colour)
    {
        const uint16_t bits = DIGITS[value];
        for (int row = 0; row < DIGIT_HEIGHT; row++) {
            for (int column = 0; column < DIGIT_WIDTH; column++) {
                const int bit = (DIGIT_HEIGHT - 1 - row) * DIGIT_WIDTH + (DIGIT_WIDTH - 1 - column);
                if (bits & (1 << bit)) {
                    const int left = x + column * DIGIT_PIXEL, top = y + row * DIGIT_PIXEL;
                    fill(left, top, left + DIGIT_PIXEL - 1, top + DIGIT_PIXEL - 1, colour);
                }
            }
        }
    }

    DesktopPlatform::WindowPixels& m_window;
};

// The screen pixels a button covers as it is drawn now, edges included; false when it shows
// nothing to outline.
bool areaOf(const Button& button, bool selected, int& left, int& top, int& right, int& bottom)
{
    const ButtonType* type = button.drawnKind();
    if (!type)
        return false;
    Area area{0, 0, 0, 0};
    if (type->drawing == ButtonType::PICTURE) {
        const DLImage* shown = button.shownImage(selected);
        if (!shown)
            return false;
        area = type->placed(button.typeArgs(), shown->width(), shown->height());
    } else {
        area = type->placed(button.typeArgs(), 0, 0);
        // A text shows where it is even while it draws nothing, one pixel at the least.
        if (type->drawing == ButtonType::TEXT) {
            area.right = std::max(area.right, int(std::min<long long>(area.left + 1LL, INT_MAX)));
            area.bottom = std::max(area.bottom, int(std::min<long long>(area.top + 1LL, INT_MAX)));
        }
    }
    left = area.left;
    top = area.top;
    right = area.right - 1;
    bottom = area.bottom - 1;
    return !area.isEmpty();
}

// Keeps an area's corners where the window can draw them, however far off the skin put them.
int clampTo(int value, int limit)
{
    return value < -1 ? -1 : value > limit ? limit : value;
}

} // namespace

void PreviewOverlay::draw(DesktopPlatform::WindowPixels& window, const Page& page)
{
    Canvas canvas(window);
    const int lineHeight = gFont.lineHeight();
    for (int slot = 0; slot < Page::SLOT_COUNT; slot++) {
        const Button* button = page.button(slot);
        int left = 0, top = 0, right = 0, bottom = 0;
        if (!button || !areaOf(*button, slot == page.selected(), left, top, right, bottom))
            continue;
        left = clampTo(left, Video::WIDTH);
        right = clampTo(right, Video::WIDTH);
        top = clampTo(top, Video::HEIGHT);
        bottom = clampTo(bottom, Video::HEIGHT);
        const FileList* list = button->list();
        if (list && lineHeight > 0) {
            for (int row = 1; row < list->rows(); row++) {
                const int y = top + row * lineHeight;
                if (y <= bottom)
                    canvas.fill(left * SCALE, y * SCALE, right * SCALE + SCALE - 1, y * SCALE, ROWS);
            }
            const int cursorTop = top + (list->rows() / 2) * lineHeight;
            if (list->rows() > 0)
                canvas.outline(left, cursorTop, right, cursorTop + lineHeight - 1, ROWS);
        }
        canvas.outline(left, top, right, bottom, slot == page.selected() ? SELECTED : AREA);
        // The number sits just above the area's corner, where it hides none of the button,
        // unless the area starts at the top of the screen.
        const int labelTop = top * SCALE - LABEL_HEIGHT;
        canvas.number(left * SCALE, labelTop >= 0 ? labelTop : top * SCALE, slot,
                      slot == page.selected() ? SELECTED : AREA);
    }
}
