// WString: absent (null) versus present text, extraction, search, formatting, split and join.
// Internally every operation measures its text once and works on raw pointers, so none is
// quadratic in the length of the text.
#include "text/WString.h"

#include <ctype.h>
#include <limits.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>

namespace {

// The whitespace of trim and splitWords: exactly these four bytes.
bool isTrimSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

char* allocText(size_t length)
{
    char* block = static_cast<char*>(malloc(length + 1));
    block[length] = '\0';
    return block;
}

int signOf(int v)
{
    return (v > 0) - (v < 0);
}

} // namespace

WString::WString() : m_text(nullptr) {}

WString::WString(const WString& other) : m_text(nullptr)
{
    assign(other.m_text);
}

WString::WString(const char* text) : m_text(nullptr)
{
    assign(text);
}

WString::WString(char c) : m_text(nullptr)
{
    assign(c);
}

WString::~WString()
{
    free(m_text);
    m_text = nullptr;
}

WString& WString::operator=(WString&& other) noexcept
{
    if (&other != this) {
        free(m_text);
        m_text = other.m_text;
        other.m_text = nullptr;
    }
    return *this;
}

WString WString::fromBytes(const char* p, unsigned long n)
{
    WString s;
    s.m_text = allocText(n);
    memcpy(s.m_text, p, n);
    return s;
}

void WString::appendBytes(Array& items, const char* p, unsigned long n)
{
    // Same result as items.append(fromBytes(p, n)), without the temporary copy.
    items.insertSlots(items.count(), 1);
    WString& slot = items.at(items.count() - 1);
    slot.m_text = allocText(n);
    memcpy(slot.m_text, p, n);
}

void WString::adopt(char* block)
{
    free(m_text);
    m_text = block;
}

int WString::length() const
{
    return m_text ? static_cast<int>(strlen(m_text)) : 0;
}

WString& WString::assign(const char* text)
{
    if (text == m_text)
        return *this;
    if (!text) {
        free(m_text);
        m_text = nullptr;
        return *this;
    }
    return assignBytes(text, strlen(text));
}

WString& WString::assignBytes(const char* text, size_t n)
{
    if (text == m_text && m_text && m_text[n] == '\0')
        return *this;
    // A text that fits in the current one's block reuses it (memmove also copes with a source
    // inside that block); otherwise a fresh block, so such a source stays valid while copying.
    if (m_text && n <= strlen(m_text)) {
        memmove(m_text, text, n);
        m_text[n] = '\0';
        return *this;
    }
    char* block = allocText(n);
    memcpy(block, text, n);
    adopt(block);
    return *this;
}

WString& WString::assign(char c)
{
    char* block = allocText(1);
    block[0] = c;
    adopt(block);
    return *this;
}

WString& WString::append(const char* text)
{
    if (!text)
        return *this;
    size_t oldLength = m_text ? strlen(m_text) : 0;
    size_t added = strlen(text);
    // The text may lie inside our own block, which realloc can move.
    bool inside = m_text && text >= m_text && text <= m_text + oldLength;
    size_t offset = inside ? static_cast<size_t>(text - m_text) : 0;
    char* block = static_cast<char*>(realloc(m_text, oldLength + added + 1));
    if (inside)
        text = block + offset;
    memmove(block + oldLength, text, added);
    block[oldLength + added] = '\0';
    m_text = block;
    return *this;
}

WString& WString::append(char c)
{
    size_t oldLength = m_text ? strlen(m_text) : 0;
    char* block = static_cast<char*>(realloc(m_text, oldLength + 2));
    block[oldLength] = c;
    block[oldLength + 1] = '\0';
    m_text = block;
    return *this;
}

int WString::compare(const char* text) const
{
    if (!m_text)
        return text ? -1 : 0;
    if (!text)
        return 1;
    return signOf(strcmp(m_text, text));
}

int WString::compareNoCase(const char* text) const
{
    if (!m_text)
        return text ? -1 : 0;
    if (!text)
        return 1;
    return signOf(strcasecmp(m_text, text));
}

int WString::findChar(char c, int start) const
{
    if (!m_text)
        return -1;
    size_t n = strlen(m_text);
    if (static_cast<unsigned>(start) > n)
        return -1;
    const void* hit = memchr(m_text + start, c, n - start);
    return hit ? static_cast<int>(static_cast<const char*>(hit) - m_text) : -1;
}

int WString::findLastChar(char c) const
{
    if (!m_text)
        return -1;
    const void* hit = memrchr(m_text, c, strlen(m_text));
    return hit ? static_cast<int>(static_cast<const char*>(hit) - m_text) : -1;
}

int WString::find(const char* pattern, int start) const
{
    if (!m_text)
        return pattern ? -1 : 0;
    if (!pattern)
        return -1;
    size_t n = strlen(m_text);
    if (static_cast<unsigned>(start) > n)
        return -1;
    const void* hit = memmem(m_text + start, n - start, pattern, strlen(pattern));
    return hit ? static_cast<int>(static_cast<const char*>(hit) - m_text) : -1;
}

int WString::findAnyOf(const char* set) const
{
    if (!m_text)
        return set ? -1 : 0;
    if (!set)
        return -1;
    const char* hit = strpbrk(m_text, set);
    return hit ? static_cast<int>(hit - m_text) : -1;
}

WString WString::left(int n) const
{
    if (!m_text || n < 0)
        return fromBytes("", 0);
    size_t length = strnlen(m_text, static_cast<size_t>(n));
    return fromBytes(m_text, length);
}

WString WString::mid(int position) const
{
    if (!m_text)
        return fromBytes("", 0);
    if (position < 0)
        position = 0;
    size_t length = strlen(m_text);
    if (static_cast<size_t>(position) > length)
        return fromBytes("", 0);
    return fromBytes(m_text + position, length - position);
}

WString WString::mid(int position, int n) const
{
    if (!m_text || n < 0)
        return fromBytes("", 0);
    if (position < 0)
        position = 0;
    size_t length = strlen(m_text);
    if (static_cast<size_t>(position) > length)
        return fromBytes("", 0);
    size_t rest = length - position;
    return fromBytes(m_text + position, static_cast<size_t>(n) < rest ? static_cast<size_t>(n) : rest);
}

WString WString::right(int n) const
{
    if (!m_text || n < 0)
        return fromBytes("", 0);
    size_t length = strlen(m_text);
    if (static_cast<size_t>(n) >= length)
        return fromBytes(m_text, length);
    return fromBytes(m_text + length - n, n);
}

WString& WString::trim()
{
    trimLeft();
    return trimRight();
}

WString& WString::trimLeft()
{
    if (!m_text)
        return *this;
    const char* p = m_text;
    while (isTrimSpace(*p))
        p++;
    if (p != m_text)
        memmove(m_text, p, strlen(p) + 1);
    return *this;
}

WString& WString::trimRight()
{
    if (!m_text)
        return *this;
    size_t n = strlen(m_text);
    while (n > 0 && isTrimSpace(m_text[n - 1]))
        n--;
    m_text[n] = '\0';
    return *this;
}

WString& WString::toUpper()
{
    // The launcher never sets a locale, so this is the C locale's toupper, without a call per
    // character.
    if (m_text)
        for (char* p = m_text; *p; p++)
            if (*p >= 'a' && *p <= 'z')
                *p = static_cast<char>(*p - 'a' + 'A');
    return *this;
}

WString& WString::toLower()
{
    if (m_text)
        for (char* p = m_text; *p; p++)
            *p = static_cast<char>(tolower(static_cast<unsigned char>(*p)));
    return *this;
}

int WString::toInt() const
{
    if (!m_text)
        return 0;
    // strtol saturates at the long limits, which are at least the int ones.
    long value = strtol(m_text, nullptr, 10);
    if (value > INT_MAX)
        return INT_MAX;
    if (value < INT_MIN)
        return INT_MIN;
    return static_cast<int>(value);
}

WString& WString::format(const char* fmt, ...)
{
    // Room starts at 31 for an absent string, else the current length, and grows by 32 bytes
    // until the text fits. The needed length is known after the first attempt, so the second
    // attempt jumps straight to the first multiple-of-32 step that fits. Each attempt formats
    // into a new block: the arguments may point into the old text.
    size_t room = m_text ? strlen(m_text) : 31;
    for (;;) {
        char* block = allocText(room);
        va_list args;
        va_start(args, fmt);
        int written = vsnprintf(block, room + 1, fmt, args);
        va_end(args);
        if (written < 0) {
            block[0] = '\0';
            adopt(block);
            return *this;
        }
        if (static_cast<size_t>(written) <= room) {
            adopt(block);
            return *this;
        }
        free(block);
        room += (static_cast<size_t>(written) - room + 31) / 32 * 32;
    }
}

WString WString::replace(const char* pattern, const char* replacement) const
{
    if (!pattern || !replacement)
        return *this;
    if (!m_text)
        return fromBytes("", 0);
    size_t length = strlen(m_text);
    size_t patternLength = strlen(pattern);
    if (patternLength == 0)
        return *this;
    size_t replacementLength = strlen(replacement);
    const char* end = m_text + length;

    // The result is at most as long as the source when the replacement is not longer than the
    // pattern: one pass into a block of the source's size. Otherwise count first, then fill.
    size_t resultLength = length;
    if (replacementLength > patternLength) {
        size_t hits = 0;
        for (const char* p = m_text;
             (p = static_cast<const char*>(memmem(p, end - p, pattern, patternLength)));
             p += patternLength)
            hits++;
        resultLength = length + hits * (replacementLength - patternLength);
    }

    WString result;
    result.m_text = allocText(resultLength);
    char* out = result.m_text;
    const char* start = m_text;
    for (const char* p; (p = static_cast<const char*>(memmem(start, end - start, pattern, patternLength)));
         start = p + patternLength) {
        memcpy(out, start, p - start);
        out += p - start;
        memcpy(out, replacement, replacementLength);
        out += replacementLength;
    }
    memcpy(out, start, end - start);
    out += end - start;
    *out = '\0';
    if (static_cast<size_t>(out - result.m_text) < resultLength)
        result.m_text = static_cast<char*>(realloc(result.m_text, out - result.m_text + 1));
    return result;
}

WString::Array WString::split(const char* separator, int limit) const
{
    Array items;
    size_t separatorLength = separator ? strlen(separator) : 0;
    if (separatorLength == 0) {
        items.append(*this);
        return items;
    }
    const char* text = m_text ? m_text : "";
    const char* end = text + strlen(text);
    const char* start = text;
    for (int n = 0; n != limit; n++) {
        const char* hit = static_cast<const char*>(memmem(start, end - start, separator, separatorLength));
        if (!hit)
            break;
        appendBytes(items, start, hit - start);
        start = hit + separatorLength;
    }
    appendBytes(items, start, end - start);
    return items;
}

WString::Array WString::split(char separator, int limit) const
{
    // findChar never finds the NUL, so it splits nothing: one present item.
    if (separator == '\0') {
        Array items;
        items.append(m_text ? *this : fromBytes("", 0));
        return items;
    }
    char text[2] = {separator, '\0'};
    return split(text, limit);
}

WString::Array WString::splitWords() const
{
    Array words;
    if (!m_text)
        return words;
    const char* p = m_text;
    for (;;) {
        while (isTrimSpace(*p))
            p++;
        if (!*p)
            return words;
        const char* start = p;
        while (*p && !isTrimSpace(*p))
            p++;
        appendBytes(words, start, p - start);
    }
}

WString WString::join(const Array& items) const
{
    int n = items.count();
    if (n == 0)
        return WString();
    size_t separatorLength = m_text ? strlen(m_text) : 0;
    bool present = n > 1 && m_text;
    size_t total = separatorLength * (n - 1);
    for (int i = 0; i < n; i++) {
        const char* item = items.at(i).text();
        if (item) {
            present = true;
            total += strlen(item);
        }
    }
    if (!present)
        return WString();

    WString result;
    result.m_text = allocText(total);
    char* out = result.m_text;
    for (int i = 0; i < n; i++) {
        if (i > 0 && separatorLength > 0) {
            memcpy(out, m_text, separatorLength);
            out += separatorLength;
        }
        if (const char* item = items.at(i).text()) {
            size_t itemLength = strlen(item);
            memcpy(out, item, itemLength);
            out += itemLength;
        }
    }
    return result;
}

WString operator+(const WString& a, const WString& b)
{
    return WString(a).append(b);
}

WString operator+(const WString& a, const char* b)
{
    return WString(a).append(b);
}

WString operator+(const char* a, const WString& b)
{
    return WString(a).append(b);
}

WString operator+(const WString& a, char b)
{
    return WString(a).append(b);
}

WString operator+(char a, const WString& b)
{
    return WString(a).append(b);
}

bool operator==(const char* a, const WString& b)
{
    return b.compare(a) == 0;
}

bool operator!=(const char* a, const WString& b)
{
    return b.compare(a) != 0;
}

bool operator<(const char* a, const WString& b)
{
    return b.compare(a) > 0;
}

bool operator<=(const char* a, const WString& b)
{
    return b.compare(a) >= 0;
}

bool operator>(const char* a, const WString& b)
{
    return b.compare(a) < 0;
}

bool operator>=(const char* a, const WString& b)
{
    return b.compare(a) <= 0;
}
