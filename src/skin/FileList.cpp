// Directory browser of a "selector" button: cursor, drawing, directory changes, Trevandel.dat.
#include "skin/FileList.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <string>

#include "config/Config.h"
#include "config/ConfigReader.h"
#include "config/SkinObserver.h"
#include "gfx/Font.h"
#include "platform/CpuClock.h"
#include "platform/Video.h"
#include "skin/DirectoryScan.h"
#include "skin/parseColour.h"

namespace {

const uint16_t DEFAULT_CURSOR_COLOUR = 0xFFDF;
const uint16_t DEFAULT_CURSOR_IDLE_COLOUR = 0x7BCF;
const int MAX_COLOUR_OPTIONS = 3;
const char* const DAT_FILE_NAME = "Trevandel.dat";
const char* const PARENT_ENTRY = "../";

bool endsWithSlash(const WString& text)
{
    const char* t = text.printable();
    const size_t length = strlen(t);
    return length > 0 && t[length - 1] == '/';
}

void clearArray(WString::Array& items)
{
    if (items.count() > 0)
        items.removeRange(0, items.count());
}

// word with every "%cwd%" replaced by cwd; marks flags the bytes that came from cwd.
WString replaceCwd(const WString& word, const WString& cwd, std::string& marks)
{
    static const char PATTERN[] = "%cwd%";
    const size_t patternLength = sizeof(PATTERN) - 1;
    std::string out;
    marks.clear();
    const char* start = word.printable();
    const char* directory = cwd.printable();
    const size_t directoryLength = strlen(directory);
    for (const char* hit; (hit = strstr(start, PATTERN)) != nullptr; start = hit + patternLength) {
        out.append(start, hit - start);
        marks.append(hit - start, 0);
        out.append(directory, directoryLength);
        marks.append(directoryLength, 1);
    }
    out += start;
    marks.append(strlen(start), 0);
    return WString(out.c_str());
}

} // namespace

FileList::FileList(int left, int top, int right, int bottom, Config& options)
    : m_left(left),
      m_top(top),
      m_right(right),
      m_bottom(bottom),
      m_colour(0),
      m_cursorColour(DEFAULT_CURSOR_COLOUR),
      m_cursorIdleColour(DEFAULT_CURSOR_IDLE_COLOUR),
      m_cursor(0),
      m_rows(0),
      m_listType(ALL),
      m_cwd("/")
{
    // Without a glyph sheet the line height is 0: the window then has no rows.
    const int lineHeight = gFont.lineHeight();
    // In 64 bits: a window spanning most of the int range must not overflow.
    if (lineHeight > 0 && bottom > top) {
        const long long rows = ((long long)bottom - top) / lineHeight;
        m_rows = rows > INT_MAX ? INT_MAX : (int)rows;
    }

    WString::Array colours;
    if (options.get("color", colours)) {
        uint16_t* targets[MAX_COLOUR_OPTIONS] = {&m_colour, &m_cursorColour, &m_cursorIdleColour};
        for (int i = 0; i < MAX_COLOUR_OPTIONS && i < colours.count(); i++)
            *targets[i] = parseColour(colours.at(i));
    }
    WString::Array startDir;
    if (options.get("startdir", startDir) && startDir.count() == 1)
        m_cwd = startDir.at(0);
    WString::Array type;
    if (options.get("type", type) && type.count() == 1) {
        if (type.at(0) == "dir")
            m_listType = DIRECTORIES;
        else if (type.at(0) == "file")
            m_listType = FILES;
    }
    if (!options.get("filter", m_filters) || m_filters.count() == 0) {
        clearArray(m_filters);
        m_filters.append(WString(""));
    }
    scan(m_cwd, m_filters, m_entries, m_listType);
}

void FileList::scan(const WString& directory, const WString::Array& endings, WString::Array& into,
                    int type)
{
    DirectoryScan::scan(directory, endings, into, type);
}

int FileList::compareEntries(const void* a, const void* b)
{
    return DirectoryScan::compareEntries(a, b);
}

void FileList::draw(bool isSelected)
{
    const int lineHeight = gFont.lineHeight();
    if (lineHeight <= 0)
        return;
    const int cursorLine = m_rows / 2;
    // Only rows that reach onto the screen are visited, so a window far taller than the
    // screen costs no more than one that fits; positions are 64-bit for the same reason.
    const long long top = m_top;
    long long first = 0;
    if (-lineHeight - top >= 0)
        first = (-lineHeight - top) / lineHeight + 1;
    long long end = Video::HEIGHT - top <= 0 ? 0 : (Video::HEIGHT - top + lineHeight - 1) / lineHeight;
    if (end > m_rows)
        end = m_rows;
    for (long long i = first; i < end; i++) {
        const long long index = i + m_cursor - cursorLine;
        if (index < 0 || index >= m_entries.count())
            continue;
        uint16_t colour = m_colour;
        if (i == cursorLine)
            colour = isSelected ? m_cursorColour : m_cursorIdleColour;
        gFont.setColour(colour);
        gFont.drawText(m_left, (int)(top + i * lineHeight), m_entries.at((int)index).printable());
    }
}

WString FileList::currentEntry() const
{
    if (m_cursor < 0 || m_cursor >= m_entries.count())
        return WString("");
    return m_entries.at(m_cursor);
}

WString FileList::currentDirectory() const
{
    return m_datAction.count() > 0 ? m_datDirectory : m_cwd;
}

void FileList::handleInput(WString::Array& action, NavCode& nav, Config::InsertedMarks* inserted)
{
    const int last = m_entries.count() - 1;
    if (nav == NAV_UP && m_cursor > 0) {
        m_cursor--;
        nav = NAV_NONE;
    } else if (nav == NAV_DOWN && m_cursor < last) {
        m_cursor++;
        nav = NAV_NONE;
    } else if (nav == NAV_PAGE_UP && m_cursor > 0) {
        m_cursor -= m_rows / 2;
        if (m_cursor < 0)
            m_cursor = 0;
        nav = NAV_NONE;
    } else if (nav == NAV_PAGE_DOWN && m_cursor < last) {
        m_cursor += m_rows / 2;
        if (m_cursor > last)
            m_cursor = last;
        nav = NAV_NONE;
    } else if (nav == NAV_ACTIVATE) {
        const WString entry = currentEntry();
        if (endsWithSlash(entry)) {
            changeDir(entry);
            nav = NAV_NONE;
        } else if (m_datAction.count() > 0) {
            action = m_datAction;
            nav = NAV_NONE;
            if (action.count() > 1 && action.at(0) == "exec") {
                gCpuClock.apply(m_datSpeed);
                // The directory goes in as it is on disk: its own "%" must not read as references.
                Config::InsertedMarks marks(action.count());
                for (int i = 1; i < action.count(); i++)
                    action.at(i) = replaceCwd(action.at(i), m_cwd, marks[i]);
                if (inserted)
                    *inserted = marks;
            }
        }
    }
}

void FileList::changeDir(const WString& name)
{
    if (name == PARENT_ENTRY) {
        goUp();
        return;
    }
    const WString entered = m_cwd + name;
    // The dat file's settings are read aside: they take effect only if the list moves.
    WString datDirectory = m_datDirectory;
    WString::Array datAction = m_datAction;
    WString::Array datSpeed = m_datSpeed;
    // The dat file's endings serve this one listing; none at all lists only directories.
    WString::Array datFilters;
    const bool hasDat = readDat(entered, datDirectory, datAction, datSpeed, datFilters);
    // A directory that cannot be listed would leave an empty list with no way back up.
    if (!canEnter(hasDat ? datDirectory : entered))
        return;

    m_cwd = entered;
    printf("Changed to %s\n", m_cwd.printable());
    clearArray(m_entries);
    m_cursor = 0;
    if (hasDat) {
        m_datDirectory = datDirectory;
        m_datAction = datAction;
        m_datSpeed = datSpeed;
        scan(m_datDirectory, datFilters, m_entries, ALL);
        return;
    }
    clearArray(m_datAction);
    scan(m_cwd, m_filters, m_entries, m_listType);
}

void FileList::goUp()
{
    WString leftName;
    if (m_cwd.length() > 0) {
        const int p = m_cwd.left(m_cwd.length() - 1).findLastChar('/');
        if (p >= 0) {
            leftName = m_cwd.mid(p + 1);
            m_cwd = m_cwd.left(p + 1);
        }
    }
    printf("Changed to %s\n", m_cwd.printable());

    clearArray(m_datAction);
    clearArray(m_entries);
    m_cursor = 0;
    scan(m_cwd, m_filters, m_entries, m_listType);
    if (!leftName.isAbsent()) {
        for (int i = 0; i < m_entries.count(); i++) {
            if (m_entries.at(i) == leftName) {
                m_cursor = i;
                break;
            }
        }
    }
}

bool FileList::canEnter(const WString& directory)
{
    // Read permission alone lists the names, but no entry's status (not even that of "..")
    // can be read without search permission: the list would be empty.
    if (faccessat(AT_FDCWD, directory.printable(), X_OK, AT_EACCESS) != 0)
        return false;
    DIR* dir = opendir(directory.printable());
    if (!dir)
        return false;
    closedir(dir);
    return true;
}

bool FileList::readDat(const WString& cwd, WString& directory, WString::Array& action,
                       WString::Array& speed, WString::Array& filters)
{
    const WString path = cwd + DAT_FILE_NAME;
    ConfigReader dat(path.printable());
    if (!dat.isOpen())
        return false;
    SkinObserver* observer = SkinObserver::observer();
    directory = cwd;
    WString key;
    WString::Array values;
    while (dat.next(key, values)) {
        if (observer)
            observer->beginStatement(path.printable(), dat.lineNumber(), nullptr);
        bool taken = true;
        if (key == "FILTER") {
            filters = values;
        } else if (key == "DIRECTORY") {
            if (values.count() > 0)
                directory = values.at(0).replace("%cwd%", cwd.printable());
        } else if (key == "ACTION") {
            action = values;
        } else if (key == "SPEED") {
            speed = values;
        } else {
            taken = false;
        }
        if (observer) {
            typedef SkinObserver::Fate Fate;
            const Fate::Kind kind = taken ? Fate::DAT_STATEMENT_TAKEN : Fate::NOT_A_DAT_STATEMENT;
            observer->note(Fate::ofStatement(kind, key, values, -1));
        }
    }
    return true;
}
