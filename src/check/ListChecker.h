// Checks a page's directory lists: the selector's area, its options and the folders it enters.
#pragma once

#include <string>

#include "check/SkinDiagnostics.h"

class ActionChecker;
class Button;
class DatChecker;

class ListChecker {
public:
    ListChecker(SkinDiagnostics& diagnostics, const std::string& skinFile, ActionChecker& actions,
                DatChecker& dats);
    ListChecker(const ListChecker&) = delete;
    ListChecker& operator=(const ListChecker&) = delete;

    // The TYPE selector of the button in slot of page pageIndex, which has its four values, and
    // its Trevandel.dat files.
    void checkSelectorButton(Button& button, int pageIndex, int slot,
                             const SkinDiagnostics::Location& where);
    // Every OPTIONS statement of a button, selector or not.
    void checkOptions(Button& button, int pageIndex, int slot);

private:
    // A filter that lists none of the start folder's files only because of their case.
    void checkFilterCase(Button& button, int pageIndex, int slot, const std::string& start);

    SkinDiagnostics& m_diagnostics;
    std::string m_skinFile;
    ActionChecker& m_actions;
    DatChecker& m_dats;
};
