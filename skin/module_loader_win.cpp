// The loader object's operations over the process heap and the memory mapper.
#include <windows.h>

#include "skin/memory_module_win.h"
#include "skin/module_loader.h"

namespace {

struct LoaderState {
    LONG owners;
    MappedImage* image;
    const char* error;
};

LoaderState* state_of(ModuleLoader* loader) {
    return reinterpret_cast<LoaderState*>(loader->state);
}

// The shared state is made on first need, so that a copy taken before any mapping still shares it.
LoaderState* ensure_state(ModuleLoader* loader) {
    if (!loader->state) {
        auto* state =
            static_cast<LoaderState*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(LoaderState)));
        if (!state) return nullptr;
        state->owners = 1;
        state->error = "";
        loader->state = reinterpret_cast<std::uintptr_t>(state);
    }
    return state_of(loader);
}

void release(ModuleLoader* loader) {
    LoaderState* state = state_of(loader);
    if (!state || !state->image) return;
    unmap_image(state->image);
    state->image = nullptr;
}

void destroy(ModuleLoader* loader) {
    LoaderState* state = state_of(loader);
    loader->state = 0;
    if (!state || InterlockedDecrement(&state->owners) > 0) return;
    if (state->image) unmap_image(state->image);
    HeapFree(GetProcessHeap(), 0, state);
}

ModuleLoader* copy(ModuleLoader* loader) {
    LoaderState* state = ensure_state(loader);
    if (!state) return nullptr;
    auto* twin = static_cast<ModuleLoader*>(HeapAlloc(GetProcessHeap(), 0, sizeof(ModuleLoader)));
    if (!twin) return nullptr;
    InterlockedIncrement(&state->owners);
    *twin = *loader;
    return twin;
}

bool map(ModuleLoader* loader, const void* image, std::uint32_t size) {
    LoaderState* state = ensure_state(loader);
    if (!state) return false;
    if (state->image) {
        state->error = "an image is already mapped";
        return false;
    }
    state->error = "";
    state->image = map_image(image, size, &state->error);
    return state->image != nullptr;
}

void* export_address(ModuleLoader* loader, const char* name) {
    LoaderState* state = state_of(loader);
    if (!state || !state->image) {
        if (state) state->error = "no image is mapped";
        return nullptr;
    }
    state->error = "";
    return image_export(state->image, name, &state->error);
}

void* base(ModuleLoader* loader) {
    LoaderState* state = state_of(loader);
    return state && state->image ? image_base(state->image) : nullptr;
}

const char* last_error(ModuleLoader* loader) {
    LoaderState* state = state_of(loader);
    return state ? state->error : "";
}

constexpr ModuleLoaderOps operations = {destroy, copy, map, export_address, release, base, last_error};

}  // namespace

ModuleLoader* create_module_loader() {
    auto* loader =
        static_cast<ModuleLoader*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(ModuleLoader)));
    if (loader) loader->ops = &operations;
    return loader;
}

void free_module_loader(ModuleLoader* loader) {
    if (loader) HeapFree(GetProcessHeap(), 0, loader);
}
