// The loader object: two words, an operation table and a state that copies share.
#pragma once

#include <cstdint>

struct ModuleLoader;

struct ModuleLoaderOps {
    // Runs the loader's own tear-down; the caller then frees the object.
    void (*destroy)(ModuleLoader* loader);
    // A new object sharing this one's state and mapping; null when the heap is exhausted.
    ModuleLoader* (*copy)(ModuleLoader* loader);
    // Makes a DLL image held in memory runnable; false with a reason (see last_error).
    bool (*map)(ModuleLoader* loader, const void* image, std::uint32_t size);
    // Address of the named export of the mapped image, or null.
    void* (*export_address)(ModuleLoader* loader, const char* name);
    // Releases the mapping, if there is one: detach, imported modules, memory.
    void (*release)(ModuleLoader* loader);
    // Base address of the mapped image, or null.
    void* (*base)(ModuleLoader* loader);
    // Why the last map or lookup failed; empty after a success.
    const char* (*last_error)(ModuleLoader* loader);
};

// Word 2 is null until the state is first needed, then points to a reference-counted state that
// copies share, so that the mapping is released once, by whichever owner goes last.
struct ModuleLoader {
    const ModuleLoaderOps* ops;
    std::uintptr_t state;
};

// Allocates a loader from the process heap with its state zero; null when the heap is exhausted.
ModuleLoader* create_module_loader();

// Frees the object itself, after its destroy operation has run.
void free_module_loader(ModuleLoader* loader);
