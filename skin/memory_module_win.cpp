// Mapping from memory is not available in this build: every request fails with its reason.
#include "skin/memory_module_win.h"

MappedImage* map_image(const void*, std::uint32_t, const char** reason) {
    *reason = "mapping from memory is not available";
    return nullptr;
}

void* image_export(MappedImage*, const char*, const char** reason) {
    *reason = "no image is mapped";
    return nullptr;
}

void* image_base(MappedImage*) { return nullptr; }

void unmap_image(MappedImage*) {}
