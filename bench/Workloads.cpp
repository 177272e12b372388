// The measured operations and their limits (see Workloads.h).
#include "Workloads.h"

#include <dirent.h>
#include <fcntl.h>
#include <png.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <strings.h>
#include <utility>

#include "BenchSupport.h"
#include "launcher/Globals.h"
#include "launcher/Launcher.h"
#include "launcher/ProcessState.h"
#include "platform/Video.h"
#include "skin/Button.h"
#include "skin/FileList.h"
#include "skin/Page.h"

namespace workload {

namespace {

const char* const FONT_FILE = "ARIALN.TTF_0_12_255_255_255.png";
// A list of this many rows is drawn once the folder is read.
const int LIST_ROWS = 12;

// One button in one of four shapes, every value using a variable as real skins do.
std::string buttonText(int page, int slot, int round)
{
    std::string s = "BUTTON=" + std::to_string(slot) + "\n";
    const std::string tag = std::to_string(page) + "_" + std::to_string(slot) + "_" + std::to_string(round);
    switch (slot % 4) {
    case 0:
        s += "TYPE=image," + std::to_string(slot * 5 % 300) + ",40,%skindir%tile" + tag + ".png,%skindir%off.png\n";
        break;
    case 1:
        s += "TYPE=text,24,134,%ink%,%warm%,\"Label, \"" + tag + "\n";
        break;
    case 2:
        s += "TYPE=rect,14,28,230,28,%accent%\n";
        break;
    default:
        s += "TYPE=selector,24,34,230,214\nOPTIONS=startdir,%basedir%demo/\n";
        break;
    }
    s += "NAVIGATION=" + std::to_string((slot + 63) % 64) + "," + std::to_string((slot + 1) % 64) + "\n";
    s += "ACTION=exec,/mnt/sd/game" + tag + "/,./run.gpe,%p0%\n";
    return s;
}

// scale x 1 MiB: the 128 pages written scale times over, each page padded to 1/128 MiB by a comment.
std::string skinText(int scale)
{
    std::string text = "VARIABLE=ink,EAF2FA\nVARIABLE=warm,FFD166\nVARIABLE=accent,3DDCFF\nSTARTPAGE=0\n";
    const size_t pageBytes = MIB / SKIN_PAGES;
    for (int round = 0; round < scale; round++) {
        for (int page = 0; page < SKIN_PAGES; page++) {
            std::string block = "PAGE=" + std::to_string(page) + "\nBACKGROUND=image,%skindir%main.png\nRETURN=page,0\n";
            for (int slot = 0; slot < SKIN_BUTTONS; slot++)
                block += buttonText(page, slot, round);
            const size_t target = size_t(page + 1 + round * SKIN_PAGES) * pageBytes;
            if (text.size() + block.size() + 4 < target)
                block += "//" + std::string(target - text.size() - block.size() - 3, '-') + "\n";
            text += block;
        }
    }
    return text;
}

// Removes the generated skins when the program ends.
struct GeneratedSkins {
    benchsupport::TempTree tree;
    std::map<int, std::string> paths;
};

int compareNames(const void* a, const void* b)
{
    const char* first = *static_cast<char* const*>(a);
    const char* second = *static_cast<char* const*>(b);
    const size_t firstLength = strlen(first), secondLength = strlen(second);
    const bool firstIsDir = firstLength > 0 && first[firstLength - 1] == '/';
    const bool secondIsDir = secondLength > 0 && second[secondLength - 1] == '/';
    if (firstIsDir != secondIsDir)
        return firstIsDir ? -1 : 1;
    return strcasecmp(first, second);
}

} // namespace

bool writeSkin(const std::string& path, int scale)
{
    return benchsupport::writeFile(path, skinText(scale));
}

const std::string& skinOfScale(int scale)
{
    static GeneratedSkins skins;
    auto found = skins.paths.find(scale);
    if (found != skins.paths.end())
        return found->second;
    std::string path = skins.tree.path() + "skin" + std::to_string(scale) + ".skin";
    if (skins.tree.path().empty() || !writeSkin(path, scale))
        path.clear();
    return skins.paths[scale] = path;
}

void setStartupVariables()
{
    ProcessState::reset(ProcessState::CONFIG);
    gConfig.setString("basedir", WString("/tmp/base/"));
    gConfig.setString("version", WString("Trevandel 0.4"));
    gConfig.setString("skindir", WString("/tmp/base/skins/big/"));
}

// Everything from the page table to the first frame in the window, from an empty image cache.
// Returns the flip count reached, so a start-up that drew nothing is noticed.
unsigned startOnce(const std::string& programPath, bool keepLauncher)
{
    benchsupport::KeepWorkingDirectory workingDirectory;
    // The font and the clock as the start before left them, as in the timed loop.
    ProcessState::reset(ProcessState::IMAGES | ProcessState::CONFIG);
    std::vector<char> argv0(programPath.begin(), programPath.end());
    argv0.push_back('\0');
    char* argv[] = {argv0.data(), nullptr};
    const unsigned flipsBefore = Video::flipCount();
    Launcher* launcher = new Launcher;
    if (launcher->start(1, argv) == 0)
        launcher->iterate();
    if (!keepLauncher)
        delete launcher;
    return Video::flipCount() - flipsBefore;
}

// The plain decode that start-up cannot avoid: header, expansion to 8-bit RGB(A), all rows.
bool decodeWithLibpng(const char* path, size_t& bytes)
{
    FILE* file = fopen(path, "rb");
    if (!file)
        return false;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    png_bytep image = nullptr;
    png_bytepp rows = nullptr;
    if (!info || setjmp(png_jmpbuf(png))) {
        free(image);
        free(rows);
        png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
        fclose(file);
        return false;
    }
    png_init_io(png, file);
    png_read_info(png, info);
    png_set_strip_16(png);
    png_set_expand(png);
    png_set_gray_to_rgb(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    const png_uint_32 height = png_get_image_height(png, info);
    const size_t rowBytes = png_get_rowbytes(png, info);
    image = static_cast<png_bytep>(malloc(rowBytes * height));
    rows = static_cast<png_bytepp>(malloc(sizeof(png_bytep) * height));
    if (!image || !rows)
        png_error(png, "out of memory");
    for (png_uint_32 y = 0; y < height; y++)
        rows[y] = image + y * rowBytes;
    png_read_image(png, rows);
    png_read_end(png, nullptr);
    bytes += rowBytes * height;
    keep(image);
    free(image);
    free(rows);
    png_destroy_read_struct(&png, &info, nullptr);
    fclose(file);
    return true;
}

// The PNG files a start-up decodes: the font and whatever the first page put into the image cache.
std::vector<std::string> startupPngs(const std::string& programPath)
{
    std::vector<std::string> files;
    {
        benchsupport::QuietStdout quiet;
        startOnce(programPath);
    }
    files.push_back(benchsupport::dataDir() + "/" + FONT_FILE);
    WString::Array cached = gImageCache.paths();
    for (int i = 0; i < cached.count(); i++)
        files.push_back(cached.at(i).printable());
    return files;
}

std::string programPath()
{
    return benchsupport::dataDir() + "/trevandel";
}

// Mixed case and endings, so the case-blind sort and the folder-first rule both have work.
bool makeFolder(const std::string& dir, int files, int folders)
{
    const char* const endings[] = {".gpe", ".GPE", ".txt", ".rom"};
    for (int i = 0; i < files; i++) {
        char name[64];
        snprintf(name, sizeof(name), "%sile%06d%s", (i % 3) ? "f" : "F", int((i * 7919LL) % 1000000),
                 endings[i % 4]);
        int fd = open((dir + name).c_str(), O_CREAT | O_WRONLY, 0644);
        if (fd < 0)
            return false;
        close(fd);
    }
    for (int i = 0; i < folders; i++) {
        char name[64];
        snprintf(name, sizeof(name), "%solder%05d", (i % 2) ? "f" : "F", int((i * 613LL) % 100000));
        if (mkdir((dir + name).c_str(), 0755) != 0)
            return false;
    }
    return true;
}

const std::string& bigFolder(int files, int folders)
{
    static std::map<std::pair<int, int>, std::unique_ptr<benchsupport::TempTree>> trees;
    static std::map<std::pair<int, int>, std::string> paths;
    const auto size = std::make_pair(files, folders);
    if (trees.count(size))
        return paths[size];
    trees[size].reset(new benchsupport::TempTree);
    const std::string& dir = trees[size]->path();
    std::string& path = paths[size];
    if (!dir.empty() && makeFolder(dir, files, folders))
        path = dir;
    return path;
}

size_t enterFolder(const std::string& dir)
{
    if (gFont.lineHeight() <= 0) {
        benchsupport::QuietStdout quiet;
        gFont.load((benchsupport::dataDir() + "/" + FONT_FILE).c_str());
    }
    Config options;
    WString::Array start;
    start.append(WString(dir.c_str()));
    options.set("startdir", start);
    FileList list(0, 0, 200, LIST_ROWS * gFont.lineHeight(), options);
    list.draw(true);
    return size_t(list.entries().count());
}

// The limit: one status query per entry, names copied out, sorted with qsort, freed.
size_t naiveListing(const std::string& dir)
{
    std::vector<char*> names;
    DIR* handle = opendir(dir.c_str());
    if (!handle)
        return 0;
    char path[PATH_MAX];
    struct dirent* entry;
    while ((entry = readdir(handle)) != nullptr) {
        if (strcmp(entry->d_name, ".") == 0)
            continue;
        snprintf(path, sizeof(path), "%s%s", dir.c_str(), entry->d_name);
        struct stat status;
        if (stat(path, &status) != 0)
            continue;
        const size_t length = strlen(entry->d_name);
        char* name = static_cast<char*>(malloc(length + 2));
        memcpy(name, entry->d_name, length + 1);
        if (S_ISDIR(status.st_mode)) {
            name[length] = '/';
            name[length + 1] = '\0';
        }
        names.push_back(name);
    }
    closedir(handle);
    qsort(names.data(), names.size(), sizeof(char*), compareNames);
    const size_t count = names.size();
    for (char* name : names)
        free(name);
    return count;
}

bool readSkin(Launcher& launcher, const std::string& path)
{
    const bool read = launcher.readSkin(path.c_str());
    // The last page's last button proves the whole file went in.
    Button* last = launcher.page(SKIN_PAGES - 1).button(SKIN_BUTTONS - 1);
    return read && last && last->onAction().count() == 4;
}

// The limit: the file read whole, cut into trimmed lines, comments dropped, each statement cut
// into an upper-cased key and comma-separated values with quotes honoured.
size_t splitPlainly(const std::string& path)
{
    std::string content;
    FILE* file = fopen(path.c_str(), "rb");
    if (!file)
        return 0;
    char chunk[1 << 16];
    size_t got;
    while ((got = fread(chunk, 1, sizeof(chunk), file)) > 0)
        content.append(chunk, got);
    fclose(file);

    size_t statements = 0;
    std::string key;
    std::vector<std::string> values;
    size_t start = 0;
    while (start <= content.size()) {
        size_t end = content.find('\n', start);
        if (end == std::string::npos)
            end = content.size();
        std::string line = content.substr(start, end - start);
        start = end + 1;
        line.erase(std::remove(line.begin(), line.end(), '\r'), line.end());
        size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos)
            continue;
        line = line.substr(first, line.find_last_not_of(" \t") - first + 1);
        if (line.compare(0, 2, "//") == 0)
            continue;
        size_t equals = line.find('=');
        if (equals == std::string::npos || equals == 0)
            continue;
        key = line.substr(0, equals);
        for (char& c : key)
            c = char(toupper(static_cast<unsigned char>(c)));
        values.clear();
        std::string value;
        bool quoted = false;
        for (size_t i = equals + 1; i < line.size(); i++) {
            const char c = line[i];
            if (c == '"')
                quoted = !quoted;
            else if (c == ',' && !quoted)
                values.push_back(std::move(value)), value.clear();
            else
                value += c;
        }
        values.push_back(std::move(value));
        statements += values.empty() ? 0 : 1;
        keep(key.data());
        keep(values.data());
    }
    return statements;
}

} // namespace workload
