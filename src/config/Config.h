// Store of named value lists with %name% and %name[i]% expansion.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "text/WMap.h"
#include "text/WString.h"

class Config {
public:
    typedef WMap<WString, const char*, WString::Array, WString::Array&> Store;
    // The marks of expandMarked for each word of an action; a missing or short one marks nothing.
    typedef std::vector<std::string> InsertedMarks;

    // Limits on what references may add, beyond which a reference stays as written. A real skin
    // inserts paths and colours of tens of bytes; a skin whose variables double on every line
    // would otherwise need gigabytes within 30 lines. One expanded value: 4 MiB, twice the
    // longest line any skin is known to carry.
    static constexpr size_t MAX_EXPANDED_BYTES = 4 * 1024 * 1024;
    // Everything the references of one store's expansions add together, until it is cleared or
    // loaded again; this bounds what a skin's values can take, however many of them refer.
    static constexpr size_t MAX_STORE_EXPANSION_BYTES = 8 * 1024 * 1024;

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
    // How many expansions so far have left a reference as written for want of room.
    int refusedExpansions() const { return m_refusedExpansions; }
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
    // What references have added since the store was last cleared.
    mutable size_t m_expandedBytes;
    mutable int m_refusedExpansions;
};

// The process's configuration, constructed last (see launcher/Globals.cpp).
extern Config gConfig;
