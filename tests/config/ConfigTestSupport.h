// Temporary directories, raw file access and stdout capture shared by the configuration tests.
#pragma once

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "text/WString.h"

// A fresh directory under /tmp, removed with its files when the test ends.
class TempDir {
public:
    TempDir()
    {
        char pattern[] = "/tmp/trevandel-config-XXXXXX";
        char* made = mkdtemp(pattern);
        m_path = made ? made : "";
    }
    ~TempDir()
    {
        if (m_path.empty())
            return;
        if (DIR* dir = opendir(m_path.c_str())) {
            while (dirent* entry = readdir(dir)) {
                std::string name = entry->d_name;
                if (name != "." && name != "..")
                    unlink((m_path + "/" + name).c_str());
            }
            closedir(dir);
        }
        rmdir(m_path.c_str());
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    bool ok() const { return !m_path.empty(); }
    std::string file(const char* name) const { return m_path + "/" + name; }
    const std::string& path() const { return m_path; }

private:
    std::string m_path;
};

inline bool writeFile(const std::string& path, const std::string& bytes)
{
    FILE* f = fopen(path.c_str(), "wb");
    if (!f)
        return false;
    bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return fclose(f) == 0 && ok;
}

inline std::string readFile(const std::string& path)
{
    std::string bytes;
    FILE* f = fopen(path.c_str(), "rb");
    if (!f)
        return "<missing>";
    char chunk[4096];
    size_t got;
    while ((got = fread(chunk, 1, sizeof chunk, f)) > 0)
        bytes.append(chunk, got);
    fclose(f);
    return bytes;
}

inline bool fileExists(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

// The names in a directory, sorted, without "." and "..".
inline std::vector<std::string> namesIn(const std::string& path)
{
    std::vector<std::string> names;
    if (DIR* dir = opendir(path.c_str())) {
        while (dirent* entry = readdir(dir)) {
            std::string name = entry->d_name;
            if (name != "." && name != "..")
                names.push_back(name);
        }
        closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

// The new files a save left in a directory: any name that starts like Trevandel.newcfg.
inline std::vector<std::string> newFilesIn(const std::string& path)
{
    std::vector<std::string> left;
    for (const std::string& name : namesIn(path)) {
        if (name.compare(0, 16, "Trevandel.newcfg") == 0)
            left.push_back(name);
    }
    return left;
}

// A value list in test notation: nullptr stands for an absent string.
typedef std::vector<const char*> Values;

inline WString::Array makeArray(const Values& values)
{
    WString::Array array;
    for (const char* v : values)
        array.append(WString(v));
    return array;
}

// Compares item by item, telling an absent string from a present empty one.
inline void expectValues(const Values& expected, const WString::Array& actual,
                         const std::string& context)
{
    ASSERT_EQ((int)expected.size(), actual.count()) << context;
    for (int i = 0; i < actual.count(); i++) {
        if (!expected[i]) {
            EXPECT_TRUE(actual.at(i).isAbsent()) << context << " value " << i;
        } else {
            EXPECT_FALSE(actual.at(i).isAbsent()) << context << " value " << i;
            EXPECT_STREQ(expected[i], actual.at(i).printable()) << context << " value " << i;
        }
    }
}
