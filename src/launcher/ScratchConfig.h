// A private copy of an application's Trevandel.cfg in a temporary folder of its own.
#pragma once

#include "text/WString.h"

class Launcher;

// Tools that run the launcher point it here, so that a config action changes the copy and the
// in-place restart reads it back, while the user's own settings stay as they are.
class ScratchConfig {
public:
    ScratchConfig();
    // Removes the copy and its folder.
    ~ScratchConfig();
    ScratchConfig(const ScratchConfig&) = delete;
    ScratchConfig& operator=(const ScratchConfig&) = delete;

    // Makes the folder and copies source into it byte for byte. A missing source gives no copy,
    // just as a save never creates a missing configuration. False when the folder cannot be
    // made or the copy cannot be written.
    bool create(const char* source);
    // Copies the source again over the copy (the user's file has been edited).
    bool refresh();
    // Saves one change into the copy as a config action does, making an empty copy first when
    // there is none (a tool's own choice, such as the skin to show).
    bool set(const WString& key, const WString::Array& values);
    // Points the launcher at the copy and makes its config actions reload in place.
    void attach(Launcher& launcher) const;

    // The copy: a file named Trevandel.cfg in the folder; the launcher saves beside it.
    const WString& path() const { return m_path; }
    const WString& source() const { return m_source; }

private:
    void removeFiles();

    WString m_source;
    WString m_directory;
    WString m_path;
};
