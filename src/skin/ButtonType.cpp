// The button types image, text, rect and selector: what each takes, draws, and where.
#include "skin/ButtonType.h"

#include <algorithm>
#include <climits>

#include "gfx/DLImage.h"
#include "gfx/Font.h"
#include "gfx/ImageCache.h"
#include "platform/Battery.h"
#include "platform/Video.h"
#include "skin/FileList.h"
#include "skin/parseColour.h"

namespace {

const int IMAGE_DEPTH = 15;
const char* const BATTERY_MARK = "%battery%";

int intValue(const WString::Array& values, int index)
{
    return values.at(index).toInt();
}

// a + b held at the int range, so far-off coordinates cannot wrap around onto the screen.
int plus(int a, long long b)
{
    const long long sum = a + b;
    return sum > INT_MAX ? INT_MAX : sum < INT_MIN ? INT_MIN : int(sum);
}

Area withinScreen(Area area)
{
    area.left = std::max(area.left, 0);
    area.top = std::max(area.top, 0);
    area.right = std::min(area.right, int(Video::WIDTH));
    area.bottom = std::min(area.bottom, int(Video::HEIGHT));
    return area;
}

// The edges left, top, right, bottom given in the first four values, the last two included.
Area edges(const WString::Array& values)
{
    const int left = intValue(values, 0), top = intValue(values, 1);
    return Area{left, top, plus(intValue(values, 2), 1), plus(intValue(values, 3), 1)};
}

// image: x, y, the picture shown selected, the other picture.
Area imagePlaced(const WString::Array& values, int width, int height)
{
    const int x = intValue(values, 0), y = intValue(values, 1);
    return Area{x, y, plus(x, width), plus(y, height)};
}

Area imagePainted(const WString::Array& values, int width, int height)
{
    return withinScreen(imagePlaced(values, width, height));
}

void imagePrepare(const WString::Array& values, Config&, ButtonType::Drawables& drawables)
{
    if (values.count() > 2)
        drawables.picture = gImageCache.get(values.at(2).printable(), IMAGE_DEPTH, true);
    if (values.count() > 3)
        drawables.otherPicture = gImageCache.get(values.at(3).printable(), IMAGE_DEPTH, true);
}

void imageDraw(const WString::Array& values, ButtonType::Drawables& drawables, bool selected)
{
    const DLImage* shown =
        ButtonType::shownPicture(drawables.picture, drawables.otherPicture, selected);
    if (shown)
        shown->blitAlpha(intValue(values, 0), intValue(values, 1));
}

// text: x, y, the colour normally, the colour selected, the text.
Area textPlaced(const WString::Array& values, int, int)
{
    const int x = intValue(values, 0), y = intValue(values, 1);
    const int width = gFont.textWidth(ButtonType::textAtWidest(values).printable());
    return Area{x, y, plus(x, width), plus(y, gFont.lineHeight())};
}

Area textPainted(const WString::Array& values, int, int)
{
    return withinScreen(textPlaced(values, 0, 0));
}

void textDraw(const WString::Array& values, ButtonType::Drawables&, bool selected)
{
    gFont.setColour(parseColour(values.at(selected ? 3 : 2)));
    char level[16];
    Battery::format(gBattery.read(), level);
    const WString text = values.at(4).replace(BATTERY_MARK, level);
    gFont.drawText(intValue(values, 0), intValue(values, 1), text.printable());
}

// rect: left, top, right, bottom (edges included), the colour.
Area rectPlaced(const WString::Array& values, int, int)
{
    return edges(values);
}

// Rectangles are not clipped: one reaching off the screen is skipped whole.
Area rectPainted(const WString::Array& values, int, int)
{
    const Area area = edges(values);
    if (area.left < 0 || area.top < 0 || area.right > Video::WIDTH || area.bottom > Video::HEIGHT)
        return Area{0, 0, 0, 0};
    return area;
}

void rectDraw(const WString::Array& values, ButtonType::Drawables&, bool)
{
    const Area area = rectPainted(values, 0, 0);
    if (area.isEmpty())
        return;
    const uint16_t pixel = parseColour(values.at(4));
    for (int y = area.top; y < area.bottom; y++) {
        uint16_t* row = Video::screen + y * Video::WIDTH;
        for (int x = area.left; x < area.right; x++)
            row[x] = pixel;
    }
}

// selector: left, top, right, bottom of the list's area.
Area selectorPlaced(const WString::Array& values, int, int)
{
    return edges(values);
}

Area selectorPainted(const WString::Array& values, int, int)
{
    const int lineHeight = gFont.lineHeight();
    if (lineHeight <= 0)
        return Area{0, 0, 0, 0};
    const Area area = edges(values);
    const long long height = (long long)intValue(values, 3) - area.top;
    const long long rows = height > 0 ? height / lineHeight : 0;
    return withinScreen(Area{area.left, area.top, area.right, plus(area.top, rows * lineHeight)});
}

void selectorPrepare(const WString::Array& values, Config& options, ButtonType::Drawables& drawables)
{
    if (!drawables.list)
        drawables.list.reset(new FileList(intValue(values, 0), intValue(values, 1),
                                          intValue(values, 2), intValue(values, 3), options));
}

void selectorDraw(const WString::Array&, ButtonType::Drawables& drawables, bool selected)
{
    if (drawables.list)
        drawables.list->draw(selected);
}

} // namespace

const ButtonType ButtonType::TYPES[] = {
    {"image", PICTURE, 2, 4, 2, imagePlaced, imagePainted, imagePrepare, imageDraw},
    {"text", TEXT, 5, 5, -1, textPlaced, textPainted, nullptr, textDraw},
    {"rect", FILL, 5, 5, -1, rectPlaced, rectPainted, nullptr, rectDraw},
    {"selector", LIST, 4, 4, -1, selectorPlaced, selectorPainted, selectorPrepare, selectorDraw},
};
const int ButtonType::COUNT = sizeof(TYPES) / sizeof(TYPES[0]);

const ButtonType* ButtonType::named(const WString& name)
{
    for (const ButtonType& type : TYPES) {
        if (name == type.name)
            return &type;
    }
    return nullptr;
}

const DLImage* ButtonType::shownPicture(const DLImage* first, const DLImage* second, bool selected)
{
    if (first && (selected || !second))
        return first;
    if (!selected && second)
        return second;
    return nullptr;
}

WString ButtonType::textAtWidest(const WString::Array& values)
{
    return values.at(4).replace(BATTERY_MARK, Battery::WIDEST_TEXT);
}
