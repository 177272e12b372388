// scaling_governor, scaling_available_frequencies, scaling_cur_freq and scaling_setspeed of cpu0.
#include "platform/handheld/CpuFreq.h"

#include <fcntl.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

const long KHZ_PER_MHZ = 1000;
const char* const USERSPACE = "userspace";

// What the signal handler writes: prepared at the first change, while nothing is failing.
char gRestorePath[PATH_MAX] = "";
char gRestoreText[32] = "";

std::string readText(const std::string& path)
{
    FILE* file = fopen(path.c_str(), "re");
    if (!file)
        return std::string();
    char text[1024] = {};
    const size_t got = fread(text, 1, sizeof(text) - 1, file);
    fclose(file);
    text[got] = '\0';
    std::string result(text);
    while (!result.empty() && (result.back() == '\n' || result.back() == ' '))
        result.pop_back();
    return result;
}

long readKHz(const std::string& path)
{
    const std::string text = readText(path);
    return text.empty() ? 0 : strtol(text.c_str(), nullptr, 10);
}

} // namespace

CpuFreq::CpuFreq(const std::string& sysfsRoot)
    : m_folder(sysfsRoot + "/devices/system/cpu/cpu0/cpufreq/")
{
}

long CpuFreq::nearest(long kHz) const
{
    std::vector<long> available;
    const std::string list = readText(m_folder + "scaling_available_frequencies");
    for (const char* at = list.c_str(); *at;) {
        char* end = nullptr;
        const long value = strtol(at, &end, 10);
        if (end == at)
            break;
        if (value > 0)
            available.push_back(value);
        at = end;
    }
    if (available.empty()) {
        // Without a list, any speed between the policy's limits.
        const long lowest = readKHz(m_folder + "scaling_min_freq");
        const long highest = readKHz(m_folder + "scaling_max_freq");
        if (highest > 0 && kHz > highest)
            return highest;
        return kHz < lowest ? lowest : kHz;
    }
    long best = available[0];
    for (long value : available) {
        const long distance = labs(value - kHz);
        const long bestDistance = labs(best - kHz);
        // Of two as near, the faster.
        if (distance < bestDistance || (distance == bestDistance && value > best))
            best = value;
    }
    return best;
}

bool CpuFreq::write(long kHz) const
{
    FILE* file = fopen((m_folder + "scaling_setspeed").c_str(), "we");
    if (!file)
        return false;
    const bool ok = fprintf(file, "%ld\n", kHz) > 0;
    return fclose(file) == 0 && ok;
}

void CpuFreq::set(int mhz)
{
    if (readText(m_folder + "scaling_governor") != USERSPACE)
        return;
    if (!m_changed) {
        m_foundKHz = readKHz(m_folder + "scaling_cur_freq");
        if (m_foundKHz <= 0)
            m_foundKHz = readKHz(m_folder + "scaling_setspeed");
    }
    if (!write(nearest(long(mhz) * KHZ_PER_MHZ)))
        return;
    if (!m_changed && m_foundKHz > 0) {
        snprintf(gRestorePath, sizeof(gRestorePath), "%sscaling_setspeed", m_folder.c_str());
        snprintf(gRestoreText, sizeof(gRestoreText), "%ld\n", m_foundKHz);
    }
    m_changed = true;
}

void CpuFreq::restore()
{
    if (!m_changed)
        return;
    m_changed = false;
    gRestorePath[0] = '\0';
    if (m_foundKHz > 0 && readText(m_folder + "scaling_governor") == USERSPACE)
        write(m_foundKHz);
}

void CpuFreq::restoreFromSignal()
{
    if (!gRestorePath[0])
        return;
    const int fd = open(gRestorePath, O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return;
    if (::write(fd, gRestoreText, strlen(gRestoreText)) < 0) {
        // Nothing more can be done while the process is going down.
    }
    close(fd);
}
