// What each TYPE of button is, in one row: its name, the values it takes, how it draws and where.
#pragma once

#include <memory>

#include "config/Config.h"
#include "skin/Area.h"
#include "text/WString.h"

class DLImage;
class FileList;

class ButtonType {
public:
    // What a button of the type puts on the screen.
    enum Drawing { PICTURE, TEXT, FILL, LIST };

    // What a button draws with, made at its first draw: the pictures of a picture button (they
    // go when the image cache is emptied), the directory list of a list (it lasts).
    struct Drawables {
        DLImage* picture = nullptr;
        DLImage* otherPicture = nullptr;
        std::unique_ptr<FileList> list;
    };

    // The word after TYPE=.
    const char* name;
    Drawing drawing;
    // The values after the type word: with fewer than minValues the button draws nothing; those
    // after maxValues are never read.
    int minValues;
    int maxValues;
    // The value naming its first picture, the other picture in the one after it; -1 for none.
    int firstPicture;
    // Where the button draws as the skin places it, whether on the screen or not: for a picture
    // button, a picture of the given size; for a text, the text at its widest.
    Area (*placed)(const WString::Array& values, int pictureWidth, int pictureHeight);
    // The pixels it paints of the screen: placed within the screen, except that a rectangle
    // reaching off the screen paints nothing and a list paints only its whole lines.
    Area (*painted)(const WString::Array& values, int pictureWidth, int pictureHeight);
    // Makes what it draws with (null: it needs nothing).
    void (*prepare)(const WString::Array& values, Config& options, Drawables& drawables);
    void (*draw)(const WString::Array& values, Drawables& drawables, bool selected);

    // Every type, in the order messages list them.
    static const ButtonType TYPES[];
    static const int COUNT;
    // The type of that name; null for any other word.
    static const ButtonType* named(const WString& name);
    // Whether values are enough for the type to draw.
    bool drawsWith(const WString::Array& values) const { return values.count() >= minValues; }

    // Of a picture button's two pictures, the one shown: with both, the first when selected and
    // the second otherwise; a single one in both states.
    static const DLImage* shownPicture(const DLImage* first, const DLImage* second, bool selected);
    // A text button's text as it is at its widest, the battery level at its longest.
    static WString textAtWidest(const WString::Array& values);
};
