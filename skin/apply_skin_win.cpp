// Applies the embedded skin: the library is mapped from the exe's own resources, never from a file.
#include "skin/apply_skin_win.h"

#include <windows.h>

#include "assets/resource_ids.h"

namespace {

using SkinAttachRes = BOOL(WINAPI*)(const void* skin, DWORD size, int hue_shift, int saturation_shift,
                                    int brightness_shift);

struct Bytes {
    const void* data;
    DWORD size;
};

Bytes embedded(const char* name) {
    HRSRC resource = FindResourceA(nullptr, name, MAKEINTRESOURCEA(10));  // RT_RCDATA
    if (!resource) return {};
    HGLOBAL loaded = LoadResource(nullptr, resource);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    return data ? Bytes{data, SizeofResource(nullptr, resource)} : Bytes{};
}

bool fail(const char* why) {
    OutputDebugStringA("vorlune: the tool runs unskinned: ");
    OutputDebugStringA(why);
    OutputDebugStringA("\n");
    return false;
}

}  // namespace

bool apply_skin(ModuleLoader* loader) {
    if (!loader) return fail("no loader");
    const Bytes library = embedded(skin_library_resource);
    const Bytes skin = embedded(skin_file_resource);
    if (!library.data || !skin.data) return fail("the skin resources are missing");
    if (!loader->ops->map(loader, library.data, library.size)) return fail(loader->ops->last_error(loader));
    auto attach = reinterpret_cast<SkinAttachRes>(loader->ops->export_address(loader, "Skin_AttachRes"));
    if (!attach) {
        fail(loader->ops->last_error(loader));
        loader->ops->release(loader);
        return false;
    }
    if (!attach(skin.data, skin.size, 0, 0, 0)) {
        loader->ops->release(loader);
        return fail("the skinning library refused the skin");
    }
    return true;
}
