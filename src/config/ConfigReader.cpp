// Splits statement lines into an upper-cased key and comma-separated, optionally quoted values.
#include "config/ConfigReader.h"

#include <climits>
#include <cstdio>
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

ConfigReader::ConfigReader() : m_open(0), m_lineCount(0), m_lastLine(0) {}

ConfigReader::ConfigReader(const char* path) : ConfigReader()
{
    open(path);
}

void ConfigReader::open(const char* path)
{
    m_file.close();
    m_path = WString(path);
    m_lineCount = 0;
    m_lastLine = 0;
    m_open = m_file.open(path) ? 1 : 0;
}

bool ConfigReader::next(WString& key, WString::Array& values)
{
    InputFile::Line line;
    for (;;) {
        const InputFile::Status status = m_file.readLine(line);
        if (status == InputFile::END || status == InputFile::READ_FAILED) {
            if (status == InputFile::READ_FAILED)
                reportReadFailure();
            // Every later call finds the file closed and gives false at once.
            m_file.close();
            return false;
        }
        // Saturating: a file of more than two thousand million lines keeps counting as its last.
        if (m_lineCount < INT_MAX)
            m_lineCount++;
        if (status == InputFile::LINE_TOO_LONG) {
            reportLineTooLong();
            continue;
        }
        char* begin = line.text;
        char* end = begin + line.length;
        // An editor's byte-order mark glues onto the first key. Only a checker run reads past
        // it, so that it reports the mark once rather than everything the spoilt key would cause.
        SkinObserver* observer = SkinObserver::observer();
        if (observer && m_lineCount == 1 && strncmp(begin, "\xEF\xBB\xBF", 3) == 0) {
            observer->note(SkinObserver::Fate::inFile(SkinObserver::Fate::BYTE_ORDER_MARK,
                                                      m_path.printable(), 1));
            begin += 3;
        }
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
}

void ConfigReader::reportLineTooLong() const
{
    if (SkinObserver* observer = SkinObserver::observer())
        observer->note(SkinObserver::Fate::inFile(SkinObserver::Fate::LINE_TOO_LONG,
                                                  m_path.printable(), m_lineCount));
    else
        printf("Skipped line %d of %s: longer than %zu bytes\n", m_lineCount, m_path.printable(),
               InputFile::MAX_LINE_BYTES);
}

void ConfigReader::reportReadFailure() const
{
    if (SkinObserver* observer = SkinObserver::observer())
        observer->note(SkinObserver::Fate::inFile(SkinObserver::Fate::READ_FAILED,
                                                  m_path.printable(), m_lineCount));
    else
        printf("Could not read %s after line %d\n", m_path.printable(), m_lineCount);
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
    char* equals = static_cast<char*>(memchr(begin, '=', end - begin));
    if (!equals || equals == begin) {
        values.resizeKeepingStorage(0);
        return false;
    }
    *equals = '\0';
    key.assignBytes(begin, size_t(equals - begin));
    key.toUpper();

    // Each value is gathered in place, quotes dropped, and ended with a NUL where it stops. The
    // ends of the first values are noted on the way (the others are measured), so the array is
    // sized once and no value is measured twice. Without a quote, the commas alone cut the line,
    // and they are found a block at a time.
    char* start = equals + 1;
    int count = 1;
    const int NOTED = 32;
    const char* ends[NOTED];
    if (!memchr(start, '"', size_t(end - start))) {
        *end = '\0';
        for (char* comma = start; (comma = static_cast<char*>(memchr(comma, ',', size_t(end - comma))));) {
            if (count <= NOTED)
                ends[count - 1] = comma;
            *comma++ = '\0';
            count++;
        }
        if (count <= NOTED)
            ends[count - 1] = end;
    } else {
        bool quoted = false;
        char* out = start;
        for (const char* in = start; in < end; in++) {
            const char c = *in;
            if (c == '"') {
                quoted = !quoted;
            } else if (c == ',' && !quoted) {
                if (count <= NOTED)
                    ends[count - 1] = out;
                *out++ = '\0';
                count++;
            } else {
                *out++ = c;
            }
        }
        if (count <= NOTED)
            ends[count - 1] = out;
        *out = '\0';
    }
    values.resizeKeepingStorage(count);
    // Only an empty first value stays absent; later empty values are present.
    const char* value = start;
    for (int i = 0; i < count; i++) {
        const size_t length = i < NOTED ? size_t(ends[i] - value) : strlen(value);
        if (i > 0 || length > 0)
            values.at(i).assignBytes(value, length);
        else
            values.at(i) = static_cast<const char*>(nullptr);
        value += length + 1;
    }
    return true;
}
