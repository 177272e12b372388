// Checks the images a skin names: that they decode, and where they fall on the screen.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "check/SkinDiagnostics.h"
#include "skin/Area.h"
#include "text/WString.h"

class ImageChecker {
public:
    explicit ImageChecker(SkinDiagnostics& diagnostics);
    ImageChecker(const ImageChecker&) = delete;
    ImageChecker& operator=(const ImageChecker&) = delete;

    // placed: the image is drawn with its top left corner at (x, y), so it must fit the screen.
    void checkImagePath(const WString& path, const SkinDiagnostics::Location& where,
                        bool keepAlpha, int x, int y, bool placed);

    // The size of an image as decoded; false when it does not decode.
    bool size(const WString& path, bool keepAlpha, int& width, int& height);
    // Whether the button image drawn at (x, y) hides every pixel of area.
    bool covers(const WString& path, int x, int y, const Area& area);

private:
    struct Image {
        bool loaded;
        int width;
        int height;
        std::string reason;
        // Row-major coverage when the file has an alpha channel (kept), else empty: opaque.
        std::vector<uint8_t> alpha;
    };

    // Each file is decoded once per alpha setting, however many buttons show it.
    const Image& image(const std::string& path, bool keepAlpha);

    SkinDiagnostics& m_diagnostics;
    std::map<std::string, Image> m_images;
    // The launcher's cache holds each path once, as first asked for, within its budget.
    std::set<std::string> m_cachedPaths;
    size_t m_cachedBytes;
};
