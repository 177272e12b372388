// Rewrites one key of the configuration file, keeping every other line.
#pragma once

#include "text/WString.h"

// Test hook, null in the product: called with 1, 2, 3, ... after each step of a save that
// touches the disk (creating the new file, each line written, flush, fsync, close, rename),
// so a test can stop the process at every point and check what is left on disk.
extern void (*gSaveStepHook)(int step);

// Whether a key, or one value, can be written into the file so that it reads back. A key must
// not break the line, hold "=", or be nothing but blanks or a comment once the reader has
// trimmed its leading blanks; a value must not hold a line break or a double quote (the reader
// drops quotes). Values are written joined with ",", so they read back as the same joined text.
bool isSavableConfigKey(const WString& key);
bool isSavableConfigValue(const WString& value);

// Writes newPath completely, flushes it to disk and renames it over configPath in one step.
// False (and configPath untouched, newPath gone) when anything fails or a value cannot be
// written so that it reads back unchanged.
bool saveConfigChange(const char* configPath, const char* newPath, const WString& key,
                      const WString::Array& values);
