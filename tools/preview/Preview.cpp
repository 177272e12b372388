// The preview's loop: the launcher's own turns, with reloads gathered into one between them.
#include "Preview.h"

#include <sys/stat.h>
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "PreviewOverlay.h"
#include "QuitSignals.h"
#include "config/Config.h"
#include "launcher/QuietOutput.h"
#include "platform/Input.h"
#include "ToolArguments.h"
#include "platform/Video.h"
#include "skin/Button.h"
#include "skin/Page.h"

namespace {

// A save is a burst of changes (an editor writes a temporary file, renames it, sets its
// attributes; a generator writes one picture after another, each in pieces): the reload waits
// for a short quiet spell after the last change, so a burst costs one reload and the frame
// follows a save within 200 ms. Only changes that never stop are cut into several reloads.
const long long QUIET_MS = 60;
const long long LONGEST_WAIT_MS = 2000;

const char* const PROGRAM = "trevandel-preview";

bool isFolder(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// The folder holding path (which ends without "/"), with its "/"; "/" for the root's entries.
std::string parentOf(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos || slash == 0 ? "/" : path.substr(0, slash + 1);
}

long long nowMs()
{
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (long long)now.tv_sec * 1000 + now.tv_nsec / 1000000;
}

} // namespace

Preview::Preview(const Options& options)
    : m_options(options)
    , m_overlay(false)
    , m_pinnedSkin(options.skin)
    , m_loadsReported(0)
    , m_loadsDrawn(0)
    , m_changePending(false)
    , m_configChanged(false)
    , m_reloadedFiles(false)
    , m_appGone(false)
    , m_toldTreeCut(false)
    , m_firstChangeMs(0)
    , m_lastChangeMs(0)
{
    m_base = options.appDirectory;
    if (m_base.empty() || m_base.back() != '/')
        m_base += "/";
}

Preview::~Preview()
{
    m_platform.desktop().setOverlay(nullptr, nullptr);
    Platform::install(nullptr);
}

bool Preview::pinSkin(const std::string& skin)
{
    if (skin.empty())
        return true;
    WString::Array values;
    values.append(WString(skin.c_str()));
    return m_scratch.set(WString("SKIN"), values);
}

int Preview::run()
{
    // Before the scratch folder exists, and before SDL starts and installs handlers of its own.
    QuitSignals::install();
    const bool made = m_scratch.create((m_base + Launcher::CONFIG_FILE).c_str());
    if (!m_scratch.path().isAbsent())
        QuitSignals::setScratchFolder(parentOf(m_scratch.path().printable()).c_str());
    if (!made || !pinSkin(m_pinnedSkin)) {
        fprintf(stderr, "%s: could not make the preview's own copy of %s%s\n", PROGRAM,
                m_base.c_str(), Launcher::CONFIG_FILE);
        return 1;
    }
    m_scratch.attach(m_launcher);
    m_launcher.setQuietReload(true);
    Platform::install(&m_platform);

    std::string launcherPath = m_base + "trevandel";
    char* argv[] = {&launcherPath[0], nullptr};
    int started = 0;
    {
        QuietOutput quiet(QuietOutput::OUTPUT_ONLY);
        started = m_launcher.start(1, argv);
    }
    if (started != 0) {
        fprintf(stderr, "%s: could not open the window\n", PROGRAM);
        return 1;
    }
    // Nothing here may replace the process.
    m_launcher.setProgramPath(nullptr);
    if (m_options.page >= 0)
        m_launcher.setCurrentPage(m_options.page);
    m_report.reset(new CheckReport(m_base, m_scratch.path().printable()));
    m_platform.desktop().setOverlay(&Preview::drawOverlay, this);

    for (;;) {
        noteChanges();
        // A reload waits for a turn on which the controls rest, as a fresh start would find them.
        if (reloadIsDue() && m_launcher.isIdle(Input::held()))
            reloadFiles();
        drawLoadQuietly();
        m_platform.setWatcherFd(m_watcher.fd());
        m_platform.setRestLimitMs(msUntilReload());
        if (m_launcher.iterate() == Launcher::QUIT)
            break;
        handleRequest(m_platform.takeRequest());
        // A load is reported once its first frame is on screen (the turn after it draws).
        if (m_launcher.loadCount() != m_loadsReported && !m_launcher.isIdle(Launcher::START_MASK))
            afterLoad();
        updateTitle();
    }
    m_platform.desktop().setOverlay(nullptr, nullptr);
    Video::close();
    return 0;
}

void Preview::handleRequest(PreviewPlatform::Request request)
{
    switch (request) {
    case PreviewPlatform::TOGGLE_OVERLAY:
        m_overlay = !m_overlay;
        Video::reshow();
        break;
    case PreviewPlatform::PAGE_BACK:
    case PreviewPlatform::PAGE_ON:
        stepPage(request == PreviewPlatform::PAGE_ON ? 1 : -1);
        break;
    case PreviewPlatform::NO_REQUEST:
        return;
    }
    updateTitle();
}

void Preview::stepPage(int direction)
{
    const int current = m_launcher.currentPage();
    for (int step = 1; step < Launcher::PAGE_COUNT; step++) {
        const int index = (current + direction * step + Launcher::PAGE_COUNT) % Launcher::PAGE_COUNT;
        if (m_launcher.page(index).isFilled()) {
            m_launcher.setCurrentPage(index);
            m_launcher.drawFrame();
            return;
        }
    }
}

int Preview::msUntilReload() const
{
    if (!m_changePending)
        return -1;
    const long long due = std::min(m_lastChangeMs + QUIET_MS, m_firstChangeMs + LONGEST_WAIT_MS);
    const long long left = due - nowMs();
    return left < 0 ? 0 : int(left);
}

void Preview::noteChanges()
{
    std::vector<std::string> changed;
    if (!m_watcher.readChanges(changed))
        return;
    const long long now = nowMs();
    if (!m_changePending)
        m_firstChangeMs = now;
    m_lastChangeMs = now;
    m_changePending = true;
    for (const std::string& path : changed) {
        if (path == m_base + Launcher::CONFIG_FILE)
            m_configChanged = true;
    }
}

bool Preview::reloadIsDue() const
{
    if (!m_changePending)
        return false;
    const long long now = nowMs();
    return now - m_lastChangeMs >= QUIET_MS || now - m_firstChangeMs >= LONGEST_WAIT_MS;
}

void Preview::drawLoadQuietly()
{
    if (m_launcher.loadCount() == m_loadsDrawn)
        return;
    m_loadsDrawn = m_launcher.loadCount();
    // A load's first frame reads its images and sets the menu's clock, and the launcher says so
    // ("Switching CPU to ...", "Could not load image ..."): the checker's report after the load
    // tells the author what matters. The frames after it print what keys do, as the launcher's.
    QuietOutput quiet(QuietOutput::OUTPUT_ONLY);
    m_launcher.drawFrame();
}

bool Preview::appFolderIsThere()
{
    if (isFolder(m_base)) {
        if (m_appGone)
            fprintf(stderr, "%s: %s is back\n", PROGRAM, m_base.c_str());
        m_appGone = false;
        return true;
    }
    if (!m_appGone)
        fprintf(stderr, "%s: %s is gone; the preview keeps the last frame and reloads when it is back\n",
                PROGRAM, m_base.c_str());
    m_appGone = true;
    return false;
}

void Preview::reloadFiles()
{
    if (!appFolderIsThere()) {
        // Nothing to load: watch for its return instead, and read Trevandel.cfg afresh then.
        m_changePending = false;
        m_configChanged = true;
        watchFiles();
        return;
    }
    const int page = m_launcher.currentPage();
    const int selected = m_launcher.page(page).selected();
    if (m_configChanged) {
        // The author's edit wins over what the preview's own config actions changed, except the
        // skin being previewed.
        m_scratch.refresh();
        pinSkin(m_pinnedSkin);
    }
    m_changePending = false;
    m_configChanged = false;
    m_reloadedFiles = true;
    {
        QuietOutput quiet(QuietOutput::OUTPUT_ONLY);
        m_launcher.reload();
    }
    if (m_launcher.page(page).isFilled()) {
        m_launcher.setCurrentPage(page);
        m_launcher.page(page).select(selected);
    }
}

void Preview::afterLoad()
{
    const bool first = m_loadsReported == 0;
    // A load the preview did not start came from a config action.
    const bool fromAction = !first && !m_reloadedFiles;
    m_loadsReported = m_launcher.loadCount();
    m_reloadedFiles = false;
    if (fromAction) {
        printf("%s: the change went into the preview's own copy of %s; yours is unchanged\n",
               PROGRAM, Launcher::CONFIG_FILE);
        if (skinName() != m_shownSkin)
            m_pinnedSkin = skinName();
    }
    m_shownSkin = skinName();
    watchFiles();
    updateTitle();
    const std::string skinFile = "skins/" + skinName() + "/" + Launcher::SKIN_FILE;
    printf("%s: %s %s, page %d\n", PROGRAM, first ? "showing" : "reloaded", skinFile.c_str(),
           m_launcher.currentPage());
    if (first && m_options.skin.empty())
        fprintf(stderr, "%s\n",
                unnamedSkinNote(PROGRAM, "showing", skinNameOf(gConfig.lookup("skindir", "").printable()),
                                gConfig.lookup("SKIN", "").printable())
                    .c_str());
    m_report->update(stdout);
}

void Preview::watchFiles()
{
    if (!m_watcher.reset())
        return;
    // The application folder itself may go and come back (a build that stages it afresh, a
    // rename): the nearest folder above it that exists is watched for the next name down.
    std::string missing = m_base.substr(0, m_base.size() - 1);
    while (!missing.empty() && missing != "/") {
        const std::string parent = parentOf(missing);
        if (isFolder(parent) || parent == "/") {
            m_watcher.watchNames(parent, {missing.substr(parent.size())});
            break;
        }
        missing = parent.substr(0, parent.size() - 1);
    }
    const std::string skins = m_base + "skins/";
    m_watcher.watchNames(m_base, {Launcher::CONFIG_FILE, Launcher::FONT_FILE, "skins"});
    // The skin's folder may not exist yet; its creation is seen in skins/.
    m_watcher.watchNames(skins, {skinName()});
    m_watcher.watchTree(skins + skinName() + "/");
    if (m_watcher.treeCut() && !m_toldTreeCut)
        fprintf(stderr, "%s: skins/%s/ has more folders than the preview watches (links "
                        "included); a change deep inside it may show only with the next other one\n",
                PROGRAM, skinName().c_str());
    m_toldTreeCut = m_watcher.treeCut();
}

std::string Preview::skinName() const
{
    return gConfig.lookup("SKIN", Launcher::DEFAULT_SKIN).printable();
}

void Preview::updateTitle()
{
    char title[512];
    snprintf(title, sizeof(title), "%s: %s, page %d%s", PROGRAM, skinName().c_str(),
             m_launcher.currentPage(), m_overlay ? " (overlay)" : "");
    if (m_title == title)
        return;
    m_title = title;
    m_platform.desktop().setCaption(title);
}

void Preview::drawOverlay(DesktopPlatform::WindowPixels& window, void* context)
{
    Preview* preview = static_cast<Preview*>(context);
    if (preview->m_overlay)
        PreviewOverlay::draw(window, preview->m_launcher.page(preview->m_launcher.currentPage()));
}
