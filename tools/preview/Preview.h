// The live preview: the launcher's own loop in its window, reloaded whenever a skin file changes.
#pragma once

#include <string>

#include "CheckReport.h"
#include "FileWatcher.h"
#include "core/Launcher.h"
#include "core/ScratchConfig.h"

union SDL_Event;
struct SDL_Surface;

class Preview {
public:
    struct Options {
        std::string appDirectory;
        // Empty: the skin the configuration names.
        std::string skin;
        // -1: the skin's start page.
        int page = -1;
    };

    explicit Preview(const Options& options);
    ~Preview();
    Preview(const Preview&) = delete;
    Preview& operator=(const Preview&) = delete;

    // Runs until Escape (or another way the launcher quits); the exit status.
    int run();

private:
    // Takes one event; the preview's own keys are handled here and not passed on.
    ButtonMask nextMask();
    bool handleOwnKey(const SDL_Event& event);
    // Waits until input or a change may be pending, at most timeoutMs (-1: without limit).
    void wait(int timeoutMs);
    int idleTimeoutMs(ButtonMask mask) const;
    void noteChanges();
    bool reloadIsDue() const;
    void reloadFiles();
    // After a load has been drawn: new watches, the title, and the checker's report.
    void afterLoad();
    void watchFiles();
    void stepPage(int direction);
    void updateTitle();
    std::string skinName() const;
    bool pinSkin(const std::string& skin);
    static void drawOverlay(SDL_Surface* window);

    Options m_options;
    std::string m_base;
    ScratchConfig m_scratch;
    Launcher m_launcher;
    FileWatcher m_watcher;
    CheckReport* m_report;
    int m_xFd;
    bool m_overlay;
    // The skin chosen with --skin or picked in the preview; kept when Trevandel.cfg is edited.
    std::string m_pinnedSkin;
    unsigned m_loadsReported;
    bool m_changePending;
    bool m_configChanged;
    bool m_reloadedFiles;
    std::string m_shownSkin;
    long long m_firstChangeMs;
    long long m_lastChangeMs;
    std::string m_title;

    static Preview* s_current;
};
