// Shared pieces of the fuzz targets: a private temporary directory and quiet standard output.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// A directory created once per process under /tmp; removed at exit.
const std::string& fuzzDirectory();
void writeFile(const std::string& path, const uint8_t* data, size_t size);
void writeFile(const std::string& path, const std::string& text);
std::string readFile(const std::string& path);
// Sends the launcher's chatter on stdout to /dev/null so the fuzzer's own output stays readable.
void silenceStdout();

// Splits the input at the first occurrence of a separator byte sequence.
struct FuzzInput {
    FuzzInput(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
    // The next piece up to (not including) the next "\n--\n", or the rest.
    std::string piece();
    bool empty() const { return m_size == 0; }
    uint8_t byte();

private:
    const uint8_t* m_data;
    size_t m_size;
};
