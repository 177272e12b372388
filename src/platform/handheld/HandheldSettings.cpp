// The settings' statements and variables.
#include "platform/handheld/HandheldSettings.h"

#include <cstdlib>
#include <cstring>

#include "config/ConfigReader.h"

namespace {

const char* const ENVIRONMENT_PREFIX = "TREVANDEL_";

// A list in one variable: commas, as a statement's values would be written.
WString::Array splitList(const char* text)
{
    return WString(text).split(",");
}

} // namespace

bool HandheldSettings::take(const char* key, const WString::Array& values, SettingProblem* problem)
{
    if (problem)
        *problem = SettingProblem();
    const char* first = values.count() > 0 ? values.at(0).printable() : "";
    if (strcmp(key, FRAMEBUFFER) == 0) {
        framebuffer = first;
    } else if (strcmp(key, SYSFS) == 0) {
        sysfs = first;
    } else if (strcmp(key, SCREEN_ROTATION) == 0) {
        if (strcmp(first, "180") == 0)
            upsideDown = true;
        else if (strcmp(first, "0") == 0)
            upsideDown = false;
        else if (problem)
            *problem = {SettingProblem::ROTATION_NOT_0_OR_180, first};
    } else if (strcmp(key, INPUT_DEVICES) == 0) {
        inputs.clear();
        for (int i = 0; i < values.count(); ++i)
            if (!values.at(i).isEmpty())
                inputs.push_back(values.at(i).printable());
    } else if (KeyMap::isSetting(key)) {
        keys.set(key, values, problem);
    } else {
        return false;
    }
    return true;
}

void HandheldSettings::read(const char* configPath)
{
    ConfigReader reader(configPath);
    WString key;
    WString::Array values;
    while (reader.next(key, values))
        take(key.printable(), values);
    const char* const fromEnvironment[] = {FRAMEBUFFER, SCREEN_ROTATION, INPUT_DEVICES, SYSFS};
    for (const char* name : fromEnvironment) {
        const std::string variable = std::string(ENVIRONMENT_PREFIX) + name;
        if (const char* value = getenv(variable.c_str()))
            take(name, splitList(value));
    }
    if (const char* format = getenv(SCREEN_FORMAT_VARIABLE))
        screenFormat = format;
}
