// Runs the checker in the preview's process and prints the difference from the last report.
#include "CheckReport.h"

#include <algorithm>
#include <map>
#include <utility>

#include "launcher/Globals.h"
#include "launcher/ProcessState.h"
#include "launcher/QuietOutput.h"

namespace {

// A problem is the same one after an edit above it moved its line: file and message decide.
typedef std::pair<std::string, std::string> ProblemKey;

ProblemKey keyOf(const SkinChecker::Problem& problem)
{
    return ProblemKey(problem.file, problem.message);
}

// How many times each problem occurs, so a repeated message is new once it occurs once more.
std::map<ProblemKey, int> countsOf(const std::vector<SkinChecker::Problem>& problems)
{
    std::map<ProblemKey, int> counts;
    for (const SkinChecker::Problem& problem : problems)
        ++counts[keyOf(problem)];
    return counts;
}

// The checker loads into the global store and empties it; the preview's loaded configuration
// is put back afterwards, since the next action and frame still read it.
class StoreSnapshot {
public:
    StoreSnapshot()
    {
        Config::Store::Iterator it(&gConfig.entries());
        WString key;
        WString::Array values;
        while (it.hasNext()) {
            it.next(key, values);
            m_entries.push_back(std::make_pair(key, values));
        }
    }
    ~StoreSnapshot()
    {
        ProcessState::reset(ProcessState::CONFIG);
        for (const auto& entry : m_entries)
            gConfig.set(entry.first.printable(), entry.second);
    }
    StoreSnapshot(const StoreSnapshot&) = delete;
    StoreSnapshot& operator=(const StoreSnapshot&) = delete;

private:
    std::vector<std::pair<WString, WString::Array>> m_entries;
};

} // namespace

CheckReport::CheckReport(const std::string& appDirectory, const std::string& configFile)
    : m_appDirectory(appDirectory), m_configFile(configFile), m_reported(false)
{
}

void CheckReport::update(FILE* out)
{
    std::vector<SkinChecker::Problem> problems;
    {
        StoreSnapshot snapshot;
        QuietOutput quiet(QuietOutput::OUTPUT_ONLY);
        SkinChecker checker(m_appDirectory);
        checker.setConfigFile(m_configFile);
        problems = checker.run();
    }
    if (!m_reported) {
        for (const SkinChecker::Problem& problem : problems)
            fprintf(out, "%s\n", SkinChecker::formatProblem(problem).c_str());
    } else {
        std::map<ProblemKey, int> before = countsOf(m_problems);
        std::map<ProblemKey, int> now = countsOf(problems);
        for (const SkinChecker::Problem& problem : problems) {
            int& left = before[keyOf(problem)];
            if (left > 0)
                --left;
            else
                fprintf(out, "new: %s\n", SkinChecker::formatProblem(problem).c_str());
        }
        for (const SkinChecker::Problem& problem : m_problems) {
            int& left = now[keyOf(problem)];
            if (left > 0)
                --left;
            else
                fprintf(out, "fixed: %s\n", SkinChecker::formatProblem(problem).c_str());
        }
    }
    fprintf(out, "%s\n", SkinChecker::summary(problems).c_str());
    fflush(out);
    m_problems = problems;
    m_reported = true;
}
