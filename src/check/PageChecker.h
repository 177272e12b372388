// Checks each page of a skin: its background, its buttons by type, and the options of a selector.
#pragma once

#include <string>

#include "check/ListChecker.h"
#include "check/SkinDiagnostics.h"
#include "text/WString.h"

class ActionChecker;
class Button;
class DatChecker;
class ImageChecker;
class Launcher;
class Page;

class PageChecker {
public:
    // skinFile is the skin's name as the report shows it; the other checkers take what a page
    // hands on: actions and references, images, and the folders of its lists.
    PageChecker(SkinDiagnostics& diagnostics, Launcher& launcher, const std::string& skinFile,
                ActionChecker& actions, ImageChecker& images, DatChecker& dats);
    PageChecker(const PageChecker&) = delete;
    PageChecker& operator=(const PageChecker&) = delete;

    void checkPage(int pageIndex);

private:
    void checkBackground(Page& page, int pageIndex);
    void checkButton(Page& page, int pageIndex, int slot);
    // The TYPE statement of the button in slot: the type, its count of values, and those values
    // as the type reads them.
    void checkType(Button& button, int pageIndex, int slot, const SkinDiagnostics::Location& location);

    bool where(const std::string& file, int page, int slot, const std::string& field,
               SkinDiagnostics::Location& location) const;

    SkinDiagnostics& m_diagnostics;
    Launcher& m_launcher;
    std::string m_skinFile;
    ActionChecker& m_actions;
    ImageChecker& m_images;
    DatChecker& m_dats;
    ListChecker m_lists;
};
