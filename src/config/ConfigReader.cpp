// Splits statement lines into an upper-cased key and comma-separated, optionally quoted values.
#include "config/ConfigReader.h"

#include <cstdlib>
#include <cstring>

#include "config/InputFile.h"

ConfigReader::ConfigReader() : m_open(0), m_position(0), m_lastLine(0) {}

ConfigReader::ConfigReader(const char* path) : ConfigReader()
{
    open(path);
}

void ConfigReader::open(const char* path)
{
    m_lines.resize(0);
    m_position = 0;
    m_lastLine = 0;
    m_open = 0;
    InputFile file;
    if (!file.open(path))
        return;
    m_open = 1;
    m_lines = file.readLines();
    file.close();
}

bool ConfigReader::next(WString& key, WString::Array& values)
{
    while (m_position < m_lines.count()) {
        WString& line = m_lines.at(m_position);
        line.trim();
        bool comment = line.length() >= 2 && line.at(0) == '/' && line.at(1) == '/';
        if (!comment && line.length() > 0 && parseLine(line, key, values)) {
            m_position++;
            m_lastLine = m_position;
            return true;
        }
        m_position++;
    }
    return false;
}

bool ConfigReader::parseLine(const WString& line, WString& key, WString::Array& values)
{
    values.resize(0);
    int equals = line.findChar('=');
    if (equals <= 0)
        return false;
    key = line.left(equals);
    key.toUpper();

    // Values are collected in a scratch copy of the value part; quotes are dropped as we go.
    const char* rest = line.text() + equals + 1;
    size_t restLength = strlen(rest);
    char* scratch = static_cast<char*>(malloc(restLength + 1));
    if (!scratch) {
        values.append(WString());
        return true;
    }
    bool quoted = false;
    bool first = true;
    size_t start = 0;
    size_t end = 0;
    for (size_t i = 0; i < restLength; i++) {
        char c = rest[i];
        if (c == '"') {
            quoted = !quoted;
        } else if (c == ',' && !quoted) {
            scratch[end] = '\0';
            // Only an empty first value stays absent; later empty values are present.
            values.append(first && end == start ? WString() : WString(scratch + start));
            first = false;
            end++;
            start = end;
        } else {
            scratch[end++] = c;
        }
    }
    scratch[end] = '\0';
    values.append(first && end == start ? WString() : WString(scratch + start));
    free(scratch);
    return true;
}
