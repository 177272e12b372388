// Loads an application directory's configuration and skin as the launcher does and lists mistakes.
#pragma once

#include <string>
#include <vector>

#include "check/SkinDiagnostics.h"
#include "text/WString.h"

class Launcher;

class SkinChecker {
public:
    typedef SkinDiagnostics::Problem Problem;

    // appDirectory holds Trevandel.cfg, the font sheet and skins/, as beside the launcher.
    explicit SkinChecker(const std::string& appDirectory);
    // Reads this configuration file instead of the directory's Trevandel.cfg (a tool's scratch
    // copy); reports still name it Trevandel.cfg.
    void setConfigFile(const std::string& path) { m_configFile = path; }

    // Checks skins/name/ with the configuration instead of the skin the configuration names.
    void setSkin(const std::string& name) { m_skinName = name; }

    // Loads and checks everything; the problems sorted by file and line. Needs no display.
    std::vector<Problem> run();
    // The skin file the last run read, or tried to, named as the report names files.
    const std::string& skinFile() const { return m_skinFile; }
    // The SKIN the configuration of the last run sets, empty when it sets none.
    const std::string& configuredSkin() const { return m_configuredSkin; }

    // "file:line: message", or "file: message" for a problem with the file as a whole.
    static std::string formatProblem(const Problem& problem);
    // "no problems found", "1 problem in FILE", "N problems in FILE" or "N problems in K files".
    static std::string summary(const std::vector<Problem>& problems);

private:
    // Pages not reached from the start page by any page action.
    void checkReachability(Launcher& launcher);

    std::string m_appDirectory;
    std::string m_configFile;
    std::string m_skinName;
    std::string m_base;
    std::string m_skinFile;
    std::string m_configuredSkin;
    SkinDiagnostics m_diagnostics;
};
