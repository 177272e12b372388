// Checks the actions buttons and lists run and the %variable% references in any value.
#pragma once

#include <set>
#include <string>

#include "check/SkinDiagnostics.h"
#include "text/WString.h"

class Launcher;

// Where a list of action words may use the list variables of the page's selectors.
struct ActionContext {
    int page;
    bool fromDat;
    // The list a Trevandel.dat is entered from, or -1.
    int listSlot = -1;
};

class ActionChecker {
public:
    // launcher holds the pages the skin filled, as page and select actions find them.
    ActionChecker(SkinDiagnostics& diagnostics, Launcher& launcher);
    ActionChecker(const ActionChecker&) = delete;
    ActionChecker& operator=(const ActionChecker&) = delete;

    void checkAction(const WString::Array& words, const ActionContext& context,
                     const SkinDiagnostics::Location& where);
    // allowed: the names, besides the configuration's, that are expanded where value is used.
    // listHint, when not empty, says where the lists are for a list variable of another slot;
    // listSlot is the one list a Trevandel.dat is entered from, or -1.
    void checkReferences(const WString& value, const SkinDiagnostics::Location& where,
                         const std::set<std::string>& allowed, bool fromDat = false,
                         const std::string& listHint = std::string(), int listSlot = -1);

private:
    // An action word and what the words after it must be; no check for a word taking any.
    struct Verb {
        const char* name;
        void (ActionChecker::*check)(const WString::Array& words, const ActionContext& context,
                                     const SkinDiagnostics::Location& where);
    };
    // The action words the launcher carries out, in the order messages list them.
    static const Verb VERBS[];

    void checkPage(const WString::Array& words, const ActionContext& context,
                   const SkinDiagnostics::Location& where);
    void checkSelect(const WString::Array& words, const ActionContext& context,
                     const SkinDiagnostics::Location& where);
    void checkExec(const WString::Array& words, const ActionContext& context,
                   const SkinDiagnostics::Location& where);
    void checkConfig(const WString::Array& words, const ActionContext& context,
                     const SkinDiagnostics::Location& where);
    // config,SKIN,value: the folders below skins/ the value can name must hold a skin.
    void checkSkinChoice(const WString& value, int pageIndex, const SkinDiagnostics::Location& where);
    // Where the page's lists are, for a %N% that names no list: empty when it has none.
    std::string listHint(const ActionContext& context) const;

    SkinDiagnostics& m_diagnostics;
    Launcher& m_launcher;
};
