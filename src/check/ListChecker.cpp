// The directory lists of a page: the selector's area, its options and the folders it can enter.
#include "check/ListChecker.h"

#include <strings.h>

#include <algorithm>
#include <vector>

#include "check/ActionChecker.h"
#include "check/CheckSupport.h"
#include "check/DatChecker.h"
#include "launcher/Globals.h"
#include "platform/Video.h"
#include "skin/Button.h"
#include "skin/FileList.h"

using namespace check;

namespace {

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

ListChecker::ListChecker(SkinDiagnostics& diagnostics, const std::string& skinFile,
                         ActionChecker& actions, DatChecker& dats)
    : m_diagnostics(diagnostics), m_skinFile(skinFile), m_actions(actions), m_dats(dats)
{
}

void ListChecker::checkSelectorButton(Button& button, int pageIndex, int slot,
                                      const SkinDiagnostics::Location& where)
{
    const WString::Array& args = button.typeArgs();
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
        else if (left < 0 || top < 0 || left >= Video::WIDTH)
            m_diagnostics.reportAt(where.file, where.line,
                                   "selector area starts at (%d,%d), outside the 320x240 screen "
                                   "(x 0..319, y 0..239): its lines are cut; move its left and "
                                   "top edges onto the screen",
                                   left, top);
        else if (top + rows * lineHeight > Video::HEIGHT) {
            const int fit = std::max(0, (Video::HEIGHT - top) / lineHeight);
            const int cut = rows - fit;
            m_diagnostics.reportAt(where.file, where.line,
                                   "selector area from row %d to %d holds %d lines of %d pixels, "
                                   "the last ending at row %d, below the screen's bottom row "
                                   "239: %s cut off; end the area by row 239 (it then holds %d "
                                   "lines)",
                                   top, bottom, rows, lineHeight, top + rows * lineHeight - 1,
                                   cut == 1 ? "the lowest line is"
                                            : ("the lowest " + std::to_string(cut) + " lines are").c_str(),
                                   std::max(0, (Video::HEIGHT - 1 - top) / lineHeight));
        }
        else if (bottom >= Video::HEIGHT)
            m_diagnostics.reportAt(where.file, where.line,
                                   "selector area reaches row %d, past the screen's bottom row "
                                   "239: its %d lines and cursor line are counted from it; end "
                                   "it by 239",
                                   bottom, rows);
    }

    WString::Array startDir;
    std::string start = "/";
    if (button.options().get("startdir", startDir) && startDir.count() == 1)
        start = startDir.at(0).printable();
    WString::Array type;
    const bool browsable = !(button.options().get("type", type) && type.count() == 1 &&
                             (type.at(0) == "dir" || type.at(0) == "file"));
    // A list of folders only shows no files, whatever its filter.
    if (!(type.count() == 1 && type.at(0) == "dir"))
        checkFilterCase(button, pageIndex, slot, start);
    // Folders can only be entered, and their Trevandel.dat read, when the list shows them
    // with their "/".
    if (browsable && start[0] == '/' && endsWithSlash(start) && isDirectory(start))
        m_dats.checkDatFiles(pageIndex, slot, start);
}

void ListChecker::checkFilterCase(Button& button, int pageIndex, int slot, const std::string& start)
{
    WString::Array filters;
    SkinDiagnostics::Location location;
    if (!button.options().get("filter", filters) || filters.count() == 0 ||
        (filters.count() == 1 && filters.at(0) == "*") || start[0] != '/' ||
        !endsWithSlash(start) || !isDirectory(start) ||
        !m_diagnostics.fieldLocation(m_skinFile, pageIndex, slot, "OPTIONS filter", location))
        return;
    const WString folder(start.c_str());
    WString::Array listed, files;
    FileList::scan(folder, filters, listed, FileList::FILES);
    if (listed.count() > 0)
        return;
    // One empty ending, which every name ends with.
    WString::Array everyName;
    everyName.append(WString(""));
    FileList::scan(folder, everyName, files, FileList::FILES);
    for (int f = 0; f < files.count(); f++) {
        const std::string name = files.at(f).printable();
        for (int e = 0; e < filters.count(); e++) {
            const std::string ending = filters.at(e).printable();
            if (ending.empty() || ending.size() > name.size() ||
                strcasecmp(name.c_str() + name.size() - ending.size(), ending.c_str()) != 0)
                continue;
            const std::string written = name.substr(name.size() - ending.size());
            m_diagnostics.reportAt(location.file, location.line,
                                   "OPTIONS filter lists no file of %s: endings are compared "
                                   "case-sensitively, and %s ends in %s, not %s; write %s, or add "
                                   "it beside %s",
                                   m_diagnostics.displayName(start.c_str()).c_str(), name.c_str(),
                                   written.c_str(), ending.c_str(), written.c_str(), ending.c_str());
            return;
        }
    }
}

void ListChecker::checkOptions(Button& button, int pageIndex, int slot)
{
    const ButtonType* type = button.kind();
    const bool selector = type && type->drawing == ButtonType::LIST;
    for (const std::string& name : optionNames(button)) {
        SkinDiagnostics::Location location;
        if (!m_diagnostics.fieldLocation(m_skinFile, pageIndex, slot, "OPTIONS " + name, location))
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
        int blank = 0;
        while (blank < values.count() && !startsWithBlank(values.at(blank)))
            blank++;
        if (blank < values.count()) {
            m_diagnostics.reportAt(location.file, location.line,
                                   "OPTIONS %s value \"%s\" starts with a blank, which is part "
                                   "of it: drop the blank after the comma",
                                   name.c_str(), values.at(blank).printable());
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
                reportBadColour(m_diagnostics, values.at(i), location);
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
