// The action words page, select, exec, config and quit, and the variables values refer to.
#include "check/ActionChecker.h"

#include <vector>

#include "check/CheckSupport.h"
#include "config/saveConfigChange.h"
#include "launcher/Launcher.h"
#include "skin/FileList.h"
#include "skin/Page.h"

using namespace check;

namespace {

// %3%, %p3% or %P3%: the shape of a list variable, whatever the slot.
bool isListVariableName(const std::string& name)
{
    size_t digits = name[0] == 'p' || name[0] == 'P' ? 1 : 0;
    if (digits >= name.size())
        return false;
    for (size_t i = digits; i < name.size(); i++) {
        if (!isdigit((unsigned char)name[i]))
            return false;
    }
    return true;
}

bool hasLowerCase(const WString& text)
{
    for (const char* p = text.printable(); *p; p++) {
        if (*p >= 'a' && *p <= 'z')
            return true;
    }
    return false;
}

} // namespace

ActionChecker::ActionChecker(SkinDiagnostics& diagnostics, Launcher& launcher)
    : m_diagnostics(diagnostics), m_launcher(launcher)
{
}

const ActionChecker::Verb ActionChecker::VERBS[] = {
    {"page", &ActionChecker::checkPage},
    {"select", &ActionChecker::checkSelect},
    {"exec", &ActionChecker::checkExec},
    {"config", &ActionChecker::checkConfig},
    {"quit", nullptr},
};

void ActionChecker::checkAction(const WString::Array& words, const ActionContext& context,
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
            if (!isListSlot(m_launcher, context.page, slot))
                continue;
            const std::string n = std::to_string(slot);
            allowed.insert(n);
            allowed.insert("p" + n);
            allowed.insert("P" + n);
        }
    }
    if (context.fromDat && verb == "exec" && count > 1)
        allowed.insert("cwd");
    const std::string hint = takesListVariables ? listHint(context) : std::string();
    for (int i = 1; i < count; i++)
        checkReferences(words.at(i), where, allowed, context.fromDat, hint,
                        context.fromDat ? context.listSlot : -1);

    std::vector<std::string> names;
    for (const Verb& known : VERBS) {
        if (verb == known.name) {
            if (known.check)
                (this->*known.check)(words, context, where);
            return;
        }
        names.push_back(known.name);
    }
    m_diagnostics.reportAt(where.file, where.line,
                           "unknown action \"%s\" (%s): it does nothing", verb.printable(),
                           choices(names).c_str());
}

void ActionChecker::checkPage(const WString::Array& words, const ActionContext&,
                              const SkinDiagnostics::Location& where)
{
    const int count = words.count();
    if (count != 2) {
        m_diagnostics.reportAt(where.file, where.line,
                               "page takes one page number, not %d words: the action does nothing",
                               count - 1);
        return;
    }
    const int target = toInt(words.at(1));
    if (target < 0 || target >= Launcher::PAGE_COUNT)
        m_diagnostics.reportAt(where.file, where.line,
                               "page %s is outside 0..127: the action does nothing",
                               words.at(1).printable());
    else if (!isPageFilled(m_launcher, target))
        m_diagnostics.reportAt(where.file, where.line, "page %d is empty: the skin never fills it",
                               target);
}

void ActionChecker::checkSelect(const WString::Array& words, const ActionContext& context,
                                const SkinDiagnostics::Location& where)
{
    const int count = words.count();
    if (count != 2) {
        m_diagnostics.reportAt(where.file, where.line,
                               "select takes one slot number, not %d words: the action does "
                               "nothing",
                               count - 1);
        return;
    }
    const int slot = toInt(words.at(1));
    if (slot < 0 || slot >= Page::SLOT_COUNT || !m_launcher.page(context.page).button(slot))
        m_diagnostics.reportAt(where.file, where.line,
                               "select %s names an empty slot of page %d: the selection stays",
                               words.at(1).printable(), context.page);
}

void ActionChecker::checkExec(const WString::Array& words, const ActionContext&,
                              const SkinDiagnostics::Location& where)
{
    const int count = words.count();
    if (count < 3)
        m_diagnostics.reportAt(where.file, where.line,
                               "exec needs a directory and a program, it has %d word%s: nothing "
                               "is started",
                               count - 1, count == 2 ? "" : "s");
    else if (words.at(2).length() == 0)
        m_diagnostics.reportAt(where.file, where.line,
                               "exec has an empty program word: nothing is started; name the "
                               "program after the folder");
}

void ActionChecker::checkConfig(const WString::Array& words, const ActionContext& context,
                                const SkinDiagnostics::Location& where)
{
    const int count = words.count();
    if (count < 2) {
        m_diagnostics.reportAt(where.file, where.line,
                               "config needs a key and its values: the launcher ignores the "
                               "action (nothing is saved and it does not restart)");
        return;
    }
    const WString& key = words.at(1);
    if (!isSavableConfigKey(key)) {
        m_diagnostics.reportAt(where.file, where.line,
                               "config key \"%s\" cannot be saved (empty, holding = or a line "
                               "break, or blank or a // comment once its leading blanks are "
                               "trimmed): the launcher restarts without the change",
                               key.printable());
        return;
    }
    for (int i = 2; i < count; i++) {
        if (!isSavableConfigValue(words.at(i))) {
            m_diagnostics.reportAt(where.file, where.line,
                                   "config value %d holds a line break or a double quote and "
                                   "cannot be saved: the launcher restarts without the change",
                                   i - 1);
            return;
        }
    }
    if (hasLowerCase(key)) {
        WString upper = key;
        upper.toUpper();
        m_diagnostics.reportAt(where.file, where.line,
                               "config key \"%s\" is not upper case: it is saved as a new line "
                               "that is read as %s and outvotes that key for good; write %s",
                               key.printable(), upper.printable(), upper.printable());
        return;
    }
    if (key == "SKIN" && count == 3)
        checkSkinChoice(words.at(2), context.page, where);
}

void ActionChecker::checkSkinChoice(const WString& value, int pageIndex,
                                    const SkinDiagnostics::Location& where)
{
    const std::string skins = std::string(m_launcher.baseDirectory().printable()) + "skins/";
    const std::string name = value.printable();
    if (name.find('%') == std::string::npos) {
        if (!isFile(skins + name + "/Trevandel.skin"))
            m_diagnostics.reportAt(where.file, where.line,
                                   "config SKIN,%s names no skin: there is no file "
                                   "skins/%s/Trevandel.skin, so the launcher restarts to a "
                                   "black screen",
                                   name.c_str(), name.c_str());
        return;
    }
    // Only a list's entry itself, %N%, is followed to the folders the list shows.
    if (name.size() < 3 || name.front() != '%' || name.back() != '%' ||
        !isdigit((unsigned char)name[1]))
        return;
    const int slot = toInt(WString(name.substr(1, name.size() - 2).c_str()));
    if (!isListVariableName(name.substr(1, name.size() - 2)) || slot >= Page::SLOT_COUNT ||
        !isListSlot(m_launcher, pageIndex, slot))
        return;
    Button& list = *m_launcher.page(pageIndex).button(slot);
    WString::Array startDir, type, filters;
    if (!list.options().get("startdir", startDir) || startDir.count() != 1 ||
        startDir.at(0) != skins.c_str())
        return;
    // Only a list of bare folder names keeps the user in skins/ and names a skin.
    list.options().get("type", type);
    if (type.count() != 1 || type.at(0) != "dir") {
        const bool filesOnly = type.count() == 1 && type.at(0) == "file";
        m_diagnostics.reportAt(where.file, where.line,
                               "config SKIN,%s picks from the list in slot %d, which lacks "
                               "OPTIONS=type,dir: %sB on a file saves SKIN=<file name>, which is "
                               "no skin; write OPTIONS=type,dir in slot %d",
                               name.c_str(), slot,
                               filesOnly ? "" : "B on ../ walks out of skins/, B on a folder opens it, and ",
                               slot);
        return;
    }
    if (!list.options().get("filter", filters) || filters.count() == 0) {
        filters.resize(1);
    }
    WString::Array entries;
    FileList::scan(startDir.at(0), filters, entries, FileList::DIRECTORIES);
    std::string empty;
    for (int i = 0; i < entries.count(); i++) {
        std::string entry = entries.at(i).printable();
        if (entry == "../")
            continue;
        if (endsWithSlash(entry))
            entry.pop_back();
        if (!isFile(skins + entry + "/Trevandel.skin"))
            empty += (empty.empty() ? "" : ", ") + entry;
    }
    if (!empty.empty())
        m_diagnostics.reportAt(where.file, where.line,
                               "config SKIN,%s can name %s, listed in skins/ but holding no "
                               "Trevandel.skin: choosing it restarts to a black screen",
                               name.c_str(), empty.c_str());
}

std::string ActionChecker::listHint(const ActionContext& context) const
{
    if (context.fromDat && context.listSlot >= 0)
        return "this list is in slot " + std::to_string(context.listSlot);
    std::string slots;
    int lists = 0;
    for (int slot = 0; slot < Page::SLOT_COUNT; slot++) {
        if (!isListSlot(m_launcher, context.page, slot))
            continue;
        slots += (lists++ ? ", " : "") + std::to_string(slot);
    }
    if (lists == 0)
        return std::string();
    return (lists == 1 ? "this page's list is in slot " : "this page's lists are in slots ") +
           slots;
}

void ActionChecker::checkReferences(const WString& value, const SkinDiagnostics::Location& where,
                                    const std::set<std::string>& allowed, bool fromDat,
                                    const std::string& listHint, int listSlot)
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
            if (!listHint.empty() && isListVariableName(name) && listSlot >= 0)
                m_diagnostics.reportAt(where.file, where.line,
                                       "%%%s%% names no list: list variables are numbered by the "
                                       "list's slot, and %s: write %%%s%d%%",
                                       name.c_str(), listHint.c_str(),
                                       isdigit((unsigned char)name[0]) ? "" : name.substr(0, 1).c_str(),
                                       listSlot);
            else if (!listHint.empty() && isListVariableName(name))
                m_diagnostics.reportAt(where.file, where.line,
                                       "%%%s%% names no list: list variables are numbered by the "
                                       "list's slot, and %s",
                                       name.c_str(), listHint.c_str());
            else if (fromDat)
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
