// Rewrites one key of the configuration file, keeping every other line.
#pragma once

#include "config/InputFile.h"
#include "text/WString.h"

// What a test may change about one save; the launcher passes the defaults.
struct SaveSettings {
    static const int DEFAULT_LOCK_WAIT_MS = 5000;
    // How long a save waits for another one to finish before it gives up, changing nothing.
    int lockWaitMs = DEFAULT_LOCK_WAIT_MS;
    // Called with 1, 2, 3, ... after each step that touches the disk (creating the new file,
    // each line written, flush, fsync, close, rename), so a test can stop the process at every
    // point and check what is left on disk; null in the product.
    void (*afterStep)(int step) = nullptr;
    // Stands in for the reads of the configuration (see InputFile::setReadAt); null in the product.
    InputFile::ReadAt readAt = nullptr;
};

// Whether a key, or one value, can be written into the file so that it reads back. A key must
// not break the line, hold "=", or be nothing but blanks or a comment once the reader has
// trimmed its leading blanks; a value must not hold a line break or a double quote (the reader
// drops quotes). Values are written joined with ",", so they read back as the same joined text.
bool isSavableConfigKey(const WString& key);
bool isSavableConfigValue(const WString& value);

// Writes the new content completely into a file of this save's own, flushes it to disk and
// renames it over configPath in one step, holding a lock on the configuration from the read to
// the rename so that saves from several processes follow one another. The new file is named
// after newPath's file name with a unique ending (NAME.a1B2c3.part) and made beside the file
// configPath names, through any symbolic links, which stay as they are. Every line but the
// changed ones is written back as it was read, with its own line end. False (and configPath
// untouched, no new file left) when anything fails, another save holds the lock for
// settings.lockWaitMs, a line of the file is too long to copy, or a value cannot be written so that
// it reads back unchanged. A new file that a stopped save left behind (newPath itself, or one
// with a unique ending) goes.
bool saveConfigChange(const char* configPath, const char* newPath, const WString& key,
                      const WString::Array& values, const SaveSettings& settings = SaveSettings());
