// Checks the Trevandel.dat files a list reads on entering the folders below its start directory.
#pragma once

#include <set>
#include <string>

#include "check/SkinDiagnostics.h"

class ActionChecker;

class DatChecker {
public:
    // base is the application directory, ending in "/"; actions checks each file's ACTION.
    DatChecker(SkinDiagnostics& diagnostics, const std::string& base, ActionChecker& actions);
    DatChecker(const DatChecker&) = delete;
    DatChecker& operator=(const DatChecker&) = delete;

    // The folders below startDirectory, as the list in slot of page pageIndex can enter them.
    void checkDatFiles(int pageIndex, int slot, const std::string& startDirectory);

private:
    void checkDat(const std::string& directory, int pageIndex, int slot);

    SkinDiagnostics& m_diagnostics;
    std::string m_base;
    ActionChecker& m_actions;
    std::set<std::string> m_datsChecked;
};
