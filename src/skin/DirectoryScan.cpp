// Reading one directory into list entries: types, filters, the trailing "/" and the sort.
#include "skin/DirectoryScan.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <strings.h>
#include <utility>
#include <vector>

#include "skin/FileList.h"

namespace {

bool endsWithSlash(const char* text, size_t length)
{
    return length > 0 && text[length - 1] == '/';
}

const size_t PREFIX_BYTES = 8;

// tolower of the C locale, which strcasecmp uses: the launcher never sets another.
unsigned lowerCase(char c)
{
    const unsigned byte = static_cast<unsigned char>(c);
    return byte >= 'A' && byte <= 'Z' ? byte - 'A' + 'a' : byte;
}

} // namespace

void DirectoryScan::scan(const WString& directory, const WString::Array& endings,
                         WString::Array& into, int type)
{
    const char* dirPath = directory.printable();
    DIR* dir = opendir(dirPath);
    if (dir) {
        const size_t dirLength = strlen(dirPath);
        // Room for any path the kernel can take. readdir may hand out names longer than
        // NAME_MAX (vfat, exfat, FUSE, CIFS), so each name is measured before it is copied.
        std::vector<char> path(dirLength + PATH_MAX + 2);
        memcpy(path.data(), dirPath, dirLength);
        char* const nameInPath = path.data() + dirLength;

        // readdir's own entry types can stand in for a status query per entry only when such a
        // query could succeed: the path must be a directory with a trailing "/" and search
        // permission, which one query of "." settles for all entries.
        struct stat status;
        bool trustTypes = false;
        if (endsWithSlash(dirPath, dirLength)) {
            memcpy(nameInPath, ".", 2);
            trustTypes = stat(path.data(), &status) == 0;
        }

        const int endingCount = endings.count();
        const bool everything = endingCount == 1 && endings.at(0) == "*";
        std::vector<size_t> endingLengths(endingCount);
        for (int i = 0; i < endingCount; i++)
            endingLengths[i] = strlen(endings.at(i).printable());

        struct dirent* entry;
        while ((entry = readdir(dir)) != nullptr) {
            const char* name = entry->d_name;
            if (strcmp(name, ".") == 0)
                continue;
            const size_t nameLength = strlen(name);
            // A path the kernel could not resolve cannot be formed: its status is unknowable.
            if (dirLength + nameLength + 1 > PATH_MAX)
                continue;
            bool isDirectory;
            // Links and unknown types still need the query.
            if (!trustTypes || entry->d_type == DT_UNKNOWN || entry->d_type == DT_LNK) {
                memcpy(nameInPath, name, nameLength + 1);
                if (stat(path.data(), &status) != 0)
                    continue;
                isDirectory = S_ISDIR(status.st_mode);
            } else {
                isDirectory = entry->d_type == DT_DIR;
            }

            if (isDirectory) {
                if (type == FileList::FILES)
                    continue;
                if (type == FileList::DIRECTORIES) {
                    if (strcmp(name, "..") != 0)
                        into.append(WString(name));
                    continue;
                }
                // The path buffer is free again and always has room for the name and a "/".
                memcpy(nameInPath, name, nameLength);
                nameInPath[nameLength] = '/';
                nameInPath[nameLength + 1] = '\0';
                into.append(WString(nameInPath));
                continue;
            }
            if (type == FileList::DIRECTORIES)
                continue;
            if (everything) {
                into.append(WString(name));
                continue;
            }
            for (int i = 0; i < endingCount; i++) {
                const size_t endingLength = endingLengths[i];
                // An absent ending is no text at all, so no name ends with it; an ending longer
                // than the name would have to equal it, which cannot be.
                if (!endings.at(i).isAbsent() && endingLength <= nameLength &&
                    memcmp(name + nameLength - endingLength, endings.at(i).printable(),
                           endingLength) == 0)
                    into.append(WString(name));
            }
        }
        closedir(dir);
    }
    sortEntries(into);
}

void DirectoryScan::sortEntries(WString::Array& entries)
{
    const int count = entries.count();
    if (count < 2)
        return;
    // Each entry's sort key is worked out once: folder or file, then its first eight bytes in
    // lower case as one number; only entries alike in both are compared further, byte by byte.
    struct Key {
        bool file;
        uint64_t prefix;
        const char* text;
        int index;
    };
    std::vector<Key> keys(static_cast<size_t>(count));
    for (int i = 0; i < count; i++) {
        const char* text = entries.at(i).printable();
        const size_t length = strlen(text);
        uint64_t prefix = 0;
        for (size_t b = 0; b < PREFIX_BYTES; b++)
            prefix = prefix << 8 | (b < length ? lowerCase(text[b]) : 0);
        keys[size_t(i)] = {!endsWithSlash(text, length), prefix, text, i};
    }
    std::stable_sort(keys.begin(), keys.end(), [](const Key& a, const Key& b) {
        if (a.file != b.file)
            return b.file;
        if (a.prefix != b.prefix)
            return a.prefix < b.prefix;
        // Alike so far: both run on past the eighth byte, or both ended within it.
        if ((a.prefix & 0xFF) == 0)
            return false;
        return strcasecmp(a.text + PREFIX_BYTES, b.text + PREFIX_BYTES) < 0;
    });
    std::vector<WString> sorted(static_cast<size_t>(count));
    for (int i = 0; i < count; i++)
        sorted[size_t(i)] = std::move(entries.at(keys[size_t(i)].index));
    for (int i = 0; i < count; i++)
        entries.at(i) = std::move(sorted[size_t(i)]);
}

int DirectoryScan::compareEntries(const void* a, const void* b)
{
    const char* first = static_cast<const WString*>(a)->printable();
    const char* second = static_cast<const WString*>(b)->printable();
    const bool firstIsDir = endsWithSlash(first, strlen(first));
    const bool secondIsDir = endsWithSlash(second, strlen(second));
    if (firstIsDir != secondIsDir)
        return firstIsDir ? -1 : 1;
    return strcasecmp(first, second);
}
