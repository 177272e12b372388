// Splits statement lines into an upper-cased key and comma-separated, optionally quoted values.
#include "config/ConfigReader.h"

#include <cstdlib>
#include <cstring>

#include "config/SkinObserver.h"

namespace {

// The blanks trimmed from both ends of a line.
bool isTrimSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

} // namespace

ConfigReader::ConfigReader() : m_open(0), m_cursor(nullptr), m_lineCount(0), m_lastLine(0) {}

ConfigReader::ConfigReader(const char* path) : ConfigReader()
{
    open(path);
}

void ConfigReader::open(const char* path)
{
    m_content.reset();
    m_cursor = nullptr;
    m_lineCount = 0;
    m_lastLine = 0;
    m_open = 0;
    InputFile file;
    if (!file.open(path))
        return;
    m_open = 1;
    m_content = file.readContent();
    m_cursor = m_content.get();
    file.close();
    // An editor's byte-order mark glues onto the first key. Only a checker run reads past it,
    // so that it reports the mark once rather than everything the spoilt key would cause.
    SkinObserver* observer = SkinObserver::observer();
    if (observer && m_cursor && strncmp(m_cursor, "\xEF\xBB\xBF", 3) == 0) {
        observer->noteByteOrderMark(path);
        m_cursor += 3;
    }
}

bool ConfigReader::next(WString& key, WString::Array& values)
{
    // Each line is cut from the content in place: every line feed ends one, and the piece after
    // the last line feed is a line too.
    while (m_cursor) {
        char* begin = m_cursor;
        char* end = strchr(begin, '\n');
        m_cursor = end ? end + 1 : nullptr;
        if (!end)
            end = begin + strlen(begin);
        m_lineCount++;
        while (begin < end && isTrimSpace(*begin))
            begin++;
        while (end > begin && isTrimSpace(end[-1]))
            end--;
        bool comment = end - begin >= 2 && begin[0] == '/' && begin[1] == '/';
        if (!comment && end > begin && parseRange(begin, end, key, values)) {
            m_lastLine = m_lineCount;
            return true;
        }
    }
    return false;
}

bool ConfigReader::parseLine(const WString& line, WString& key, WString::Array& values)
{
    if (line.isAbsent()) {
        values.resize(0);
        return false;
    }
    // A private copy, as parsing cuts the line up.
    WString copy(line);
    char* begin = &copy.at(0);
    return parseRange(begin, begin + copy.length(), key, values);
}

bool ConfigReader::parseRange(char* begin, char* end, WString& key, WString::Array& values)
{
    values.resize(0);
    char* equals = static_cast<char*>(memchr(begin, '=', end - begin));
    if (!equals || equals == begin)
        return false;
    *equals = '\0';
    key = begin;
    key.toUpper();

    // Each value is gathered in place, quotes dropped, and ended with a NUL where it stops.
    // Only an empty first value stays absent; later empty values are present.
    bool quoted = false;
    bool first = true;
    char* start = equals + 1;
    char* out = start;
    for (const char* in = start; in < end; in++) {
        char c = *in;
        if (c == '"') {
            quoted = !quoted;
        } else if (c == ',' && !quoted) {
            *out = '\0';
            values.insertSlots(values.count(), 1);
            if (!first || out != start)
                values.at(values.count() - 1) = start;
            first = false;
            start = ++out;
        } else {
            *out++ = c;
        }
    }
    *out = '\0';
    values.insertSlots(values.count(), 1);
    if (!first || out != start)
        values.at(values.count() - 1) = start;
    return true;
}
