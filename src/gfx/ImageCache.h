// Decodes each image path once and hands out the same DLImage afterwards.
#pragma once

#include <cstddef>

#include "gfx/DLImage.h"
#include "gfx/PngReader.h"
#include "text/WMap.h"

class ImageCache {
public:
    // What all cached images may take together: a full-screen background, in 16-bit pixels, for
    // every one of the 128 pages (18.75 MiB). With the decoder's own limit of four screens per
    // image, this keeps the launcher within the handheld's 64 MiB whatever a skin asks for.
    static constexpr size_t BUDGET_BYTES = 128 * (size_t)SCREEN_PIXELS * 2;

    ImageCache();
    // Deletes the images: they live until the cache itself goes at process exit.
    ~ImageCache();
    ImageCache(const ImageCache&) = delete;
    ImageCache& operator=(const ImageCache&) = delete;

    // Null (after "Could not load image %s") when the file cannot be loaded, or would not fit in
    // what is left of the budget; retried next time.
    DLImage* get(const char* path, int depth, bool keepAlpha);
    int count() const { return m_images.count(); }
    // What the cached images take.
    size_t bytes() const { return m_bytes; }
    // Deletes every cached image, so the next request decodes again; for measuring cold loads.
    void clear();
    // The cached paths, in the map's iteration order.
    WString::Array paths() const;

private:
    WMap<WString, const char*, DLImage*, DLImage*> m_images;
    size_t m_bytes;
};

// The process's image store, constructed after the font (see launcher/Globals.cpp).
extern ImageCache gImageCache;
