// Store of named value lists with %name% and %name[i]% expansion.
#pragma once

#include <string>
#include <vector>

#include "text/WMap.h"
#include "text/WString.h"

class Config {
public:
    typedef WMap<WString, const char*, WString::Array, WString::Array&> Store;
    // The marks of expandMarked for each word of an action; a missing or short one marks nothing.
    typedef std::vector<std::string> InsertedMarks;

    Config();
    explicit Config(const char* path);
    Config(const Config&) = delete;
    Config& operator=(const Config&) = delete;

    bool load(const char* path);
    bool isLoaded() const { return m_loaded != 0; }
    bool get(const char* name, WString::Array& values) const;
    // Values joined with ","; a copy of the default (absent for null) when missing or empty.
    WString lookup(const char* name, const char* defaultValue) const;
    void set(const char* name, const WString::Array& values);
    void setString(const char* name, const WString& value);
    void remove(const char* name);
    void clear();
    WString expand(const WString& text) const;
    // expand for a text holding bytes inserted from elsewhere (a file or directory name), which
    // are plain text: a "%" among them opens or closes no reference. inserted has one byte per
    // byte of text, non-zero where inserted; on return it marks the result the same way, with
    // every value a reference stood for counted as inserted.
    WString expandMarked(const WString& text, std::string& inserted) const;
    // text = expand(text), without copying a text that holds no reference.
    void expandInPlace(WString& text) const;
    // One "CFG: key=values" line per entry, in bucket order.
    void dump() const;
    Store& entries() { return m_entries; }
    int count() const { return m_entries.count(); }

private:
    mutable Store m_entries;
    unsigned m_loaded;
};
