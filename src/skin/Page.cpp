// One screen of the skin: background drawing, button statements, input and list variables.
#include "skin/Page.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

#include "config/Config.h"
#include "config/SkinObserver.h"
#include "gfx/DLImage.h"
#include "gfx/ImageCache.h"
#include "platform/Video.h"
#include "skin/Button.h"
#include "skin/FileList.h"
#include "skin/parseColour.h"

namespace {

// Gradient rows are weighted over 239 steps, so row 239 is exactly the bottom colour.
const int GRADIENT_STEPS = 239;
const int IMAGE_DEPTH = 15;

void fillScreen(uint16_t pixel)
{
    uint16_t* p = Video::screen;
    for (int i = 0; i < Video::WIDTH * Video::HEIGHT; i++)
        p[i] = pixel;
}

void drawGradient(uint16_t top, uint16_t bottom)
{
    const int tr = (top >> Video::RED_FIELD_SHIFT) & Video::FIELD_MASK;
    const int tg = (top >> Video::GREEN_FIELD_SHIFT) & Video::FIELD_MASK;
    const int tb = top & Video::FIELD_MASK;
    const int br = (bottom >> Video::RED_FIELD_SHIFT) & Video::FIELD_MASK;
    const int bg = (bottom >> Video::GREEN_FIELD_SHIFT) & Video::FIELD_MASK;
    const int bb = bottom & Video::FIELD_MASK;
    for (int y = 0; y < Video::HEIGHT; y++) {
        const int w = GRADIENT_STEPS - y;
        const long red = (long)(tr * w + br * y) * 8 / GRADIENT_STEPS;
        const long green = (long)(tg * w + bg * y) * 8 / GRADIENT_STEPS;
        const long blue = (long)(tb * w + bb * y) * 8 / GRADIENT_STEPS;
        const uint16_t pixel = Video::pixelFromRgb(red, green, blue);
        uint16_t* row = Video::screen + y * Video::WIDTH;
        for (int x = 0; x < Video::WIDTH; x++)
            row[x] = pixel;
    }
}

typedef SkinObserver::Fate Fate;

bool isSlot(int slot)
{
    return slot >= 0 && slot < Page::SLOT_COUNT;
}

WString::Array dropFirst(const WString::Array& values)
{
    WString::Array rest(values);
    if (rest.count() > 0)
        rest.removeRange(0, 1);
    return rest;
}

} // namespace

bool Page::isFilled() const
{
    if (m_backgroundType.length() > 0 || m_returnAction.count() > 0)
        return true;
    for (int slot = 0; slot < SLOT_COUNT; slot++) {
        if (m_buttons[slot])
            return true;
    }
    return false;
}

Page::Page() : m_prepared(0), m_backgroundImage(nullptr), m_selected(0), m_parseSlot(-1) {}

Page::~Page() = default;

int Page::parseStatement(const WString& key, const WString::Array& values)
{
    int taken = 0;
    Button* button = routeStatement(key, values, taken);
    if (!button)
        return taken;
    taken = button->parseStatement(key, values);
    if (SkinObserver* observer = SkinObserver::observer())
        noteButtonStatement(*observer, key, values, taken);
    return taken;
}

int Page::parseStatement(const WString& key, WString::Array&& values)
{
    int taken = 0;
    Button* button = routeStatement(key, values, taken);
    if (!button)
        return taken;
    SkinObserver* observer = SkinObserver::observer();
    if (!observer)
        return button->parseStatement(key, std::move(values));
    // The observer reads the values after the button has them, so they keep their texts.
    const WString::Array& kept = values;
    taken = button->parseStatement(key, kept);
    noteButtonStatement(*observer, key, kept, taken);
    return taken;
}

Button* Page::routeStatement(const WString& key, const WString::Array& values, int& taken)
{
    SkinObserver* observer = SkinObserver::observer();
    taken = 0;
    // BUTTON first: it opens every slot, and BACKGROUND shares its first letter.
    if (key == "BUTTON") {
        if (values.count() < 1)
            return nullptr;
        m_parseSlot = values.at(0).toInt();
        if (observer && isSlot(m_parseSlot)) {
            Fate opened(Fate::BUTTON_OPENED);
            opened.index = m_parseSlot;
            observer->note(opened);
        } else if (observer) {
            observer->note(Fate::written(Fate::BUTTON_OUT_OF_RANGE, values.at(0)));
        }
        taken = 1;
        return nullptr;
    }
    if (key == "BACKGROUND") {
        if (values.count() < 1)
            return nullptr;
        m_backgroundType = values.at(0);
        m_backgroundArgs = dropFirst(values);
        if (observer)
            observer->note(Fate::ofStatement(Fate::PAGE_STATEMENT_TAKEN, key, values, -1));
        taken = 1;
        return nullptr;
    }
    if (key == "RETURN") {
        m_returnAction = values;
        if (observer)
            observer->note(Fate::ofStatement(Fate::PAGE_STATEMENT_TAKEN, key, values, -1));
        taken = 1;
        return nullptr;
    }
    if (!isSlot(m_parseSlot)) {
        if (observer)
            observer->note(Fate::ofStatement(Fate::DROPPED_BEFORE_BUTTON, key, values, -1));
        return nullptr;
    }
    if (!m_buttons[m_parseSlot])
        m_buttons[m_parseSlot].reset(new Button());
    return m_buttons[m_parseSlot].get();
}

void Page::noteButtonStatement(SkinObserver& observer, const WString& key,
                               const WString::Array& values, int taken) const
{
    observer.note(Fate::ofStatement(taken ? Fate::BUTTON_STATEMENT_TAKEN
                                          : Fate::NOT_A_BUTTON_STATEMENT,
                                    key, values, m_parseSlot));
}

void Page::handleInput(WString::Array& action, NavCode& nav)
{
    Config::InsertedMarks inserted;
    if (m_buttons[m_selected])
        m_buttons[m_selected]->handleInput(action, nav, &inserted);
    if (nav == NAV_BACK) {
        action = m_returnAction;
        inserted.clear();
        nav = NAV_NONE;
    }
    if (action.count() == 0)
        return;
    const WString& verb = action.at(0);
    if (verb == "exec" || verb == "config") {
        exportListVariables(action, &inserted);
    } else {
        const int slot = selectTarget(action);
        if (slot >= 0)
            m_selected = slot;
    }
}

int Page::selectTarget(const WString::Array& action) const
{
    if (action.count() != 2 || action.at(0) != "select")
        return -1;
    const int slot = action.at(1).toInt();
    return button(slot) ? slot : -1;
}

uint64_t Page::selectableSlots() const
{
    // Back gives RETURN whichever slot is selected, even when slot 0 is empty and none is.
    uint64_t reached = 0;
    int pending[SLOT_COUNT];
    int pendingCount = 0;
    auto follow = [&](const WString::Array& action) {
        const int slot = selectTarget(action);
        if (slot >= 0 && !(reached & (uint64_t(1) << slot))) {
            reached |= uint64_t(1) << slot;
            pending[pendingCount++] = slot;
        }
    };
    if (m_buttons[0]) {
        reached = 1;
        pending[pendingCount++] = 0;
    }
    follow(m_returnAction);
    while (pendingCount > 0) {
        const Button* from = m_buttons[pending[--pendingCount]].get();
        for (int which = 0; which < Button::ACTION_COUNT; which++)
            follow(from->action(which));
    }
    return reached;
}

void Page::exportListVariables(WString::Array& action, Config::InsertedMarks* inserted)
{
    if (action.count() <= 2)
        return;
    // What one pass puts in (a name, a directory) is never read again by a later pass.
    Config::InsertedMarks ownMarks;
    Config::InsertedMarks& marks = inserted ? *inserted : ownMarks;
    marks.resize(action.count());
    for (int j = 0; j < SLOT_COUNT; j++) {
        if (!m_buttons[j] || !m_buttons[j]->list())
            continue;
        const FileList* list = m_buttons[j]->list();
        const WString entry = list->currentEntry();
        const WString directory = list->currentDirectory();
        WString entryName, directoryName, pathName;
        entryName.format("%i", j);
        directoryName.format("p%i", j);
        pathName.format("P%i", j);
        Config variables;
        variables.setString(entryName.text(), entry);
        variables.setString(directoryName.text(), directory);
        variables.setString(pathName.text(), directory + entry);
        // An absent word stays absent: the launch leaves its argument slot empty.
        for (int i = 1; i < action.count(); i++)
            action.at(i) = variables.expandMarked(action.at(i), marks[i]);
    }
}

void Page::prepare()
{
    if (m_prepared)
        return;
    if (m_backgroundType == "image" && m_backgroundArgs.count() >= 1)
        m_backgroundImage = gImageCache.get(m_backgroundArgs.at(0).printable(), IMAGE_DEPTH, false);
    m_prepared = 1;
}

void Page::releaseImages()
{
    m_backgroundImage = nullptr;
    m_prepared = 0;
    for (std::unique_ptr<Button>& button : m_buttons)
        if (button)
            button->releaseImages();
}

void Page::drawBackground()
{
    const int argCount = m_backgroundArgs.count();
    if (m_backgroundType == "image" && m_backgroundImage) {
        m_backgroundImage->blit(0, 0);
    } else if (m_backgroundType == "color" && argCount == 1) {
        fillScreen(parseColour(m_backgroundArgs.at(0)));
    } else if (m_backgroundType == "gradient" && argCount == 2) {
        drawGradient(parseColour(m_backgroundArgs.at(0)), parseColour(m_backgroundArgs.at(1)));
    } else {
        fillScreen(0);
    }
}

void Page::draw()
{
    prepare();
    drawBackground();
    for (int j = 0; j < SLOT_COUNT; j++) {
        if (m_buttons[j])
            m_buttons[j]->draw(j == m_selected);
    }
}
