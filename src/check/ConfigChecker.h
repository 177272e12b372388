// Checks Trevandel.cfg: keys ending in a blank, the keyboard rate, the clocks and the skin named.
#pragma once

#include <string>

#include "check/SkinDiagnostics.h"
#include "text/WString.h"

class ConfigChecker {
public:
    // base is the application directory, ending in "/".
    ConfigChecker(SkinDiagnostics& diagnostics, const std::string& base);
    ConfigChecker(const ConfigChecker&) = delete;
    ConfigChecker& operator=(const ConfigChecker&) = delete;

    // skinDirectory is where the configuration sent the launcher; skinRead tells whether it
    // found a skin there.
    void check(const WString& skinDirectory, bool skinRead);

private:
    SkinDiagnostics& m_diagnostics;
    std::string m_base;
};
