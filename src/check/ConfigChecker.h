// Checks Trevandel.cfg: keys ending in a blank, the keyboard rate, the clocks and the skin named.
#pragma once

#include <string>

#include "check/SkinDiagnostics.h"
#include "text/WString.h"

struct SettingProblem;

class ConfigChecker {
public:
    // configPath is the configuration file the launcher reads.
    ConfigChecker(SkinDiagnostics& diagnostics, const std::string& configPath);
    ConfigChecker(const ConfigChecker&) = delete;
    ConfigChecker& operator=(const ConfigChecker&) = delete;

    // skinDirectory is where the configuration sent the launcher; skinRead tells whether it
    // found a skin there.
    void check(const WString& skinDirectory, bool skinRead);

private:
    // The statement of a key in force: the last one.
    struct Statement {
        int line;
        WString::Array values;
    };
    // A key the launchers read: whether a blank after it loses it, and what its values must be.
    struct KeyCheck {
        const char* key;
        bool blankMatters;
        void (ConfigChecker::*check)(const char* key, const Statement& statement);
    };
    static const KeyCheck KEY_CHECKS[];

    // What the handheld launcher would make of one of its own settings, at its line.
    void reportSetting(const SettingProblem& problem, int line);

    // A key the launcher reads but for the blank after it.
    void checkTrailingBlank(const WString& key, int line);
    void checkKeyboardRate(const char* key, const Statement& statement);
    // SPEED_MENU or SPEED_LOADING.
    void checkSpeed(const char* key, const Statement& statement);
    void checkLaunch(const char* key, const Statement& statement);

    SkinDiagnostics& m_diagnostics;
    std::string m_configPath;
};
