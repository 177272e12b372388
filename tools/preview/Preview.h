// The live preview: the launcher's own loop in its window, reloaded whenever a skin file changes.
#pragma once

#include <memory>
#include <string>

#include "CheckReport.h"
#include "FileWatcher.h"
#include "PreviewPlatform.h"
#include "launcher/Launcher.h"
#include "launcher/ScratchConfig.h"

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
    // Carries out a preview key the last turn took.
    void handleRequest(PreviewPlatform::Request request);
    void noteChanges();
    bool reloadIsDue() const;
    // How long the launcher may rest before a pending reload falls due (-1: none pending).
    int msUntilReload() const;
    void reloadFiles();
    // Draws a load's first frame with the launcher's output silenced.
    void drawLoadQuietly();
    // Whether the application folder exists, saying on standard error when it went or came back.
    bool appFolderIsThere();
    // After a load has been drawn: new watches, the title, and the checker's report.
    void afterLoad();
    void watchFiles();
    void stepPage(int direction);
    void updateTitle();
    std::string skinName() const;
    bool pinSkin(const std::string& skin);
    static void drawOverlay(DesktopPlatform::WindowPixels& window, void* preview);

    Options m_options;
    std::string m_base;
    ScratchConfig m_scratch;
    PreviewPlatform m_platform;
    Launcher m_launcher;
    FileWatcher m_watcher;
    std::unique_ptr<CheckReport> m_report;
    bool m_overlay;
    // The skin chosen with --skin or picked in the preview; kept when Trevandel.cfg is edited.
    std::string m_pinnedSkin;
    unsigned m_loadsReported;
    unsigned m_loadsDrawn;
    bool m_changePending;
    bool m_configChanged;
    bool m_reloadedFiles;
    bool m_appGone;
    bool m_toldTreeCut;
    std::string m_shownSkin;
    long long m_firstChangeMs;
    long long m_lastChangeMs;
    std::string m_title;
};
