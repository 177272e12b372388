// Renders a page of a skin to a PNG without a display, using the launcher's own start-up and drawing.
#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/ButtonMask.h"
#include "core/Launcher.h"
#include "core/ScratchConfig.h"
#include "core/Video.h"

namespace {

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
            "usage: trevandel-shot [--app DIR] [--page N] [--double] [--save] [--out FILE] [KEY...]\n"
            "  Starts the launcher from DIR (default: this program's directory) without a display,\n"
            "  shows page N (default: the skin's start page), presses each KEY in turn and writes\n"
            "  the frame on screen as a 320x240 PNG (640x480 with --double) to FILE (default shot.png).\n"
            "  A config action changes a scratch copy of Trevandel.cfg, which the rest of the run\n"
            "  reads as a restarted launcher would; with --save it rewrites DIR's Trevandel.cfg.\n"
            "  Keys: up down left right push start select l r a b x y voldown volup.\n");
}

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

bool writePng(const char* path, const uint16_t* frame, int scale)
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
    const int width = Video::WIDTH * scale;
    const int height = Video::HEIGHT * scale;
    png_init_io(png, file);
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    std::vector<png_byte> row(width * 3);
    for (int y = 0; y < height; y++) {
        for (int x = 0; x < width; x++) {
            uint16_t p = frame[(y / scale) * Video::WIDTH + x / scale];
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

std::string directoryOf(const char* path)
{
    const char* slash = strrchr(path, '/');
    return slash ? std::string(path, slash - path) : std::string(".");
}

} // namespace

int main(int argc, char** argv)
{
    std::string app = directoryOf(argv[0]);
    std::string out = "shot.png";
    int page = -1;
    int scale = 1;
    bool save = false;
    std::vector<ButtonMask> keys;
    for (int i = 1; i < argc; i++) {
        std::string arg = argv[i];
        if (arg == "--app" && i + 1 < argc) {
            app = argv[++i];
        } else if (arg == "--page" && i + 1 < argc) {
            page = WString(argv[++i]).toInt();
        } else if (arg == "--out" && i + 1 < argc) {
            out = argv[++i];
        } else if (arg == "--double") {
            scale = 2;
        } else if (arg == "--save") {
            save = true;
        } else if (arg == "--help" || arg == "-h") {
            usage();
            return 0;
        } else {
            ButtonMask mask;
            if (!parseKey(arg.c_str(), mask)) {
                fprintf(stderr, "trevandel-shot: unknown key or option '%s'\n", arg.c_str());
                usage();
                return 2;
            }
            keys.push_back(mask);
        }
    }
    // Never open a window: draw into the back buffers only.
    setenv("SDL_VIDEODRIVER", "dummy", 1);

    std::string launcherPath = app + "/trevandel";
    char* launcherArgv[] = {&launcherPath[0], nullptr};
    static Launcher launcher;
    ScratchConfig scratch;
    if (!save) {
        const std::string config = app + "/" + Launcher::CONFIG_FILE;
        if (!scratch.create(config.c_str())) {
            fprintf(stderr, "trevandel-shot: could not make a scratch copy of %s\n", config.c_str());
            return 1;
        }
        scratch.attach(launcher);
    }
    if (launcher.start(1, launcherArgv) != 0)
        return 1;
    // With --save a "config" key saves the change but must not replace this process.
    launcher.setProgramPath(nullptr);
    if (page >= 0)
        launcher.setCurrentPage(page);
    // The first frame, then each key pressed and released as the loop would see it.
    launcher.handleMask(0);
    for (ButtonMask mask : keys) {
        if (launcher.handleMask(mask) == Launcher::QUIT || launcher.handleMask(0) == Launcher::QUIT)
            break;
    }
    // The frame on screen is the buffer flipped last, not the one drawing goes to next.
    const uint16_t* shown = Video::backBuffer(Video::bufferIndex() ^ 1);
    if (!writePng(out.c_str(), shown, scale)) {
        fprintf(stderr, "trevandel-shot: could not write %s\n", out.c_str());
        return 1;
    }
    return 0;
}
