// The hook through which the skin, Trevandel.dat, configuration and image readers tell a checker
// what became of what they read: each fact once, as a small value that the checker words.
#pragma once

#include "text/WString.h"

class SkinObserver {
public:
    // What became of a statement, a line of a statement file or an image file. Only the fields
    // its kind names are set.
    struct Fate {
        enum Kind {
            // path starts with a UTF-8 byte-order mark, read past from here on.
            BYTE_ORDER_MARK,
            // Line line of path is too long to be held, and is skipped.
            LINE_TOO_LONG,
            // path could not be read after line line (0: not at all); the rest of it is missing.
            READ_FAILED,

            // The rest are of the current statement. A reference in its values is left as
            // written: expanding it would make a value, or all the skin's references, too long.
            EXPANSION_REFUSED,
            // PAGE=index opens that page of the table.
            PAGE_OPENED,
            // PAGE=text lies outside the table: what follows is dropped until the next PAGE.
            PAGE_OUT_OF_RANGE,
            STARTPAGE_TAKEN,
            // STARTPAGE=text lies outside the table and is ignored.
            STARTPAGE_OUT_OF_RANGE,
            VARIABLE_TAKEN,
            // key with values goes to page index, for the page or its button.
            TO_PAGE,
            // The same for a PAGE, STARTPAGE or VARIABLE with a count of values none of them takes.
            STARTUP_KEYWORD_TO_PAGE,
            // key with values is dropped: no page is being filled.
            DROPPED_BEFORE_PAGE,
            // The same for a PAGE, STARTPAGE or VARIABLE with a count none of them takes.
            STARTUP_KEYWORD_DROPPED,
            // key (BACKGROUND or RETURN) is taken by the page being filled.
            PAGE_STATEMENT_TAKEN,
            // BUTTON=index opens that slot of the page.
            BUTTON_OPENED,
            // BUTTON=text lies outside the page's slots: what follows is dropped until the next
            // BUTTON.
            BUTTON_OUT_OF_RANGE,
            // key is dropped: no slot of the page is being filled.
            DROPPED_BEFORE_BUTTON,
            // key with values is taken by the button in slot index (see Button::STATEMENTS).
            BUTTON_STATEMENT_TAKEN,
            // key, sent to the button in slot index, is no button statement.
            NOT_A_BUTTON_STATEMENT,
            // key with values of a Trevandel.dat is taken by the list.
            DAT_STATEMENT_TAKEN,
            NOT_A_DAT_STATEMENT,

            // Why the image decoder refused the last file: path could not be opened as a file,
            IMAGE_NOT_OPENED,
            // it is no PNG file,
            IMAGE_NOT_PNG,
            // its header gives width x height, more than limit pixels,
            IMAGE_TOO_LARGE,
            // it would take bytes decoded (width x height), more than the limit left,
            IMAGE_OVER_BUDGET,
            // or the decoder stopped, saying text.
            IMAGE_DECODER_ERROR,
        };

        explicit Fate(Kind kind) : kind(kind) {}
        static Fate inFile(Kind kind, const char* path, int line)
        {
            Fate fate(kind);
            fate.path = path;
            fate.line = line;
            return fate;
        }
        static Fate ofStatement(Kind kind, const WString& key, const WString::Array& values, int index)
        {
            Fate fate(kind);
            fate.key = &key;
            fate.values = &values;
            fate.index = index;
            return fate;
        }
        static Fate written(Kind kind, const WString& text)
        {
            Fate fate(kind);
            fate.text = text.printable();
            return fate;
        }

        Kind kind;
        const char* path = nullptr;
        int line = 0;
        const WString* key = nullptr;
        const WString::Array* values = nullptr;
        // A page or slot.
        int index = -1;
        // A value as written, or the decoder's reason.
        const char* text = nullptr;
        unsigned long long width = 0;
        unsigned long long height = 0;
        unsigned long long bytes = 0;
        unsigned long long limit = 0;
    };

    // Null in the launcher: every reader tests this first, so an unattached run does nothing more.
    static SkinObserver* observer() { return s_attached; }
    static void attach(SkinObserver* observer) { s_attached = observer; }

    // A statement of path at line starts; rawValues, when given, are its values before expansion.
    virtual void beginStatement(const char* path, int line, const WString::Array* rawValues) = 0;
    virtual void note(const Fate& fate) = 0;

protected:
    ~SkinObserver() = default;

private:
    static SkinObserver* s_attached;
};
