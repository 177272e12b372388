// The launcher's own text type: one pointer to a NUL-terminated malloc block; null means absent.
#pragma once

#include <cstring>

class WString {
public:
    class Array;

    WString();
    WString(const WString& other);
    // Takes over the other's block; the other is left absent.
    WString(WString&& other) noexcept : m_text(other.m_text) { other.m_text = nullptr; }
    WString(const char* text);
    explicit WString(char c);
    ~WString();

    WString& operator=(const WString& other) { return assign(other); }
    WString& operator=(WString&& other) noexcept;
    WString& operator=(const char* text) { return assign(text); }

    // The raw pointer: null when absent.
    const char* text() const { return m_text; }
    // Safe for printf("%s"): "" when absent.
    const char* printable() const { return m_text ? m_text : ""; }
    int length() const;
    bool isEmpty() const { return !m_text || !m_text[0]; }
    bool isAbsent() const { return !m_text; }
    char& at(int index) { return m_text[index]; }
    char at(int index) const { return m_text[index]; }

    WString& assign(const WString& other) { return assign(other.m_text); }
    WString& assign(const char* text);
    // The same for a text of n bytes already measured (it holds no NUL before them).
    WString& assignBytes(const char* text, size_t n);
    WString& assign(char c);
    WString& append(const char* text);
    WString& append(const WString& other) { return append(other.m_text); }
    WString& append(char c);
    WString& operator+=(const WString& other) { return append(other); }
    WString& operator+=(const char* text) { return append(text); }
    WString& operator+=(char c) { return append(c); }

    int compare(const WString& other) const { return compare(other.m_text); }
    int compare(const char* text) const;
    int compareNoCase(const WString& other) const { return compareNoCase(other.m_text); }
    int compareNoCase(const char* text) const;

    bool operator==(const WString& o) const { return compare(o) == 0; }
    bool operator!=(const WString& o) const { return compare(o) != 0; }
    bool operator<(const WString& o) const { return compare(o) < 0; }
    bool operator<=(const WString& o) const { return compare(o) <= 0; }
    bool operator>(const WString& o) const { return compare(o) > 0; }
    bool operator>=(const WString& o) const { return compare(o) >= 0; }
    bool operator==(const char* t) const { return equals(t); }
    bool operator!=(const char* t) const { return !equals(t); }
    bool operator<(const char* t) const { return compare(t) < 0; }
    bool operator<=(const char* t) const { return compare(t) <= 0; }
    bool operator>(const char* t) const { return compare(t) > 0; }
    bool operator>=(const char* t) const { return compare(t) >= 0; }

    int findChar(char c, int start = 0) const;
    int findLastChar(char c) const;
    int find(const char* pattern, int start = 0) const;
    int findAnyOf(const char* set) const;

    WString left(int n) const;
    WString mid(int position) const;
    WString mid(int position, int n) const;
    WString right(int n) const;

    WString& trim();
    WString& trimLeft();
    WString& trimRight();
    WString& toUpper();
    WString& toLower();
    WString& format(const char* fmt, ...) __attribute__((format(printf, 2, 3)));

    // The leading decimal number, read as atoi reads it (leading blanks, an optional sign,
    // digits; 0 when there is none), but held at the int limits when it lies beyond them, so a
    // huge number cannot wrap into a valid range. 0 when absent.
    int toInt() const;

    WString replace(const char* pattern, const char* replacement) const;
    Array split(const char* separator, int limit = -1) const;
    Array split(char separator, int limit = -1) const;
    Array splitWords() const;
    // This string is the separator.
    WString join(const Array& items) const;

private:
    // compare(t) == 0, inline and with the first bytes tested first: keywords are matched
    // against long chains of literals.
    bool equals(const char* t) const
    {
        if (!m_text || !t)
            return m_text == t;
        return m_text[0] == t[0] && strcmp(m_text, t) == 0;
    }
    // A present string holding the n bytes at p (n may be 0).
    static WString fromBytes(const char* p, unsigned long n);
    // Appends a present item holding the n bytes at p to items.
    static void appendBytes(Array& items, const char* p, unsigned long n);
    // Takes ownership of a malloc block.
    void adopt(char* block);

    char* m_text;
};

WString operator+(const WString& a, const WString& b);
WString operator+(const WString& a, const char* b);
WString operator+(const char* a, const WString& b);
WString operator+(const WString& a, char b);
WString operator+(char a, const WString& b);

bool operator==(const char* a, const WString& b);
bool operator!=(const char* a, const WString& b);
bool operator<(const char* a, const WString& b);
bool operator<=(const char* a, const WString& b);
bool operator>(const char* a, const WString& b);
bool operator>=(const char* a, const WString& b);

#include "text/WStringArray.h"
