// Dressing the tool's windows in the embedded skin at start-up.
#pragma once

#include <cstdint>

#include "skin/module_loader.h"

struct SkinBytes {
    const void* data;
    std::uint32_t size;
};

// Maps the skinning library with the loader and hands it the skin. On any failure the library is
// released again and the windows stay as they are; the reason is returned, null on success.
const char* apply_skin(ModuleLoader* loader, SkinBytes library, SkinBytes skin);

// The bytes of an RCDATA resource of the exe; null data when it has none.
SkinBytes embedded_bytes(const char* name);

// apply_skin with the library and the skin embedded in the exe.
const char* apply_embedded_skin(ModuleLoader* loader);
