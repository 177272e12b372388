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

private:
    FILE* m_stream;
};
