// The statements of each page and button, read back from the launcher's pages after loading.
#include "check/PageChecker.h"

#include <set>
#include <vector>

#include "check/ActionChecker.h"
#include "check/CheckSupport.h"
#include "check/DatChecker.h"
#include "check/ImageChecker.h"
#include "core/Globals.h"
#include "core/Launcher.h"
#include "core/Video.h"
#include "skin/Button.h"
#include "skin/Page.h"

using namespace check;

namespace {

// The battery counter wraps at 1000, so three digits are the widest a text can get.
const char* const WIDEST_BATTERY = "999";
const char* const DIRECTIONS[] = {"LEFT", "RIGHT", "UP", "DOWN", "ACTION"};

std::vector<std::string> optionNames(Button& button)
{
    std::vector<std::string> names;
    Config::Store::Iterator it(&button.options().entries());
    WString name;
    WString::Array values;
    while (it.hasNext()) {
        it.next(name, values);
        names.push_back(name.printable());
    }
    return names;
}

} // namespace

PageChecker::PageChecker(SkinDiagnostics& diagnostics, Launcher& launcher,
                         const std::string& skinFile, ActionChecker& actions, ImageChecker& images,
                         DatChecker& dats)
    : m_diagnostics(diagnostics), m_launcher(launcher), m_skinFile(skinFile), m_actions(actions),
      m_images(images), m_dats(dats)
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
        return;
    }
    for (int i = 0; i < args.count(); i++)
        checkColour(args.at(i), location);
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
            checkSelectorButton(button, pageIndex, location);
        else
            m_diagnostics.reportAt(location.file, location.line,
                                   "unknown button type \"%s\" (image, text, rect or selector): "
                                   "it draws nothing",
                                   type.printable());
    }
    checkOptions(button, pageIndex, slot);

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
    const int x = toInt(args.at(0));
    const int y = toInt(args.at(1));
    for (int i = 2; i < args.count() && i < 4; i++)
        m_images.checkImagePath(args.at(i), where, true, x, y, true);
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
    checkColour(args.at(2), where);
    checkColour(args.at(3), where);
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
    checkColour(args.at(4), where);
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

void PageChecker::checkSelectorButton(Button& button, int pageIndex,
                                      const SkinDiagnostics::Location& where)
{
    const WString::Array& args = button.typeArgs();
    if (args.count() != 4) {
        m_diagnostics.reportAt(where.file, where.line,
                               "TYPE selector takes left, top, right and bottom, 4 values, not "
                               "%d%s",
                               args.count(),
                               args.count() < 4 ? ": no list is shown" : ": the extra ones are ignored");
        if (args.count() < 4)
            return;
    }
    const int left = toInt(args.at(0)), top = toInt(args.at(1));
    const int bottom = toInt(args.at(3));
    const int lineHeight = gFont.lineHeight();
    if (lineHeight > 0) {
        const int rows = bottom > top ? (bottom - top) / lineHeight : 0;
        if (rows == 0)
            m_diagnostics.reportAt(where.file, where.line,
                                   "selector area from y %d to %d holds no %d-pixel line: the "
                                   "list shows nothing",
                                   top, bottom, lineHeight);
        else if (left < 0 || top < 0 || left >= Video::WIDTH ||
                 top + rows * lineHeight > Video::HEIGHT)
            m_diagnostics.reportAt(where.file, where.line,
                                   "selector lines at (%d,%d), %d of %d pixels, reach off the "
                                   "320x240 screen",
                                   left, top, rows, lineHeight);
    }

    WString::Array startDir;
    std::string start = "/";
    if (button.options().get("startdir", startDir) && startDir.count() == 1)
        start = startDir.at(0).printable();
    WString::Array type;
    const bool browsable = !(button.options().get("type", type) && type.count() == 1 &&
                             (type.at(0) == "dir" || type.at(0) == "file"));
    // Folders can only be entered, and their Trevandel.dat read, when the list shows them
    // with their "/".
    if (browsable && start[0] == '/' && endsWithSlash(start) && isDirectory(start))
        m_dats.checkDatFiles(pageIndex, start);
}

void PageChecker::checkOptions(Button& button, int pageIndex, int slot)
{
    const bool selector = button.type() == "selector";
    for (const std::string& name : optionNames(button)) {
        SkinDiagnostics::Location location;
        if (!where(m_skinFile, pageIndex, slot, "OPTIONS " + name, location))
            continue;
        WString::Array values;
        button.options().get(name.c_str(), values);
        for (int i = 0; i < values.count(); i++)
            m_actions.checkReferences(values.at(i), location, {});
        if (name.empty()) {
            m_diagnostics.reportAt(location.file, location.line,
                                   "OPTIONS needs an option name (color, startdir, type or filter)");
            continue;
        }
        if (name != "color" && name != "startdir" && name != "type" && name != "filter") {
            m_diagnostics.reportAt(location.file, location.line,
                                   "unknown option \"%s\" (color, startdir, type or filter)",
                                   name.c_str());
            continue;
        }
        if (!selector) {
            m_diagnostics.reportAt(location.file, location.line,
                                   "OPTIONS %s has no effect on a button of type \"%s\"; only a "
                                   "selector reads options",
                                   name.c_str(), button.type().printable());
            continue;
        }
        if (name == "color") {
            if (values.count() < 1 || values.count() > 3)
                m_diagnostics.reportAt(location.file, location.line,
                                       "OPTIONS color takes 1 to 3 colours, not %d", values.count());
            for (int i = 0; i < values.count() && i < 3; i++)
                checkColour(values.at(i), location);
        } else if (name == "startdir") {
            if (values.count() != 1) {
                m_diagnostics.reportAt(location.file, location.line,
                                       "OPTIONS startdir takes one folder, not %d values: the list "
                                       "starts at /",
                                       values.count());
                continue;
            }
            const std::string start = values.at(0).printable();
            const std::string shown = m_diagnostics.displayName(start.c_str());
            if (start.empty() || start[0] != '/')
                m_diagnostics.reportAt(location.file, location.line,
                                       "startdir \"%s\" is relative: the launcher resolves it "
                                       "below %s; start it with %%basedir%% or /",
                                       start.c_str(), WORKING_DIRECTORY);
            else if (!isDirectory(start))
                m_diagnostics.reportAt(location.file, location.line,
                                       "startdir %s does not exist: the list is empty",
                                       shown.c_str());
            else if (!endsWithSlash(start))
                m_diagnostics.reportAt(location.file, location.line,
                                       "startdir %s does not end in /: names are appended to it",
                                       shown.c_str());
        } else if (name == "type") {
            if (values.count() != 1 || (values.at(0) != "dir" && values.at(0) != "file"))
                m_diagnostics.reportAt(location.file, location.line,
                                       "OPTIONS type takes one word, dir or file, not \"%s\": the "
                                       "list shows everything",
                                       joined(values).c_str());
        }
    }
}

void PageChecker::checkColour(const WString& text, const SkinDiagnostics::Location& where)
{
    if (!isColour(text))
        m_diagnostics.reportAt(where.file, where.line,
                               "colour \"%s\" is not six hex digits RRGGBB", text.printable());
}

bool PageChecker::isColour(const WString& text)
{
    if (text.length() != 6)
        return false;
    for (int i = 0; i < 6; i++) {
        if (!isxdigit((unsigned char)text.at(i)))
            return false;
    }
    return true;
}

bool PageChecker::where(const std::string& file, int page, int slot, const std::string& field,
                        SkinDiagnostics::Location& location) const
{
    return m_diagnostics.fieldLocation(file, page, slot, field, location);
}
