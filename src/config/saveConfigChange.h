// Rewrites one key of the configuration file, keeping every other line.
#pragma once

#include "text/WString.h"

// Writes newPath completely, flushes it to disk and renames it over configPath in one step.
// False (and configPath untouched, newPath gone) when anything fails or a value cannot be
// written so that it reads back unchanged.
bool saveConfigChange(const char* configPath, const char* newPath, const WString& key,
                      const WString::Array& values);
