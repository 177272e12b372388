// Reading a screen format from a test's description.
#include "platform/handheld/ScreenFormat.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>

namespace {

bool readField(const std::string& value, ScreenFormat::Field& field)
{
    int offset = 0;
    int length = 0;
    char extra = 0;
    if (sscanf(value.c_str(), "%d:%d%c", &offset, &length, &extra) != 2 || offset < 0 ||
        length < 0 || offset + length > 32)
        return false;
    field = {offset, length};
    return true;
}

bool readNumber(const std::string& value, int& number)
{
    char* end = nullptr;
    const long parsed = strtol(value.c_str(), &end, 10);
    if (value.empty() || *end || parsed < 0 || parsed > 1 << 20)
        return false;
    number = int(parsed);
    return true;
}

} // namespace

bool ScreenFormat::parse(const char* text, ScreenFormat& format, std::string& problem)
{
    std::istringstream words(text ? text : "");
    std::string size;
    words >> size;
    ScreenFormat f;
    char extra = 0;
    if (sscanf(size.c_str(), "%dx%dx%d%c", &f.width, &f.height, &f.bitsPerPixel, &extra) != 3 ||
        f.width <= 0 || f.height <= 0 || f.width > 1 << 14 || f.height > 1 << 14 ||
        f.bitsPerPixel <= 0 || f.bitsPerPixel > 32) {
        problem = "\"" + size + "\" is no WIDTHxHEIGHTxBITS";
        return false;
    }
    if (f.bitsPerPixel == 16) {
        f.red = {11, 5};
        f.green = {5, 6};
        f.blue = {0, 5};
    } else if (f.bitsPerPixel == 32) {
        f.red = {16, 8};
        f.green = {8, 8};
        f.blue = {0, 8};
    }
    f.lineLength = f.width * ((f.bitsPerPixel + 7) / 8);
    f.virtualHeight = f.height;
    std::string word;
    while (words >> word) {
        const size_t equals = word.find('=');
        const std::string name = word.substr(0, equals);
        const std::string value = equals == std::string::npos ? "" : word.substr(equals + 1);
        bool ok = false;
        if (name == "line")
            ok = readNumber(value, f.lineLength);
        else if (name == "virtual")
            ok = readNumber(value, f.virtualHeight);
        else if (name == "yoffset")
            ok = readNumber(value, f.yOffset);
        else if (name == "red")
            ok = readField(value, f.red);
        else if (name == "green")
            ok = readField(value, f.green);
        else if (name == "blue")
            ok = readField(value, f.blue);
        else if (name == "transp")
            ok = readField(value, f.transp);
        if (!ok) {
            problem = "\"" + word + "\" is not understood";
            return false;
        }
    }
    format = f;
    return true;
}

std::string ScreenFormat::describe() const
{
    return std::to_string(width) + "x" + std::to_string(height) + ", " +
           std::to_string(bitsPerPixel) + " bits per pixel";
}
