// The processor's clock through cpufreq: a requested speed set where the userspace governor
// lets a program choose, and the speed found put back at the end.
#pragma once

#include <string>

class CpuFreq {
public:
    explicit CpuFreq(const std::string& sysfsRoot);
    ~CpuFreq() { restore(); }
    CpuFreq(const CpuFreq&) = delete;
    CpuFreq& operator=(const CpuFreq&) = delete;

    // Writes the available frequency nearest to mhz to scaling_setspeed, if the governor is
    // "userspace"; under any other governor the kernel keeps choosing and nothing is written.
    void set(int mhz);
    // Writes the speed found before the first change back, so the device is left no slower.
    void restore();
    // The same from a signal handler, with async-signal-safe calls only.
    static void restoreFromSignal();

private:
    long nearest(long kHz) const;
    bool write(long kHz) const;

    std::string m_folder;
    bool m_changed = false;
    long m_foundKHz = 0;
};
