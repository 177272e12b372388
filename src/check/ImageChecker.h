// Checks the images a skin names: that they decode, and where they fall on the screen.
#pragma once

#include <cstddef>
#include <map>
#include <set>
#include <string>

#include "check/SkinDiagnostics.h"
#include "text/WString.h"

class ImageChecker {
public:
    explicit ImageChecker(SkinDiagnostics& diagnostics);
    ImageChecker(const ImageChecker&) = delete;
    ImageChecker& operator=(const ImageChecker&) = delete;

    // placed: the image is drawn with its top left corner at (x, y), so it must fit the screen.
    void checkImagePath(const WString& path, const SkinDiagnostics::Location& where,
                        bool keepAlpha, int x, int y, bool placed);

private:
    struct Image {
        bool loaded;
        int width;
        int height;
        std::string reason;
    };

    // Each file is decoded once per alpha setting, however many buttons show it.
    const Image& image(const std::string& path, bool keepAlpha);

    SkinDiagnostics& m_diagnostics;
    std::map<std::string, Image> m_images;
    // The launcher's cache holds each path once, as first asked for, within its budget.
    std::set<std::string> m_cachedPaths;
    size_t m_cachedBytes;
};
