// Reads a statement file whole and cuts it into lines in one linear pass.
#include "config/InputFile.h"

#include <cstring>

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
    struct stat info;
    if (fstat(fileno(m_stream), &info) != 0 || !S_ISREG(info.st_mode) ||
        fseek(m_stream, 0, SEEK_END) != 0) {
        m_failed = true;
        return nullptr;
    }
    long size = ftell(m_stream);
    if (size <= 0) {
        m_failed = size < 0;
        return nullptr;
    }
    ContentBlock content(static_cast<char*>(malloc(static_cast<size_t>(size) + 1)));
    if (!content) {
        m_failed = true;
        return nullptr;
    }
    char* buffer = content.get();
    // A short read would hand out a truncated file as if it were whole.
    if (fseek(m_stream, 0, SEEK_SET) != 0 ||
        fread(buffer, 1, static_cast<size_t>(size), m_stream) != static_cast<size_t>(size)) {
        m_failed = true;
        return nullptr;
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
