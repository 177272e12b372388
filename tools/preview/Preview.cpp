// The preview's loop: SDL events and inotify waited on together, reloads gathered into one.
#include "Preview.h"

#include <SDL.h>
#include <poll.h>
#include <time.h>

#include <cstdio>
#include <vector>

#include "PreviewOverlay.h"
#include "xConnectionFd.h"
#include "ToolArguments.h"
#include "core/Globals.h"
#include "core/Input.h"
#include "core/QuietOutput.h"
#include "core/Video.h"
#include "skin/Button.h"
#include "skin/Page.h"

namespace {

// An editor's save is a burst (a temporary file written, renamed, its attributes set): the
// reload waits for a short quiet spell, but never long, so the frame follows within 200 ms.
const long long QUIET_MS = 30;
const long long LONGEST_WAIT_MS = 100;
// A held direction counts towards the launcher's key repeat one 1 ms turn at a time.
const int TURN_MS = 1;

const char* const PROGRAM = "trevandel-preview";

long long nowMs()
{
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (long long)now.tv_sec * 1000 + now.tv_nsec / 1000000;
}

// The laptop's arrow keys stand for the keypad's stick directions.
SDLKey stickKeyFor(SDLKey key)
{
    switch (key) {
    case SDLK_UP:
        return SDLK_KP8;
    case SDLK_DOWN:
        return SDLK_KP2;
    case SDLK_LEFT:
        return SDLK_KP4;
    case SDLK_RIGHT:
        return SDLK_KP6;
    default:
        return key;
    }
}

} // namespace

Preview* Preview::s_current = nullptr;

Preview::Preview(const Options& options)
    : m_options(options)
    , m_report(nullptr)
    , m_xFd(-1)
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
    Video::setWindowOverlay(nullptr);
    if (s_current == this)
        s_current = nullptr;
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
    m_xFd = xConnectionFd();
    m_report = new CheckReport(m_base, m_scratch.path().printable());
    s_current = this;
    Video::setWindowOverlay(&Preview::drawOverlay);

    for (;;) {
        const ButtonMask mask = nextMask();
        noteChanges();
        if (m_launcher.isIdle(mask)) {
            if (reloadIsDue()) {
                reloadFiles();
                continue;
            }
            wait(idleTimeoutMs(mask));
        }
        if (m_launcher.advance(mask) == Launcher::QUIT)
            break;
        // A load is reported once its first frame is on screen (the turn after it draws).
        if (m_launcher.loadCount() != m_loadsReported && !m_launcher.isIdle(Launcher::START_MASK))
            afterLoad();
        updateTitle();
    }
    Video::setWindowOverlay(nullptr);
    SDL_Quit();
    return 0;
}

ButtonMask Preview::nextMask()
{
    SDL_Event event;
    if (!SDL_PollEvent(&event))
        return Input::held();
    if (handleOwnKey(event))
        return Input::held();
    if (event.type == SDL_KEYDOWN || event.type == SDL_KEYUP)
        event.key.keysym.sym = stickKeyFor(event.key.keysym.sym);
    return Input::apply(event);
}

bool Preview::handleOwnKey(const SDL_Event& event)
{
    if (event.type != SDL_KEYDOWN && event.type != SDL_KEYUP)
        return false;
    const SDLKey key = event.key.keysym.sym;
    if (key != SDLK_F1 && key != SDLK_PAGEUP && key != SDLK_PAGEDOWN)
        return false;
    if (event.type == SDL_KEYUP)
        return true;
    if (key == SDLK_F1) {
        m_overlay = !m_overlay;
        Video::reshow();
    } else {
        stepPage(key == SDLK_PAGEDOWN ? 1 : -1);
    }
    updateTitle();
    return true;
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

int Preview::idleTimeoutMs(ButtonMask mask) const
{
    // Without the X connection there is nothing to wait on for keys: turn as the launcher does.
    if ((mask & BTN_DIRECTIONS) != 0 || m_xFd < 0)
        return TURN_MS;
    if (!m_changePending)
        return -1;
    const long long due = std::min(m_lastChangeMs + QUIET_MS, m_firstChangeMs + LONGEST_WAIT_MS);
    const long long left = due - nowMs();
    return left < 0 ? 0 : int(left);
}

void Preview::wait(int timeoutMs)
{
    // SDL may hold events it has already read from the connection.
    SDL_PumpEvents();
    SDL_Event queued;
    if (SDL_PeepEvents(&queued, 1, SDL_PEEKEVENT, SDL_ALLEVENTS) > 0)
        return;
    struct pollfd fds[2];
    int count = 0;
    if (m_xFd >= 0)
        fds[count++] = {m_xFd, POLLIN, 0};
    if (m_watcher.fd() >= 0)
        fds[count++] = {m_watcher.fd(), POLLIN, 0};
    poll(fds, nfds_t(count), timeoutMs);
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
    SDL_WM_SetCaption(title, title);
}

void Preview::drawOverlay(SDL_Surface* window)
{
    Preview* preview = s_current;
    if (preview && preview->m_overlay)
        PreviewOverlay::draw(window, preview->m_launcher.page(preview->m_launcher.currentPage()));
}
