// The process-wide store of decoded images, keyed by the path exactly as the skin spells it.
#include "gfx/ImageCache.h"

#include <cstdio>

#include "config/Config.h"
#include "platform/CpuClock.h"


namespace {
const unsigned CACHE_BUCKETS = 31;
}

ImageCache::ImageCache() : m_images(CACHE_BUCKETS), m_bytes(0) {}

ImageCache::~ImageCache()
{
    // The map never owns its images, so they are released here rather than left to leak at exit.
    clear();
}

void ImageCache::clear()
{
    WMap<WString, const char*, DLImage*, DLImage*>::Iterator it(&m_images);
    WString path;
    DLImage* image = nullptr;
    while (it.hasNext()) {
        it.next(path, image);
        delete image;
    }
    m_images.clear();
    m_bytes = 0;
}

WString::Array ImageCache::paths() const
{
    WString::Array result;
    // The iterator walks a mutable map but only reads it here.
    WMap<WString, const char*, DLImage*, DLImage*>::Iterator it(
        const_cast<WMap<WString, const char*, DLImage*, DLImage*>*>(&m_images));
    WString path;
    DLImage* image = nullptr;
    while (it.hasNext()) {
        it.next(path, image);
        result.append(path);
    }
    return result;
}

DLImage* ImageCache::get(const char* path, int depth, bool keepAlpha)
{
    if (!path) {
        printf("Could not load image %s\n", "");
        return nullptr;
    }
    DLImage* image = nullptr;
    if (m_images.get(path, image))
        return image;

    WString::Array speed;
    if (gConfig.get("SPEED_LOADING", speed))
        gCpuClock.apply(speed);

    image = new DLImage;
    // Refused from its header when it does not fit, so a refusal costs no decode.
    if (image->loadPng(path, depth, keepAlpha, BUDGET_BYTES - m_bytes)) {
        m_images.set(path, image);
        m_bytes += image->bytes();
        return image;
    }
    printf("Could not load image %s\n", path);
    delete image;
    return nullptr;
}
