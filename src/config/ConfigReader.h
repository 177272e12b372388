// Hands out the KEY=value,value statements of a statement file one at a time.
#pragma once

#include "config/InputFile.h"
#include "text/WString.h"

class ConfigReader {
public:
    ConfigReader();
    explicit ConfigReader(const char* path);
    ConfigReader(const ConfigReader&) = delete;
    ConfigReader& operator=(const ConfigReader&) = delete;

    void open(const char* path);
    bool isOpen() const { return m_open != 0; }
    // Fills key (upper case) and values with the next statement; false when none is left.
    bool next(WString& key, WString::Array& values);
    // Splits one trimmed line; false when it is no statement.
    static bool parseLine(const WString& line, WString& key, WString::Array& values);
    // A test's stand-in for the file's reads (see InputFile::setReadAt).
    void setReadAt(InputFile::ReadAt readAt) { m_file.setReadAt(readAt); }
    // 1-based line number of the statement last delivered by next(); 0 before the first.
    int lineNumber() const { return m_lastLine; }

private:
    // parseLine on the line from begin to end, which it may overwrite.
    static bool parseRange(char* begin, char* end, WString& key, WString::Array& values);
    // Says that the current line, or the file after it, cannot be read.
    void reportLineTooLong() const;
    void reportReadFailure() const;

    unsigned m_open;
    // Read a line at a time while next() is called; closed once it has given its last line.
    InputFile m_file;
    WString m_path;
    int m_lineCount;
    int m_lastLine;
};
