// Walks a list's folders as the launcher would let one browse them and checks each Trevandel.dat.
#include "check/DatChecker.h"

#include <deque>
#include <utility>

#include "check/ActionChecker.h"
#include "check/CheckSupport.h"
#include "platform/CpuClock.h"
#include "skin/FileList.h"

using namespace check;

namespace {

const char* const DAT_FILE = "Trevandel.dat";
// Folders below a list's start directory that are searched for Trevandel.dat files. A start
// directory outside the application directory (say "/") is only looked into one level deep.
const int MAX_DAT_DEPTH = 8;
const int MAX_DAT_DIRECTORIES = 500;

} // namespace

DatChecker::DatChecker(SkinDiagnostics& diagnostics, const std::string& base,
                       ActionChecker& actions)
    : m_diagnostics(diagnostics), m_base(base), m_actions(actions)
{
}

void DatChecker::checkDatFiles(int pageIndex, int slot, const std::string& startDirectory)
{
    const bool inside = startDirectory.compare(0, m_base.size(), m_base) == 0;
    const int maxDepth = inside ? MAX_DAT_DEPTH : 1;
    std::deque<std::pair<std::string, int>> pending{{startDirectory, 0}};
    int visited = 0;
    while (!pending.empty() && visited < MAX_DAT_DIRECTORIES) {
        const std::string directory = pending.front().first;
        const int depth = pending.front().second;
        pending.pop_front();
        visited++;
        // The list reads a Trevandel.dat only on entering a folder, never in its start folder.
        if (depth > 0 && isFile(directory + DAT_FILE))
            checkDat(directory, pageIndex, slot);
        if (depth >= maxDepth)
            continue;
        WString::Array entries;
        WString::Array everything;
        everything.append(WString("*"));
        FileList::scan(WString(directory.c_str()), everything, entries, FileList::DIRECTORIES);
        for (int i = 0; i < entries.count(); i++)
            pending.push_back({directory + entries.at(i).printable() + "/", depth + 1});
    }
}

void DatChecker::checkDat(const std::string& directory, int pageIndex, int slot)
{
    const std::string path = directory + DAT_FILE;
    const std::string file = m_diagnostics.displayName(path.c_str());
    // Reached from two lists, a file is read once; its list variables are those of the first.
    if (!m_datsChecked.insert(file).second)
        return;
    WString datDirectory, cwd(directory.c_str());
    WString::Array action, speed, filters;
    if (!FileList::readDat(cwd, datDirectory, action, speed, filters))
        return;
    SkinDiagnostics::Location location;
    if (m_diagnostics.fieldLocation(file, -1, -1, "DIRECTORY", location)) {
        m_actions.checkReferences(datDirectory, location, {}, true);
        const std::string listed = datDirectory.printable();
        const std::string shown = m_diagnostics.displayName(listed.c_str());
        if (!isDirectory(listed))
            m_diagnostics.reportAt(location.file, location.line,
                                   "DIRECTORY %s does not exist: the folder cannot be entered",
                                   shown.c_str());
        else if (!endsWithSlash(listed))
            m_diagnostics.reportAt(location.file, location.line,
                                   "DIRECTORY %s does not end in /: names are appended to it",
                                   shown.c_str());
    }
    if (m_diagnostics.fieldLocation(file, -1, -1, "FILTER", location)) {
        for (int i = 0; i < filters.count(); i++) {
            if (startsWithBlank(filters.at(i))) {
                m_diagnostics.reportAt(location.file, location.line,
                                       "FILTER ending \"%s\" starts with a blank, which is part "
                                       "of it: no file ends so; drop the blank after the comma",
                                       filters.at(i).printable());
                break;
            }
        }
    }
    if (m_diagnostics.fieldLocation(file, -1, -1, "ACTION", location))
        m_actions.checkAction(action, ActionContext{pageIndex, true, slot}, location);
    if (m_diagnostics.fieldLocation(file, -1, -1, "SPEED", location)) {
        if (speed.count() != 1 && speed.count() != 3)
            m_diagnostics.reportAt(location.file, location.line,
                                   "SPEED takes 1 value (MHz) or 3 (MHz, PLL, prescaler), not %d: "
                                   "the clock is not changed",
                                   speed.count());
        else if (toInt(speed.at(0)) < CpuClock::MIN_MHZ || toInt(speed.at(0)) > CpuClock::MAX_MHZ)
            m_diagnostics.reportAt(location.file, location.line,
                                   "SPEED clock \"%s\" is outside 33..320 MHz: the clock is not "
                                   "changed",
                                   speed.at(0).printable());
    }
}
