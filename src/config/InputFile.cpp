// Reads a statement file block by block and cuts it into lines in one linear pass.
#include "config/InputFile.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A descriptor for reading path when it is a regular file, else -1; info is its status.
int openRegular(const char* path, struct stat& info)
{
    if (!path)
        return -1;
    // O_NONBLOCK keeps open() itself from waiting for a FIFO's writer; it is harmless on a
    // regular file, where reads never block.
    int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return -1;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

} // namespace

FILE* openRegularFile(const char* path)
{
    struct stat info;
    int fd = openRegular(path, info);
    if (fd < 0)
        return nullptr;
    FILE* stream = fdopen(fd, "rb");
    if (!stream)
        ::close(fd);
    return stream;
}

InputFile::InputFile()
    : m_fd(-1), m_readAt(nullptr), m_size(0), m_offset(0), m_buffer(nullptr), m_capacity(0),
      m_begin(0), m_end(0), m_scanned(0), m_atEnd(false), m_failed(false), m_done(false),
      m_anyByte(false)
{
}

InputFile::~InputFile()
{
    close();
}

bool InputFile::open(const char* path)
{
    close();
    struct stat info;
    m_fd = openRegular(path, info);
    if (m_fd < 0)
        return false;
    m_size = info.st_size;
    return true;
}

void InputFile::close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    free(m_buffer);
    m_buffer = nullptr;
    m_capacity = 0;
    m_size = 0;
    m_offset = 0;
    m_begin = m_end = m_scanned = 0;
    m_atEnd = m_failed = m_done = m_anyByte = false;
}

InputFile::Status InputFile::readLine(Line& line)
{
    if (m_failed)
        return READ_FAILED;
    if (m_fd < 0 || m_done)
        return END;
    bool tooLong = false;
    for (;;) {
        char* start = m_buffer ? m_buffer + m_begin : nullptr;
        const size_t held = m_end - m_begin;
        char* feed = held > m_scanned
                         ? static_cast<char*>(memchr(start + m_scanned, '\n', held - m_scanned))
                         : nullptr;
        if (feed) {
            const size_t length = static_cast<size_t>(feed - start);
            m_begin += length + 1;
            m_scanned = 0;
            if (tooLong || length > MAX_LINE_BYTES)
                return LINE_TOO_LONG;
            *feed = '\0';
            line = Line{start, length, true};
            return GOT_LINE;
        }
        m_scanned = held;
        if (held > MAX_LINE_BYTES) {
            // What is held of an overlong line is dropped; the rest of it is passed over.
            tooLong = true;
            m_begin = m_end;
            m_scanned = 0;
        }
        if (!m_atEnd && fill())
            continue;
        if (m_failed)
            return READ_FAILED;
        m_done = true;
        if (tooLong)
            return LINE_TOO_LONG;
        if (!m_anyByte)
            return END;
        // The piece after the last line feed; fill always leaves room for its NUL.
        start = m_buffer + m_begin;
        start[m_end - m_begin] = '\0';
        line = Line{start, m_end - m_begin, false};
        return GOT_LINE;
    }
}

bool InputFile::fill()
{
    // The unfinished line moves to the front, with room behind it for the read and a NUL.
    const size_t held = m_end - m_begin;
    if (m_begin > 0) {
        memmove(m_buffer, m_buffer + m_begin, held);
        m_begin = 0;
        m_end = held;
    }
    // A file smaller than a block needs no whole block: what is left of its size, and a byte
    // more to see whether it has grown. Past that size the reads double with the buffer.
    size_t wanted = BLOCK_BYTES;
    const off_t left = m_size - m_offset;
    if (left < static_cast<off_t>(BLOCK_BYTES))
        wanted = left > 0 ? static_cast<size_t>(left) + 1 : 1;
    const size_t room = m_capacity > m_end + 1 ? m_capacity - m_end - 1 : 0;
    if (room > wanted)
        wanted = room < BLOCK_BYTES ? room : BLOCK_BYTES;
    const size_t needed = held + wanted + 1;
    if (needed > m_capacity) {
        // Doubling keeps the copies of a long line linear; held never exceeds the line limit.
        size_t capacity = 2 * m_capacity;
        if (capacity > MAX_LINE_BYTES + BLOCK_BYTES + 1)
            capacity = MAX_LINE_BYTES + BLOCK_BYTES + 1;
        if (capacity < needed)
            capacity = needed;
        char* grown = static_cast<char*>(realloc(m_buffer, capacity));
        if (!grown) {
            m_failed = true;
            return false;
        }
        m_buffer = grown;
        m_capacity = capacity;
    }

    char* fresh = m_buffer + m_end;
    ssize_t got;
    do {
        got = m_readAt ? m_readAt(m_fd, fresh, wanted, m_offset)
                          : pread(m_fd, fresh, wanted, m_offset);
    } while (got < 0 && errno == EINTR);
    if (got < 0) {
        m_failed = true;
        return false;
    }
    if (got == 0) {
        m_atEnd = true;
        // A file cut short while it is read would otherwise pass for whole.
        if (m_offset < m_size)
            m_failed = true;
        return false;
    }
    m_anyByte = true;
    m_offset += got;
    size_t count = static_cast<size_t>(got);
    // The content ends at its first zero byte.
    if (char* zero = static_cast<char*>(memchr(fresh, '\0', count))) {
        count = static_cast<size_t>(zero - fresh);
        m_atEnd = true;
    }
    // Carriage returns are deleted wherever they stand, so they end no line.
    if (char* out = static_cast<char*>(memchr(fresh, '\r', count))) {
        for (const char* in = out; in < fresh + count; in++) {
            if (*in != '\r')
                *out++ = *in;
        }
        count = static_cast<size_t>(out - fresh);
    }
    m_end += count;
    return true;
}
