// Owner of one file opened for reading; reads it whole into lines.
#pragma once

#include <cstdio>

#include "text/WString.h"

class InputFile {
public:
    InputFile();
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    bool open(const char* path);
    // Whole content up to the first zero byte, carriage returns deleted, split at every line feed.
    WString::Array readLines();
    void close();
    // True when the last readLines could not read the whole file (it then gave no lines).
    bool readFailed() const { return m_failed; }

private:
    FILE* m_stream;
    bool m_failed;
};
