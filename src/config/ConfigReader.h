// Hands out the KEY=value,value statements of a statement file one at a time.
#pragma once

#include "config/InputFile.h"
#include "text/WString.h"

class ConfigReader {
public:
    ConfigReader();
    explicit ConfigReader(const char* path);

    void open(const char* path);
    bool isOpen() const { return m_open != 0; }
    // Fills key (upper case) and values with the next statement; false when none is left.
    bool next(WString& key, WString::Array& values);
    // Splits one trimmed line; false when it is no statement.
    static bool parseLine(const WString& line, WString& key, WString::Array& values);
    // 1-based line number of the statement last delivered by next(); 0 before the first.
    int lineNumber() const { return m_lastLine; }

private:
    // parseLine on the line from begin to end, which it may overwrite.
    static bool parseRange(char* begin, char* end, WString& key, WString::Array& values);

    unsigned m_open;
    // The file's content; lines are cut from it as next() reaches them.
    ContentBlock m_content;
    // Start of the next line to examine, null when every line has been examined.
    char* m_cursor;
    int m_lineCount;
    int m_lastLine;
};
