// Reads a statement file whole and cuts it into lines in one linear pass.
#include "config/InputFile.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

ssize_t (*gReadAtHook)(int fd, void* buffer, size_t count, off_t offset) = nullptr;

FILE* openRegularFile(const char* path)
{
    if (!path)
        return nullptr;
    // O_NONBLOCK keeps open() itself from waiting for a FIFO's writer; it is harmless on a
    // regular file, where reads never block.
    int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return nullptr;
    }
    FILE* stream = fdopen(fd, "rb");
    if (!stream)
        ::close(fd);
    return stream;
}

InputFile::InputFile() : m_stream(nullptr), m_failed(false) {}

InputFile::~InputFile()
{
    close();
}

bool InputFile::open(const char* path)
{
    close();
    m_failed = false;
    // Binary mode: line ends are handled by readLines, never by the C library.
    m_stream = openRegularFile(path);
    return m_stream != nullptr;
}

WString::Array InputFile::readLines()
{
    WString::Array lines;
    ContentBlock content = readContent();
    if (!content)
        return lines;
    // Every line feed ends a line; the piece after the last one is a line too, even when empty.
    char* lineStart = content.get();
    for (char* end; (end = strchr(lineStart, '\n')); lineStart = end + 1) {
        *end = '\0';
        lines.append(WString(lineStart));
    }
    lines.append(WString(lineStart));
    return lines;
}

ContentBlock InputFile::readContent()
{
    if (!m_stream)
        return nullptr;
    // Only a regular file has a size worth trusting; a directory reports a huge end offset.
    // The whole file is read from its start in as few calls as the system allows, past the
    // stream's small buffer.
    const int fd = fileno(m_stream);
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        m_failed = true;
        return nullptr;
    }
    const size_t size = static_cast<size_t>(info.st_size);
    if (size == 0)
        return nullptr;
    ContentBlock content(static_cast<char*>(malloc(size + 1)));
    if (!content) {
        m_failed = true;
        return nullptr;
    }
    char* buffer = content.get();
    // A short read would hand out a truncated file as if it were whole.
    size_t got = 0;
    while (got < size) {
        const off_t offset = static_cast<off_t>(got);
        ssize_t n = gReadAtHook ? gReadAtHook(fd, buffer + got, size - got, offset)
                                : pread(fd, buffer + got, size - got, offset);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            m_failed = true;
            return nullptr;
        }
        got += static_cast<size_t>(n);
    }
    buffer[size] = '\0';

    // Drop every carriage return in place; the content ends at the first zero byte.
    size_t length = strcspn(buffer, "\r");
    for (size_t i = length; buffer[i] != '\0'; i++) {
        if (buffer[i] != '\r')
            buffer[length++] = buffer[i];
    }
    buffer[length] = '\0';
    return content;
}

void InputFile::close()
{
    if (m_stream) {
        fclose(m_stream);
        m_stream = nullptr;
    }
}
