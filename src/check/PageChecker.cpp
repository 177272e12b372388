// The statements of each page and button, read back from the launcher's pages after loading.
#include "check/PageChecker.h"

#include <set>
#include <vector>

#include "check/ActionChecker.h"
#include "check/CheckSupport.h"
#include "check/DatChecker.h"
#include "check/ImageChecker.h"
#include "launcher/Globals.h"
#include "launcher/Launcher.h"
#include "platform/Video.h"
#include "skin/Button.h"
#include "skin/Page.h"

using namespace check;

namespace {

const char* const DIRECTIONS[] = {"LEFT", "RIGHT", "UP", "DOWN", "ACTION"};

} // namespace

PageChecker::PageChecker(SkinDiagnostics& diagnostics, Launcher& launcher,
                         const std::string& skinFile, ActionChecker& actions, ImageChecker& images,
                         DatChecker& dats)
    : m_diagnostics(diagnostics), m_launcher(launcher), m_skinFile(skinFile), m_actions(actions),
      m_images(images), m_dats(dats), m_lists(diagnostics, skinFile, actions, dats)
{
}

void PageChecker::checkPage(int pageIndex)
{
    Page& page = m_launcher.page(pageIndex);
    checkBackground(page, pageIndex);
    SkinDiagnostics::Location location;
    if (page.returnAction().count() > 0 && where(m_skinFile, pageIndex, -1, "RETURN", location))
        m_actions.checkAction(page.returnAction(), ActionContext{pageIndex, false}, location);
    for (int slot = 0; slot < Page::SLOT_COUNT; slot++) {
        if (page.button(slot))
            checkButton(page, pageIndex, slot);
    }
}

void PageChecker::checkBackground(Page& page, int pageIndex)
{
    SkinDiagnostics::Location location;
    if (!where(m_skinFile, pageIndex, -1, "BACKGROUND", location))
        return;
    const WString& type = page.backgroundType();
    const WString::Array& args = page.backgroundArgs();
    for (int i = 0; i < args.count(); i++)
        m_actions.checkReferences(args.at(i), location, {});
    int wanted = -1;
    if (type == "color") {
        wanted = 1;
    } else if (type == "gradient") {
        wanted = 2;
    } else if (type == "image") {
        wanted = 1;
    } else {
        m_diagnostics.reportAt(location.file, location.line,
                               "unknown background type \"%s\" (color, gradient or image): the "
                               "page is black",
                               type.printable());
        return;
    }
    if (args.count() != wanted) {
        m_diagnostics.reportAt(location.file, location.line,
                               "BACKGROUND %s takes %d value%s, not %d%s", type.printable(),
                               wanted, wanted == 1 ? "" : "s", args.count(),
                               type == "image" && args.count() > 0 ? ": the extra ones are ignored"
                                                                   : ": the page is black");
        if (type != "image" || args.count() == 0)
            return;
    }
    if (type == "image") {
        m_images.checkImagePath(args.at(0), location, false, 0, 0, false);
        int width = 0, height = 0;
        if (m_images.size(args.at(0), false, width, height) &&
            (width < Video::WIDTH || height < Video::HEIGHT))
            m_diagnostics.reportAt(location.file, location.line,
                                   "background image %s is %dx%d, smaller than the 320x240 "
                                   "screen: the rest keeps what was drawn before; make it 320x240",
                                   m_diagnostics.displayName(args.at(0).printable()).c_str(),
                                   width, height);
        return;
    }
    for (int i = 0; i < args.count(); i++)
        reportBadColour(m_diagnostics, args.at(i), location);
}

void PageChecker::checkButton(Page& page, int pageIndex, int slot)
{
    Button& button = *page.button(slot);
    SkinDiagnostics::Location location;
    if (where(m_skinFile, pageIndex, slot, "TYPE", location)) {
        const WString& type = button.type();
        const WString::Array& args = button.typeArgs();
        std::set<std::string> allowed;
        if (type == "text")
            allowed.insert("battery");
        for (int i = 0; i < args.count(); i++)
            m_actions.checkReferences(args.at(i), location, allowed);
        if (type == "image")
            checkImageButton(args, location);
        else if (type == "text")
            checkTextButton(args, location);
        else if (type == "rect")
            checkRectButton(args, location);
        else if (type == "selector")
            m_lists.checkSelectorButton(button, pageIndex, slot, location);
        else
            m_diagnostics.reportAt(location.file, location.line,
                                   "unknown button type \"%s\" (image, text, rect or selector): "
                                   "it draws nothing",
                                   type.printable());
    }
    m_lists.checkOptions(button, pageIndex, slot);

    const WString::Array* actions[] = {&button.onLeft(), &button.onRight(), &button.onUp(),
                                       &button.onDown(), &button.onAction()};
    for (int i = 0; i < 5; i++) {
        if (actions[i]->count() > 0 && where(m_skinFile, pageIndex, slot, DIRECTIONS[i], location))
            m_actions.checkAction(*actions[i], ActionContext{pageIndex, false}, location);
    }
}

void PageChecker::checkImageButton(const WString::Array& args,
                                   const SkinDiagnostics::Location& where)
{
    if (args.count() < 2 || args.count() > 4) {
        m_diagnostics.reportAt(where.file, where.line,
                               "TYPE image takes x, y and up to two images, not %d value%s%s",
                               args.count(), args.count() == 1 ? "" : "s",
                               args.count() < 2 ? ": it draws nothing" : ": the extra ones are ignored");
        if (args.count() < 2)
            return;
    }
    if (args.count() == 2)
        m_diagnostics.reportAt(where.file, where.line,
                               "TYPE image has x and y but no picture: it draws nothing; add the "
                               "PNG after them");
    const int x = toInt(args.at(0));
    const int y = toInt(args.at(1));
    for (int i = 2; i < args.count() && i < 4; i++)
        m_images.checkImagePath(args.at(i), where, true, x, y, true);
    int selectedWidth = 0, selectedHeight = 0, normalWidth = 0, normalHeight = 0;
    if (args.count() >= 4 && m_images.size(args.at(2), true, selectedWidth, selectedHeight) &&
        m_images.size(args.at(3), true, normalWidth, normalHeight) &&
        (selectedWidth != normalWidth || selectedHeight != normalHeight))
        m_diagnostics.reportAt(where.file, where.line,
                               "the selected picture %s is %dx%d but the normal one %s is %dx%d: "
                               "the button changes size as the selection comes and goes; make "
                               "both the same size (pad the smaller with transparent pixels)",
                               m_diagnostics.displayName(args.at(2).printable()).c_str(),
                               selectedWidth, selectedHeight,
                               m_diagnostics.displayName(args.at(3).printable()).c_str(),
                               normalWidth, normalHeight);
}

void PageChecker::checkTextButton(const WString::Array& args, const SkinDiagnostics::Location& where)
{
    if (args.count() != 5) {
        m_diagnostics.reportAt(where.file, where.line,
                               "TYPE text takes x, y, two colours and the text, 5 values, not "
                               "%d%s",
                               args.count(),
                               args.count() < 5 ? ": it draws nothing"
                                                : ": put a text holding commas in double quotes");
        if (args.count() < 5)
            return;
    }
    reportBadColour(m_diagnostics, args.at(2), where);
    reportBadColour(m_diagnostics, args.at(3), where);
    int undrawable = 0;
    for (const char* p = args.at(4).printable(); *p; p++)
        undrawable += (unsigned char)*p < ' ' || (unsigned char)*p > '~';
    if (undrawable > 0)
        m_diagnostics.reportAt(where.file, where.line,
                               "text \"%s\" has %d byte%s the font cannot draw (it has printable "
                               "ASCII only): %s left out",
                               args.at(4).printable(), undrawable, undrawable == 1 ? "" : "s",
                               undrawable == 1 ? "it is" : "they are");
    const int lineHeight = gFont.lineHeight();
    if (lineHeight <= 0)
        return;
    const WString text = args.at(4).replace("%battery%", WIDEST_BATTERY);
    const int x = toInt(args.at(0));
    const int y = toInt(args.at(1));
    const int width = gFont.textWidth(text.printable());
    if (x < 0 || y < 0 || x + width > Video::WIDTH || y + lineHeight > Video::HEIGHT)
        m_diagnostics.reportAt(where.file, where.line,
                               "text \"%s\" (%dx%d pixels) at (%d,%d) reaches off the 320x240 "
                               "screen and is cut",
                               args.at(4).printable(), width, lineHeight, x, y);
}

void PageChecker::checkRectButton(const WString::Array& args, const SkinDiagnostics::Location& where)
{
    if (args.count() != 5) {
        m_diagnostics.reportAt(where.file, where.line,
                               "TYPE rect takes left, top, right, bottom and a colour, 5 values, "
                               "not %d%s",
                               args.count(),
                               args.count() < 5 ? ": it draws nothing" : ": the extra ones are ignored");
        if (args.count() < 5)
            return;
    }
    reportBadColour(m_diagnostics, args.at(4), where);
    const int left = toInt(args.at(0)), top = toInt(args.at(1));
    const int right = toInt(args.at(2)), bottom = toInt(args.at(3));
    if (left > right || top > bottom)
        m_diagnostics.reportAt(where.file, where.line,
                               "rect %d,%d,%d,%d has its right or bottom edge before its left or "
                               "top edge: it is not drawn",
                               left, top, right, bottom);
    else if (left < 0 || top < 0 || right >= Video::WIDTH || bottom >= Video::HEIGHT)
        m_diagnostics.reportAt(where.file, where.line,
                               "rect %d,%d,%d,%d reaches off the screen (0..319, 0..239): it is "
                               "not drawn at all",
                               left, top, right, bottom);
}



bool PageChecker::where(const std::string& file, int page, int slot, const std::string& field,
                        SkinDiagnostics::Location& location) const
{
    return m_diagnostics.fieldLocation(file, page, slot, field, location);
}
