// Directory browser of a "selector" button: a window of lines around a centred cursor.
#pragma once

#include <cstdint>

#include "config/Config.h"
#include "platform/ButtonMask.h"
#include "text/WString.h"

class FileList {
public:
    enum ListType { ALL = 0, DIRECTORIES = 1, FILES = 2 };

    FileList(int left, int top, int right, int bottom, Config& options);
    FileList(const FileList&) = delete;
    FileList& operator=(const FileList&) = delete;

    // inserted, when given, receives the marks of the words that carry the inserted directory.
    void handleInput(WString::Array& action, NavCode& nav, Config::InsertedMarks* inserted = nullptr);
    void draw(bool isSelected);
    WString currentEntry() const;
    WString currentDirectory() const;
    void changeDir(const WString& name);

    // The listing and its order (see DirectoryScan).
    static void scan(const WString& directory, const WString::Array& endings, WString::Array& into,
                     int type);
    static int compareEntries(const void* a, const void* b);
    // Reads cwd's Trevandel.dat into the given fields, each only where the file sets it;
    // false (nothing changed) when there is no such file.
    static bool readDat(const WString& cwd, WString& directory, WString::Array& action,
                        WString::Array& speed, WString::Array& filters);

    int cursor() const { return m_cursor; }
    int rows() const { return m_rows; }
    const WString::Array& entries() const { return m_entries; }
    const WString& cwd() const { return m_cwd; }
    const WString::Array& datAction() const { return m_datAction; }
    const WString& datDirectory() const { return m_datDirectory; }
    const WString::Array& datSpeed() const { return m_datSpeed; }
    int listType() const { return m_listType; }
    uint16_t colour() const { return m_colour; }
    uint16_t cursorColour() const { return m_cursorColour; }
    uint16_t cursorIdleColour() const { return m_cursorIdleColour; }

private:
    void goUp();
    // Both listed and searched: the scan reads every entry's status.
    static bool canEnter(const WString& directory);

    int m_left;
    int m_top;
    int m_right;
    int m_bottom;
    uint16_t m_colour;
    uint16_t m_cursorColour;
    uint16_t m_cursorIdleColour;
    int m_cursor;
    WString::Array m_entries;
    int m_rows;
    WString::Array m_filters;
    int m_listType;
    WString m_cwd;
    WString::Array m_datAction;
    WString m_datDirectory;
    WString::Array m_datSpeed;
};
