// The checker's report for each version of a skin, as the preview prints it after every load.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "check/SkinChecker.h"

class CheckReport {
public:
    // appDirectory holds the skins; configFile is the configuration the preview reads.
    CheckReport(const std::string& appDirectory, const std::string& configFile);

    // Checks the files as they are now and prints to out: the whole report the first time, then
    // only the problems that are new ("new: ") or gone ("fixed: "), and always the summary line.
    // The launcher's store is left as the preview had it.
    void update(FILE* out);

    const std::vector<SkinChecker::Problem>& problems() const { return m_problems; }

private:
    std::string m_appDirectory;
    std::string m_configFile;
    bool m_reported;
    std::vector<SkinChecker::Problem> m_problems;
};
