// Reads the configuration again, statement by statement, for what the launcher's store hides.
#include "check/ConfigChecker.h"

#include <map>
#include <utility>

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

void ConfigChecker::check(const WString& skinDirectory, bool skinRead)
{
    ConfigReader reader(m_configPath.c_str());
    if (!reader.isOpen()) {
        m_diagnostics.reportAt(CONFIG_FILE, 0,
                               "cannot be read: the launcher runs with defaults (skin %s)",
                               DEFAULT_SKIN);
    }
    // The last statement of a key is the one in force, as the store keeps it.
    std::map<std::string, std::pair<int, WString::Array>> last;
    WString key;
    WString::Array values;
    // The handheld launcher's own settings, read as it reads them.
    HandheldSettings handheld;
    std::string problem;
    while (reader.next(key, values)) {
        last[key.printable()] = std::make_pair(reader.lineNumber(), values);
        if (handheld.take(key.printable(), values, &problem) && !problem.empty())
            m_diagnostics.reportAt(CONFIG_FILE, reader.lineNumber(), "%s (the handheld launcher)",
                                   problem.c_str());
        std::string trimmed = key.printable();
        while (!trimmed.empty() && (trimmed.back() == ' ' || trimmed.back() == '\t'))
            trimmed.pop_back();
        if (trimmed != key.printable() &&
            (trimmed == "SKIN" || trimmed == "KEYBOARD_RATE" || trimmed == "SPEED_MENU" ||
             trimmed == "SPEED_LOADING"))
            m_diagnostics.reportAt(CONFIG_FILE, reader.lineNumber(),
                                   "the key \"%s\" ends in a blank, so it is not %s: write %s=",
                                   key.printable(), trimmed.c_str(), trimmed.c_str());
    }

    auto found = last.find("KEYBOARD_RATE");
    if (found != last.end()) {
        const int line = found->second.first;
        const WString::Array& rate = found->second.second;
        if (rate.count() > 2)
            m_diagnostics.reportAt(CONFIG_FILE, line,
                                   "KEYBOARD_RATE takes 1 or 2 values (delay in ms, repeats per "
                                   "second), not %d: the ones after the second are ignored",
                                   rate.count());
        const int delay = toInt(rate.at(0));
        if (!isNumber(rate.at(0)) || delay < 0 || delay > MAX_FIRST_DELAY)
            m_diagnostics.reportAt(CONFIG_FILE, line,
                                   "KEYBOARD_RATE delay \"%s\" is not a number in 0..9999: the "
                                   "default is used",
                                   rate.at(0).printable());
        if (rate.count() >= 2) {
            const int perSecond = toInt(rate.at(1));
            if (!isNumber(rate.at(1)) || perSecond < 1 || perSecond > MAX_REPEATS_PER_SECOND)
                m_diagnostics.reportAt(CONFIG_FILE, line,
                                       "KEYBOARD_RATE repeats per second \"%s\" is not a number "
                                       "in 1..999: the default is used",
                                       rate.at(1).printable());
        }
    }

    for (const char* speedKey : {"SPEED_MENU", "SPEED_LOADING"}) {
        found = last.find(speedKey);
        if (found == last.end())
            continue;
        const int line = found->second.first;
        const WString::Array& speed = found->second.second;
        if (speed.count() != 1 && speed.count() != 3) {
            m_diagnostics.reportAt(CONFIG_FILE, line,
                                   "%s takes 1 value (MHz) or 3 (MHz, PLL, prescaler), not %d: "
                                   "the clock is never set",
                                   speedKey, speed.count());
            continue;
        }
        const int mhz = toInt(speed.at(0));
        if (mhz < CpuClock::MIN_MHZ || mhz > CpuClock::MAX_MHZ)
            m_diagnostics.reportAt(CONFIG_FILE, line,
                                   "%s clock \"%s\" is outside 33..320 MHz: the clock is never set",
                                   speedKey, speed.at(0).printable());
    }

    found = last.find(Launcher::LAUNCH_SETTING);
    if (found != last.end()) {
        const WString::Array& mode = found->second.second;
        if (mode.count() != 1 || !(mode.at(0) == Launcher::LAUNCH_RUN || mode.at(0) == Launcher::LAUNCH_PRINT))
            m_diagnostics.reportAt(CONFIG_FILE, found->second.first,
                                   "LAUNCH takes run or print, not \"%s\": each launcher keeps its "
                                   "own way (print on the desktop, run on a handheld)",
                                   mode.join(WString(",")).printable());
    }

    found = last.find("SKIN");
    const int skinLine = found != last.end() ? found->second.first : 0;
    if (found != last.end() && found->second.second.count() != 1) {
        m_diagnostics.reportAt(CONFIG_FILE, skinLine,
                               "SKIN takes one skin name, not %d values: the launcher looks in "
                               "%s",
                               found->second.second.count(),
                               m_diagnostics.displayName(skinDirectory.printable()).c_str());
    } else if (!skinRead) {
        m_diagnostics.reportAt(CONFIG_FILE, skinLine,
                               "%s names no skin: there is no file %sTrevandel.skin",
                               found != last.end() ? "SKIN" : "the default skin concept",
                               m_diagnostics.displayName(skinDirectory.printable()).c_str());
    }
}
