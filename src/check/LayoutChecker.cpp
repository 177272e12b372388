// The buttons of one page against each other, read back from the launcher's pages after loading.
#include "check/LayoutChecker.h"

#include <algorithm>
#include <climits>

#include "check/CheckSupport.h"
#include "launcher/Globals.h"
#include "launcher/Launcher.h"
#include "platform/Video.h"
#include "skin/Button.h"
#include "skin/Page.h"

using namespace check;

namespace {

// The stick's four directions, in DIRECTION_NAMES's order, and where each one leads.
const int DIRECTION_COUNT = Button::SELECT_TARGETS;
const char* const TOWARDS[DIRECTION_COUNT] = {"to its left", "to its right", "above it",
                                              "below it"};

bool isList(const Button& button)
{
    const ButtonType* type = button.kind();
    return type && type->drawing == ButtonType::LIST;
}

bool drawsAs(const Button& button, ButtonType::Drawing drawing)
{
    const ButtonType* type = button.drawnKind();
    return type && type->drawing == drawing;
}

bool doesSomething(Button& button)
{
    if (isList(button))
        return true;
    for (int which = 0; which < Button::ACTION_COUNT; which++) {
        if (button.action(which).count() > 0)
            return true;
    }
    return false;
}

// The words of the stick's directions, then those of B.
std::vector<const WString::Array*> actionsOf(Button& button)
{
    std::vector<const WString::Array*> actions;
    for (int which = 0; which < Button::ACTION_COUNT; which++)
        actions.push_back(&button.action(which));
    return actions;
}

// Whether slot is among the slots (Page::selectableSlots) the user can select.
bool isIn(uint64_t slots, int slot)
{
    return (slots >> slot) & 1;
}

// Whether words select slot itself; an empty slot number, which reads as slot 0, is reported
// where it is read.
bool selectsOwnSlot(const Page& page, const WString::Array& words, int slot)
{
    return words.count() == 2 && words.at(1).length() > 0 && page.selectTarget(words) == slot;
}

// Something to do once selected besides moving the selection: a list, or any other action.
bool hasOwnAction(Launcher& launcher, int pageIndex, int slot)
{
    if (isListSlot(launcher, pageIndex, slot))
        return true;
    for (const WString::Array* words : actionsOf(*launcher.page(pageIndex).button(slot))) {
        if (words->count() > 0 && words->at(0) != "select")
            return true;
    }
    return false;
}

// Whether the words take the user off the page: to another page, or a restart, which shows the
// start page, or the end of the launcher.
bool leaves(const WString::Array& words, int pageIndex)
{
    if (words.count() == 0)
        return false;
    if (words.at(0) == "page") {
        const int target = words.count() == 2 ? toInt(words.at(1)) : pageIndex;
        return target >= 0 && target < Launcher::PAGE_COUNT && target != pageIndex;
    }
    return words.at(0) == "quit" || (words.at(0) == "config" && words.count() >= 2);
}

bool leadsTo(const WString::Array& words, int pageIndex)
{
    return words.count() == 2 && words.at(0) == "page" && toInt(words.at(1)) == pageIndex;
}

Area intersection(const Area& a, const Area& b)
{
    return Area{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                std::min(a.bottom, b.bottom)};
}

bool contains(const Area& outer, const Area& inner)
{
    return outer.left <= inner.left && outer.top <= inner.top && outer.right >= inner.right &&
           outer.bottom >= inner.bottom;
}

// How far other lies from area in a direction, or -1 when it does not lie wholly that way on
// the same row (for left and right) or column (for up and down).
int distanceTowards(int direction, const Area& area, const Area& other)
{
    const bool sameRow = other.top < area.bottom && area.top < other.bottom;
    const bool sameColumn = other.left < area.right && area.left < other.right;
    switch (direction) {
    case 0:
        return sameRow && other.right <= area.left ? area.left - other.right : -1;
    case 1:
        return sameRow && other.left >= area.right ? other.left - area.right : -1;
    case 2:
        return sameColumn && other.bottom <= area.top ? area.top - other.bottom : -1;
    default:
        return sameColumn && other.top >= area.bottom ? other.top - area.bottom : -1;
    }
}

// How a message names a button by its type.
const char* kindOf(Button& button)
{
    return isList(button) ? "list" : button.type().printable();
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
    // The launcher's own rule: slot 0, and where select actions lead from there or from RETURN.
    const uint64_t selectable = page.selectableSlots();
    checkUnselectable(page, pageIndex, selectable);
    checkDeadKeys(page, pageIndex, selectable);
    checkWayOut(page, pageIndex, selectable);
    checkCovered(page, pageIndex);
    checkTextOverlaps(page, pageIndex);
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

void LayoutChecker::checkUnselectable(Page& page, int pageIndex, uint64_t selectable)
{
    SkinDiagnostics::Location location;
    if (!page.button(0) && selectable == 0) {
        for (int slot = 1; slot < Page::SLOT_COUNT; slot++) {
            if (!page.button(slot) || !hasOwnAction(m_launcher, pageIndex, slot))
                continue;
            if (m_diagnostics.fieldLocation(m_skinFile, pageIndex, -1, "PAGE", location))
                m_diagnostics.reportAt(location.file, location.line,
                                       "page %d has no button in slot 0, where its selection "
                                       "starts, so nothing is ever selected and none of its "
                                       "buttons can be used; put the first button in slot 0",
                                       pageIndex);
            return;
        }
        return;
    }
    // A slot 0 that never moves is reported by itself, and holds every other button back.
    if (page.button(0) && !doesSomething(*page.button(0)))
        return;
    for (int slot = 1; slot < Page::SLOT_COUNT; slot++) {
        if (!page.button(slot) || isIn(selectable, slot) ||
            !hasOwnAction(m_launcher, pageIndex, slot))
            continue;
        if (m_diagnostics.fieldLocation(m_skinFile, pageIndex, slot, "BUTTON", location))
            m_diagnostics.reportAt(location.file, location.line,
                                   "slot %d has %s but can never be selected: the selection "
                                   "starts at slot 0 and no NAVIGATION or select that the stick "
                                   "can reach from there leads to %d; add %d to a neighbour's "
                                   "NAVIGATION",
                                   slot, isListSlot(m_launcher, pageIndex, slot) ? "a list" : "an action",
                                   slot, slot);
    }
}

void LayoutChecker::checkDeadKeys(Page& page, int pageIndex, uint64_t selectable)
{
    for (int slot = 0; slot < Page::SLOT_COUNT; slot++) {
        if (!isIn(selectable, slot))
            continue;
        Button& button = *page.button(slot);
        const Area mine = area(button);
        if (mine.isEmpty())
            continue;
        const std::vector<const WString::Array*> actions = actionsOf(button);
        for (int direction = 0; direction < DIRECTION_COUNT; direction++) {
            if (!selectsOwnSlot(page, *actions[direction], slot))
                continue;
            // At the page's edge a select of the own slot only holds a place in NAVIGATION.
            int nearest = -1, nearestDistance = INT_MAX;
            for (int other = 0; other < Page::SLOT_COUNT; other++) {
                if (other == slot || !isIn(selectable, other))
                    continue;
                const Area theirs = area(*page.button(other));
                const int distance = distanceTowards(direction, mine, theirs);
                if (!theirs.isEmpty() && distance >= 0 && distance < nearestDistance) {
                    nearest = other;
                    nearestDistance = distance;
                }
            }
            SkinDiagnostics::Location location, navigation;
            if (nearest < 0 || !m_diagnostics.fieldLocation(m_skinFile, pageIndex, slot,
                                                            Button::actionKey(direction), location))
                continue;
            const bool fromNavigation =
                m_diagnostics.fieldLocation(m_skinFile, pageIndex, slot, "NAVIGATION", navigation) &&
                navigation.line == location.line && navigation.file == location.file;
            if (fromNavigation)
                m_diagnostics.reportAt(location.file, location.line,
                                       "NAVIGATION value %d (%s) is the button's own slot %d, so "
                                       "%s does nothing (a dead key), though slot %d lies %s; "
                                       "give %d, or the slot you meant",
                                       direction + 1, DIRECTION_NAMES[direction], slot,
                                       DIRECTION_NAMES[direction], nearest, TOWARDS[direction],
                                       nearest);
            else
                m_diagnostics.reportAt(location.file, location.line,
                                       "%s=select,%d selects the button's own slot, so %s does "
                                       "nothing (a dead key), though slot %d lies %s; select %d, "
                                       "or the slot you meant",
                                       Button::actionKey(direction), slot, DIRECTION_NAMES[direction],
                                       nearest, TOWARDS[direction], nearest);
        }
    }
}

void LayoutChecker::checkWayOut(Page& page, int pageIndex, uint64_t selectable)
{
    const int start = m_launcher.currentPage();
    // An empty start page is reported as such: no page of the skin is ever shown then.
    if (pageIndex == start || !page.isFilled() || !m_launcher.page(start).isFilled() ||
        leaves(page.returnAction(), pageIndex))
        return;
    for (int slot = 0; slot < Page::SLOT_COUNT; slot++) {
        if (!isIn(selectable, slot))
            continue;
        for (const WString::Array* words : actionsOf(*page.button(slot))) {
            if (leaves(*words, pageIndex))
                return;
        }
    }
    // Back to where the user came from: the first page that leads here, else the start page.
    int back = -1;
    for (int other = 0; other < Launcher::PAGE_COUNT && back < 0; other++) {
        if (other == pageIndex)
            continue;
        Page& from = m_launcher.page(other);
        bool leads = leadsTo(from.returnAction(), pageIndex);
        for (int slot = 0; slot < Page::SLOT_COUNT && !leads; slot++) {
            if (!from.button(slot))
                continue;
            for (const WString::Array* words : actionsOf(*from.button(slot)))
                leads = leads || leadsTo(*words, pageIndex);
        }
        if (leads)
            back = other;
    }
    SkinDiagnostics::Location location;
    if (!m_diagnostics.fieldLocation(m_skinFile, pageIndex, -1, "PAGE", location))
        return;
    const std::string returnWords =
        page.returnAction().count() > 0
            ? "its RETURN=" + joined(page.returnAction()) + " stays on it"
            : std::string("it has no RETURN");
    m_diagnostics.reportAt(location.file, location.line,
                           "page %d cannot be left: %s and no button the stick can reach on it "
                           "leads to another page, so only Start+Select (which quits) gets out; "
                           "add RETURN=page,%d (%s) for the back control",
                           pageIndex, returnWords.c_str(), back >= 0 ? back : start,
                           back >= 0 ? "a page that leads here" : "the start page");
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

void LayoutChecker::checkTextOverlaps(Page& page, int pageIndex)
{
    for (int slot = 0; slot < Page::SLOT_COUNT; slot++) {
        Button* text = page.button(slot);
        if (!text || !drawsAs(*text, ButtonType::TEXT))
            continue;
        const Area mine = drawnArea(*text);
        SkinDiagnostics::Location location, theirs;
        if (mine.isEmpty() ||
            !m_diagnostics.fieldLocation(m_skinFile, pageIndex, slot, "TYPE", location))
            continue;
        const WString::Array& args = text->typeArgs();
        const int x = toInt(args.at(0)), y = toInt(args.at(1));
        const WString shown = ButtonType::textAtWidest(args);
        const int width = gFont.textWidth(shown.printable());
        for (int other = 0; other < Page::SLOT_COUNT; other++) {
            Button* button = other == slot ? nullptr : page.button(other);
            if (!button)
                continue;
            const Area area = this->area(*button);
            const Area overlap = intersection(mine, area);
            if (area.isEmpty() || overlap.isEmpty())
                continue;
            const bool otherText = drawsAs(*button, ButtonType::TEXT);
            // Two texts are told once, at the one drawn last; a text wholly on a panel is its
            // caption, and a panel wholly on a text a mark of it.
            if (otherText ? other > slot : contains(area, mine) || contains(mine, area))
                continue;
            bool hidden = false;
            for (int between = other + 1; between < slot && !hidden; between++)
                hidden = page.button(between) && paintsOver(*page.button(between), overlap);
            if (hidden ||
                !m_diagnostics.fieldLocation(m_skinFile, pageIndex, other, "TYPE", theirs))
                continue;
            if (otherText && toInt(button->typeArgs().at(0)) == x &&
                toInt(button->typeArgs().at(1)) == y)
                m_diagnostics.reportAt(location.file, location.line,
                                       "text \"%s\" is drawn at (%d,%d), the same spot as the text "
                                       "of slot %d (line %d): the two are drawn over each other; "
                                       "move one",
                                       args.at(4).printable(), x, y, other, theirs.line);
            else if (otherText)
                m_diagnostics.reportAt(location.file, location.line,
                                       "text \"%s\" (%d pixels wide) at (%d,%d) runs into the text "
                                       "of slot %d (line %d): the two are drawn over each other; "
                                       "move or shorten one",
                                       args.at(4).printable(), width, x, y, other, theirs.line);
            else if (other < slot)
                m_diagnostics.reportAt(location.file, location.line,
                                       "text \"%s\" (%d pixels wide) at (%d,%d) runs over the edge "
                                       "of the %s of slot %d (line %d): move or shorten it to keep "
                                       "it clear of that area, or wholly inside it",
                                       args.at(4).printable(), width, x, y, kindOf(*button), other,
                                       theirs.line);
            else
                m_diagnostics.reportAt(location.file, location.line,
                                       "text \"%s\" (%d pixels wide) at (%d,%d) is partly painted "
                                       "over by the %s of slot %d (line %d), drawn after it: move "
                                       "or shorten it to keep it clear of that area",
                                       args.at(4).printable(), width, x, y, kindOf(*button), other,
                                       theirs.line);
            break;
        }
    }
}

Area LayoutChecker::drawnArea(Button& button)
{
    if (!drawsAs(button, ButtonType::PICTURE) && !drawsAs(button, ButtonType::TEXT))
        return Area{0, 0, 0, 0};
    return area(button);
}

Area LayoutChecker::area(Button& button)
{
    const ButtonType* type = button.drawnKind();
    if (!type)
        return Area{0, 0, 0, 0};
    const WString::Array& args = button.typeArgs();
    if (type->firstPicture < 0)
        return type->painted(args, 0, 0);
    // Either picture may show, both from the same corner: the area of the two together.
    int widest = 0, tallest = 0;
    for (int i = type->firstPicture; i < args.count() && i < type->maxValues; i++) {
        int width = 0, height = 0;
        if (!m_images.size(args.at(i), true, width, height))
            continue;
        widest = std::max(widest, width);
        tallest = std::max(tallest, height);
    }
    if (widest == 0 || tallest == 0)
        return Area{0, 0, 0, 0};
    return type->painted(args, widest, tallest);
}

bool LayoutChecker::hides(Button& button, const Area& area)
{
    const ButtonType* type = button.drawnKind();
    const WString::Array& args = button.typeArgs();
    if (!type || type->firstPicture < 0 || args.count() <= type->firstPicture)
        return false;
    const int x = toInt(args.at(0)), y = toInt(args.at(1));
    for (int i = type->firstPicture; i < args.count() && i < type->maxValues; i++) {
        if (!m_images.covers(args.at(i), x, y, area))
            return false;
    }
    return true;
}

bool LayoutChecker::paintsOver(Button& button, const Area& area)
{
    if (drawsAs(button, ButtonType::FILL))
        return contains(this->area(button), area);
    return hides(button, area);
}
