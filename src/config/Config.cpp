// Key to value-list store loaded from a statement file, with %name% and %name[i]% expansion.
#include "config/Config.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "config/ConfigReader.h"

static const char* const kValueSeparator = ",";

Config::Config() : m_entries(31), m_loaded(0), m_expandedBytes(0), m_refusedExpansions(0) {}

Config::Config(const char* path) : Config()
{
    load(path);
}

bool Config::load(const char* path)
{
    ConfigReader reader(path);
    clear();
    m_loaded = 0;
    if (reader.isOpen()) {
        WString key;
        WString::Array values;
        // A repeated key keeps its first place in the map but takes the last values.
        while (reader.next(key, values))
            m_entries.getOrCreate(key.text()) = values;
        m_loaded = 1;
    }
    return m_loaded != 0;
}

bool Config::get(const char* name, WString::Array& values) const
{
    if (!name)
        return false;
    return m_entries.get(name, values);
}

WString Config::lookup(const char* name, const char* defaultValue) const
{
    WString::Array values;
    if (get(name, values) && values.count() > 0)
        return values.join(kValueSeparator);
    return WString(defaultValue);
}

void Config::set(const char* name, const WString::Array& values)
{
    if (!name)
        return;
    m_entries.getOrCreate(name) = values;
}

void Config::setString(const char* name, const WString& value)
{
    WString::Array values;
    values.append(value);
    set(name, values);
}

void Config::remove(const char* name)
{
    if (name)
        m_entries.remove(name);
}

void Config::clear()
{
    m_entries.clear();
    // A store filled afresh may hand out as much as a new one.
    m_expandedBytes = 0;
}

namespace {

// What the references of one expansion may still add, and whether one was refused for it.
struct Room {
    size_t& storeUsed;
    bool refused;
};

// Whether length more bytes from references keep the value and the store within their limits.
// Written so that nothing can wrap on a 32-bit size_t.
bool fits(size_t length, size_t valueSoFar, const Room& room)
{
    return valueSoFar <= Config::MAX_EXPANDED_BYTES && length <= Config::MAX_EXPANDED_BYTES - valueSoFar &&
           length <= Config::MAX_STORE_EXPANSION_BYTES - room.storeUsed;
}

// A reference that would pass a limit stays as written, like one to a missing key.
bool keepAsWritten(const char* reference, size_t length, std::string& out, Room& room, bool* asWritten)
{
    out += '%';
    out.append(reference, length);
    out += '%';
    room.refused = true;
    if (asWritten)
        *asWritten = true;
    return true;
}

// Appends to out what one reference between two "%" stands for; a missing key stays as written,
// which sets asWritten (then the name, without any index, stands between two "%").
// False when it adds nothing: an index out of range, an absent value or a key without values.
// name is the text between the marks; it is cut up in place.
bool resolveReference(const Config::Store& entries, std::string& name, std::string& out, Room& room,
                      bool* asWritten = nullptr)
{
    const size_t bracket = name.find('[');
    if (bracket != std::string::npos && bracket > 0 && name.back() == ']') {
        const size_t written = name.size();
        name.back() = '\0';
        name[bracket] = '\0';
        const char* base = name.c_str();
        const WString::Array* values = entries.valueOf(base);
        if (!values) {
            out += '%';
            out += base;
            out += '%';
            if (asWritten)
                *asWritten = true;
            return true;
        }
        // Read as a long so that a huge index cannot wrap into range.
        errno = 0;
        long index = strtol(base + bracket + 1, nullptr, 10);
        if (errno != 0 || index < 0 || index >= values->count())
            return false;
        const char* item = values->at(static_cast<int>(index)).text();
        if (!item)
            return false;
        const size_t length = strlen(item);
        if (!fits(length, out.size(), room)) {
            // The reference as written, with its index.
            name[bracket] = '[';
            name.back() = ']';
            return keepAsWritten(name.data(), written, out, room, asWritten);
        }
        out.append(item, length);
        room.storeUsed += length;
        return true;
    }
    const WString::Array* values = entries.valueOf(name.c_str());
    if (!values) {
        out += '%';
        out += name;
        out += '%';
        if (asWritten)
            *asWritten = true;
        return true;
    }
    // The values joined with the separator: one absent value, or none, joins to nothing.
    const int count = values->count();
    if (count == 0 || (count == 1 && values->at(0).isAbsent()))
        return false;
    // Measured before anything is appended, in steps that cannot wrap.
    const size_t separatorLength = strlen(kValueSeparator);
    size_t length = 0;
    for (int i = 0; i < count; i++) {
        const size_t piece = strlen(values->at(i).printable()) + (i > 0 ? separatorLength : 0);
        if (piece > Config::MAX_EXPANDED_BYTES - length)
            return keepAsWritten(name.data(), name.size(), out, room, asWritten);
        length += piece;
    }
    if (!fits(length, out.size(), room))
        return keepAsWritten(name.data(), name.size(), out, room, asWritten);
    for (int i = 0; i < count; i++) {
        if (i > 0)
            out += kValueSeparator;
        out += values->at(i).printable();
    }
    room.storeUsed += length;
    return true;
}

} // namespace

WString Config::expand(const WString& text) const
{
    if (text.isAbsent())
        return WString();
    const char* segment = text.text();
    const char* mark = strchr(segment, '%');
    // Nothing to resolve: the result is a copy, absent for the empty text as nothing is appended.
    if (!mark)
        return *segment ? text : WString();

    // Plain runs are copied whole; present tells whether anything at all was appended.
    std::string out;
    std::string name;
    Room room{m_expandedBytes, false};
    bool present = false;
    bool inReference = false;
    for (; mark; mark = strchr(segment, '%')) {
        if (inReference) {
            if (mark == segment) {
                out += '%';
                present = true;
            } else {
                name.assign(segment, mark - segment);
                present = resolveReference(m_entries, name, out, room) || present;
            }
        } else if (mark > segment) {
            out.append(segment, mark - segment);
            present = true;
        }
        inReference = !inReference;
        segment = mark + 1;
    }
    // A name left open by an unmatched "%" is dropped.
    if (!inReference && *segment) {
        out += segment;
        present = true;
    }
    if (room.refused)
        m_refusedExpansions++;
    return present ? WString(out.c_str()) : WString();
}

WString Config::expandMarked(const WString& text, std::string& inserted) const
{
    if (text.isAbsent()) {
        inserted.clear();
        return WString();
    }
    const char* in = text.text();
    const size_t length = strlen(in);
    inserted.resize(length, 0);

    // The same pass as expand, one byte at a time, each byte carrying its mark along.
    std::string out, outMarks, name, nameMarks;
    Room room{m_expandedBytes, false};
    bool present = false;
    bool inReference = false;
    for (size_t i = 0; i < length; i++) {
        const char c = in[i];
        const char mark = inserted[i];
        if (c != '%' || mark) {
            if (inReference) {
                name += c;
                nameMarks += mark;
            } else {
                out += c;
                outMarks += mark;
                present = true;
            }
            continue;
        }
        if (inReference) {
            if (name.empty()) {
                out += '%';
                outMarks += '\0';
                present = true;
            } else {
                const size_t before = out.size();
                bool asWritten = false;
                present = resolveReference(m_entries, name, out, room, &asWritten) || present;
                const size_t added = out.size() - before;
                if (asWritten) {
                    outMarks += '\0';
                    outMarks.append(nameMarks, 0, added - 2);
                    outMarks += '\0';
                } else {
                    outMarks.append(added, 1);
                }
                name.clear();
                nameMarks.clear();
            }
        }
        inReference = !inReference;
    }
    inserted = outMarks;
    if (room.refused)
        m_refusedExpansions++;
    return present ? WString(out.c_str()) : WString();
}

void Config::expandInPlace(WString& text) const
{
    if (text.isAbsent())
        return;
    if (!strchr(text.text(), '%')) {
        // Such a text expands to a copy of itself, and the empty text to an absent one.
        if (text.isEmpty())
            text = WString();
        return;
    }
    text = expand(text);
}

void Config::dump() const
{
    Store::Iterator it(&m_entries);
    WString key;
    WString::Array values;
    while (it.hasNext()) {
        it.next(key, values);
        WString joined = values.join(kValueSeparator);
        printf("CFG: %s=%s\n", key.printable(), joined.printable());
    }
}
