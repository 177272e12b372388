// Checks how the buttons of a page sit together: where the selection starts and where the stick
// can take it, what hides what, and whether the page can be left.
#pragma once

#include <cstdint>
#include <string>

#include "check/ImageChecker.h"
#include "check/SkinDiagnostics.h"

class Button;
class Launcher;
class Page;

class LayoutChecker {
public:
    LayoutChecker(SkinDiagnostics& diagnostics, Launcher& launcher, const std::string& skinFile,
                  ImageChecker& images);
    LayoutChecker(const LayoutChecker&) = delete;
    LayoutChecker& operator=(const LayoutChecker&) = delete;

    void checkPage(int pageIndex);

private:
    // A page starts on slot 0: a button there that does nothing holds the stick.
    void checkStartSlot(Page& page, int pageIndex);
    // Buttons with something to do that the user never selects; selectable is the page's
    // Page::selectableSlots, as the checks below take it.
    void checkUnselectable(Page& page, int pageIndex, uint64_t selectable);
    // A direction that selects the button's own slot while another button lies that way.
    void checkDeadKeys(Page& page, int pageIndex, uint64_t selectable);
    // A page other than the start page needs a RETURN or a button that leads away from it.
    void checkWayOut(Page& page, int pageIndex, uint64_t selectable);
    // A text or image painted over, in full, by the image of a later slot.
    void checkCovered(Page& page, int pageIndex);
    // A text that runs into another button's area, or onto another text.
    void checkTextOverlaps(Page& page, int pageIndex);
    // The part of the screen a text or image button draws on; empty for other buttons.
    Area drawnArea(Button& button);
    // Any button's area: also a rectangle as it is filled and a list's lines.
    Area area(Button& button);
    // Whether every picture of an image button hides all of area.
    bool hides(Button& button, const Area& area);
    // Whether a button paints every pixel of area opaque: a drawn rectangle or a hiding image.
    bool paintsOver(Button& button, const Area& area);

    SkinDiagnostics& m_diagnostics;
    Launcher& m_launcher;
    std::string m_skinFile;
    ImageChecker& m_images;
};
