// Start-up, skin loading into the page table, and the main loop with key repeat and actions.
#include "launcher/Launcher.h"

#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>

#include "config/saveConfigChange.h"
#include "launcher/Globals.h"
#include "launcher/ProcessState.h"
#include "launcher/QuietOutput.h"
#include "launcher/SkinReader.h"
#include "launcher/Version.h"
#include "launcher/runProgram.h"
#include "platform/Input.h"
#include "platform/Platform.h"
#include "platform/Video.h"
#include "skin/Page.h"

namespace {

const int DEFAULT_FIRST_DELAY = 250;
const int DEFAULT_REPEAT_INTERVAL = 33;
const int MS_PER_SECOND = 1000;
// While a direction is held, each unchanged turn lasts this long and counts towards a repeat.
const int TURN_MS = 1;

bool isPageIndex(int index)
{
    return index >= 0 && index < Launcher::PAGE_COUNT;
}

// Beyond the int range a number is held at the limit, so it fails every range check.
int toInt(const WString& text)
{
    return text.toInt();
}

} // namespace

Launcher::Launcher()
    : m_pages(new Page[PAGE_COUNT])
    , m_baseDirectory("")
    , m_applicationDirectory(APPLICATION_DIR)
    , m_restartInPlace(false)
    , m_quietReload(false)
    , m_restartedInPlace(false)
    , m_loadCount(0)
    , m_currentPage(0)
    , m_lastMask(START_MASK)
    , m_repeatCounter(0)
    , m_repeatCount(0)
    , m_firstDelay(DEFAULT_FIRST_DELAY)
    , m_repeatInterval(DEFAULT_REPEAT_INTERVAL)
    , m_idleWait(true)
    , m_runProgramsByDefault(false)
    , m_runPrograms(false)
{
}

Launcher::~Launcher() = default;

Page& Launcher::page(int index)
{
    return m_pages[index];
}

WString Launcher::baseDirectoryFrom(const char* argv0)
{
    if (!argv0)
        return WString("");
    WString base = WString(argv0).replace("\\", "/");
    int slash = base.findLastChar('/');
    // Without a directory part every path stays relative to the working directory.
    if (slash < 0)
        return WString("");
    base = base.left(slash + 1);
    if (base.length() > 0 && base.at(0) == '"')
        base = base.mid(1);
    if (base.length() > 0 && base.at(base.length() - 1) == '"')
        base = base.left(base.length() - 1);
    return base;
}

WString Launcher::absoluteBaseDirectory(const char* argv0)
{
    const WString base = baseDirectoryFrom(argv0);
    if (!argv0)
        return base;
    // The change into the application directory would cut a relative base off from the
    // launcher's own files.
    char workingDirectory[PATH_MAX];
    return absoluteFrom(base, getcwd(workingDirectory, sizeof(workingDirectory)));
}

WString Launcher::absoluteFrom(const WString& path, const char* workingDirectory)
{
    if (path.isAbsent() || !workingDirectory || !*workingDirectory)
        return path;
    const char* rest = path.text();
    if (*rest == '/')
        return path;
    while (rest[0] == '.' && rest[1] == '/')
        rest += 2;
    WString absolute(workingDirectory);
    if (absolute.at(absolute.length() - 1) != '/')
        absolute.append("/");
    absolute.append(rest);
    return absolute;
}

NavCode Launcher::navCode(ButtonMask mask)
{
    switch (mask & BTN_DIRECTIONS) {
    case BTN_LEFT:
        return NAV_LEFT;
    case BTN_RIGHT:
        return NAV_RIGHT;
    case BTN_UP:
        return NAV_UP;
    case BTN_DOWN:
        return NAV_DOWN;
    default:
        break;
    }
    if (mask & BTN_L)
        return NAV_PAGE_UP;
    if (mask & BTN_R)
        return NAV_PAGE_DOWN;
    if (mask & (BTN_PUSH | BTN_B))
        return NAV_ACTIVATE;
    if (mask & (BTN_START | BTN_X))
        return NAV_BACK;
    return NAV_NONE;
}

int Launcher::start(int argc, char** argv)
{
    // Lines must reach a pipe as they happen, and survive the restart's execl.
    setvbuf(stdout, nullptr, _IOLBF, 0);

    const char* argv0 = (argc > 0 && argv) ? argv[0] : nullptr;
    m_programPath = argv0;
    m_baseDirectory = absoluteBaseDirectory(argv0);
    if (argv0) {
        // The change into the application directory would cut a relative path off from the
        // program that a restart runs again.
        char workingDirectory[PATH_MAX];
        m_programPath = absoluteFrom(m_programPath, getcwd(workingDirectory, sizeof(workingDirectory)));
    }
    printf("Basedir is %s\n", m_baseDirectory.printable());

    // Nothing can be shown without a screen.
    if (Video::init() != 0)
        return 1;
    loadConfigurationAndSkin();
    return 0;
}

void Launcher::loadConfigurationAndSkin()
{
    ++m_loadCount;
    const WString skinDirectory = loadConfiguration();
    if (!readSkin((skinDirectory + SKIN_FILE).printable())) {
        printf("Could not load skin, expected file 'Trevandel.skin' in directory %s\n",
               skinDirectory.printable());
        readFallbackSkin(skinDirectory);
    }

    gConfig.dump();
    // Not fatal: relative paths then resolve against the starting directory.
    Platform::current().enterDirectory(m_applicationDirectory.printable());
    readKeyboardRate();
    readLaunchSetting();
}

WString Launcher::loadConfiguration()
{
    gFont.load((m_baseDirectory + FONT_FILE).printable());

    WString configPath = configFile();
    gConfig.load(configPath.printable());
    if (!gConfig.isLoaded())
        printf("Could not load config in %s\n", configPath.printable());
    gConfig.setString("basedir", m_baseDirectory);
    gConfig.setString("version", WString(Version::text()));

    WString skinName = gConfig.lookup("SKIN", DEFAULT_SKIN);
    WString skinDirectory = m_baseDirectory + "skins/" + skinName + "/";
    gConfig.setString("skindir", skinDirectory);
    return skinDirectory;
}

WString Launcher::configFile() const
{
    if (m_configFile.isAbsent() || m_configFile.isEmpty())
        return m_baseDirectory + CONFIG_FILE;
    return m_configFile;
}

WString Launcher::newConfigFile() const
{
    if (m_configFile.isAbsent() || m_configFile.isEmpty())
        return m_baseDirectory + NEW_CONFIG_FILE;
    const int slash = m_configFile.findLastChar('/');
    return (slash < 0 ? WString("") : m_configFile.left(slash + 1)) + NEW_CONFIG_FILE;
}

void Launcher::reload()
{
    // Pages first: their buttons point into the image cache.
    m_pages.reset(new Page[PAGE_COUNT]);
    m_currentPage = 0;
    ProcessState::reset();
    loadConfigurationAndSkin();
}

bool Launcher::readSkin(const char* path)
{
    return SkinReader::read(path, m_pages.get(), m_currentPage);
}

bool Launcher::readFallbackSkin(const WString& failedDirectory)
{
    // A skin picked from a list but missing its file would otherwise blank every later start.
    const WString fallback = m_baseDirectory + "skins/" + DEFAULT_SKIN + "/";
    if (fallback == failedDirectory)
        return false;
    gConfig.setString("skindir", fallback);
    if (readSkin((fallback + SKIN_FILE).printable()))
        return true;
    gConfig.setString("skindir", failedDirectory);
    return false;
}

void Launcher::readLaunchSetting()
{
    const WString mode = gConfig.lookup(LAUNCH_SETTING, "");
    if (mode == LAUNCH_RUN)
        m_runPrograms = true;
    else if (mode == LAUNCH_PRINT)
        m_runPrograms = false;
    else
        m_runPrograms = m_runProgramsByDefault;
}

void Launcher::readKeyboardRate()
{
    m_firstDelay = DEFAULT_FIRST_DELAY;
    m_repeatInterval = DEFAULT_REPEAT_INTERVAL;
    m_lastMask = START_MASK;
    m_repeatCounter = 0;
    m_repeatCount = 0;

    WString::Array rate;
    if (!gConfig.get("KEYBOARD_RATE", rate))
        return;
    if (rate.count() >= 1) {
        int delay = toInt(rate.at(0));
        if (delay >= 0 && delay <= MAX_FIRST_DELAY)
            m_firstDelay = delay;
    }
    if (rate.count() >= 2) {
        int perSecond = toInt(rate.at(1));
        if (perSecond >= 1 && perSecond <= MAX_REPEATS_PER_SECOND)
            m_repeatInterval = MS_PER_SECOND / perSecond;
    }
    printf("Keyboard rate set to %i, %i\n", m_firstDelay, m_repeatInterval);
}

Launcher::Step Launcher::iterate()
{
    ButtonMask mask = Input::poll();
    if (mask == m_lastMask) {
        // Without a direction held nothing can change before the next event.
        const bool resting = m_idleWait && (mask & BTN_DIRECTIONS) == 0;
        Platform::current().rest(resting ? Platform::FOREVER : TURN_MS);
    }
    return advance(mask);
}

Launcher::Step Launcher::advance(ButtonMask mask)
{
    if (mask == m_lastMask) {
        if ((mask & BTN_DIRECTIONS) == 0) {
            m_repeatCount = 0;
            return CONTINUE;
        }
        unsigned threshold = unsigned(m_repeatCount == 0 ? m_firstDelay : m_repeatInterval);
        bool due = m_repeatCounter >= threshold;
        ++m_repeatCounter;
        if (!due)
            return CONTINUE;
        ++m_repeatCount;
    }
    m_lastMask = mask;
    m_repeatCounter = 0;
    return handleMask(mask);
}

Launcher::Step Launcher::handleMask(ButtonMask mask)
{
    if ((mask & BTN_QUIT) == BTN_QUIT)
        return QUIT;
    m_restartedInPlace = false;

    WString::Array action;
    NavCode nav = navCode(mask);
    if (nav != NAV_NONE)
        m_pages[m_currentPage].handleInput(action, nav);
    if (action.count() > 0 && dispatch(action) == QUIT)
        return QUIT;
    if (m_restartedInPlace) {
        m_restartedInPlace = false;
        return CONTINUE;
    }
    drawFrame();
    return CONTINUE;
}

void Launcher::drawFrame()
{
    m_pages[m_currentPage].draw();
    Video::flip();

    WString::Array speed;
    if (gConfig.get("SPEED_MENU", speed))
        gCpuClock.apply(speed);
}

Launcher::Step Launcher::dispatch(WString::Array& action)
{
    if (action.count() == 2 && action.at(0) == "page") {
        int page = toInt(action.at(1));
        if (isPageIndex(page))
            m_currentPage = page;
        return CONTINUE;
    }

    printf("Action is %s\n", action.join(WString("--")).printable());
    const WString& verb = action.at(0);
    if (verb == "exec") {
        runProgram(action);
        if (m_runPrograms)
            startProgram(action, m_pages.get(), PAGE_COUNT);
    } else if (verb == "quit") {
        return QUIT;
    } else if (verb == "config" && action.count() >= 2) {
        WString key = action.at(1);
        action.takeAt(0);
        action.takeAt(0);
        saveConfigChange(configFile().printable(), newConfigFile().printable(), key, action);
        if (m_restartInPlace) {
            if (m_quietReload) {
                QuietOutput quiet(QuietOutput::OUTPUT_ONLY);
                reload();
            } else {
                reload();
            }
            m_restartedInPlace = true;
            return CONTINUE;
        }
        printf("Start: %s\n", m_programPath.printable());
        // The new process image does not flush stdio.
        fflush(stdout);
        // Without a program path there is nothing to start again.
        if (!m_programPath.isAbsent())
            Platform::current().restart(m_programPath.text());
    }
    return CONTINUE;
}
