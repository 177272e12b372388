// Reads a statement file whole and cuts it into lines in one linear pass.
#include "config/InputFile.h"

#include <cstdlib>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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
    if (!m_stream)
        return lines;
    // Only a regular file has a size worth trusting; a directory reports a huge end offset.
    struct stat info;
    if (fstat(fileno(m_stream), &info) != 0 || !S_ISREG(info.st_mode) ||
        fseek(m_stream, 0, SEEK_END) != 0) {
        m_failed = true;
        return lines;
    }
    long size = ftell(m_stream);
    if (size <= 0) {
        m_failed = size < 0;
        return lines;
    }
    char* buffer = static_cast<char*>(malloc(static_cast<size_t>(size) + 1));
    if (!buffer) {
        m_failed = true;
        return lines;
    }
    // A short read would hand out a truncated file as if it were whole.
    if (fseek(m_stream, 0, SEEK_SET) != 0 ||
        fread(buffer, 1, static_cast<size_t>(size), m_stream) != static_cast<size_t>(size)) {
        free(buffer);
        m_failed = true;
        return lines;
    }
    buffer[size] = '\0';

    // Drop every carriage return in place; the content ends at the first zero byte.
    size_t length = 0;
    for (size_t i = 0; buffer[i] != '\0'; i++) {
        if (buffer[i] != '\r')
            buffer[length++] = buffer[i];
    }
    buffer[length] = '\0';

    // Every line feed ends a line; the piece after the last one is a line too, even when empty.
    char* lineStart = buffer;
    for (size_t i = 0; i < length; i++) {
        if (buffer[i] == '\n') {
            buffer[i] = '\0';
            lines.append(WString(lineStart));
            lineStart = buffer + i + 1;
        }
    }
    lines.append(WString(lineStart));
    free(buffer);
    return lines;
}

void InputFile::close()
{
    if (m_stream) {
        fclose(m_stream);
        m_stream = nullptr;
    }
}
