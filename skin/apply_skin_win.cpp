// Applies the embedded skin: the library is mapped from the exe's own resources, never from a file.
#include "skin/apply_skin_win.h"

#include <windows.h>

#include "assets/resource_ids.h"

namespace {

using SkinAttachRes = BOOL(WINAPI*)(const void* skin, DWORD size, int hue_shift, int saturation_shift,
                                    int brightness_shift);

}  // namespace

SkinBytes embedded_bytes(const char* name) {
    HRSRC resource = FindResourceA(nullptr, name, MAKEINTRESOURCEA(10));  // RT_RCDATA
    if (!resource) return {};
    HGLOBAL loaded = LoadResource(nullptr, resource);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    return data ? SkinBytes{data, SizeofResource(nullptr, resource)} : SkinBytes{};
}

const char* apply_skin(ModuleLoader* loader, SkinBytes library, SkinBytes skin) {
    if (!loader) return "there is no loader";
    if (!library.data || !skin.data) return "the skin resources are missing";
    if (!loader->ops->map(loader, library.data, library.size)) return loader->ops->last_error(loader);
    // Through void (*)(), the one function type any other converts to without a warning.
    using AnyFn = void (*)();
    auto attach = reinterpret_cast<SkinAttachRes>(
        reinterpret_cast<AnyFn>(loader->ops->export_address(loader, "Skin_AttachRes")));
    if (!attach) {
        loader->ops->release(loader);
        return "the skinning library has no Skin_AttachRes";
    }
    if (!attach(skin.data, skin.size, 0, 0, 0)) {
        loader->ops->release(loader);
        return "the skinning library refused the skin";
    }
    return nullptr;
}

const char* apply_embedded_skin(ModuleLoader* loader) {
    return apply_skin(loader, embedded_bytes(skin_library_resource), embedded_bytes(skin_file_resource));
}
