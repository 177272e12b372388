// Drawing and flipping a busy page: image background, 16 alpha icons, 24 texts, 8 rects, a 12-row list.
#include <benchmark/benchmark.h>
#include <sys/stat.h>

#include <cstdint>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "launcher/Globals.h"
#include "platform/Video.h"
#include "skin/Page.h"

namespace {

const int ICON_COUNT = 16;
const int ICON_SIZE = 48;
const int TEXT_COUNT = 24;
const int RECT_COUNT = 8;
const int LIST_ROWS = 12;
const int LIST_ENTRIES = 40;

WString::Array words(const std::vector<std::string>& items)
{
    WString::Array result;
    for (const std::string& item : items)
        result.append(WString(item.c_str()));
    return result;
}

// Background and icons with every channel varying, icons with a soft alpha edge and a see-through corner.
bool writeImages(const std::string& dir)
{
    std::vector<uint8_t> background(size_t(Video::WIDTH) * Video::HEIGHT * 3);
    for (size_t i = 0; i < background.size(); i++)
        background[i] = uint8_t(i * 7 + i / 960);
    if (!benchsupport::writePng(dir + "background.png", Video::WIDTH, Video::HEIGHT, 3, background))
        return false;
    for (int n = 0; n < ICON_COUNT; n++) {
        std::vector<uint8_t> icon(size_t(ICON_SIZE) * ICON_SIZE * 4);
        for (int y = 0; y < ICON_SIZE; y++) {
            for (int x = 0; x < ICON_SIZE; x++) {
                uint8_t* p = &icon[(size_t(y) * ICON_SIZE + x) * 4];
                p[0] = uint8_t(x * 5 + n * 16);
                p[1] = uint8_t(y * 5);
                p[2] = uint8_t((x + y) * 3);
                p[3] = uint8_t(x + y < 16 ? 0 : (x * y) % 256);
            }
        }
        if (!benchsupport::writePng(dir + "icon" + std::to_string(n) + ".png", ICON_SIZE, ICON_SIZE,
                                    4, icon))
            return false;
    }
    return true;
}

void fillBusyPage(Page& page, const std::string& dir)
{
    page.parseStatement(WString("BACKGROUND"), words({"image", dir + "background.png"}));
    int slot = 0;
    auto button = [&page, &slot](const std::vector<std::string>& type) {
        page.parseStatement(WString("BUTTON"), words({std::to_string(slot++)}));
        page.parseStatement(WString("TYPE"), words(type));
    };

    const int listTop = 20;
    const int listBottom = listTop + LIST_ROWS * gFont.lineHeight();
    button({"selector", "200", std::to_string(listTop), "316", std::to_string(listBottom)});
    page.parseStatement(WString("OPTIONS"), words({"startdir", dir + "list/"}));
    for (int n = 0; n < ICON_COUNT; n++) {
        const int x = 4 + (n % 4) * 48;
        const int y = 4 + (n / 4) * 56;
        button({"image", std::to_string(x), std::to_string(y), dir + "icon" + std::to_string(n) + ".png",
                dir + "icon" + std::to_string((n + 1) % ICON_COUNT) + ".png"});
    }
    for (int n = 0; n < RECT_COUNT; n++)
        button({"rect", std::to_string(4 + n * 24), "228", std::to_string(20 + n * 24), "236", "3DDCFF"});
    for (int n = 0; n < TEXT_COUNT; n++) {
        const int x = (n % 2) * 100 + 4;
        const int y = (n / 2) * 19 + 2;
        button({"text", std::to_string(x), std::to_string(y), "EAF2FA", "FFD166",
                "Label " + std::to_string(n) + ": Battery %battery%"});
    }
}

void busyPage_drawAndFlip(benchmark::State& state)
{
    if (!benchsupport::openDummyVideo()) {
        state.SkipWithError("SDL could not open the dummy video driver");
        return;
    }
    {
        benchsupport::QuietStdout quiet;
        gFont.load((benchsupport::dataDir() + "/ARIALN.TTF_0_12_255_255_255.png").c_str());
    }
    benchsupport::TempTree tree;
    const std::string dir = tree.path();
    bool ok = !dir.empty() && writeImages(dir) && mkdir((dir + "list").c_str(), 0755) == 0;
    for (int n = 0; ok && n < LIST_ENTRIES; n++)
        ok = benchsupport::writeFile(dir + "list/Program " + std::to_string(n) + ".gpe", "");
    if (!ok || gFont.lineHeight() <= 0) {
        state.SkipWithError("could not write the page's images and list, or load the font");
        return;
    }

    Page page;
    fillBusyPage(page, dir);
    // The first draw loads the images and scans the list; only later frames are measured.
    page.draw();
    Video::flip();
    if (gImageCache.count() < ICON_COUNT + 1) {
        state.SkipWithError("the page's images did not load");
        return;
    }
    for (auto _ : state) {
        page.draw();
        Video::flip();
    }
    state.SetItemsProcessed(int64_t(state.iterations()));
}

} // namespace

BENCHMARK(busyPage_drawAndFlip)->Name("busyPage/drawAndFlip");
