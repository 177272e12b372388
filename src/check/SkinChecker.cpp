// Runs the launcher's own start-up loading with diagnostics attached, then checks the whole skin.
#include "check/SkinChecker.h"

#include <climits>
#include <cstdlib>
#include <deque>
#include <set>

#include "check/ActionChecker.h"
#include "check/CheckSupport.h"
#include "check/ConfigChecker.h"
#include "check/DatChecker.h"
#include "check/ImageChecker.h"
#include "check/LayoutChecker.h"
#include "check/PageChecker.h"
#include "launcher/Globals.h"
#include "launcher/Launcher.h"
#include "launcher/ProcessState.h"
#include "skin/Button.h"
#include "skin/Page.h"

using namespace check;

namespace {

const char* const FONT_FILE = Launcher::FONT_FILE;

// Detaches the diagnostics however the run ends.
class Attachment {
public:
    explicit Attachment(SkinObserver* observer) { SkinObserver::attach(observer); }
    ~Attachment() { SkinObserver::attach(nullptr); }
    Attachment(const Attachment&) = delete;
    Attachment& operator=(const Attachment&) = delete;
};

} // namespace

SkinChecker::SkinChecker(const std::string& appDirectory)
    : m_appDirectory(appDirectory)
{
}

std::vector<SkinChecker::Problem> SkinChecker::run()
{
    char resolved[PATH_MAX];
    // An absolute base keeps %basedir% and %skindir% paths valid whatever the working directory.
    m_base = realpath(m_appDirectory.c_str(), resolved) ? resolved : m_appDirectory;
    if (!endsWithSlash(m_base))
        m_base += "/";
    m_diagnostics.setBaseDirectory(WString(m_base.c_str()));

    Attachment attachment(&m_diagnostics);
    // Only the store: the preview runs the checker beside its own launcher, whose pages hold
    // pictures of the image cache and whose text needs the font.
    ProcessState::reset(ProcessState::CONFIG);
    Launcher launcher;
    launcher.setBaseDirectory(WString(m_base.c_str()));
    if (!m_configFile.empty())
        launcher.setConfigFile(WString(m_configFile.c_str()));

    m_diagnostics.takeImageError();
    const WString configuredDirectory = launcher.loadConfiguration();
    m_configuredSkin = gConfig.lookup("SKIN", "").printable();
    WString skinDirectory = configuredDirectory;
    if (!m_skinName.empty()) {
        // As the launcher would run with SKIN set to that name.
        skinDirectory = WString(m_base.c_str()) + "skins/" + m_skinName.c_str() + "/";
        gConfig.setString("SKIN", WString(m_skinName.c_str()));
        gConfig.setString("skindir", skinDirectory);
    }
    // The font is the only image loaded so far; a failed reload keeps an earlier sheet.
    std::string reason = m_diagnostics.takeImageError();
    if (!reason.empty() || !gFont.isLoaded()) {
        m_diagnostics.reportAt(FONT_FILE, 0, "the font sheet %s: no text will show",
                               reason.empty() ? "cannot be loaded" : reason.c_str());
    }
    const WString skinPath = skinDirectory + Launcher::SKIN_FILE;
    m_skinFile = m_diagnostics.displayName(skinPath.printable());
    const bool skinRead = launcher.readSkin(skinPath.printable());
    if (m_skinName.empty()) {
        ConfigChecker(m_diagnostics, launcher.configFile().printable()).check(skinDirectory, skinRead);
    } else {
        const std::string configured =
            std::string(configuredDirectory.printable()) + Launcher::SKIN_FILE;
        ConfigChecker(m_diagnostics, launcher.configFile().printable()).check(configuredDirectory, isFile(configured));
        if (!skinRead)
            m_diagnostics.reportAt(m_skinFile, 0, "cannot be read: skins/%s/ holds no skin",
                                   m_skinName.c_str());
    }

    if (skinRead) {
        ImageChecker images(m_diagnostics);
        ActionChecker actions(m_diagnostics, launcher);
        DatChecker dats(m_diagnostics, m_base, actions);
        PageChecker pages(m_diagnostics, launcher, m_skinFile, actions, images, dats);
        LayoutChecker layout(m_diagnostics, launcher, m_skinFile, images);
        for (int p = 0; p < Launcher::PAGE_COUNT; p++) {
            pages.checkPage(p);
            layout.checkPage(p);
        }
        checkReachability(launcher);
    }
    ProcessState::reset(ProcessState::CONFIG);
    return m_diagnostics.sortedProblems();
}

std::string SkinChecker::formatProblem(const Problem& problem)
{
    if (problem.line > 0)
        return problem.file + ":" + std::to_string(problem.line) + ": " + problem.message;
    return problem.file + ": " + problem.message;
}

std::string SkinChecker::summary(const std::vector<Problem>& problems)
{
    if (problems.empty())
        return "no problems found";
    std::set<std::string> files;
    for (const Problem& problem : problems)
        files.insert(problem.file);
    std::string count = std::to_string(problems.size()) +
                        (problems.size() == 1 ? " problem in " : " problems in ");
    if (files.size() == 1)
        return count + *files.begin();
    return count + std::to_string(files.size()) + " files";
}

void SkinChecker::checkReachability(Launcher& launcher)
{
    const int start = launcher.currentPage();
    SkinDiagnostics::Location location;
    if (!isPageFilled(launcher, start)) {
        if (m_diagnostics.fieldLocation(m_skinFile, -1, -1, "STARTPAGE", location))
            m_diagnostics.reportAt(location.file, location.line,
                                   "the start page %d is empty: the skin never fills it", start);
        else
            m_diagnostics.reportAt(m_skinFile, 0,
                                   "there is no STARTPAGE and page 0 is empty: the launcher "
                                   "shows a black screen");
        return;
    }
    std::vector<bool> reached(Launcher::PAGE_COUNT, false);
    std::deque<int> pending{start};
    reached[start] = true;
    auto follow = [&](const WString::Array& words) {
        if (words.count() != 2 || words.at(0) != "page")
            return;
        const int target = toInt(words.at(1));
        if (target >= 0 && target < Launcher::PAGE_COUNT && !reached[target]) {
            reached[target] = true;
            pending.push_back(target);
        }
    };
    while (!pending.empty()) {
        Page& page = launcher.page(pending.front());
        pending.pop_front();
        follow(page.returnAction());
        for (int slot = 0; slot < Page::SLOT_COUNT; slot++) {
            Button* button = page.button(slot);
            if (!button)
                continue;
            for (int which = 0; which < Button::ACTION_COUNT; which++)
                follow(button->action(which));
        }
    }
    for (int p = 0; p < Launcher::PAGE_COUNT; p++) {
        if (reached[p] || !isPageFilled(launcher, p))
            continue;
        if (m_diagnostics.fieldLocation(m_skinFile, p, -1, "PAGE", location))
            m_diagnostics.reportAt(location.file, location.line,
                                   "page %d is never reached from the start page %d", p, start);
    }
}
