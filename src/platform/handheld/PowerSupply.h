// The battery's charge from the kernel's power-supply class, read at most every few seconds.
#pragma once

#include <string>

class PowerSupply {
public:
    // A battery's charge is read again after this many seconds at the earliest.
    static const int REFRESH_SECONDS = 5;
    // Where a battery gives only its voltage and no design range: a single lithium cell's.
    static const long EMPTY_MICROVOLTS = 3400000;
    static const long FULL_MICROVOLTS = 4200000;

    explicit PowerSupply(const std::string& sysfsRoot) : m_classFolder(sysfsRoot + "/class/power_supply/") {}

    // Percent, 0 to 100: capacity where the battery gives it, else an estimate from voltage_now
    // between voltage_min_design and voltage_max_design; Platform::NO_BATTERY without a
    // battery. The first battery in name order counts.
    int percent();

private:
    int readNow();
    std::string findBattery() const;

    std::string m_classFolder;
    bool m_read = false;
    long long m_readAtMs = 0;
    int m_percent = 0;
};
