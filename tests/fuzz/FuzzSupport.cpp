// Shared pieces of the fuzz targets.
#include "FuzzSupport.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {
std::string gDirectory;

void removeDirectory()
{
    if (gDirectory.empty())
        return;
    std::string command = "rm -rf '" + gDirectory + "'";
    if (system(command.c_str()) != 0)
        fprintf(stderr, "could not remove %s\n", gDirectory.c_str());
}
} // namespace

const std::string& fuzzDirectory()
{
    if (gDirectory.empty()) {
        char pattern[] = "/tmp/trevandel-fuzz-XXXXXX";
        if (!mkdtemp(pattern))
            abort();
        gDirectory = std::string(pattern) + "/";
        atexit(removeDirectory);
    }
    return gDirectory;
}

void writeFile(const std::string& path, const uint8_t* data, size_t size)
{
    FILE* f = fopen(path.c_str(), "wb");
    if (!f)
        abort();
    if (size && fwrite(data, 1, size, f) != size)
        abort();
    fclose(f);
}

void writeFile(const std::string& path, const std::string& text)
{
    writeFile(path, reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

std::string readFile(const std::string& path)
{
    std::string out;
    FILE* f = fopen(path.c_str(), "rb");
    if (!f)
        return out;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, f)) > 0)
        out.append(buffer, n);
    fclose(f);
    return out;
}

void silenceStdout()
{
    fflush(stdout);
    int fd = open("/dev/null", O_WRONLY);
    if (fd >= 0) {
        dup2(fd, STDOUT_FILENO);
        close(fd);
    }
}

std::string FuzzInput::piece()
{
    static const char separator[] = "\n--\n";
    const uint8_t* end = static_cast<const uint8_t*>(memmem(m_data, m_size, separator, 4));
    size_t length = end ? size_t(end - m_data) : m_size;
    std::string out(reinterpret_cast<const char*>(m_data), length);
    size_t used = end ? length + 4 : length;
    m_data += used;
    m_size -= used;
    return out;
}

uint8_t FuzzInput::byte()
{
    if (m_size == 0)
        return 0;
    m_size--;
    return *m_data++;
}
