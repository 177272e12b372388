// Shared pieces of the benchmarks: the dummy screen, quiet standard output, temporary trees, PNGs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class DesktopPlatform;

namespace benchsupport {

// Bytes of one 640x480 frame of 16-bit window pixels: the memcpy every frame figure is measured against.
const size_t WINDOW_FRAME_BYTES = 640 * 480 * 2;

// Opens the 640x480 window once, on SDL's dummy driver with the desktop back end installed;
// false when SDL refuses.
bool openDummyVideo();
// The desktop back end the benchmarks draw through.
DesktopPlatform& desktop();

// The application data (font, Trevandel.cfg, skins/): TREVANDEL_DATA_DIR, else the source tree's data/.
std::string dataDir();

// Sends standard output to /dev/null while it lives; the launcher prints as it starts.
class QuietStdout {
public:
    QuietStdout();
    ~QuietStdout();
    QuietStdout(const QuietStdout&) = delete;
    QuietStdout& operator=(const QuietStdout&) = delete;

private:
    int m_saved;
};

// A fresh directory under /tmp, removed with everything in it when the object goes.
class TempTree {
public:
    TempTree();
    ~TempTree();
    TempTree(const TempTree&) = delete;
    TempTree& operator=(const TempTree&) = delete;
    // Ends in "/"; empty when the directory could not be made.
    const std::string& path() const { return m_path; }

private:
    std::string m_path;
};

bool writeFile(const std::string& path, const std::string& content);
// 8-bit RGB (channels 3) or RGBA (channels 4) PNG from width * height * channels samples.
bool writePng(const std::string& path, int width, int height, int channels,
              const std::vector<uint8_t>& samples);

// Restores the working directory on scope exit; start-up moves it to the handheld's folder.
class KeepWorkingDirectory {
public:
    KeepWorkingDirectory();
    ~KeepWorkingDirectory();
    KeepWorkingDirectory(const KeepWorkingDirectory&) = delete;
    KeepWorkingDirectory& operator=(const KeepWorkingDirectory&) = delete;

private:
    std::string m_path;
};

} // namespace benchsupport
