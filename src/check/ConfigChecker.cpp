// Reads the configuration again, statement by statement, for what the launcher's store hides.
#include "check/ConfigChecker.h"

#include <map>

#include "check/CheckSupport.h"
#include "config/ConfigReader.h"
#include "launcher/Launcher.h"
#include "platform/CpuClock.h"
#include "platform/handheld/HandheldSettings.h"

using namespace check;

namespace {

const char* const CONFIG_FILE = Launcher::CONFIG_FILE;
const char* const DEFAULT_SKIN = Launcher::DEFAULT_SKIN;
const int MAX_FIRST_DELAY = Launcher::MAX_FIRST_DELAY;
const int MAX_REPEATS_PER_SECOND = Launcher::MAX_REPEATS_PER_SECOND;

} // namespace

ConfigChecker::ConfigChecker(SkinDiagnostics& diagnostics, const std::string& configPath)
    : m_diagnostics(diagnostics), m_configPath(configPath)
{
}

const ConfigChecker::KeyCheck ConfigChecker::KEY_CHECKS[] = {
    {"SKIN", true, nullptr},
    {"KEYBOARD_RATE", true, &ConfigChecker::checkKeyboardRate},
    {"SPEED_MENU", true, &ConfigChecker::checkSpeed},
    {"SPEED_LOADING", true, &ConfigChecker::checkSpeed},
    {Launcher::LAUNCH_SETTING, false, &ConfigChecker::checkLaunch},
};

void ConfigChecker::reportSetting(const SettingProblem& problem, int line)
{
    switch (problem.kind) {
    case SettingProblem::NONE:
        return;
    case SettingProblem::ROTATION_NOT_0_OR_180:
        m_diagnostics.reportAt(CONFIG_FILE, line, "%s takes 0 or 180, not \"%s\" (the handheld launcher)",
                               HandheldSettings::SCREEN_ROTATION, problem.value.c_str());
        return;
    case SettingProblem::NO_SUCH_CONTROL: {
        std::string controls;
        for (int i = 0; i < KeyMap::CONTROL_COUNT; i++)
            controls += std::string(" ") + KeyMap::CONTROLS[i].name;
        m_diagnostics.reportAt(CONFIG_FILE, line, "%s names no control: the controls are%s (the handheld launcher)",
                               problem.value.c_str(), controls.c_str());
        return;
    }
    case SettingProblem::UNKNOWN_KEY:
        m_diagnostics.reportAt(CONFIG_FILE, line,
                               "\"%s\" is no key: give a name such as KEY_SPACE or BTN_SOUTH, or a number "
                               "from 0 to %u (the handheld launcher)",
                               problem.value.c_str(), KeyMap::CODE_COUNT - 1);
        return;
    }
}

void ConfigChecker::check(const WString& skinDirectory, bool skinRead)
{
    ConfigReader reader(m_configPath.c_str());
    if (!reader.isOpen()) {
        m_diagnostics.reportAt(CONFIG_FILE, 0,
                               "cannot be read: the launcher runs with defaults (skin %s)",
                               DEFAULT_SKIN);
    }
    // The last statement of a key is the one in force, as the store keeps it.
    std::map<std::string, Statement> last;
    WString key;
    WString::Array values;
    // The handheld launcher's own settings, read as it reads them.
    HandheldSettings handheld;
    SettingProblem problem;
    while (reader.next(key, values)) {
        last[key.printable()] = Statement{reader.lineNumber(), values};
        if (handheld.take(key.printable(), values, &problem))
            reportSetting(problem, reader.lineNumber());
        checkTrailingBlank(key, reader.lineNumber());
    }

    for (const KeyCheck& row : KEY_CHECKS) {
        auto found = last.find(row.key);
        if (row.check && found != last.end())
            (this->*row.check)(row.key, found->second);
    }

    auto found = last.find("SKIN");
    const int skinLine = found != last.end() ? found->second.line : 0;
    if (found != last.end() && found->second.values.count() != 1) {
        m_diagnostics.reportAt(CONFIG_FILE, skinLine,
                               "SKIN takes one skin name, not %d values: the launcher looks in "
                               "%s",
                               found->second.values.count(),
                               m_diagnostics.displayName(skinDirectory.printable()).c_str());
    } else if (!skinRead) {
        m_diagnostics.reportAt(CONFIG_FILE, skinLine,
                               "%s names no skin: there is no file %sTrevandel.skin",
                               found != last.end() ? "SKIN" : "the default skin concept",
                               m_diagnostics.displayName(skinDirectory.printable()).c_str());
    }
}

void ConfigChecker::checkTrailingBlank(const WString& key, int line)
{
    std::string trimmed = key.printable();
    while (!trimmed.empty() && (trimmed.back() == ' ' || trimmed.back() == '\t'))
        trimmed.pop_back();
    if (trimmed == key.printable())
        return;
    for (const KeyCheck& row : KEY_CHECKS) {
        if (row.blankMatters && trimmed == row.key) {
            m_diagnostics.reportAt(CONFIG_FILE, line,
                                   "the key \"%s\" ends in a blank, so it is not %s: write %s=",
                                   key.printable(), trimmed.c_str(), trimmed.c_str());
            return;
        }
    }
}

void ConfigChecker::checkKeyboardRate(const char*, const Statement& statement)
{
    const WString::Array& rate = statement.values;
    if (rate.count() > 2)
        m_diagnostics.reportAt(CONFIG_FILE, statement.line,
                               "KEYBOARD_RATE takes 1 or 2 values (delay in ms, repeats per "
                               "second), not %d: the ones after the second are ignored",
                               rate.count());
    const struct {
        const char* name;
        int min;
        int max;
    } parts[] = {{"delay", 0, MAX_FIRST_DELAY}, {"repeats per second", 1, MAX_REPEATS_PER_SECOND}};
    for (int i = 0; i < 2 && i < rate.count(); i++) {
        const int value = toInt(rate.at(i));
        if (!isNumber(rate.at(i)) || value < parts[i].min || value > parts[i].max)
            m_diagnostics.reportAt(CONFIG_FILE, statement.line,
                                   "KEYBOARD_RATE %s \"%s\" is not a number in %d..%d: the "
                                   "default is used",
                                   parts[i].name, rate.at(i).printable(), parts[i].min,
                                   parts[i].max);
    }
}

void ConfigChecker::checkSpeed(const char* key, const Statement& statement)
{
    const WString::Array& speed = statement.values;
    if (speed.count() != 1 && speed.count() != 3) {
        m_diagnostics.reportAt(CONFIG_FILE, statement.line,
                               "%s takes 1 value (MHz) or 3 (MHz, PLL, prescaler), not %d: "
                               "the clock is never set",
                               key, speed.count());
        return;
    }
    const int mhz = toInt(speed.at(0));
    if (mhz < CpuClock::MIN_MHZ || mhz > CpuClock::MAX_MHZ)
        m_diagnostics.reportAt(CONFIG_FILE, statement.line,
                               "%s clock \"%s\" is outside 33..320 MHz: the clock is never set",
                               key, speed.at(0).printable());
}

void ConfigChecker::checkLaunch(const char*, const Statement& statement)
{
    const WString::Array& mode = statement.values;
    if (mode.count() != 1 ||
        !(mode.at(0) == Launcher::LAUNCH_RUN || mode.at(0) == Launcher::LAUNCH_PRINT))
        m_diagnostics.reportAt(CONFIG_FILE, statement.line,
                               "LAUNCH takes run or print, not \"%s\": each launcher keeps its "
                               "own way (print on the desktop, run on a handheld)",
                               mode.join(WString(",")).printable());
}
