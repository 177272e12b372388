// Hands out the KEY=value,value statements of a statement file one at a time.
#pragma once

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
    unsigned m_open;
    WString::Array m_lines;
    int m_position;
    int m_lastLine;
};
