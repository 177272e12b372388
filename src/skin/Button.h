// One element of a page: image, text, rectangle or directory list, with its navigation actions.
#pragma once

#include "config/Config.h"
#include "platform/ButtonMask.h"
#include "text/WString.h"

class DLImage;
class FileList;
class SkinObserver;

class Button {
public:
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

    FileList* list() const { return m_list; }
    // The pictures of an image button once drawn: the first (selected) and the second, or null.
    const DLImage* image() const { return m_image; }
    const DLImage* imageAlt() const { return m_imageAlt; }
    const WString& type() const { return m_type; }
    const WString::Array& typeArgs() const { return m_typeArgs; }
    const WString::Array& onAction() const { return m_onAction; }
    const WString::Array& onLeft() const { return m_onLeft; }
    const WString::Array& onRight() const { return m_onRight; }
    const WString::Array& onUp() const { return m_onUp; }
    const WString::Array& onDown() const { return m_onDown; }
    Config& options() { return m_options; }

private:
    // takeFrom is null, or values itself when its texts may be handed over.
    int takeStatement(const WString& key, const WString::Array& values, WString::Array* takeFrom);
    void noteStatement(SkinObserver& observer, const WString& key,
                       const WString::Array& values, int taken) const;

    WString m_type;
    WString::Array m_typeArgs;
    WString::Array m_onAction;
    WString::Array m_onLeft;
    WString::Array m_onRight;
    WString::Array m_onUp;
    WString::Array m_onDown;
    FileList* m_list;
    Config m_options;
    DLImage* m_image;
    DLImage* m_imageAlt;
    int m_prepared;
};
