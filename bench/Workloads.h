// The work the figures measure, shared by the timed benchmarks and the instruction counts: each
// launcher operation beside the plain code that is its limit.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

class Launcher;

namespace workload {

// Keeps the compiler from dropping work whose result nobody reads.
inline void keep(const void* p)
{
    asm volatile("" : : "g"(p) : "memory");
}

// Start-up of the default application (data/) from an empty image cache to its first frame,
// on whatever platform is installed; the launcher is deleted afterwards unless keepLauncher.
// Returns the frames shown, so a start-up that drew nothing is noticed.
unsigned startOnce(const std::string& programPath, bool keepLauncher = false);
// A program path in data/, as the launcher would be started from there.
std::string programPath();
// The plain decode that start-up cannot avoid: header, expansion to 8-bit RGB(A), all rows.
bool decodeWithLibpng(const char* path, size_t& bytes);
// The PNG files a start-up decodes: the font and what the first page put into the image cache.
std::vector<std::string> startupPngs(const std::string& programPath);

// Fills dir (ending in "/") with files and folders of mixed case and endings.
bool makeFolder(const std::string& dir, int files, int folders);
// Such a folder in a temporary place, made once per size and removed at exit; empty when it
// could not be made.
const std::string& bigFolder(int files, int folders);
// Entering it: a list's scan, sort and first draw; returns the entries listed.
size_t enterFolder(const std::string& dir);
// The limit: opendir/readdir/stat, names copied out, qsort with the folders-first rule, freed.
size_t naiveListing(const std::string& dir);

// A generated skin of 128 pages x 64 buttons, scale x 1 MiB.
bool writeSkin(const std::string& path, int scale);
// Such a skin in a temporary place, written once per scale; empty when it could not be written.
const std::string& skinOfScale(int scale);
// The variables a start-up sets before it reads a skin.
void setStartupVariables();
// The skin read into the launcher's page table; false when not every page was filled.
bool readSkin(Launcher& launcher, const std::string& path);
// The limit: lines trimmed, comments dropped, keys upper-cased, values cut at commas.
size_t splitPlainly(const std::string& path);

const int SKIN_PAGES = 128;
const int SKIN_BUTTONS = 64;
const size_t MIB = 1 << 20;

} // namespace workload
