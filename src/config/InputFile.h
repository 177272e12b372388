// Owner of one file opened for reading; hands its content out one line at a time.
#pragma once

#include <cstddef>
#include <cstdio>

#include <sys/types.h>

// Opens path for binary reading only when it is a regular file. A FIFO, device or directory
// is refused (null) without blocking, so a hostile name cannot stall the launcher.
FILE* openRegularFile(const char* path);

class InputFile {
public:
    // The longest line handed out. The file is read in blocks, so beyond what its reader keeps,
    // a file of any size costs one block and its longest line: at most 4 MiB and 64 KiB on a
    // handheld of 64 MiB. Real lines are shorter than a kilobyte; the limit is twice the
    // longest a hostile skin is known to carry, and no expanded value may be longer anyway.
    static constexpr size_t MAX_LINE_BYTES = 4 * 1024 * 1024;
    static constexpr size_t BLOCK_BYTES = 64 * 1024;

    // One line, valid until the next call: NUL-terminated, carriage returns deleted, without
    // its line feed. Its bytes may be overwritten by the caller.
    struct Line {
        char* text;
        size_t length;
        // False only for the last piece of the content, which no line feed ends.
        bool endsWithLineFeed;
    };
    enum Status {
        GOT_LINE,
        // A line longer than MAX_LINE_BYTES was passed over, up to and including its line feed.
        LINE_TOO_LONG,
        END,
        // The file could not be read on (an error, or it ended before the size it had when
        // opened); every later call says so again.
        READ_FAILED,
    };

    // Reads count bytes at offset of fd into buffer, as pread does.
    typedef ssize_t (*ReadAt)(int fd, void* buffer, size_t count, off_t offset);

    InputFile();
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    // False for a missing file and for anything that is not a regular file.
    bool open(const char* path);
    // The content ends at the first zero byte; every line feed ends a line, and the piece
    // after the last one is a line too (also when empty), unless the file is empty.
    Status readLine(Line& line);
    void close();
    bool isOpen() const { return m_fd >= 0; }
    // The open file, for locking; -1 when none.
    int descriptor() const { return m_fd; }
    // What reads the file instead of pread (null: pread itself), so a test can make a read
    // come back short or fail; kept across open and close.
    void setReadAt(ReadAt readAt) { m_readAt = readAt; }

private:
    // Reads the next block after the data held; false at the end of the content or on failure.
    bool fill();

    int m_fd;
    ReadAt m_readAt;
    // The size when opened: reading stops short of it only on a failure.
    off_t m_size;
    off_t m_offset;
    // Held data from m_begin to m_end within a block of m_capacity bytes; the first m_scanned
    // bytes of it hold no line feed.
    char* m_buffer;
    size_t m_capacity;
    size_t m_begin;
    size_t m_end;
    size_t m_scanned;
    // The file has given its last byte, or a zero byte ended the content.
    bool m_atEnd;
    bool m_failed;
    // The piece after the last line feed has been handed out.
    bool m_done;
    // Whether the file gave any byte; an empty file has no line at all.
    bool m_anyByte;
};
