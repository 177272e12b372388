// The preview's loop: the launcher's own turns, with reloads gathered into one between them.
#include "Preview.h"

#include <time.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "PreviewOverlay.h"
#include "config/Config.h"
#include "launcher/QuietOutput.h"
#include "platform/Input.h"
#include "ToolArguments.h"
#include "platform/Video.h"
#include "skin/Button.h"
#include "skin/Page.h"

namespace {

// An editor's save is a burst (a temporary file written, renamed, its attributes set): the
// reload waits for a short quiet spell, but never long, so the frame follows within 200 ms.
const long long QUIET_MS = 30;
const long long LONGEST_WAIT_MS = 100;

const char* const PROGRAM = "trevandel-preview";

long long nowMs()
{
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (long long)now.tv_sec * 1000 + now.tv_nsec / 1000000;
}

} // namespace

Preview::Preview(const Options& options)
    : m_options(options)
    , m_report(nullptr)
    , m_overlay(false)
    , m_pinnedSkin(options.skin)
    , m_loadsReported(0)
    , m_changePending(false)
    , m_configChanged(false)
    , m_reloadedFiles(false)
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
    delete m_report;
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
    if (!m_scratch.create((m_base + Launcher::CONFIG_FILE).c_str()) || !pinSkin(m_pinnedSkin)) {
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
        QuietOutput quiet(true);
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
    m_report = new CheckReport(m_base, m_scratch.path().printable());
    m_platform.desktop().setOverlay(&Preview::drawOverlay, this);

    for (;;) {
        noteChanges();
        // A reload waits for a turn on which the controls rest, as a fresh start would find them.
        if (reloadIsDue() && m_launcher.isIdle(Input::held()))
            reloadFiles();
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

void Preview::reloadFiles()
{
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
        QuietOutput quiet(true);
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
    const std::string skins = m_base + "skins/";
    m_watcher.watchNames(m_base, {Launcher::CONFIG_FILE, Launcher::FONT_FILE, "skins"});
    // The skin's folder may not exist yet; its creation is seen in skins/.
    m_watcher.watchNames(skins, {skinName()});
    m_watcher.watchTree(skins + skinName() + "/");
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
