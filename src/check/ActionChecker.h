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
    void checkReferences(const WString& value, const SkinDiagnostics::Location& where,
                         const std::set<std::string>& allowed, bool fromDat = false);

private:
    SkinDiagnostics& m_diagnostics;
    Launcher& m_launcher;
};
