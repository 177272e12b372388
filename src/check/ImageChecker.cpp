// Decodes each image a skin names with the launcher's own reader; reports refusals and overhangs.
#include "check/ImageChecker.h"

#include "check/CheckSupport.h"
#include "platform/Video.h"
#include "gfx/DLImage.h"
#include "gfx/ImageCache.h"

using namespace check;

namespace {

const int IMAGE_DEPTH = 15;

} // namespace

ImageChecker::ImageChecker(SkinDiagnostics& diagnostics) : m_diagnostics(diagnostics), m_cachedBytes(0)
{
}

const ImageChecker::Image& ImageChecker::image(const std::string& path, bool keepAlpha)
{
    const std::string key = path + (keepAlpha ? "\n1" : "\n0");
    auto found = m_images.find(key);
    if (found != m_images.end())
        return found->second;
    // Decoded with the launcher's own reader, so its reason for refusing a file is the one told.
    m_diagnostics.takeImageError();
    DLImage decoded;
    // Images are counted against the cache's budget in the order the checker meets them; the
    // launcher meets them in the order pages are shown, so which one is refused may differ.
    const bool cached = m_cachedPaths.count(path) > 0;
    const size_t room = cached ? SIZE_MAX : ImageCache::BUDGET_BYTES - m_cachedBytes;
    Image result{decoded.loadPng(path.c_str(), IMAGE_DEPTH, keepAlpha, room), 0, 0, "", {}};
    if (result.loaded) {
        result.width = decoded.width();
        result.height = decoded.height();
        if (!cached) {
            m_cachedPaths.insert(path);
            m_cachedBytes += decoded.bytes();
        }
        if (decoded.hasAlpha()) {
            result.alpha.resize(size_t(result.width) * size_t(result.height));
            for (int y = 0; y < result.height; y++) {
                for (int x = 0; x < result.width; x++)
                    result.alpha[size_t(y) * result.width + x] = uint8_t(decoded.alphaAt(x, y));
            }
        }
    } else {
        result.reason = m_diagnostics.takeImageError();
        if (result.reason.empty())
            result.reason = "cannot be decoded";
    }
    return m_images.emplace(key, result).first->second;
}

void ImageChecker::checkImagePath(const WString& path, const SkinDiagnostics::Location& where,
                                  bool keepAlpha, int x, int y, bool placed)
{
    const std::string file = path.printable();
    if (file.empty() || file[0] != '/') {
        m_diagnostics.reportAt(where.file, where.line,
                               "image \"%s\" is relative: the launcher looks for it below %s; "
                               "start it with %%skindir%%",
                               file.c_str(), WORKING_DIRECTORY);
        return;
    }
    const std::string shown = m_diagnostics.displayName(file.c_str());
    const Image& decoded = image(file, keepAlpha);
    if (!decoded.loaded) {
        m_diagnostics.reportAt(where.file, where.line, "image %s %s", shown.c_str(),
                               decoded.reason.c_str());
        return;
    }
    if (!placed)
        return;
    const int right = x + decoded.width;
    const int bottom = y + decoded.height;
    if (x >= Video::WIDTH || y >= Video::HEIGHT || right <= 0 || bottom <= 0)
        m_diagnostics.reportAt(where.file, where.line,
                               "image %s (%dx%d) at (%d,%d) lies wholly off the 320x240 screen",
                               shown.c_str(), decoded.width, decoded.height, x, y);
    else if (x < 0 || y < 0 || right > Video::WIDTH || bottom > Video::HEIGHT)
        m_diagnostics.reportAt(where.file, where.line,
                               "image %s (%dx%d) at (%d,%d) reaches off the 320x240 screen and is "
                               "cut",
                               shown.c_str(), decoded.width, decoded.height, x, y);
}

bool ImageChecker::size(const WString& path, bool keepAlpha, int& width, int& height)
{
    const std::string file = path.printable();
    if (file.empty() || file[0] != '/')
        return false;
    const Image& decoded = image(file, keepAlpha);
    width = decoded.width;
    height = decoded.height;
    return decoded.loaded;
}

bool ImageChecker::covers(const WString& path, int x, int y, const Area& area)
{
    int width = 0, height = 0;
    if (area.isEmpty() || !size(path, true, width, height))
        return false;
    if (area.left < x || area.top < y || area.right > x + width || area.bottom > y + height)
        return false;
    const Image& decoded = image(path.printable(), true);
    if (decoded.alpha.empty())
        return true;
    for (int row = area.top; row < area.bottom; row++) {
        for (int column = area.left; column < area.right; column++) {
            if (decoded.alpha[size_t(row - y) * width + (column - x)] != 255)
                return false;
        }
    }
    return true;
}
