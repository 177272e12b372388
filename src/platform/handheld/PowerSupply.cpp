// type, capacity and the voltages under /sys/class/power_supply/*/.
#include "platform/handheld/PowerSupply.h"

#include <dirent.h>
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/Platform.h"

namespace {

const int FULL = 100;

long long nowMs()
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (long long)now.tv_sec * 1000 + now.tv_nsec / 1000000;
}

// The first word of a small sysfs file; empty when it cannot be read.
std::string readWord(const std::string& path)
{
    FILE* file = fopen(path.c_str(), "re");
    if (!file)
        return std::string();
    char text[64] = {};
    const bool got = fscanf(file, "%63s", text) == 1;
    fclose(file);
    return got ? std::string(text) : std::string();
}

bool readNumber(const std::string& path, long& number)
{
    const std::string word = readWord(path);
    char* end = nullptr;
    number = strtol(word.c_str(), &end, 10);
    return !word.empty() && *end == '\0';
}

} // namespace

std::string PowerSupply::findBattery() const
{
    DIR* dir = opendir(m_classFolder.c_str());
    if (!dir)
        return std::string();
    std::vector<std::string> names;
    while (dirent* entry = readdir(dir))
        if (entry->d_name[0] != '.')
            names.push_back(entry->d_name);
    closedir(dir);
    std::sort(names.begin(), names.end());
    for (const std::string& name : names)
        if (readWord(m_classFolder + name + "/type") == "Battery")
            return m_classFolder + name + "/";
    return std::string();
}

int PowerSupply::readNow()
{
    const std::string battery = findBattery();
    if (battery.empty())
        return Platform::NO_BATTERY;
    long value = 0;
    if (readNumber(battery + "capacity", value))
        return int(std::max(0L, std::min(long(FULL), value)));
    long now = 0;
    if (!readNumber(battery + "voltage_now", now))
        return Platform::NO_BATTERY;
    long empty = EMPTY_MICROVOLTS;
    long full = FULL_MICROVOLTS;
    long designed = 0;
    if (readNumber(battery + "voltage_min_design", designed))
        empty = designed;
    if (readNumber(battery + "voltage_max_design", designed))
        full = designed;
    if (full <= empty)
        return Platform::NO_BATTERY;
    const long long share = (long long)(now - empty) * FULL / (full - empty);
    return int(std::max(0LL, std::min((long long)FULL, share)));
}

int PowerSupply::percent()
{
    const long long now = nowMs();
    if (!m_read || now - m_readAtMs >= REFRESH_SECONDS * 1000LL) {
        m_percent = readNow();
        m_readAtMs = now;
        m_read = true;
    }
    return m_percent;
}
