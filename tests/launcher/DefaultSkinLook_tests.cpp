// The shipped skins as they are drawn: each list's cursor bar on its cursor line, and text that
// stands out from whatever is painted under it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "launcher/LauncherTestSupport.h"
#include "launcher/Globals.h"
#include "launcher/Launcher.h"
#include "platform/Video.h"
#include "gfx/Font.h"
#include "skin/Button.h"
#include "skin/FileList.h"
#include "skin/Page.h"
#include "skin/parseColour.h"
#include "support/ShippedApp.h"

namespace {

using Frame = std::vector<uint16_t>;

const uint16_t WHITE = 0xFFDF;
// Both hint and body text are held to the level for ordinary text, not the one for large text.
const double MIN_CONTRAST = 4.5;

double channelLuminance(int fiveBits)
{
    const double v = ((fiveBits << 3) | (fiveBits >> 2)) / 255.0;
    return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
}

// Relative luminance of a screen pixel, its fields widened to 8 bits as the window shows them.
double luminance(uint16_t pixel)
{
    return 0.2126 * channelLuminance((pixel >> Video::RED_FIELD_SHIFT) & Video::FIELD_MASK) +
           0.7152 * channelLuminance((pixel >> Video::GREEN_FIELD_SHIFT) & Video::FIELD_MASK) +
           0.0722 * channelLuminance(pixel & Video::FIELD_MASK);
}

double contrast(uint16_t a, uint16_t b)
{
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

int argument(const Button& button, int index)
{
    return atoi(button.typeArgs().at(index).printable());
}

// Draws something into a cleared scratch screen, so its pixels show where it puts ink.
template <typename Draw> Frame inkOf(Draw draw)
{
    Frame scratch(Video::WIDTH * Video::HEIGHT, 0);
    uint16_t* shown = Video::screen;
    Video::screen = scratch.data();
    draw();
    Video::screen = shown;
    return scratch;
}

// One line of text on a page: its box and the colour it is drawn in.
struct TextLine {
    std::string what;
    int left, top, right;  // right is exclusive; rows are top .. top + line height - 1
    uint16_t colour;
};

class DefaultSkinLook : public coretest::LauncherFixture, public testing::WithParamInterface<const char*> {
protected:
    void SetUp() override
    {
        coretest::LauncherFixture::SetUp();
        testsupport::copyShippedApp(TREVANDEL_DATA_DIR, TEST_FILES_DIR, m_app.base());
        // The shipped configuration with only the skin changed, so its values show as shipped.
        std::string config = coretest::readFile(m_app.base() + "Trevandel.cfg");
        const size_t skin = config.find("\nSKIN=");
        ASSERT_NE(skin, std::string::npos);
        config.replace(skin, config.find('\n', skin + 1) - skin, std::string("\nSKIN=") + GetParam());
        m_app.writeConfig(config);
        startUp(m_launcher, m_app);
        ASSERT_GT(gFont.lineHeight(), 0);
    }

    static Frame drawn(Page& page)
    {
        page.draw();
        return Frame(Video::screen, Video::screen + Video::WIDTH * Video::HEIGHT);
    }

    static void select(Page& page, int slot)
    {
        WString::Array action;
        action.append("select");
        action.append(WString().format("%d", slot));
        NavCode nav = NAV_NONE;
        page.handleInput(action, nav);
    }

    // Pixels that a rect painted after the given slot covers: text there is hidden.
    static std::vector<bool> coveredAfter(Page& page, int slot)
    {
        std::vector<bool> covered(Video::WIDTH * Video::HEIGHT, false);
        for (int later = slot + 1; later < Page::SLOT_COUNT; ++later) {
            Button* b = page.button(later);
            if (!b || b->type() != "rect" || b->typeArgs().count() < 5)
                continue;
            for (int y = std::max(argument(*b, 1), 0); y <= std::min(argument(*b, 3), Video::HEIGHT - 1); ++y)
                for (int x = std::max(argument(*b, 0), 0); x <= std::min(argument(*b, 2), Video::WIDTH - 1); ++x)
                    covered[y * Video::WIDTH + x] = true;
        }
        return covered;
    }

    // Fails when the pixels around the line's visible glyphs, in the rows of the line and the
    // columns its glyphs span, stand out from the line's colour by less than the minimum.
    static void expectReadable(const Frame& screen, const Frame& ink, const std::vector<bool>& covered,
                               const TextLine& line)
    {
        const int top = std::max(line.top, 0);
        const int bottom = std::min(line.top + gFont.lineHeight(), int(Video::HEIGHT));
        int visibleLeft = Video::WIDTH, visibleRight = -1;
        for (int y = top; y < bottom; ++y)
            for (int x = std::max(line.left, 0); x < std::min(line.right, int(Video::WIDTH)); ++x)
                if (ink[y * Video::WIDTH + x] != 0 && !covered[y * Video::WIDTH + x]) {
                    visibleLeft = std::min(visibleLeft, x);
                    visibleRight = std::max(visibleRight, x);
                }
        double worst = 1e9;
        uint16_t worstBackground = 0;
        int worstX = 0, worstY = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = visibleLeft; x <= visibleRight; ++x) {
                const int at = y * Video::WIDTH + x;
                if (ink[at] != 0 || covered[at])
                    continue;
                const double ratio = contrast(line.colour, screen[at]);
                if (ratio < worst) {
                    worst = ratio;
                    worstBackground = screen[at];
                    worstX = x;
                    worstY = y;
                }
            }
        if (worst < 1e9) {
            EXPECT_GE(worst, MIN_CONTRAST) << line.what << " at (" << line.left << "," << line.top
                                            << "): colour 0x" << std::hex << line.colour << " over 0x"
                                            << worstBackground << " at (" << std::dec << worstX << ","
                                            << worstY << ")";
        }
    }

    // Every text button and every list line of the page as drawn with the given slot selected.
    void expectPageReadable(int pageIndex, int selectedSlot)
    {
        Page& page = m_launcher.page(pageIndex);
        select(page, selectedSlot);
        const Frame screen = drawn(page);
        for (int slot = 0; slot < Page::SLOT_COUNT; ++slot) {
            Button* button = page.button(slot);
            if (!button)
                continue;
            const bool isSelected = slot == page.selected();
            const std::vector<bool> covered = coveredAfter(page, slot);
            const std::string where = std::string(GetParam()) + " page " + std::to_string(pageIndex) +
                                      " slot " + std::to_string(slot) +
                                      (isSelected ? " (selected)" : "");
            if (button->type() == "text" && button->typeArgs().count() >= 5) {
                const int x = argument(*button, 0), y = argument(*button, 1);
                const char* text = button->typeArgs().at(4).printable();
                const Frame ink = inkOf([&] {
                    gFont.setColour(WHITE);
                    gFont.drawText(x, y, text);
                });
                const uint16_t colour = parseColour(button->typeArgs().at(isSelected ? 3 : 2));
                expectReadable(screen, ink, covered, {where + " \"" + text + "\"", x, y, x + gFont.textWidth(text), colour});
            } else if (FileList* list = button->list()) {
                const int left = argument(*button, 0), top = argument(*button, 1);
                const int cursorLine = list->rows() / 2;
                for (int i = 0; i < list->rows(); ++i) {
                    const int index = i + list->cursor() - cursorLine;
                    if (index < 0 || index >= list->entries().count())
                        continue;
                    const char* entry = list->entries().at(index).printable();
                    const int y = top + i * gFont.lineHeight();
                    const Frame ink = inkOf([&] {
                        gFont.setColour(WHITE);
                        gFont.drawText(left, y, entry);
                    });
                    const uint16_t colour = i != cursorLine ? list->colour()
                                            : isSelected      ? list->cursorColour()
                                                              : list->cursorIdleColour();
                    expectReadable(screen, ink, covered, {where + " list line \"" + entry + "\"", left, y,
                                                 left + gFont.textWidth(entry), colour});
                }
            }
        }
    }

    coretest::AppDir m_app{"trevandel-look"};
    Launcher m_launcher;
};

} // namespace

// The bar beside a list is the rect left of its text on the list's rows; it must cover the
// cursor line, whose row follows from the list's top, the font's line height and the list's
// row count, and the highlighted entry must be drawn inside it.
TEST_P(DefaultSkinLook, CursorBarSpansTheHighlightedEntry)
{
    int lists = 0;
    for (int pageIndex = 0; pageIndex < Launcher::PAGE_COUNT; ++pageIndex) {
        Page& page = m_launcher.page(pageIndex);
        for (int slot = 0; slot < Page::SLOT_COUNT; ++slot) {
            Button* selector = page.button(slot);
            if (!selector || selector->type() != "selector")
                continue;
            SCOPED_TRACE(std::string(GetParam()) + " page " + std::to_string(pageIndex));
            ++lists;
            select(page, slot);
            const Frame screen = drawn(page);
            FileList* list = selector->list();
            ASSERT_NE(list, nullptr);
            ASSERT_GT(list->entries().count(), 0);
            const int left = argument(*selector, 0), top = argument(*selector, 1);
            const int bottom = argument(*selector, 3);
            const int lineHeight = gFont.lineHeight();
            const int rows = (bottom - top) / lineHeight;
            const int cursorTop = top + rows / 2 * lineHeight;
            const int cursorBottom = cursorTop + lineHeight - 1;

            std::vector<int> bars;
            for (int other = 0; other < Page::SLOT_COUNT; ++other) {
                Button* b = page.button(other);
                if (b && b->type() == "rect" && b->typeArgs().count() >= 5 && argument(*b, 2) < left &&
                    argument(*b, 3) >= top && argument(*b, 1) <= bottom)
                    bars.push_back(other);
            }
            ASSERT_EQ(bars.size(), 1u) << "one bar left of the list";
            const Button& bar = *page.button(bars[0]);
            const int barX = argument(bar, 0);
            const uint16_t barColour = parseColour(bar.typeArgs().at(4));
            for (int y = cursorTop - 1; y <= cursorBottom + 1; ++y) {
                const bool onCursorLine = y >= cursorTop && y <= cursorBottom;
                EXPECT_EQ(screen[y * Video::WIDTH + barX] == barColour, onCursorLine) << "row " << y;
            }

            // The highlighted entry: what changes in its columns when another button takes
            // the selection and the cursor line turns to its idle colour.
            int otherSlot = 0;
            while (otherSlot == slot || !page.button(otherSlot))
                ++otherSlot;
            select(page, otherSlot);
            const Frame idle = drawn(page);
            const char* entry = list->entries().at(list->cursor()).printable();
            const int right = left + gFont.textWidth(entry);
            int firstRow = Video::HEIGHT, lastRow = -1;
            for (int y = 0; y < Video::HEIGHT; ++y)
                for (int x = left; x < right; ++x)
                    if (screen[y * Video::WIDTH + x] != idle[y * Video::WIDTH + x]) {
                        firstRow = std::min(firstRow, y);
                        lastRow = std::max(lastRow, y);
                    }
            ASSERT_GE(lastRow, 0) << "the highlighted entry " << entry << " is not drawn";
            EXPECT_GE(firstRow, cursorTop);
            EXPECT_LE(lastRow, cursorBottom);
        }
    }
    EXPECT_EQ(lists, 3) << "games, files and the skin list";
}

// Every text and list line against the pixels around its glyphs (WCAG contrast ratio), in every
// selection a page can have, with each list at its first and at its last entry.
TEST_P(DefaultSkinLook, EveryTextStandsOutFromItsBackground)
{
    for (int pageIndex = 0; pageIndex < Launcher::PAGE_COUNT; ++pageIndex) {
        Page& page = m_launcher.page(pageIndex);
        for (int atEnd = 0; atEnd < 2; ++atEnd) {
            for (int slot = 0; slot < Page::SLOT_COUNT; ++slot)
                if (page.button(slot))
                    expectPageReadable(pageIndex, slot);
            // Lists exist once the page has been drawn; move each to its last entry.
            for (int slot = 0; slot < Page::SLOT_COUNT; ++slot) {
                FileList* list = page.button(slot) ? page.button(slot)->list() : nullptr;
                for (int step = 0; list && step < list->entries().count(); ++step) {
                    WString::Array action;
                    NavCode nav = NAV_DOWN;
                    list->handleInput(action, nav);
                }
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(BothSkins, DefaultSkinLook, testing::Values("concept", "paper"));
