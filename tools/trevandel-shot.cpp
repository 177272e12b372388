// Renders a page of a skin to a PNG without a display, using the launcher's own start-up and drawing.
#include <fcntl.h>
#include <png.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "check/CheckSupport.h"
#include "platform/ButtonMask.h"
#include "launcher/Globals.h"
#include "launcher/Launcher.h"
#include "launcher/ProcessState.h"
#include "launcher/ScratchConfig.h"
#include "launcher/Version.h"
#include "platform/Video.h"
#include "skin/Page.h"
#include "ToolArguments.h"

namespace {

// A sheet: tiles in rows of SHEET_COLUMNS, each under a label strip, GAP pixels apart.
const int SHEET_COLUMNS = 4;
// At most as many tiles as the skin has pages, so a plain sheet always shows every page: 32 rows,
// 8,388 pixels high. Only one row of tiles is held at a time (680 KB), so the bound is for the
// picture and the time to draw it, not for memory.
const int MAX_SHEET_TILES = Launcher::PAGE_COUNT;
const int GAP = 4;
const int LABEL_PADDING = 2;
const uint16_t SHEET_BACKGROUND = 0x2104;

struct KeyName {
    const char* name;
    ButtonMask mask;
};

const KeyName KEYS[] = {
    {"up", BTN_UP},       {"down", BTN_DOWN},     {"left", BTN_LEFT},     {"right", BTN_RIGHT},
    {"push", BTN_PUSH},   {"start", BTN_START},   {"select", BTN_SELECT}, {"l", BTN_L},
    {"r", BTN_R},         {"a", BTN_A},           {"b", BTN_B},           {"x", BTN_X},
    {"y", BTN_Y},         {"voldown", BTN_VOLDOWN}, {"volup", BTN_VOLUP},
};

void usage()
{
    fprintf(stderr,
            "usage: trevandel-shot [--app DIR] [--skin NAME] [--page N] [--double] [--save]\n"
            "                      [--verbose] [--sheet [--selected]] [--out FILE] [KEY...]\n"
            "  Starts the launcher from DIR (default: this program's directory) without a display,\n"
            "  shows page N, 0 to 127 (default: the skin's start page), presses each KEY in turn and\n"
            "  writes the frame on screen as a 320x240 PNG (640x480 with --double) to FILE (default\n"
            "  shot.png). --skin draws skins/NAME/ instead of the skin Trevandel.cfg names.\n"
            "  --sheet instead writes every filled page, labelled with its number, in rows of\n"
            "  four; with --selected, each page once for each button the stick can select, that\n"
            "  button selected. A sheet holds at most 128 tiles.\n"
            "  A config action changes a scratch copy of Trevandel.cfg, which the rest of the run\n"
            "  reads as a restarted launcher would; with --save it rewrites DIR's Trevandel.cfg.\n"
            "  Of the launcher's own lines only \"Action is\" ones are shown, all with --verbose.\n"
            "  Keys: up down left right push start select l r a b x y voldown volup.\n");
}

// A usage error: the reason, then the usage, and exit status 2.
int badUsage(const char* format, const std::string& what)
{
    fprintf(stderr, "trevandel-shot: ");
    fprintf(stderr, format, what.c_str());
    fprintf(stderr, "\n");
    usage();
    return 2;
}

bool exists(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

// While one lives, holding, the launcher's lines are held back: they are not the tool's. Only
// the "Action is" lines of the keys pressed are passed on, so a config or exec key still shows
// what it would do.
class ActionLinesOnly {
public:
    explicit ActionLinesOnly(bool holding) : m_saved(-1), m_held(nullptr)
    {
        if (!holding)
            return;
        m_held = tmpfile();
        if (!m_held)
            return;
        fflush(stdout);
        m_saved = dup(STDOUT_FILENO);
        dup2(fileno(m_held), STDOUT_FILENO);
    }
    ~ActionLinesOnly()
    {
        if (m_saved < 0)
            return;
        fflush(stdout);
        dup2(m_saved, STDOUT_FILENO);
        close(m_saved);
        rewind(m_held);
        char line[4096];
        while (fgets(line, sizeof(line), m_held)) {
            if (strncmp(line, ACTION_LINE, strlen(ACTION_LINE)) == 0)
                fputs(line, stdout);
        }
        fclose(m_held);
        fflush(stdout);
    }
    ActionLinesOnly(const ActionLinesOnly&) = delete;
    ActionLinesOnly& operator=(const ActionLinesOnly&) = delete;

private:
    static constexpr const char* ACTION_LINE = "Action is ";
    int m_saved;
    FILE* m_held;
};

bool parseKey(const char* name, ButtonMask& mask)
{
    for (const KeyName& key : KEYS) {
        if (strcmp(key.name, name) == 0) {
            mask = key.mask;
            return true;
        }
    }
    return false;
}

// Writes width x height pixels, each scale x scale times; rows(y) gives row y, top down.
bool writePng(const char* path, int width, int height, int scale,
              const std::function<const uint16_t*(int)>& rows)
{
    FILE* file = fopen(path, "wb");
    if (!file)
        return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        fclose(file);
        return false;
    }
    const int outWidth = width * scale;
    const int outHeight = height * scale;
    png_init_io(png, file);
    png_set_IHDR(png, info, outWidth, outHeight, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    std::vector<png_byte> row(size_t(outWidth) * 3);
    for (int y = 0; y < outHeight; y++) {
        const uint16_t* pixels = rows(y / scale);
        for (int x = 0; x < outWidth; x++) {
            uint16_t p = pixels[x / scale];
            // Widen each 5-bit field to 8 bits the usual way (copy the top bits down).
            int r = (p >> 11) & 31, g = (p >> 6) & 31, b = p & 31;
            row[x * 3] = png_byte((r << 3) | (r >> 2));
            row[x * 3 + 1] = png_byte((g << 3) | (g >> 2));
            row[x * 3 + 2] = png_byte((b << 3) | (b >> 2));
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return fclose(file) == 0;
}

// What one tile shows: a page, and the slot selected on it (-1: as the page has it).
struct Tile {
    int page;
    int slot;
};

// The page drawn as a single shot of it would draw it: from a cleared buffer, the battery
// counter as a fresh start has it.
void drawTile(Launcher& launcher, const Tile& tile)
{
    launcher.setCurrentPage(tile.page);
    if (tile.slot >= 0) {
        WString::Array select;
        select.append(WString("select"));
        select.append(WString(std::to_string(tile.slot).c_str()));
        NavCode nav = NAV_NONE;
        launcher.page(tile.page).handleInput(select, nav);
    }
    std::fill(Video::screen, Video::screen + Video::WIDTH * Video::HEIGHT, uint16_t(0));
    ProcessState::reset(ProcessState::BATTERY);
    launcher.handleMask(0);
}

// The label text in the launcher's font, drawn into a strip of its own.
std::vector<uint16_t> labelStrip(const std::string& text, int height)
{
    std::vector<uint16_t> scratch(size_t(Video::WIDTH) * Video::HEIGHT, SHEET_BACKGROUND);
    uint16_t* screen = Video::screen;
    Video::screen = scratch.data();
    gFont.setColour(0xFFFF);
    gFont.drawText(LABEL_PADDING, LABEL_PADDING, text.c_str());
    Video::screen = screen;
    scratch.resize(size_t(Video::WIDTH) * height);
    return scratch;
}

std::string tileName(const Tile& tile)
{
    std::string name = "page " + std::to_string(tile.page);
    if (tile.slot >= 0)
        name += ", slot " + std::to_string(tile.slot) + " selected";
    return name;
}

// The tiles of a sheet, in order: every filled page, or with selectEach every slot of it that
// the stick can select (a page without one once, as it shows).
std::vector<Tile> sheetTiles(Launcher& launcher, bool selectEach)
{
    std::vector<Tile> tiles;
    for (int p = 0; p < Launcher::PAGE_COUNT; p++) {
        const Page& page = launcher.page(p);
        if (!page.isFilled())
            continue;
        const uint64_t selectable = selectEach ? page.selectableSlots() : 0;
        for (int slot = 0; slot < Page::SLOT_COUNT; slot++) {
            if (selectable & (uint64_t(1) << slot))
                tiles.push_back(Tile{p, slot});
        }
        if (!selectable)
            tiles.push_back(Tile{p, -1});
    }
    if (tiles.empty()) {
        fprintf(stderr, "trevandel-shot: warning: the skin fills no page; the sheet shows the "
                        "empty start page\n");
        tiles.push_back(Tile{launcher.currentPage(), -1});
    }
    if (tiles.size() > size_t(MAX_SHEET_TILES)) {
        const size_t left = tiles.size() - MAX_SHEET_TILES;
        fprintf(stderr, "trevandel-shot: warning: a sheet holds at most %d tiles: the last %zu are "
                        "left out, from %s to %s\n",
                MAX_SHEET_TILES, left, tileName(tiles[MAX_SHEET_TILES]).c_str(),
                tileName(tiles.back()).c_str());
        tiles.resize(MAX_SHEET_TILES);
    }
    return tiles;
}

// A sheet drawn one row of tiles at a time, as the PNG writer asks for its rows.
class Sheet {
public:
    Sheet(Launcher& launcher, std::vector<Tile> tiles)
        : m_launcher(launcher)
        , m_tiles(std::move(tiles))
        , m_labelHeight(gFont.lineHeight() + 2 * LABEL_PADDING)
        , m_bandHeight(m_labelHeight + Video::HEIGHT + GAP)
        , m_columns(std::min(int(m_tiles.size()), SHEET_COLUMNS))
        , m_rows((int(m_tiles.size()) + m_columns - 1) / m_columns)
        , m_width(GAP + m_columns * (Video::WIDTH + GAP))
        , m_band(-1)
        , m_background(size_t(m_width), SHEET_BACKGROUND)
    {
    }

    int width() const { return m_width; }
    int height() const { return GAP + m_rows * m_bandHeight; }

    const uint16_t* row(int y)
    {
        if (y < GAP)
            return m_background.data();
        const int band = (y - GAP) / m_bandHeight;
        if (band != m_band)
            drawBand(band);
        return &m_pixels[size_t((y - GAP) % m_bandHeight) * m_width];
    }

private:
    void drawBand(int band)
    {
        m_band = band;
        m_pixels.assign(size_t(m_width) * m_bandHeight, SHEET_BACKGROUND);
        for (int column = 0; column < m_columns; column++) {
            const size_t i = size_t(band) * m_columns + column;
            if (i >= m_tiles.size())
                break;
            const int left = GAP + column * (Video::WIDTH + GAP);
            const std::vector<uint16_t> strip = labelStrip(tileName(m_tiles[i]), m_labelHeight);
            drawTile(m_launcher, m_tiles[i]);
            const uint16_t* shown = Video::shownFrame();
            for (int y = 0; y < m_labelHeight + Video::HEIGHT; y++) {
                const uint16_t* from = y < m_labelHeight
                                           ? &strip[size_t(y) * Video::WIDTH]
                                           : shown + size_t(y - m_labelHeight) * Video::WIDTH;
                std::copy(from, from + Video::WIDTH, &m_pixels[size_t(y) * m_width + left]);
            }
        }
    }

    Launcher& m_launcher;
    const std::vector<Tile> m_tiles;
    const int m_labelHeight;
    const int m_bandHeight;
    const int m_columns;
    const int m_rows;
    const int m_width;
    int m_band;
    const std::vector<uint16_t> m_background;
    std::vector<uint16_t> m_pixels;
};

// What the command line asks for.
struct Options {
    std::string app;
    std::string out = "shot.png";
    std::string skin;
    bool skinGiven = false;
    int page = -1;
    bool doubled = false;
    bool save = false;
    bool verbose = false;
    bool sheet = false;
    bool selectEach = false;
    std::vector<ButtonMask> keys;
};

// The options that take no value, each setting one flag.
struct Switch {
    const char* name;
    bool Options::*flag;
};

const Switch SWITCHES[] = {
    {"--double", &Options::doubled}, {"--save", &Options::save},
    {"--verbose", &Options::verbose}, {"--sheet", &Options::sheet},
    {"--selected", &Options::selectEach},
};

bool setSwitch(const std::string& arg, Options& options)
{
    for (const Switch& option : SWITCHES) {
        if (arg == option.name) {
            options.*option.flag = true;
            return true;
        }
    }
    return false;
}

// Reads the arguments into options and checks that they fit together and name a launcher's
// folder; -1 to go on, else the exit status, the reason and the usage printed.
int readArguments(int argc, char** argv, Options& options)
{
    for (int i = 1; i < argc; i++) {
        std::string arg = argv[i];
        if (arg == "--app" && i + 1 < argc) {
            options.app = argv[++i];
        } else if (arg == "--skin" && i + 1 < argc) {
            options.skin = argv[++i];
            options.skinGiven = true;
        } else if (arg == "--page" && i + 1 < argc) {
            if (!parsePageNumber(argv[++i], options.page))
                return badUsage("--page takes a page number from 0 to 127, not '%s'", argv[i]);
        } else if (arg == "--out" && i + 1 < argc) {
            options.out = argv[++i];
        } else if (setSwitch(arg, options)) {
        } else if (arg == "--help" || arg == "-h") {
            usage();
            return 0;
        } else if (arg == "--version") {
            Version::print("trevandel-shot");
            return 0;
        } else {
            ButtonMask mask;
            if (!parseKey(arg.c_str(), mask))
                return badUsage(arg[0] == '-' ? "unknown option or missing value '%s'"
                                              : "unknown key '%s'",
                                arg);
            options.keys.push_back(mask);
        }
    }
    if (options.selectEach && !options.sheet)
        return badUsage("%s goes with --sheet", "--selected");
    if (options.sheet && !options.keys.empty())
        return badUsage("%s takes no keys: it draws each page as it first shows", "--sheet");
    if (options.skinGiven && options.save)
        return badUsage("%s draws from a copy of Trevandel.cfg, which --save would bypass: give "
                        "one of them", "--skin");
    if (options.skinGiven && !isSkinName(options.skin)) {
        fprintf(stderr, "%s\n", badSkinNameMessage("trevandel-shot", options.skin).c_str());
        usage();
        return 2;
    }
    const std::string& app = options.app;
    if (!check::isDirectory(app))
        return badUsage("no application folder %s", app);
    if (!exists(withSlash(app) + Launcher::CONFIG_FILE) && !check::isDirectory(withSlash(app) + "skins"))
        return badUsage("%s holds no Trevandel.cfg and no skins/: give the launcher's folder",
                        app);
    if (options.skinGiven &&
        !exists(withSlash(app) + "skins/" + options.skin + "/" + Launcher::SKIN_FILE)) {
        fprintf(stderr, "trevandel-shot: no skin %s: there is no file skins/%s/%s\n",
                options.skin.c_str(), options.skin.c_str(), Launcher::SKIN_FILE);
        usage();
        return 2;
    }
    return -1;
}

} // namespace

int main(int argc, char** argv)
{
    Options options;
    options.app = programDirectoryOf(argc > 0 ? argv[0] : "");
    const int status = readArguments(argc, argv, options);
    if (status >= 0)
        return status;
    const std::string& app = options.app;
    const std::string& skin = options.skin;
    const bool skinGiven = options.skinGiven;
    const int scale = options.doubled ? 2 : 1;
    // No platform is installed: the headless one draws into the back buffers only.
    std::string launcherPath = withSlash(app) + "trevandel";
    char* launcherArgv[] = {&launcherPath[0], nullptr};
    static Launcher launcher;
    ScratchConfig scratch;
    if (!options.save) {
        const std::string config = withSlash(app) + Launcher::CONFIG_FILE;
        if (!scratch.create(config.c_str())) {
            fprintf(stderr, "trevandel-shot: could not make a scratch copy of %s\n", config.c_str());
            return 1;
        }
        // As the launcher would run with SKIN set to that name.
        WString::Array values;
        values.append(WString(skin.c_str()));
        if (skinGiven && !scratch.set(WString("SKIN"), values)) {
            fprintf(stderr, "trevandel-shot: could not make a scratch copy of %s\n", config.c_str());
            return 1;
        }
        scratch.attach(launcher);
    }
    ActionLinesOnly launcherLines(!options.verbose);
    if (launcher.start(1, launcherArgv) != 0)
        return 1;
    if (!skinGiven)
        fprintf(stderr, "%s\n",
                unnamedSkinNote("trevandel-shot", "drawing",
                                skinNameOf(gConfig.lookup("skindir", "").printable()),
                                gConfig.lookup("SKIN", "").printable())
                    .c_str());
    // With --save a "config" key saves the change but must not replace this process.
    launcher.setProgramPath(nullptr);
    if (options.sheet) {
        Sheet sheetPicture(launcher, sheetTiles(launcher, options.selectEach));
        if (!writePng(options.out.c_str(), sheetPicture.width(), sheetPicture.height(), scale,
                      [&](int y) { return sheetPicture.row(y); })) {
            fprintf(stderr, "trevandel-shot: could not write %s\n", options.out.c_str());
            return 1;
        }
        return 0;
    }
    if (options.page >= 0)
        launcher.setCurrentPage(options.page);
    // The first frame, then each key pressed and released as the loop would see it.
    launcher.handleMask(0);
    for (ButtonMask mask : options.keys) {
        if (launcher.handleMask(mask) == Launcher::QUIT || launcher.handleMask(0) == Launcher::QUIT)
            break;
    }
    if (!launcher.page(launcher.currentPage()).isFilled())
        fprintf(stderr, "trevandel-shot: warning: page %d is empty: the skin never fills it, so "
                        "the shot is black\n",
                launcher.currentPage());
    // The frame on screen is the buffer flipped last, not the one drawing goes to next.
    const uint16_t* shown = Video::shownFrame();
    if (!writePng(options.out.c_str(), Video::WIDTH, Video::HEIGHT, scale,
                  [&](int y) { return shown + size_t(y) * Video::WIDTH; })) {
        fprintf(stderr, "trevandel-shot: could not write %s\n", options.out.c_str());
        return 1;
    }
    return 0;
}
