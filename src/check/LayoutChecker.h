// Checks how the buttons of a page sit together: where the selection starts, what hides what.
#pragma once

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
    // A text or image painted over, in full, by the image of a later slot.
    void checkCovered(Page& page, int pageIndex);
    // The part of the screen a text or image button draws on; empty for other buttons.
    Area drawnArea(Button& button);
    // Whether every picture of an image button hides all of area.
    bool hides(Button& button, const Area& area);

    SkinDiagnostics& m_diagnostics;
    Launcher& m_launcher;
    std::string m_skinFile;
    ImageChecker& m_images;
};
