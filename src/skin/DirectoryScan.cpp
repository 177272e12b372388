// Reading one directory into list entries: types, filters, the trailing "/" and the sort.
#include "skin/DirectoryScan.h"

#include <dirent.h>
#include <sys/stat.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <strings.h>
#include <vector>

#include "skin/FileList.h"

namespace {

// The sort moves the WString handles as raw bytes; that is only sound while a WString is one pointer.
static_assert(sizeof(WString) == sizeof(char*), "WString must stay a single pointer");

bool endsWithSlash(const char* text, size_t length)
{
    return length > 0 && text[length - 1] == '/';
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
    if (into.count() > 1)
        qsort(into.items(), into.count(), sizeof(WString), compareEntries);
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
