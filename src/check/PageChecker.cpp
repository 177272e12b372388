// The statements of each page and button, read back from the launcher's pages after loading.
#include "check/PageChecker.h"

#include <cstring>
#include <set>
#include <string>
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

// What a type's own check reads besides the values.
struct TypeCheckContext {
    SkinDiagnostics& diagnostics;
    ImageChecker& images;
    ListChecker& lists;
    Button& button;
    int page;
    int slot;
};

void checkImageValues(TypeCheckContext& c, const WString::Array& args,
                      const SkinDiagnostics::Location& where)
{
    const ButtonType& type = *c.button.kind();
    if (args.count() == type.firstPicture)
        c.diagnostics.reportAt(where.file, where.line,
                               "TYPE image has x and y but no picture: it draws nothing; add the "
                               "PNG after them");
    const int x = toInt(args.at(0));
    const int y = toInt(args.at(1));
    for (int i = type.firstPicture; i < args.count() && i < type.maxValues; i++)
        c.images.checkImagePath(args.at(i), where, true, x, y, true);
    const int selected = type.firstPicture, normal = type.firstPicture + 1;
    int selectedWidth = 0, selectedHeight = 0, normalWidth = 0, normalHeight = 0;
    if (args.count() > normal && c.images.size(args.at(selected), true, selectedWidth, selectedHeight) &&
        c.images.size(args.at(normal), true, normalWidth, normalHeight) &&
        (selectedWidth != normalWidth || selectedHeight != normalHeight))
        c.diagnostics.reportAt(where.file, where.line,
                               "the selected picture %s is %dx%d but the normal one %s is %dx%d: "
                               "the button changes size as the selection comes and goes; make "
                               "both the same size (pad the smaller with transparent pixels)",
                               c.diagnostics.displayName(args.at(selected).printable()).c_str(),
                               selectedWidth, selectedHeight,
                               c.diagnostics.displayName(args.at(normal).printable()).c_str(),
                               normalWidth, normalHeight);
}

void checkTextValues(TypeCheckContext& c, const WString::Array& args,
                     const SkinDiagnostics::Location& where)
{
    reportBadColour(c.diagnostics, args.at(2), where);
    reportBadColour(c.diagnostics, args.at(3), where);
    int undrawable = 0;
    for (const char* p = args.at(4).printable(); *p; p++)
        undrawable += (unsigned char)*p < ' ' || (unsigned char)*p > '~';
    if (undrawable > 0)
        c.diagnostics.reportAt(where.file, where.line,
                               "text \"%s\" has %d byte%s the font cannot draw (it has printable "
                               "ASCII only): %s left out",
                               args.at(4).printable(), undrawable, undrawable == 1 ? "" : "s",
                               undrawable == 1 ? "it is" : "they are");
    const int lineHeight = gFont.lineHeight();
    if (lineHeight <= 0)
        return;
    const int x = toInt(args.at(0));
    const int y = toInt(args.at(1));
    const int width = gFont.textWidth(ButtonType::textAtWidest(args).printable());
    const Area placed = c.button.kind()->placed(args, 0, 0);
    if (x < 0 || y < 0 || placed.right > Video::WIDTH || placed.bottom > Video::HEIGHT)
        c.diagnostics.reportAt(where.file, where.line,
                               "text \"%s\" (%dx%d pixels) at (%d,%d) reaches off the 320x240 "
                               "screen and is cut",
                               args.at(4).printable(), width, lineHeight, x, y);
}

void checkRectValues(TypeCheckContext& c, const WString::Array& args,
                     const SkinDiagnostics::Location& where)
{
    reportBadColour(c.diagnostics, args.at(4), where);
    const int left = toInt(args.at(0)), top = toInt(args.at(1));
    const int right = toInt(args.at(2)), bottom = toInt(args.at(3));
    if (left > right || top > bottom)
        c.diagnostics.reportAt(where.file, where.line,
                               "rect %d,%d,%d,%d has its right or bottom edge before its left or "
                               "top edge: it is not drawn",
                               left, top, right, bottom);
    else if (left < 0 || top < 0 || right >= Video::WIDTH || bottom >= Video::HEIGHT)
        c.diagnostics.reportAt(where.file, where.line,
                               "rect %d,%d,%d,%d reaches off the screen (0..319, 0..239): it is "
                               "not drawn at all",
                               left, top, right, bottom);
}

void checkSelectorValues(TypeCheckContext& c, const WString::Array&,
                         const SkinDiagnostics::Location& where)
{
    c.lists.checkSelectorButton(c.button, c.page, c.slot, where);
}

// How the checker words each type of button (ButtonType::TYPES), and what it checks in the values
// of one that has enough of them to draw.
struct TypeWording {
    const char* name;
    // What its values are, as "TYPE name takes ..., not N" says.
    const char* takes;
    // Whether N is followed by "value" or "values".
    bool countIsValues;
    // What too few values do, and what too many do.
    const char* tooFew;
    const char* tooMany;
    void (*check)(TypeCheckContext& c, const WString::Array& args,
                  const SkinDiagnostics::Location& where);
};

const TypeWording TYPE_WORDINGS[] = {
    {"image", "x, y and up to two images", true, ": it draws nothing",
     ": the extra ones are ignored", checkImageValues},
    {"text", "x, y, two colours and the text, 5 values", false, ": it draws nothing",
     ": put a text holding commas in double quotes", checkTextValues},
    {"rect", "left, top, right, bottom and a colour, 5 values", false, ": it draws nothing",
     ": the extra ones are ignored", checkRectValues},
    {"selector", "left, top, right and bottom, 4 values", false, ": no list is shown",
     ": the extra ones are ignored", checkSelectorValues},
};

const TypeWording* wordingOf(const ButtonType& type)
{
    for (const TypeWording& wording : TYPE_WORDINGS) {
        if (strcmp(wording.name, type.name) == 0)
            return &wording;
    }
    return nullptr;
}

std::string typeNames()
{
    std::vector<std::string> names;
    for (int i = 0; i < ButtonType::COUNT; i++)
        names.push_back(ButtonType::TYPES[i].name);
    return choices(names);
}

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
    if (where(m_skinFile, pageIndex, slot, "TYPE", location))
        checkType(button, pageIndex, slot, location);
    m_lists.checkOptions(button, pageIndex, slot);

    for (int which = 0; which < Button::ACTION_COUNT; which++) {
        const WString::Array& words = button.action(which);
        if (words.count() > 0 &&
            where(m_skinFile, pageIndex, slot, Button::actionKey(which), location))
            m_actions.checkAction(words, ActionContext{pageIndex, false}, location);
    }
}

void PageChecker::checkType(Button& button, int pageIndex, int slot,
                            const SkinDiagnostics::Location& location)
{
    const WString::Array& args = button.typeArgs();
    const ButtonType* type = button.kind();
    std::set<std::string> allowed;
    if (type && type->drawing == ButtonType::TEXT)
        allowed.insert("battery");
    for (int i = 0; i < args.count(); i++)
        m_actions.checkReferences(args.at(i), location, allowed);
    const TypeWording* wording = type ? wordingOf(*type) : nullptr;
    if (!wording) {
        m_diagnostics.reportAt(location.file, location.line,
                               "unknown button type \"%s\" (%s): it draws nothing",
                               button.type().printable(), typeNames().c_str());
        return;
    }
    const int count = args.count();
    if (count < type->minValues || count > type->maxValues) {
        const char* unit = !wording->countIsValues ? "" : count == 1 ? " value" : " values";
        m_diagnostics.reportAt(location.file, location.line, "TYPE %s takes %s, not %d%s%s",
                               type->name, wording->takes, count, unit,
                               count < type->minValues ? wording->tooFew : wording->tooMany);
        if (count < type->minValues)
            return;
    }
    TypeCheckContext context{m_diagnostics, m_images, m_lists, button, pageIndex, slot};
    wording->check(context, args, location);
}

bool PageChecker::where(const std::string& file, int page, int slot, const std::string& field,
                        SkinDiagnostics::Location& location) const
{
    return m_diagnostics.fieldLocation(file, page, slot, field, location);
}
