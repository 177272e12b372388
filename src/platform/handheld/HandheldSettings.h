// Where the handheld's devices are and how its screen and keys are set up: Trevandel.cfg's
// statements, with the environment's TREVANDEL_ variables over them.
#pragma once

#include <string>
#include <vector>

#include "platform/handheld/KeyMap.h"

struct HandheldSettings {
    // Configuration keys; the environment variable of each is TREVANDEL_ and the key.
    static constexpr const char* FRAMEBUFFER = "FRAMEBUFFER";
    static constexpr const char* SCREEN_ROTATION = "SCREEN_ROTATION";
    static constexpr const char* INPUT_DEVICES = "INPUT_DEVICES";
    static constexpr const char* SYSFS = "SYSFS";
    // The environment only: the geometry of a plain file standing in for the framebuffer.
    static constexpr const char* SCREEN_FORMAT_VARIABLE = "TREVANDEL_SCREEN_FORMAT";

    std::string framebuffer = "/dev/fb0";
    std::string screenFormat;
    // SCREEN_ROTATION=180: the panel is mounted upside down.
    bool upsideDown = false;
    // Devices, and folders (ending in "/") whose event* devices are used.
    std::vector<std::string> inputs = {"/dev/input/"};
    std::string sysfs = "/sys";
    KeyMap keys;

    // Reads configPath's statements (a missing file keeps the defaults), then the environment.
    void read(const char* configPath);
    // Takes one statement; false when it is none of these settings. problem, when given,
    // receives what is wrong with one that is (NONE when nothing is).
    bool take(const char* key, const WString::Array& values, SettingProblem* problem = nullptr);
};
