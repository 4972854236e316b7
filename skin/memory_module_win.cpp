// The Win32 half of mapping from memory: address space, imported modules, protections, and the
// image's own start-up and shut-down calls. Reading and laying out the image is pe_image's work.
#include "skin/memory_module_win.h"

#include <windows.h>

#include "skin/pe_image.h"

struct MappedImage {
    std::uint8_t* base;
    PeImage image;
    TlsCallbacks callbacks;
    // Modules loaded for the image's imports, in load order.
    HMODULE* modules;
    std::uint32_t module_count;
    std::uint32_t module_capacity;
};

namespace {

using EntryPoint = BOOL(WINAPI*)(HINSTANCE, DWORD, LPVOID);
using TlsCallback = VOID(NTAPI*)(PVOID, DWORD, PVOID);

// Only a 32-bit process can hold a PE32 image; there an address is a 32-bit number.
constexpr bool process_is_32_bit = sizeof(void*) == 4;

std::uint32_t address_number(const void* address) {
    return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(address));
}

void* open_module(void* context, const char* name) {
    auto* mapped = static_cast<MappedImage*>(context);
    if (mapped->module_count == mapped->module_capacity) {
        std::uint32_t capacity = mapped->module_capacity ? 2 * mapped->module_capacity : 8;
        void* grown = mapped->modules
                          ? HeapReAlloc(GetProcessHeap(), 0, mapped->modules, capacity * sizeof(HMODULE))
                          : HeapAlloc(GetProcessHeap(), 0, capacity * sizeof(HMODULE));
        if (!grown) return nullptr;
        mapped->modules = static_cast<HMODULE*>(grown);
        mapped->module_capacity = capacity;
    }
    HMODULE module = LoadLibraryA(name);
    if (module) mapped->modules[mapped->module_count++] = module;
    return module;
}

std::uint32_t find_function(void*, void* module, const char* name, std::uint16_t ordinal) {
    const char* key = name ? name : MAKEINTRESOURCEA(ordinal);
    return address_number(reinterpret_cast<const void*>(GetProcAddress(static_cast<HMODULE>(module), key)));
}

struct Protection {
    std::uint8_t* base;
    bool failed;
};

void protect_run(void* context, const PeProtectionRun& run) {
    auto* protection = static_cast<Protection*>(context);
    static constexpr DWORD protections[8] = {
        PAGE_NOACCESS, PAGE_READONLY,     PAGE_NOACCESS,          PAGE_READWRITE,
        PAGE_EXECUTE,  PAGE_EXECUTE_READ, PAGE_EXECUTE_READWRITE, PAGE_EXECUTE_READWRITE,
    };
    DWORD old;
    if (!VirtualProtect(protection->base + run.rva, run.size, protections[run.access & 7], &old))
        protection->failed = true;
}

void run_start_calls(MappedImage* mapped, DWORD reason) {
    for (std::uint32_t i = 0; i < mapped->callbacks.count; ++i)
        reinterpret_cast<TlsCallback>(mapped->base + mapped->callbacks.rvas[i])(mapped->base, reason,
                                                                                nullptr);
}

void free_mapping(MappedImage* mapped) {
    while (mapped->module_count > 0) FreeLibrary(mapped->modules[--mapped->module_count]);
    if (mapped->modules) HeapFree(GetProcessHeap(), 0, mapped->modules);
    if (mapped->base) VirtualFree(mapped->base, 0, MEM_RELEASE);
    HeapFree(GetProcessHeap(), 0, mapped);
}

MappedImage* fail(MappedImage* mapped, const char** reason, const char* why) {
    if (mapped) free_mapping(mapped);
    *reason = why;
    return nullptr;
}

void* reserve(const PeImage& image) {
    void* preferred = reinterpret_cast<void*>(static_cast<std::uintptr_t>(image.image_base));
    void* base = VirtualAlloc(preferred, image.image_size, MEM_RESERVE, PAGE_READWRITE);
    return base ? base : VirtualAlloc(nullptr, image.image_size, MEM_RESERVE, PAGE_READWRITE);
}

}  // namespace

MappedImage* map_image(const void* bytes, std::uint32_t size, const char** reason) {
    if (!bytes) return fail(nullptr, reason, "no image was given");
    PeImage image;
    const auto* file = static_cast<const std::uint8_t*>(bytes);
    if (PeCheck check = parse_pe_image(file, size, &image); !check.ok())
        return fail(nullptr, reason, check.reason);
    if (!process_is_32_bit)
        return fail(nullptr, reason, "a 32-bit image cannot be mapped into this 64-bit process");

    auto* mapped =
        static_cast<MappedImage*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(MappedImage)));
    if (!mapped) return fail(nullptr, reason, "out of memory");
    mapped->image = image;
    mapped->base = static_cast<std::uint8_t*>(reserve(image));
    if (!mapped->base) return fail(mapped, reason, "no address range is free for the image");
    if (!VirtualAlloc(mapped->base, image.image_size, MEM_COMMIT, PAGE_READWRITE))
        return fail(mapped, reason, "the image's memory cannot be committed");

    ImportBinder binder{mapped, open_module, find_function};
    if (PeCheck check = prepare_pe_image(image, file, mapped->base, address_number(mapped->base), binder,
                                         &mapped->callbacks);
        !check.ok())
        return fail(mapped, reason, check.reason);
    Protection protection{mapped->base, false};
    plan_pe_protections(image, protect_run, &protection);
    if (protection.failed) return fail(mapped, reason, "the image's memory protections cannot be set");
    FlushInstructionCache(GetCurrentProcess(), mapped->base, image.image_size);

    // A packed image unpacks its code on this call, so no export may run before it; the TLS
    // callbacks come first, as the system loader calls them.
    run_start_calls(mapped, DLL_PROCESS_ATTACH);
    if (image.entry_point) {
        auto entry = reinterpret_cast<EntryPoint>(mapped->base + image.entry_point);
        if (!entry(reinterpret_cast<HINSTANCE>(mapped->base), DLL_PROCESS_ATTACH, nullptr))
            return fail(mapped, reason, "the image's entry point refused to attach");
    }
    return mapped;
}

void* image_export(MappedImage* image, const char* name, const char** reason) {
    if (!image) {
        *reason = "no image is mapped";
        return nullptr;
    }
    if (!name) {
        *reason = "no export name was given";
        return nullptr;
    }
    std::uint32_t rva;
    if (PeCheck check = find_pe_export(image->image, image->base, name, &rva); !check.ok()) {
        *reason = check.reason;
        return nullptr;
    }
    return image->base + rva;
}

void* image_base(MappedImage* image) {
    return image ? image->base : nullptr;
}

void unmap_image(MappedImage* image) {
    if (!image) return;
    // Only an attached image is ever handed out, so the detach is always owed.
    run_start_calls(image, DLL_PROCESS_DETACH);
    if (image->image.entry_point) {
        auto entry = reinterpret_cast<EntryPoint>(image->base + image->image.entry_point);
        entry(reinterpret_cast<HINSTANCE>(image->base), DLL_PROCESS_DETACH, nullptr);
    }
    free_mapping(image);
}
