// A Linux handheld: the framebuffer as the screen, evdev devices as the controls, a rest that
// sleeps in ppoll until one of them has something, the battery and clock through sysfs.
#pragma once

#include "platform/Platform.h"
#include "platform/handheld/Console.h"
#include "platform/handheld/CpuFreq.h"
#include "platform/handheld/EvdevInput.h"
#include "platform/handheld/Framebuffer.h"
#include "platform/handheld/HandheldSettings.h"
#include "platform/handheld/PowerSupply.h"

class HandheldPlatform : public Platform {
public:
    // Takes SIGINT, SIGTERM and SIGHUP as a request to quit, seen only while it rests.
    explicit HandheldPlatform(const HandheldSettings& settings);
    ~HandheldPlatform() override;

    // The framebuffer, the terminal kept from drawing, and the input devices.
    bool openScreen() override;
    void present(const uint16_t* frame) override { m_screen.present(frame); }
    // Everything openScreen took, given back as it was found.
    void closeScreen() override;
    bool nextEvent(InputEvent& event) override;
    void rest(int timeoutMs) override;
    // The screen and the devices are let go while the program runs and taken back after it.
    LaunchOutcome launch(const char* directory, char* const argv[]) override;
    void restart(const char* path) override;
    void setCpuClock(int mhz, int, int) override { m_clock.set(mhz); }
    int batteryPercent() override { return m_battery.percent(); }

private:
    HandheldSettings m_settings;
    Framebuffer m_screen;
    Console m_console;
    EvdevInput m_input;
    PowerSupply m_battery;
    CpuFreq m_clock;
};
