// One page element: its statements, in one table, and its navigation actions; its type draws it.
#include "skin/Button.h"

#include <utility>

#include "skin/FileList.h"

namespace {

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

// The row of STATEMENTS whose key is key, or null, tried row by row. The rows are constants, so
// each comparison is one with a known key, as if written out by hand: every statement of a skin
// is looked up here.
template <size_t... Row>
const Button::Statement* rowOf(const WString& key, std::index_sequence<Row...>)
{
    const Button::Statement* found = nullptr;
    (void)((key == Button::STATEMENTS[Row].key && (found = &Button::STATEMENTS[Row])) || ...);
    return found;
}

} // namespace

const Button::Statement* Button::statement(const WString& key)
{
    return rowOf(key, std::make_index_sequence<STATEMENT_COUNT>());
}

const char* Button::actionKey(int action)
{
    for (const Statement& row : STATEMENTS) {
        if (row.effect == SETS_ACTION && row.action == action)
            return row.key;
    }
    return "";
}

Button::Button() : m_prepared(0) {}

Button::~Button() = default;

int Button::parseStatement(const WString& key, const WString::Array& values)
{
    return takeStatement(key, values, nullptr);
}

int Button::parseStatement(const WString& key, WString::Array&& values)
{
    return takeStatement(key, values, &values);
}

int Button::takeStatement(const WString& key, const WString::Array& values, WString::Array* takeFrom)
{
    const Statement* row = statement(key);
    return row ? take(*row, values, takeFrom) : 0;
}

inline int Button::take(const Statement& row, const WString::Array& values, WString::Array* takeFrom)
{
    const int count = values.count();
    if (count < row.minValues)
        return 0;
    switch (row.effect) {
    case SETS_TYPE:
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
        break;
    case SETS_SELECT_TARGETS:
        for (int i = 0; i < SELECT_TARGETS && i < count; i++)
            setSelectAction(m_actions[i], values.at(i), takeFrom ? &takeFrom->at(i) : nullptr);
        break;
    case SETS_ACTION:
        setWords(m_actions[row.action], values, takeFrom);
        break;
    case SETS_OPTION: {
        WString::Array rest(values);
        rest.removeRange(0, 1);
        m_options.set(values.at(0).printable(), rest);
        break;
    }
    }
    return 1;
}

void Button::handleInput(WString::Array& action, NavCode& nav, Config::InsertedMarks* inserted)
{
    FileList* list = m_drawables.list.get();
    if (list && (nav == NAV_UP || nav == NAV_DOWN || nav == NAV_ACTIVATE || nav == NAV_PAGE_UP ||
                   nav == NAV_PAGE_DOWN))
        list->handleInput(action, nav, inserted);
    int which;
    switch (nav) {
    case NAV_LEFT: which = ON_LEFT; break;
    case NAV_RIGHT: which = ON_RIGHT; break;
    case NAV_UP: which = ON_UP; break;
    case NAV_DOWN: which = ON_DOWN; break;
    case NAV_ACTIVATE: which = ON_ACTIVATE; break;
    default: return;
    }
    action = m_actions[which];
    nav = NAV_NONE;
}

void Button::prepare()
{
    if (m_prepared)
        return;
    const ButtonType* type = drawnKind();
    if (type && type->prepare)
        type->prepare(m_typeArgs, m_options, m_drawables);
    m_prepared = 1;
}

void Button::releaseImages()
{
    m_drawables.picture = nullptr;
    m_drawables.otherPicture = nullptr;
    m_prepared = 0;
}

void Button::draw(bool isSelected)
{
    prepare();
    if (const ButtonType* type = drawnKind())
        type->draw(m_typeArgs, m_drawables, isSelected);
}
