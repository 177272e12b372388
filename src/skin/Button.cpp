// One page element: its statements, navigation actions and drawing of image, text, rect or list.
#include "skin/Button.h"

#include <utility>

#include "config/SkinObserver.h"
#include "gfx/DLImage.h"
#include "gfx/Font.h"
#include "gfx/ImageCache.h"
#include "platform/Battery.h"
#include "platform/ButtonMask.h"
#include "platform/Video.h"
#include "skin/FileList.h"
#include "skin/parseColour.h"

namespace {

const int NAVIGATION_TARGETS = 4;
const int IMAGE_DEPTH = 15;

// Argument counts each type needs before it draws anything.
const int IMAGE_POSITION_ARGS = 2;
const int TEXT_ARGS = 5;
const int RECT_ARGS = 5;
const int SELECTOR_ARGS = 4;

int intArg(const WString::Array& args, int index)
{
    return args.at(index).toInt();
}

// target = the action "select" slot, storage as if a two-word array were assigned.
// target = the words select and slot, taking slot's text over when slotToTake is given.
void setSelectAction(WString::Array& target, const WString& slot, WString* slotToTake)
{
    static const char SELECT[] = "select";
    target.resize(2);
    target.at(0).assignBytes(SELECT, sizeof(SELECT) - 1);
    if (slotToTake)
        target.at(1) = std::move(*slotToTake);
    else
        target.at(1) = slot;
}

// target = values, taking the texts over when takeFrom allows it.
void setWords(WString::Array& target, const WString::Array& values, WString::Array* takeFrom)
{
    if (takeFrom)
        target.assignTaking(*takeFrom);
    else
        target = values;
}

} // namespace

Button::Button() : m_list(nullptr), m_image(nullptr), m_imageAlt(nullptr), m_prepared(0) {}

Button::~Button()
{
    delete m_list;
}

int Button::parseStatement(const WString& key, const WString::Array& values)
{
    const int taken = takeStatement(key, values, nullptr);
    if (SkinObserver* observer = SkinObserver::observer())
        noteStatement(*observer, key, values, taken);
    return taken;
}

int Button::parseStatement(const WString& key, WString::Array&& values)
{
    // The observer reads the values after the statement is taken, so they keep theirs.
    SkinObserver* observer = SkinObserver::observer();
    const int taken = takeStatement(key, values, observer ? nullptr : &values);
    if (observer)
        noteStatement(*observer, key, values, taken);
    return taken;
}

void Button::noteStatement(SkinObserver& observer, const WString& key,
                           const WString::Array& values, int taken) const
{
    if (!taken) {
        observer.report("unknown keyword \"%s\" in a button (page %d, slot %d)", key.printable(),
                           observer.page(), observer.slot());
        return;
    }
    if (key == "NAVIGATION") {
        const char* directions[NAVIGATION_TARGETS] = {"LEFT", "RIGHT", "UP", "DOWN"};
        const char* const NAVIGATION_NAMES[NAVIGATION_TARGETS] = {"left", "right", "up", "down"};
        // Tells a direction set here from one set by its own statement.
        observer.noteField("NAVIGATION");
        for (int i = 0; i < NAVIGATION_TARGETS && i < values.count(); i++) {
            observer.noteField(directions[i]);
            if (values.at(i).length() == 0)
                observer.report("NAVIGATION value %d (%s) is empty and reads as slot 0: give "
                                "a slot, or set the other directions alone with %s=select,N",
                                i + 1, NAVIGATION_NAMES[i], i == 0 ? "RIGHT" : "LEFT");
        }
        if (values.count() > NAVIGATION_TARGETS)
            observer.report("NAVIGATION takes at most 4 slots (left, right, up, down), "
                               "not %d: the ones after the fourth are ignored",
                               values.count());
    } else if (key == "OPTIONS") {
        observer.noteField(std::string("OPTIONS ") + values.at(0).printable());
    } else {
        observer.noteField(key.printable());
    }
}

int Button::takeStatement(const WString& key, const WString::Array& values, WString::Array* takeFrom)
{
    if (key == "TYPE") {
        const int count = values.count();
        if (count < 1)
            return 0;
        if (takeFrom)
            m_type = std::move(takeFrom->at(0));
        else
            m_type = values.at(0);
        m_typeArgs.resize(count - 1);
        for (int i = 1; i < count; i++) {
            if (takeFrom)
                m_typeArgs.at(i - 1) = std::move(takeFrom->at(i));
            else
                m_typeArgs.at(i - 1) = values.at(i);
        }
    } else if (key == "NAVIGATION") {
        WString::Array* targets[NAVIGATION_TARGETS] = {&m_onLeft, &m_onRight, &m_onUp, &m_onDown};
        for (int i = 0; i < NAVIGATION_TARGETS && i < values.count(); i++)
            setSelectAction(*targets[i], values.at(i), takeFrom ? &takeFrom->at(i) : nullptr);
    } else if (key == "LEFT") {
        setWords(m_onLeft, values, takeFrom);
    } else if (key == "RIGHT") {
        setWords(m_onRight, values, takeFrom);
    } else if (key == "UP") {
        setWords(m_onUp, values, takeFrom);
    } else if (key == "DOWN") {
        setWords(m_onDown, values, takeFrom);
    } else if (key == "ACTION") {
        setWords(m_onAction, values, takeFrom);
    } else if (key == "OPTIONS") {
        if (values.count() < 1)
            return 0;
        WString::Array rest(values);
        rest.removeRange(0, 1);
        m_options.set(values.at(0).printable(), rest);
    } else {
        return 0;
    }
    return 1;
}

void Button::handleInput(WString::Array& action, NavCode& nav, Config::InsertedMarks* inserted)
{
    if (m_list && (nav == NAV_UP || nav == NAV_DOWN || nav == NAV_ACTIVATE || nav == NAV_PAGE_UP ||
                   nav == NAV_PAGE_DOWN))
        m_list->handleInput(action, nav, inserted);
    const WString::Array* words = nullptr;
    switch (nav) {
    case NAV_LEFT: words = &m_onLeft; break;
    case NAV_RIGHT: words = &m_onRight; break;
    case NAV_UP: words = &m_onUp; break;
    case NAV_DOWN: words = &m_onDown; break;
    case NAV_ACTIVATE: words = &m_onAction; break;
    default: return;
    }
    action = *words;
    nav = NAV_NONE;
}

void Button::prepare()
{
    if (m_prepared)
        return;
    const int argCount = m_typeArgs.count();
    if (m_type == "image") {
        if (argCount > 2)
            m_image = gImageCache.get(m_typeArgs.at(2).printable(), IMAGE_DEPTH, true);
        if (argCount > 3)
            m_imageAlt = gImageCache.get(m_typeArgs.at(3).printable(), IMAGE_DEPTH, true);
    } else if (m_type == "selector" && argCount >= SELECTOR_ARGS && !m_list) {
        m_list = new FileList(intArg(m_typeArgs, 0), intArg(m_typeArgs, 1), intArg(m_typeArgs, 2),
                              intArg(m_typeArgs, 3), m_options);
    }
    m_prepared = 1;
}

void Button::releaseImages()
{
    m_image = nullptr;
    m_imageAlt = nullptr;
    m_prepared = 0;
}

void Button::draw(bool isSelected)
{
    prepare();
    const int argCount = m_typeArgs.count();
    if (m_type == "image") {
        if (argCount < IMAGE_POSITION_ARGS)
            return;
        // With two pictures the first is the selected look; a single picture shows in both states.
        DLImage* shown = nullptr;
        if (m_image && (isSelected || !m_imageAlt))
            shown = m_image;
        else if (!isSelected && m_imageAlt)
            shown = m_imageAlt;
        if (shown)
            shown->blitAlpha(intArg(m_typeArgs, 0), intArg(m_typeArgs, 1));
    } else if (m_type == "text") {
        if (argCount < TEXT_ARGS)
            return;
        gFont.setColour(parseColour(m_typeArgs.at(isSelected ? 3 : 2)));
        char level[16];
        Battery::format(gBattery.read(), level);
        const WString text = m_typeArgs.at(4).replace("%battery%", level);
        gFont.drawText(intArg(m_typeArgs, 0), intArg(m_typeArgs, 1), text.printable());
    } else if (m_type == "rect") {
        if (argCount < RECT_ARGS)
            return;
        const int left = intArg(m_typeArgs, 0), top = intArg(m_typeArgs, 1);
        const int right = intArg(m_typeArgs, 2), bottom = intArg(m_typeArgs, 3);
        // Rectangles are not clipped: one reaching off the screen is skipped whole.
        if (left > right || top > bottom || left < 0 || top < 0 || right >= Video::WIDTH ||
            bottom >= Video::HEIGHT)
            return;
        const uint16_t pixel = parseColour(m_typeArgs.at(4));
        for (int y = top; y <= bottom; y++) {
            uint16_t* row = Video::screen + y * Video::WIDTH;
            for (int x = left; x <= right; x++)
                row[x] = pixel;
        }
    } else if (m_list) {
        m_list->draw(isSelected);
    }
}
