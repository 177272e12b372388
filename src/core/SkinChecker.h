// Loads an application directory's configuration and skin as the launcher does and lists mistakes.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "core/SkinDiagnostics.h"
#include "text/WString.h"

class Button;
class Launcher;
class Page;

class SkinChecker {
public:
    typedef SkinDiagnostics::Problem Problem;

    // appDirectory holds Trevandel.cfg, the font sheet and skins/, as beside the launcher.
    explicit SkinChecker(const std::string& appDirectory);

    // Loads and checks everything; the problems sorted by file and line. Needs no display.
    std::vector<Problem> run();

    // "file:line: message", or "file: message" for a problem with the file as a whole.
    static std::string formatProblem(const Problem& problem);
    // "no problems found", "1 problem in FILE", "N problems in FILE" or "N problems in K files".
    static std::string summary(const std::vector<Problem>& problems);

private:
    struct Image {
        bool loaded;
        int width;
        int height;
        std::string reason;
    };
    // Where a list of action words may use the list variables of the page's selectors.
    struct ActionContext {
        int page;
        bool fromDat;
    };

    void checkConfiguration(const WString& skinDirectory, bool skinRead);
    void checkPage(Launcher& launcher, int pageIndex);
    void checkBackground(Page& page, int pageIndex);
    void checkButton(Page& page, int pageIndex, int slot);
    void checkImageButton(const WString::Array& args, const SkinDiagnostics::Location& where);
    void checkTextButton(const WString::Array& args, const SkinDiagnostics::Location& where);
    void checkRectButton(const WString::Array& args, const SkinDiagnostics::Location& where);
    void checkSelectorButton(Button& button, int pageIndex, int slot,
                             const SkinDiagnostics::Location& where);
    void checkOptions(Button& button, int pageIndex, int slot);
    void checkAction(const WString::Array& words, const ActionContext& context,
                     const SkinDiagnostics::Location& where);
    void checkReferences(const WString& value, const SkinDiagnostics::Location& where,
                         const std::set<std::string>& allowed, bool fromDat = false);
    void checkColour(const WString& text, const SkinDiagnostics::Location& where);
    void checkImagePath(const WString& path, const SkinDiagnostics::Location& where,
                        bool keepAlpha, int x, int y, bool placed);
    void checkReachability(Launcher& launcher);
    void checkDatFiles(int pageIndex, int slot, const std::string& startDirectory);
    void checkDat(const std::string& directory, int pageIndex);

    bool where(const std::string& file, int page, int slot, const std::string& field,
               SkinDiagnostics::Location& location) const;
    // Six hex digits, as the list and button colours need.
    static bool isColour(const WString& text);
    bool isPageFilled(int pageIndex) const;
    bool isListSlot(int pageIndex, int slot) const;
    const Image& image(const std::string& path, bool keepAlpha);

    std::string m_appDirectory;
    std::string m_base;
    std::string m_skinFile;
    SkinDiagnostics m_diagnostics;
    Launcher* m_launcher;
    std::map<std::string, Image> m_images;
    std::set<std::string> m_datsChecked;
};
