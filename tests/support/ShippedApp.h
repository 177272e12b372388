// Copies the application as it ships: data/ with only the skins listed in tests/files/shipped-skins.txt.
#pragma once

#include <filesystem>
#include <fstream>
#include <set>
#include <string>

namespace testsupport {

// The skin folders the application ships with. A developer's own skins in data/skins/ are left
// out of every test of the shipped application, so they cannot change its results.
inline std::set<std::string> shippedSkins(const std::string& testFilesDir)
{
    std::set<std::string> names;
    std::ifstream list(testFilesDir + "/shipped-skins.txt");
    std::string name;
    while (std::getline(list, name)) {
        if (!name.empty())
            names.insert(name);
    }
    return names;
}

// dataDir copied into destination (which exists), skins/ holding only the shipped skins.
inline void copyShippedApp(const std::string& dataDir, const std::string& testFilesDir,
                           const std::string& destination)
{
    namespace fs = std::filesystem;
    const std::set<std::string> skins = shippedSkins(testFilesDir);
    for (const fs::directory_entry& entry : fs::directory_iterator(dataDir)) {
        const std::string name = entry.path().filename().string();
        const fs::path to = fs::path(destination) / name;
        if (name != "skins") {
            fs::copy(entry.path(), to, fs::copy_options::recursive | fs::copy_options::overwrite_existing);
            continue;
        }
        fs::create_directories(to);
        for (const std::string& skin : skins)
            fs::copy(entry.path() / skin, to / skin,
                     fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    }
}

} // namespace testsupport
