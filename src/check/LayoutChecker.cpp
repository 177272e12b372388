// The buttons of one page against each other, read back from the launcher's pages after loading.
#include "check/LayoutChecker.h"

#include <algorithm>

#include "check/CheckSupport.h"
#include "launcher/Globals.h"
#include "launcher/Launcher.h"
#include "platform/Video.h"
#include "skin/Button.h"
#include "skin/Page.h"

using namespace check;

namespace {

bool doesSomething(Button& button)
{
    return button.type() == "selector" || button.onAction().count() > 0 ||
           button.onLeft().count() > 0 || button.onRight().count() > 0 ||
           button.onUp().count() > 0 || button.onDown().count() > 0;
}

Area clipped(Area area)
{
    area.left = std::max(area.left, 0);
    area.top = std::max(area.top, 0);
    area.right = std::min(area.right, int(Video::WIDTH));
    area.bottom = std::min(area.bottom, int(Video::HEIGHT));
    return area;
}

} // namespace

LayoutChecker::LayoutChecker(SkinDiagnostics& diagnostics, Launcher& launcher,
                             const std::string& skinFile, ImageChecker& images)
    : m_diagnostics(diagnostics), m_launcher(launcher), m_skinFile(skinFile), m_images(images)
{
}

void LayoutChecker::checkPage(int pageIndex)
{
    Page& page = m_launcher.page(pageIndex);
    checkStartSlot(page, pageIndex);
    checkCovered(page, pageIndex);
}

void LayoutChecker::checkStartSlot(Page& page, int pageIndex)
{
    Button* first = page.button(0);
    if (!first || doesSomething(*first))
        return;
    bool othersDoSomething = false;
    for (int slot = 1; slot < Page::SLOT_COUNT && !othersDoSomething; slot++)
        othersDoSomething = page.button(slot) && doesSomething(*page.button(slot));
    SkinDiagnostics::Location location;
    if (othersDoSomething &&
        m_diagnostics.fieldLocation(m_skinFile, pageIndex, 0, "BUTTON", location))
        m_diagnostics.reportAt(location.file, location.line,
                               "slot 0, where the page's selection starts, has no action and no "
                               "navigation: the stick is stuck there; give it NAVIGATION or move "
                               "the decoration to a higher slot");
}

void LayoutChecker::checkCovered(Page& page, int pageIndex)
{
    for (int slot = 0; slot < Page::SLOT_COUNT; slot++) {
        Button* below = page.button(slot);
        if (!below)
            continue;
        const Area area = drawnArea(*below);
        if (area.isEmpty())
            continue;
        for (int later = slot + 1; later < Page::SLOT_COUNT; later++) {
            Button* above = page.button(later);
            if (!above || !hides(*above, area))
                continue;
            SkinDiagnostics::Location location, cover;
            if (m_diagnostics.fieldLocation(m_skinFile, pageIndex, slot, "TYPE", location) &&
                m_diagnostics.fieldLocation(m_skinFile, pageIndex, later, "TYPE", cover))
                m_diagnostics.reportAt(location.file, location.line,
                                       "this %s is wholly covered by the image of slot %d (line "
                                       "%d), drawn after it: it never shows; put it in a slot "
                                       "above %d",
                                       below->type().printable(), later, cover.line, later);
            break;
        }
    }
}

Area LayoutChecker::drawnArea(Button& button)
{
    const WString::Array& args = button.typeArgs();
    Area none{0, 0, 0, 0};
    if (button.type() == "text" && args.count() >= 5) {
        const WString text = args.at(4).replace("%battery%", WIDEST_BATTERY);
        const int x = toInt(args.at(0)), y = toInt(args.at(1));
        return clipped(Area{x, y, x + gFont.textWidth(text.printable()), y + gFont.lineHeight()});
    }
    if (button.type() != "image" || args.count() < 3)
        return none;
    const int x = toInt(args.at(0)), y = toInt(args.at(1));
    Area area = none;
    for (int i = 2; i < args.count() && i < 4; i++) {
        int width = 0, height = 0;
        if (!m_images.size(args.at(i), true, width, height))
            continue;
        if (area.isEmpty())
            area = Area{x, y, x + width, y + height};
        area.right = std::max(area.right, x + width);
        area.bottom = std::max(area.bottom, y + height);
    }
    return clipped(area);
}

bool LayoutChecker::hides(Button& button, const Area& area)
{
    const WString::Array& args = button.typeArgs();
    if (button.type() != "image" || args.count() < 3)
        return false;
    const int x = toInt(args.at(0)), y = toInt(args.at(1));
    for (int i = 2; i < args.count() && i < 4; i++) {
        if (!m_images.covers(args.at(i), x, y, area))
            return false;
    }
    return true;
}
