// One screen of the skin: a background and up to 64 buttons, one of them selected.
#pragma once

#include <cstdint>
#include <memory>

#include "config/Config.h"
#include "platform/ButtonMask.h"
#include "text/WString.h"

class Button;
class DLImage;
class SkinObserver;

class Page {
public:
    static const int SLOT_COUNT = 64;

    Page();
    ~Page();
    Page(const Page&) = delete;
    Page& operator=(const Page&) = delete;

    int parseStatement(const WString& key, const WString::Array& values);
    // The same, but a button may take the values' texts over instead of copying them; values
    // keeps its count and may be left with absent items.
    int parseStatement(const WString& key, WString::Array&& values);
    // nav may be cleared to 0; action is empty on entry.
    void handleInput(WString::Array& action, NavCode& nav);
    void draw();
    void prepare();
    // Forgets every picture of the page and its buttons (the image cache is about to be
    // emptied); the next draw loads them again. Selection and lists stay as they are.
    void releaseImages();
    // inserted marks text already put in from names (see Config::expandMarked); it is updated.
    void exportListVariables(WString::Array& action, Config::InsertedMarks* inserted = nullptr);

    Button* button(int slot) const
    {
        return (slot >= 0 && slot < SLOT_COUNT) ? m_buttons[slot].get() : nullptr;
    }
    int selected() const { return m_selected; }
    // Selects the button in slot, as a select action does; an empty slot changes nothing.
    void select(int slot)
    {
        if (button(slot))
            m_selected = slot;
    }
    // The slot a "select" action would select: its second word names a filled slot. Else -1.
    int selectTarget(const WString::Array& action) const;
    // The filled slots a user can select: slot 0, where the page starts, and every slot that a
    // "select" of a selectable button or of RETURN leads to. Bit n stands for slot n.
    uint64_t selectableSlots() const;
    int parseSlot() const { return m_parseSlot; }
    const WString& backgroundType() const { return m_backgroundType; }
    const WString::Array& backgroundArgs() const { return m_backgroundArgs; }
    const WString::Array& returnAction() const { return m_returnAction; }
    // A page the skin gave a background, a RETURN action or a button; the tools show only these.
    bool isFilled() const;

private:
    // The page's own statements; any other goes to the button of the current slot, or to null.
    Button* routeStatement(const WString& key, const WString::Array& values, int& taken);
    void drawBackground();
    // Tells the observer what the button of the current slot made of a statement.
    void noteButtonStatement(SkinObserver& observer, const WString& key,
                             const WString::Array& values, int taken) const;

    std::unique_ptr<Button> m_buttons[SLOT_COUNT];
    WString m_backgroundType;
    WString::Array m_backgroundArgs;
    WString::Array m_returnAction;
    int m_prepared;
    DLImage* m_backgroundImage;
    int m_selected;
    int m_parseSlot;
};
