// Owner of one file opened for reading; reads it whole into lines.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <memory>

#include <sys/types.h>

#include "text/WString.h"

// Test hook, null in the product: stands in for pread when the whole file is read, so a test
// can make the read come back short or fail.
extern ssize_t (*gReadAtHook)(int fd, void* buffer, size_t count, off_t offset);

// Opens path for binary reading only when it is a regular file. A FIFO, device or directory
// is refused (null) without blocking, so a hostile name cannot stall the launcher.
FILE* openRegularFile(const char* path);

// A file's content as read whole, released with free.
struct FreeContent {
    void operator()(char* block) const { free(block); }
};
typedef std::unique_ptr<char, FreeContent> ContentBlock;

class InputFile {
public:
    InputFile();
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    // False for a missing file and for anything that is not a regular file.
    bool open(const char* path);
    // Whole content up to the first zero byte, carriage returns deleted, split at every line feed.
    WString::Array readLines();
    // The same content as one NUL-terminated malloc block, or null when readLines would give no
    // lines (an empty or unreadable file).
    ContentBlock readContent();
    void close();
    // True when the last read could not read the whole file (it then gave no lines).
    bool readFailed() const { return m_failed; }

private:
    FILE* m_stream;
    bool m_failed;
};
