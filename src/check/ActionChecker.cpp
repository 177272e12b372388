// The action words page, select, exec, config and quit, and the variables values refer to.
#include "check/ActionChecker.h"

#include "check/CheckSupport.h"
#include "config/saveConfigChange.h"
#include "core/Launcher.h"
#include "skin/Page.h"

using namespace check;

ActionChecker::ActionChecker(SkinDiagnostics& diagnostics, Launcher& launcher)
    : m_diagnostics(diagnostics), m_launcher(launcher)
{
}

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
        else if (!isPageFilled(m_launcher, target))
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
        if (slot < 0 || slot >= Page::SLOT_COUNT || !m_launcher.page(context.page).button(slot))
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
                                   "config needs a key and its values: the launcher ignores the "
                                   "action (nothing is saved and it does not restart)");
            return;
        }
        const WString& key = words.at(1);
        if (!isSavableConfigKey(key)) {
            m_diagnostics.reportAt(file, where.line,
                                   "config key \"%s\" cannot be saved (empty, holding = or a line "
                                   "break, or blank or a // comment once its leading blanks are "
                                   "trimmed): the launcher restarts without the change",
                                   key.printable());
            return;
        }
        for (int i = 2; i < count; i++) {
            if (!isSavableConfigValue(words.at(i))) {
                m_diagnostics.reportAt(file, where.line,
                                       "config value %d holds a line break or a double quote and "
                                       "cannot be saved: the launcher restarts without the change",
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

void ActionChecker::checkReferences(const WString& value, const SkinDiagnostics::Location& where,
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
