// One element of a page: image, text, rectangle or directory list, with its navigation actions.
#pragma once

#include "config/Config.h"
#include "platform/ButtonMask.h"
#include "skin/ButtonType.h"
#include "text/WString.h"

class DLImage;
class FileList;

class Button {
public:
    // The words a button runs, one list for each stick direction and one for B, in this order
    // wherever they are gone through.
    enum Action { ON_LEFT, ON_RIGHT, ON_UP, ON_DOWN, ON_ACTIVATE, ACTION_COUNT };
    // NAVIGATION sets the first four, from its first value on.
    static const int SELECT_TARGETS = 4;

    // What the values of a button statement set.
    enum Effect { SETS_TYPE, SETS_SELECT_TARGETS, SETS_ACTION, SETS_OPTION };
    // One statement a button takes: TYPE, NAVIGATION, LEFT, RIGHT, UP, DOWN, ACTION, OPTIONS.
    struct Statement {
        const char* key;
        Effect effect;
        // The action it sets, for SETS_ACTION.
        int action;
        // With fewer values it is not taken.
        int minValues;
    };
    // Every statement a button takes; what the checker learns of one is read from here too.
    static constexpr Statement STATEMENTS[] = {
        {"TYPE", SETS_TYPE, -1, 1},
        {"NAVIGATION", SETS_SELECT_TARGETS, -1, 0},
        {"LEFT", SETS_ACTION, ON_LEFT, 0},
        {"RIGHT", SETS_ACTION, ON_RIGHT, 0},
        {"UP", SETS_ACTION, ON_UP, 0},
        {"DOWN", SETS_ACTION, ON_DOWN, 0},
        {"ACTION", SETS_ACTION, ON_ACTIVATE, 0},
        {"OPTIONS", SETS_OPTION, -1, 1},
    };
    static constexpr int STATEMENT_COUNT = sizeof(STATEMENTS) / sizeof(STATEMENTS[0]);
    // The row of key; null for a key no button takes.
    static const Statement* statement(const WString& key);
    // The key of the statement that sets action alone ("LEFT" for ON_LEFT).
    static const char* actionKey(int action);

    Button();
    ~Button();
    Button(const Button&) = delete;
    Button& operator=(const Button&) = delete;

    int parseStatement(const WString& key, const WString::Array& values);
    // The same, but the values' texts may be handed over instead of copied; values keeps its
    // count and may be left with absent items.
    int parseStatement(const WString& key, WString::Array&& values);
    // inserted, when given, receives the marks of text a directory list put into the action.
    void handleInput(WString::Array& action, NavCode& nav, Config::InsertedMarks* inserted = nullptr);
    void draw(bool isSelected);
    void prepare();
    // Forgets the pictures (the image cache is about to be emptied); the next draw loads them
    // again. The list keeps its folder and cursor.
    void releaseImages();

    FileList* list() const { return m_drawables.list.get(); }
    // The pictures of an image button once drawn: the first (selected) and the second, or null.
    const DLImage* image() const { return m_drawables.picture; }
    const DLImage* imageAlt() const { return m_drawables.otherPicture; }
    // The picture an image button shows, selected or not, of those loaded.
    const DLImage* shownImage(bool selected) const
    {
        return ButtonType::shownPicture(m_drawables.picture, m_drawables.otherPicture, selected);
    }
    const WString& type() const { return m_type; }
    const WString::Array& typeArgs() const { return m_typeArgs; }
    // The row of its TYPE; null when the skin gave none or an unknown one.
    const ButtonType* kind() const { return ButtonType::named(m_type); }
    // The same, but only when the values are enough for it to draw.
    const ButtonType* drawnKind() const
    {
        const ButtonType* type = kind();
        return type && type->drawsWith(m_typeArgs) ? type : nullptr;
    }
    const WString::Array& action(int which) const { return m_actions[which]; }
    const WString::Array& onAction() const { return m_actions[ON_ACTIVATE]; }
    const WString::Array& onLeft() const { return m_actions[ON_LEFT]; }
    const WString::Array& onRight() const { return m_actions[ON_RIGHT]; }
    const WString::Array& onUp() const { return m_actions[ON_UP]; }
    const WString::Array& onDown() const { return m_actions[ON_DOWN]; }
    Config& options() { return m_options; }

private:
    // takeFrom is null, or values itself when its texts may be handed over.
    int takeStatement(const WString& key, const WString::Array& values, WString::Array* takeFrom);
    // What row does with values; 0 when it does not take them.
    int take(const Statement& row, const WString::Array& values, WString::Array* takeFrom);

    WString m_type;
    WString::Array m_typeArgs;
    WString::Array m_actions[ACTION_COUNT];
    Config m_options;
    ButtonType::Drawables m_drawables;
    int m_prepared;
};
