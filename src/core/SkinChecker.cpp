// Runs the launcher's own start-up loading with diagnostics attached, then checks the whole skin.
#include "core/SkinChecker.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cctype>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <deque>

#include "config/ConfigReader.h"
#include "config/saveConfigChange.h"
#include "core/Globals.h"
#include "core/Launcher.h"
#include "core/Video.h"
#include "gfx/DLImage.h"
#include "skin/Button.h"
#include "skin/CpuClock.h"
#include "skin/FileList.h"
#include "skin/Page.h"

namespace {

const char* const CONFIG_FILE = Launcher::CONFIG_FILE;
const char* const FONT_FILE = Launcher::FONT_FILE;
const char* const DAT_FILE = "Trevandel.dat";
const char* const DEFAULT_SKIN = Launcher::DEFAULT_SKIN;
const char* const WORKING_DIRECTORY = Launcher::APPLICATION_DIR;
const int IMAGE_DEPTH = 15;
const int MAX_FIRST_DELAY = Launcher::MAX_FIRST_DELAY;
const int MAX_REPEATS_PER_SECOND = Launcher::MAX_REPEATS_PER_SECOND;
// The battery counter wraps at 1000, so three digits are the widest a text can get.
const char* const WIDEST_BATTERY = "999";
// Folders below a list's start directory that are searched for Trevandel.dat files. A start
// directory outside the application directory (say "/") is only looked into one level deep.
const int MAX_DAT_DEPTH = 8;
const int MAX_DAT_DIRECTORIES = 500;
const char* const DIRECTIONS[] = {"LEFT", "RIGHT", "UP", "DOWN", "ACTION"};

// Numbers are read as the launcher reads them, held at the int limits.
int toInt(const WString& text)
{
    return text.toInt();
}

bool isNumber(const WString& text)
{
    const char* p = text.printable();
    if (*p == '-' || *p == '+')
        p++;
    if (!*p)
        return false;
    for (; *p; p++) {
        if (!isdigit((unsigned char)*p))
            return false;
    }
    return true;
}

bool endsWithSlash(const std::string& path)
{
    return !path.empty() && path.back() == '/';
}

bool isDirectory(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool isFile(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// The words of a list, as a checker message shows them.
std::string joined(const WString::Array& words)
{
    return words.join(WString(",")).printable();
}

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

// Detaches the diagnostics however the run ends.
class Attachment {
public:
    explicit Attachment(SkinDiagnostics* diagnostics) { SkinDiagnostics::attach(diagnostics); }
    ~Attachment() { SkinDiagnostics::attach(nullptr); }
    Attachment(const Attachment&) = delete;
    Attachment& operator=(const Attachment&) = delete;
};

} // namespace

SkinChecker::SkinChecker(const std::string& appDirectory)
    : m_appDirectory(appDirectory), m_launcher(nullptr)
{
}

std::vector<SkinChecker::Problem> SkinChecker::run()
{
    char resolved[PATH_MAX];
    // An absolute base keeps %basedir% and %skindir% paths valid whatever the working directory.
    m_base = realpath(m_appDirectory.c_str(), resolved) ? resolved : m_appDirectory;
    if (!endsWithSlash(m_base))
        m_base += "/";
    m_diagnostics.setBaseDirectory(WString(m_base.c_str()));

    Attachment attachment(&m_diagnostics);
    gConfig.clear();
    Launcher launcher;
    m_launcher = &launcher;
    launcher.setBaseDirectory(WString(m_base.c_str()));

    m_diagnostics.takeImageError();
    const WString skinDirectory = launcher.loadConfiguration();
    // The font is the only image loaded so far; a failed reload keeps an earlier sheet.
    std::string reason = m_diagnostics.takeImageError();
    if (!reason.empty() || !gFont.isLoaded()) {
        m_diagnostics.reportAt(FONT_FILE, 0, "the font sheet %s: no text will show",
                               reason.empty() ? "cannot be loaded" : reason.c_str());
    }
    const WString skinPath = skinDirectory + "Trevandel.skin";
    m_skinFile = m_diagnostics.displayName(skinPath.printable());
    const bool skinRead = launcher.readSkin(skinPath.printable());
    checkConfiguration(skinDirectory, skinRead);

    if (skinRead) {
        for (int p = 0; p < Launcher::PAGE_COUNT; p++)
            checkPage(launcher, p);
        checkReachability(launcher);
    }
    m_launcher = nullptr;
    gConfig.clear();
    return m_diagnostics.sortedProblems();
}

std::string SkinChecker::formatProblem(const Problem& problem)
{
    if (problem.line > 0)
        return problem.file + ":" + std::to_string(problem.line) + ": " + problem.message;
    return problem.file + ": " + problem.message;
}

std::string SkinChecker::summary(const std::vector<Problem>& problems)
{
    if (problems.empty())
        return "no problems found";
    std::set<std::string> files;
    for (const Problem& problem : problems)
        files.insert(problem.file);
    std::string count = std::to_string(problems.size()) +
                        (problems.size() == 1 ? " problem in " : " problems in ");
    if (files.size() == 1)
        return count + *files.begin();
    return count + std::to_string(files.size()) + " files";
}

bool SkinChecker::where(const std::string& file, int page, int slot, const std::string& field,
                        SkinDiagnostics::Location& location) const
{
    return m_diagnostics.fieldLocation(file, page, slot, field, location);
}

bool SkinChecker::isColour(const WString& text)
{
    if (text.length() != 6)
        return false;
    for (int i = 0; i < 6; i++) {
        if (!isxdigit((unsigned char)text.at(i)))
            return false;
    }
    return true;
}

bool SkinChecker::isPageFilled(int pageIndex) const
{
    if (pageIndex < 0 || pageIndex >= Launcher::PAGE_COUNT)
        return false;
    Page& page = m_launcher->page(pageIndex);
    if (page.backgroundType().length() > 0 || page.returnAction().count() > 0)
        return true;
    for (int slot = 0; slot < Page::SLOT_COUNT; slot++) {
        if (page.button(slot))
            return true;
    }
    return false;
}

bool SkinChecker::isListSlot(int pageIndex, int slot) const
{
    Button* button = m_launcher->page(pageIndex).button(slot);
    // Only these become lists when the page is first drawn.
    return button && button->type() == "selector" && button->typeArgs().count() >= 4;
}

// ---------------------------------------------------------------- configuration

void SkinChecker::checkConfiguration(const WString& skinDirectory, bool skinRead)
{
    const std::string configPath = m_base + CONFIG_FILE;
    ConfigReader reader(configPath.c_str());
    if (!reader.isOpen()) {
        m_diagnostics.reportAt(CONFIG_FILE, 0,
                               "cannot be read: the launcher runs with defaults (skin %s)",
                               DEFAULT_SKIN);
    }
    // The last statement of a key is the one in force, as the store keeps it.
    std::map<std::string, std::pair<int, WString::Array>> last;
    WString key;
    WString::Array values;
    while (reader.next(key, values)) {
        last[key.printable()] = std::make_pair(reader.lineNumber(), values);
        std::string trimmed = key.printable();
        while (!trimmed.empty() && (trimmed.back() == ' ' || trimmed.back() == '\t'))
            trimmed.pop_back();
        if (trimmed != key.printable() &&
            (trimmed == "SKIN" || trimmed == "KEYBOARD_RATE" || trimmed == "SPEED_MENU" ||
             trimmed == "SPEED_LOADING"))
            m_diagnostics.reportAt(CONFIG_FILE, reader.lineNumber(),
                                   "the key \"%s\" ends in a blank, so it is not %s: write %s=",
                                   key.printable(), trimmed.c_str(), trimmed.c_str());
    }

    auto found = last.find("KEYBOARD_RATE");
    if (found != last.end()) {
        const int line = found->second.first;
        const WString::Array& rate = found->second.second;
        if (rate.count() > 2)
            m_diagnostics.reportAt(CONFIG_FILE, line,
                                   "KEYBOARD_RATE takes 1 or 2 values (delay in ms, repeats per "
                                   "second), not %d: the ones after the second are ignored",
                                   rate.count());
        const int delay = toInt(rate.at(0));
        if (!isNumber(rate.at(0)) || delay < 0 || delay > MAX_FIRST_DELAY)
            m_diagnostics.reportAt(CONFIG_FILE, line,
                                   "KEYBOARD_RATE delay \"%s\" is not a number in 0..9999: the "
                                   "default is used",
                                   rate.at(0).printable());
        if (rate.count() >= 2) {
            const int perSecond = toInt(rate.at(1));
            if (!isNumber(rate.at(1)) || perSecond < 1 || perSecond > MAX_REPEATS_PER_SECOND)
                m_diagnostics.reportAt(CONFIG_FILE, line,
                                       "KEYBOARD_RATE repeats per second \"%s\" is not a number "
                                       "in 1..999: the default is used",
                                       rate.at(1).printable());
        }
    }

    for (const char* speedKey : {"SPEED_MENU", "SPEED_LOADING"}) {
        found = last.find(speedKey);
        if (found == last.end())
            continue;
        const int line = found->second.first;
        const WString::Array& speed = found->second.second;
        if (speed.count() != 1 && speed.count() != 3) {
            m_diagnostics.reportAt(CONFIG_FILE, line,
                                   "%s takes 1 value (MHz) or 3 (MHz, PLL, prescaler), not %d: "
                                   "the clock is never set",
                                   speedKey, speed.count());
            continue;
        }
        const int mhz = toInt(speed.at(0));
        if (mhz < CpuClock::MIN_MHZ || mhz > CpuClock::MAX_MHZ)
            m_diagnostics.reportAt(CONFIG_FILE, line,
                                   "%s clock \"%s\" is outside 33..320 MHz: the clock is never set",
                                   speedKey, speed.at(0).printable());
    }

    found = last.find("SKIN");
    const int skinLine = found != last.end() ? found->second.first : 0;
    if (found != last.end() && found->second.second.count() != 1) {
        m_diagnostics.reportAt(CONFIG_FILE, skinLine,
                               "SKIN takes one skin name, not %d values: the launcher looks in "
                               "%s",
                               found->second.second.count(),
                               m_diagnostics.displayName(skinDirectory.printable()).c_str());
    } else if (!skinRead) {
        m_diagnostics.reportAt(CONFIG_FILE, skinLine,
                               "%s names no skin: there is no file %sTrevandel.skin",
                               found != last.end() ? "SKIN" : "the default skin concept",
                               m_diagnostics.displayName(skinDirectory.printable()).c_str());
    }
}

// ---------------------------------------------------------------- pages and buttons

void SkinChecker::checkPage(Launcher& launcher, int pageIndex)
{
    Page& page = launcher.page(pageIndex);
    checkBackground(page, pageIndex);
    SkinDiagnostics::Location location;
    if (page.returnAction().count() > 0 && where(m_skinFile, pageIndex, -1, "RETURN", location))
        checkAction(page.returnAction(), ActionContext{pageIndex, false}, location);
    for (int slot = 0; slot < Page::SLOT_COUNT; slot++) {
        if (page.button(slot))
            checkButton(page, pageIndex, slot);
    }
}

void SkinChecker::checkBackground(Page& page, int pageIndex)
{
    SkinDiagnostics::Location location;
    if (!where(m_skinFile, pageIndex, -1, "BACKGROUND", location))
        return;
    const WString& type = page.backgroundType();
    const WString::Array& args = page.backgroundArgs();
    for (int i = 0; i < args.count(); i++)
        checkReferences(args.at(i), location, {});
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
        checkImagePath(args.at(0), location, false, 0, 0, false);
        return;
    }
    for (int i = 0; i < args.count(); i++)
        checkColour(args.at(i), location);
}

void SkinChecker::checkButton(Page& page, int pageIndex, int slot)
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
            checkReferences(args.at(i), location, allowed);
        if (type == "image")
            checkImageButton(args, location);
        else if (type == "text")
            checkTextButton(args, location);
        else if (type == "rect")
            checkRectButton(args, location);
        else if (type == "selector")
            checkSelectorButton(button, pageIndex, slot, location);
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
            checkAction(*actions[i], ActionContext{pageIndex, false}, location);
    }
}

void SkinChecker::checkImageButton(const WString::Array& args,
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
        checkImagePath(args.at(i), where, true, x, y, true);
}

void SkinChecker::checkTextButton(const WString::Array& args, const SkinDiagnostics::Location& where)
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

void SkinChecker::checkRectButton(const WString::Array& args, const SkinDiagnostics::Location& where)
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

void SkinChecker::checkSelectorButton(Button& button, int pageIndex, int slot,
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
        checkDatFiles(pageIndex, slot, start);
}

void SkinChecker::checkOptions(Button& button, int pageIndex, int slot)
{
    const bool selector = button.type() == "selector";
    for (const std::string& name : optionNames(button)) {
        SkinDiagnostics::Location location;
        if (!where(m_skinFile, pageIndex, slot, "OPTIONS " + name, location))
            continue;
        WString::Array values;
        button.options().get(name.c_str(), values);
        for (int i = 0; i < values.count(); i++)
            checkReferences(values.at(i), location, {});
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

// ---------------------------------------------------------------- actions and references

void SkinChecker::checkAction(const WString::Array& words, const ActionContext& context,
                              const SkinDiagnostics::Location& where)
{
    if (words.count() == 0)
        return;
    const WString& verb = words.at(0);
    const int count = words.count();
    std::set<std::string> allowed;
    const bool takesListVariables = (verb == "exec" || verb == "config") && count > 2;
    if (takesListVariables) {
        for (int slot = 0; slot < Page::SLOT_COUNT; slot++) {
            if (!isListSlot(context.page, slot))
                continue;
            const std::string n = std::to_string(slot);
            allowed.insert(n);
            allowed.insert("p" + n);
            allowed.insert("P" + n);
        }
    }
    if (context.fromDat && verb == "exec" && count > 1)
        allowed.insert("cwd");
    for (int i = 1; i < count; i++)
        checkReferences(words.at(i), where, allowed, context.fromDat);

    const char* file = where.file.c_str();
    if (verb == "page") {
        if (count != 2) {
            m_diagnostics.reportAt(file, where.line,
                                   "page takes one page number, not %d words: the action does "
                                   "nothing",
                                   count - 1);
            return;
        }
        const int target = toInt(words.at(1));
        if (target < 0 || target >= Launcher::PAGE_COUNT)
            m_diagnostics.reportAt(file, where.line,
                                   "page %s is outside 0..127: the action does nothing",
                                   words.at(1).printable());
        else if (!isPageFilled(target))
            m_diagnostics.reportAt(file, where.line,
                                   "page %d is empty: the skin never fills it", target);
    } else if (verb == "select") {
        if (count != 2) {
            m_diagnostics.reportAt(file, where.line,
                                   "select takes one slot number, not %d words: the action does "
                                   "nothing",
                                   count - 1);
            return;
        }
        const int slot = toInt(words.at(1));
        if (slot < 0 || slot >= Page::SLOT_COUNT || !m_launcher->page(context.page).button(slot))
            m_diagnostics.reportAt(file, where.line,
                                   "select %s names an empty slot of page %d: the selection stays",
                                   words.at(1).printable(), context.page);
    } else if (verb == "exec") {
        if (count < 3)
            m_diagnostics.reportAt(file, where.line,
                                   "exec needs a directory and a program, it has %d word%s: "
                                   "nothing is started",
                                   count - 1, count == 2 ? "" : "s");
    } else if (verb == "config") {
        if (count < 2) {
            m_diagnostics.reportAt(file, where.line,
                                   "config needs a key and its values: nothing is saved, but the "
                                   "launcher still restarts");
            return;
        }
        const WString& key = words.at(1);
        if (!isSavableConfigKey(key)) {
            m_diagnostics.reportAt(file, where.line,
                                   "config key \"%s\" cannot be saved (empty, holding = or a line "
                                   "break, or blank or a // comment once its leading blanks are "
                                   "trimmed)",
                                   key.printable());
            return;
        }
        for (int i = 2; i < count; i++) {
            if (!isSavableConfigValue(words.at(i))) {
                m_diagnostics.reportAt(file, where.line,
                                       "config value %d holds a line break or a double quote and "
                                       "cannot be saved",
                                       i - 1);
                return;
            }
        }
    } else if (verb != "quit") {
        m_diagnostics.reportAt(file, where.line,
                               "unknown action \"%s\" (page, select, exec, config or quit): it "
                               "does nothing",
                               verb.printable());
    }
}

void SkinChecker::checkReferences(const WString& value, const SkinDiagnostics::Location& where,
                                  const std::set<std::string>& allowed, bool fromDat)
{
    // Paired as expansion pairs them; names with blanks are taken for plain percent signs.
    const char* text = value.printable();
    bool inside = false;
    std::string name;
    for (const char* p = text; *p; p++) {
        if (*p != '%') {
            if (inside)
                name += *p;
            continue;
        }
        if (inside && !name.empty() && name.find_first_of(" \t") == std::string::npos &&
            !allowed.count(name)) {
            if (fromDat)
                m_diagnostics.reportAt(where.file, where.line,
                                       "%%%s%% is not expanded in Trevandel.dat (only %%cwd%% and "
                                       "the list variables are): it stays as written",
                                       name.c_str());
            else
                m_diagnostics.reportAt(where.file, where.line,
                                       "%%%s%% is not a known variable: it stays as written",
                                       name.c_str());
        }
        name.clear();
        inside = !inside;
    }
}

void SkinChecker::checkColour(const WString& text, const SkinDiagnostics::Location& where)
{
    if (!isColour(text))
        m_diagnostics.reportAt(where.file, where.line,
                               "colour \"%s\" is not six hex digits RRGGBB", text.printable());
}

// ---------------------------------------------------------------- images

const SkinChecker::Image& SkinChecker::image(const std::string& path, bool keepAlpha)
{
    const std::string key = path + (keepAlpha ? "\n1" : "\n0");
    auto found = m_images.find(key);
    if (found != m_images.end())
        return found->second;
    // Decoded with the launcher's own reader, so its reason for refusing a file is the one told.
    m_diagnostics.takeImageError();
    DLImage decoded;
    Image result{decoded.loadPng(path.c_str(), IMAGE_DEPTH, keepAlpha), 0, 0, ""};
    if (result.loaded) {
        result.width = decoded.width();
        result.height = decoded.height();
    } else {
        result.reason = m_diagnostics.takeImageError();
        if (result.reason.empty())
            result.reason = "cannot be decoded";
    }
    return m_images.emplace(key, result).first->second;
}

void SkinChecker::checkImagePath(const WString& path, const SkinDiagnostics::Location& where,
                                 bool keepAlpha, int x, int y, bool placed)
{
    const std::string file = path.printable();
    if (file.empty() || file[0] != '/') {
        m_diagnostics.reportAt(where.file, where.line,
                               "image \"%s\" is relative: the launcher looks for it below %s; "
                               "start it with %%skindir%%",
                               file.c_str(), WORKING_DIRECTORY);
        return;
    }
    const std::string shown = m_diagnostics.displayName(file.c_str());
    const Image& decoded = image(file, keepAlpha);
    if (!decoded.loaded) {
        m_diagnostics.reportAt(where.file, where.line, "image %s %s", shown.c_str(),
                               decoded.reason.c_str());
        return;
    }
    if (!placed)
        return;
    const int right = x + decoded.width;
    const int bottom = y + decoded.height;
    if (x >= Video::WIDTH || y >= Video::HEIGHT || right <= 0 || bottom <= 0)
        m_diagnostics.reportAt(where.file, where.line,
                               "image %s (%dx%d) at (%d,%d) lies wholly off the 320x240 screen",
                               shown.c_str(), decoded.width, decoded.height, x, y);
    else if (x < 0 || y < 0 || right > Video::WIDTH || bottom > Video::HEIGHT)
        m_diagnostics.reportAt(where.file, where.line,
                               "image %s (%dx%d) at (%d,%d) reaches off the 320x240 screen and is "
                               "cut",
                               shown.c_str(), decoded.width, decoded.height, x, y);
}

// ---------------------------------------------------------------- reachability

void SkinChecker::checkReachability(Launcher& launcher)
{
    const int start = launcher.currentPage();
    SkinDiagnostics::Location location;
    if (!isPageFilled(start)) {
        if (where(m_skinFile, -1, -1, "STARTPAGE", location))
            m_diagnostics.reportAt(location.file, location.line,
                                   "the start page %d is empty: the skin never fills it", start);
        else
            m_diagnostics.reportAt(m_skinFile, 0,
                                   "there is no STARTPAGE and page 0 is empty: the launcher "
                                   "shows a black screen");
        return;
    }
    std::vector<bool> reached(Launcher::PAGE_COUNT, false);
    std::deque<int> pending{start};
    reached[start] = true;
    auto follow = [&](const WString::Array& words) {
        if (words.count() != 2 || words.at(0) != "page")
            return;
        const int target = toInt(words.at(1));
        if (target >= 0 && target < Launcher::PAGE_COUNT && !reached[target]) {
            reached[target] = true;
            pending.push_back(target);
        }
    };
    while (!pending.empty()) {
        Page& page = launcher.page(pending.front());
        pending.pop_front();
        follow(page.returnAction());
        for (int slot = 0; slot < Page::SLOT_COUNT; slot++) {
            Button* button = page.button(slot);
            if (!button)
                continue;
            follow(button->onLeft());
            follow(button->onRight());
            follow(button->onUp());
            follow(button->onDown());
            follow(button->onAction());
        }
    }
    for (int p = 0; p < Launcher::PAGE_COUNT; p++) {
        if (reached[p] || !isPageFilled(p))
            continue;
        if (where(m_skinFile, p, -1, "PAGE", location))
            m_diagnostics.reportAt(location.file, location.line,
                                   "page %d is never reached from the start page %d", p, start);
    }
}

// ---------------------------------------------------------------- Trevandel.dat

void SkinChecker::checkDatFiles(int pageIndex, int slot, const std::string& startDirectory)
{
    (void)slot;
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
            checkDat(directory, pageIndex);
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

void SkinChecker::checkDat(const std::string& directory, int pageIndex)
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
    if (where(file, -1, -1, "DIRECTORY", location)) {
        checkReferences(datDirectory, location, {}, true);
        const std::string listed = datDirectory.printable();
        const std::string shown = m_diagnostics.displayName(listed.c_str());
        if (!isDirectory(listed))
            m_diagnostics.reportAt(location.file, location.line,
                                   "DIRECTORY %s does not exist: the folder shows an empty list",
                                   shown.c_str());
        else if (!endsWithSlash(listed))
            m_diagnostics.reportAt(location.file, location.line,
                                   "DIRECTORY %s does not end in /: names are appended to it",
                                   shown.c_str());
    }
    if (where(file, -1, -1, "ACTION", location))
        checkAction(action, ActionContext{pageIndex, true}, location);
    if (where(file, -1, -1, "SPEED", location)) {
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
