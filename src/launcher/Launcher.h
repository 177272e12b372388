// Start-up, skin loading and the main loop, one iteration at a time.
#pragma once

#include <memory>

#include "platform/ButtonMask.h"
#include "text/WString.h"

class Page;

class Launcher {
public:
    static const int PAGE_COUNT = 128;
    static const unsigned START_MASK = 4711;
    // The launcher's own files, found in the base directory (the skin file in the skin's).
    static constexpr const char* CONFIG_FILE = "Trevandel.cfg";
    static constexpr const char* NEW_CONFIG_FILE = "Trevandel.newcfg";
    static constexpr const char* FONT_FILE = "ARIALN.TTF_0_12_255_255_255.png";
    static constexpr const char* SKIN_FILE = "Trevandel.skin";
    static constexpr const char* DEFAULT_SKIN = "concept";
    // The handheld's application directory, the working directory once the skin is read.
    static constexpr const char* APPLICATION_DIR = "/usr/gp2x/";
    // Accepted KEYBOARD_RATE values: first delay 0..9999, repeats per second 1..999.
    static const int MAX_FIRST_DELAY = 9999;
    static const int MAX_REPEATS_PER_SECOND = 999;
    enum Step { CONTINUE, QUIT };

    Launcher();
    ~Launcher();
    Launcher(const Launcher&) = delete;
    Launcher& operator=(const Launcher&) = delete;

    // Base directory from argument 0: backslashes to "/", cut after the last "/", quote quirks.
    static WString baseDirectoryFrom(const char* argv0);
    // The same made absolute against the working directory, as start-up uses it.
    static WString absoluteBaseDirectory(const char* argv0);
    // path joined onto the working directory (a leading "./" dropped); an absolute or absent
    // path, or an unknown working directory, leaves it as it is.
    static WString absoluteFrom(const WString& path, const char* workingDirectory);
    // First matching row of the NavCode table.
    static NavCode navCode(ButtonMask mask);

    // Everything before the loop; 1 when the screen could not be opened, else 0.
    int start(int argc, char** argv);
    // Start-up steps after the screen is open: font, configuration, skin, dump, chdir, key rate.
    void loadConfigurationAndSkin();
    // Font, configuration and the built-in variables; returns the skin directory.
    WString loadConfiguration();
    // Statement loop over a skin file into the page table; false when the file cannot be opened.
    bool readSkin(const char* path);
    // After the skin in failedDirectory could not be read: reads the default skin instead, with
    // "skindir" naming it; false (and "skindir" unchanged) when there is none to read.
    bool readFallbackSkin(const WString& failedDirectory);
    void readKeyboardRate();
    // One loop turn: poll the platform, rest on it when nothing changed, or handle.
    Step iterate();
    // The turn after the poll, without the idle wait: count towards a repeat, or handle.
    Step advance(ButtonMask mask);
    // Whether a turn on mask would idle (nothing changed since the last handled turn).
    bool isIdle(ButtonMask mask) const { return mask == m_lastMask; }
    // Handles a changed (or repeating) mask: action, draw, flip, menu speed.
    Step handleMask(ButtonMask mask);
    // Carries out an action; QUIT for "quit".
    Step dispatch(WString::Array& action);
    // Draws the current page and shows it, as every handled turn ends.
    void drawFrame();
    // Everything a fresh start holds, dropped and read again from the files: pages, images, font,
    // configuration and skin; the start page is shown next, as after a restart.
    void reload();
    // Start-up and every reload count one load, so a tool can tell that a config action reloaded.
    unsigned loadCount() const { return m_loadCount; }

    Page& page(int index);
    int currentPage() const { return m_currentPage; }
    // Shows another page; numbers outside the table are ignored.
    void setCurrentPage(int index)
    {
        if (index >= 0 && index < PAGE_COUNT)
            m_currentPage = index;
    }
    const WString& baseDirectory() const { return m_baseDirectory; }
    int firstDelay() const { return m_firstDelay; }
    int repeatInterval() const { return m_repeatInterval; }
    void setProgramPath(const char* path) { m_programPath = path; }
    const WString& programPath() const { return m_programPath; }

    void setBaseDirectory(const WString& base) { m_baseDirectory = base; }
    // false keeps the 1 ms pacing on idle turns too, as where there is nothing to wait on.
    void setIdleWait(bool wait) { m_idleWait = wait; }
    // Where start-up changes to once the skin is read (APPLICATION_DIR unless a test says).
    void setApplicationDirectory(const char* directory) { m_applicationDirectory = directory; }

    // Where the configuration is read from and where a config action saves: the base
    // directory's Trevandel.cfg unless a tool points it at a scratch copy (ScratchConfig).
    void setConfigFile(const WString& path) { m_configFile = path; }
    WString configFile() const;
    // A config action normally replaces the process with a fresh launcher; in place, the
    // launcher reloads itself instead and the next turn draws the start page.
    void setRestartInPlace(bool inPlace) { m_restartInPlace = inPlace; }
    // The in-place restart keeps standard output for the tool: its loading lines are not printed.
    void setQuietReload(bool quiet) { m_quietReload = quiet; }
    // Whether an exec action starts its program or only prints it, when Trevandel.cfg does not
    // say (LAUNCH=run or LAUNCH=print); read again at every load.
    void setRunProgramsByDefault(bool run) { m_runProgramsByDefault = run; }
    bool runsPrograms() const { return m_runPrograms; }
    // The configuration key and its two words.
    static constexpr const char* LAUNCH_SETTING = "LAUNCH";
    static constexpr const char* LAUNCH_RUN = "run";
    static constexpr const char* LAUNCH_PRINT = "print";

private:
    // The new file a save writes first, beside the configuration file.
    WString newConfigFile() const;
    void readLaunchSetting();

    std::unique_ptr<Page[]> m_pages;
    WString m_baseDirectory;
    WString m_programPath;
    WString m_applicationDirectory;
    WString m_configFile;
    bool m_restartInPlace;
    bool m_quietReload;
    // Set by an in-place restart: the turn that caused it draws nothing, as the process it
    // stands for would have ended there.
    bool m_restartedInPlace;
    unsigned m_loadCount;
    int m_currentPage;
    unsigned m_lastMask;
    unsigned m_repeatCounter;
    unsigned m_repeatCount;
    int m_firstDelay;
    int m_repeatInterval;
    bool m_idleWait;
    bool m_runProgramsByDefault;
    bool m_runPrograms;
};
