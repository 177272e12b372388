// Decodes each image path once and hands out the same DLImage afterwards.
#pragma once

#include "gfx/DLImage.h"
#include "text/WMap.h"

class ImageCache {
public:
    ImageCache();
    // Deletes the images: they live until the cache itself goes at process exit.
    ~ImageCache();
    ImageCache(const ImageCache&) = delete;
    ImageCache& operator=(const ImageCache&) = delete;

    // Null (after "Could not load image %s") when the file cannot be loaded; retried next time.
    DLImage* get(const char* path, int depth, bool keepAlpha);
    int count() const { return m_images.count(); }
    // Deletes every cached image, so the next request decodes again; for measuring cold loads.
    void clear();
    // The cached paths, in the map's iteration order.
    WString::Array paths() const;

private:
    WMap<WString, const char*, DLImage*, DLImage*> m_images;
};
