// Fuzzes saving a configuration change: the result re-reads as intended or nothing changed.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include <dirent.h>

#include "FuzzSupport.h"
#include "config/ConfigReader.h"
#include "config/saveConfigChange.h"

namespace {
typedef std::vector<std::pair<std::string, std::vector<std::string>>> Statements;

Statements readStatements(const std::string& path)
{
    Statements out;
    ConfigReader reader(path.c_str());
    WString key;
    WString::Array values;
    while (reader.next(key, values)) {
        std::vector<std::string> v;
        for (int i = 0; i < values.count(); i++)
            v.push_back(values.at(i).printable());
        out.push_back(std::make_pair(std::string(key.printable()), v));
    }
    return out;
}

// What a C string made from the piece holds: everything up to its first zero byte.
std::string asText(const std::string& piece)
{
    return std::string(piece.c_str());
}

// The key the reader takes from a line written with this key: leading blanks trimmed, upper case.
std::string readableKey(std::string s)
{
    s.erase(0, s.find_first_not_of(" \t"));
    for (char& c : s)
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    return s;
}

// Whether a save left any new file of its own in the directory, under whatever name.
bool newFileLeft(const std::string& directory)
{
    bool left = false;
    if (DIR* dir = opendir(directory.c_str())) {
        while (struct dirent* entry = readdir(dir))
            left = left || strncmp(entry->d_name, "Trevandel.newcfg", 16) == 0;
        closedir(dir);
    }
    return left;
}

std::string joined(const std::vector<std::string>& values)
{
    std::string text;
    for (size_t i = 0; i < values.size(); i++)
        text += (i > 0 ? "," : "") + values[i];
    return text;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput input(data, size);
    std::string original = input.piece();
    std::string key = asText(input.piece());
    std::vector<std::string> newValues;
    while (!input.empty())
        newValues.push_back(asText(input.piece()));

    const std::string cfg = fuzzDirectory() + "Trevandel.cfg";
    const std::string newCfg = fuzzDirectory() + "Trevandel.newcfg";
    writeFile(cfg, original);
    remove(newCfg.c_str());
    Statements before = readStatements(cfg);

    WString::Array values;
    for (const std::string& v : newValues)
        values.append(WString(v.c_str()));
    bool saved = saveConfigChange(cfg.c_str(), newCfg.c_str(), WString(key.c_str()), values);

    if (newFileLeft(fuzzDirectory()))
        abort(); // the new file must never be left behind
    if (!saved) {
        if (readFile(cfg) != original)
            abort();
        return 0;
    }
    // Every statement of another key survives in order; the key reads back as the new values
    // joined, the text a lookup gives.
    const std::string readKey = readableKey(key);
    Statements after = readStatements(cfg);
    Statements othersBefore, othersAfter;
    for (auto& s : before)
        if (s.first != readKey)
            othersBefore.push_back(s);
    std::vector<std::string> lastValues;
    bool found = false;
    for (auto& s : after) {
        if (s.first != readKey) {
            othersAfter.push_back(s);
        } else {
            found = true;
            lastValues = s.second;
        }
    }
    if (othersBefore != othersAfter || !found)
        abort();
    if (joined(lastValues) != joined(newValues))
        abort();
    return 0;
}
