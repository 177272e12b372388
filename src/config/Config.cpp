// Key to value-list store loaded from a statement file, with %name% and %name[i]% expansion.
#include "config/Config.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "config/ConfigReader.h"

static const char* const kValueSeparator = ",";

Config::Config() : m_entries(31), m_loaded(0) {}

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
}

// Appends what one reference between two "%" stands for; a missing key stays as written.
static void resolveReference(const Config& config, const WString& name, WString& result)
{
    WString::Array values;
    int bracket = name.findChar('[');
    int length = name.length();
    if (bracket > 0 && name.at(length - 1) == ']') {
        WString indexText = name.mid(bracket + 1, length - bracket - 2);
        WString base = name.left(bracket);
        if (!config.get(base.text(), values)) {
            result.append("%");
            result.append(base);
            result.append("%");
            return;
        }
        // Read as a long so that a huge index cannot wrap into range.
        errno = 0;
        long index = strtol(indexText.text(), nullptr, 10);
        if (errno == 0 && index >= 0 && index < values.count())
            result.append(values.at(static_cast<int>(index)));
        return;
    }
    if (config.get(name.text(), values)) {
        result.append(values.join(kValueSeparator));
        return;
    }
    result.append("%");
    result.append(name);
    result.append("%");
}

WString Config::expand(const WString& text) const
{
    WString result;
    if (text.isAbsent())
        return result;
    // A private copy in which every "%" becomes a terminator, so runs and names are C strings.
    size_t length = strlen(text.text());
    char* scratch = static_cast<char*>(malloc(length + 1));
    if (!scratch)
        return result;
    memcpy(scratch, text.text(), length + 1);

    bool inReference = false;
    size_t segment = 0;
    for (size_t i = 0; i < length; i++) {
        if (scratch[i] != '%')
            continue;
        scratch[i] = '\0';
        if (inReference) {
            if (i == segment)
                result.append("%");
            else
                resolveReference(*this, WString(scratch + segment), result);
        } else if (i > segment) {
            result.append(scratch + segment);
        }
        inReference = !inReference;
        segment = i + 1;
    }
    // A name left open by an unmatched "%" is dropped.
    if (!inReference && segment < length)
        result.append(scratch + segment);
    free(scratch);
    return result;
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
