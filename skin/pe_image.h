// The pure half of mapping a 32-bit DLL: checking a PE image, laying it out, relocating it,
// binding its imports, listing its TLS callbacks, finding its exports and planning protections.
#pragma once

#include <cstdint>

// Upper limits that keep a crafted image from asking for absurd work or memory.
constexpr std::uint32_t pe_max_sections = 96;
constexpr std::uint32_t pe_max_image_size = 256u << 20;
constexpr std::uint32_t pe_max_tls_callbacks = 32;
constexpr std::uint32_t pe_page_size = 4096;

// What a step found wrong with an image, as a sentence; no reason when all is well.
struct PeCheck {
    const char* reason = nullptr;
    bool ok() const { return reason == nullptr; }
};

struct PeDirectory {
    std::uint32_t rva;
    std::uint32_t size;
};

struct PeSection {
    std::uint32_t rva;
    // VirtualSize, or SizeOfRawData when VirtualSize is 0.
    std::uint32_t mapped_size;
    std::uint32_t raw_offset;
    // The stored bytes copied: min(SizeOfRawData, mapped_size); the rest stays zero.
    std::uint32_t copy_size;
    std::uint32_t characteristics;
};

// The IMAGE_SCN_MEM_* bits of a section's characteristics.
constexpr std::uint32_t pe_section_execute = 0x20000000;
constexpr std::uint32_t pe_section_read = 0x40000000;
constexpr std::uint32_t pe_section_write = 0x80000000;

// A checked image: every field below has passed the checks of parse_pe_image.
struct PeImage {
    std::uint32_t image_base;
    std::uint32_t image_size;
    std::uint32_t headers_size;
    // Entry point RVA, 0 when the image has none.
    std::uint32_t entry_point;
    bool relocations_stripped;
    PeDirectory exports;
    PeDirectory imports;
    PeDirectory relocations;
    PeDirectory tls;
    std::uint32_t section_count;
    PeSection sections[pe_max_sections];
};

PeCheck parse_pe_image(const std::uint8_t* file, std::uint32_t file_size, PeImage* image);

// True when some executable section has no stored data: its code appears only when the image's
// own entry point writes it, so the image patches itself while it starts.
bool pe_unpacks_itself(const PeImage& image);

// How the mapper reaches the modules an image imports from.
struct ImportBinder {
    void* context;
    // A handle for the named module, or null when it cannot be loaded.
    void* (*open_module)(void* context, const char* name);
    // A function of that module by name, or by ordinal when name is null; 0 when there is none.
    std::uint32_t (*find_function)(void* context, void* module, const char* name, std::uint16_t ordinal);
};

struct TlsCallbacks {
    std::uint32_t count;
    std::uint32_t rvas[pe_max_tls_callbacks];
};

// Makes the image ready to run at `base` inside `memory`, which holds image_size zero bytes:
// copies headers and sections, applies the base relocations, binds every import and lists the
// TLS callbacks. Modules the binder opened stay open on failure; the binder's owner closes them.
PeCheck prepare_pe_image(const PeImage& image, const std::uint8_t* file, std::uint8_t* memory,
                         std::uint32_t base, const ImportBinder& binder, TlsCallbacks* callbacks);

// The steps of prepare_pe_image, each usable on its own.
void lay_out_pe_image(const PeImage& image, const std::uint8_t* file, std::uint8_t* memory);
PeCheck relocate_pe_image(const PeImage& image, std::uint8_t* memory, std::uint32_t base);
PeCheck bind_pe_imports(const PeImage& image, std::uint8_t* memory, const ImportBinder& binder);
PeCheck find_pe_tls_callbacks(const PeImage& image, const std::uint8_t* memory, std::uint32_t base,
                              TlsCallbacks* callbacks);

// The RVA of the export with exactly this name, read from the laid-out image; forwarded exports
// are refused.
PeCheck find_pe_export(const PeImage& image, const std::uint8_t* memory, const char* name,
                       std::uint32_t* rva);

// Page access as a mask; every page stays readable so that reading the export directory after
// mapping can never fault, whatever a crafted section table asks for.
constexpr unsigned pe_access_read = 1;
constexpr unsigned pe_access_write = 2;
constexpr unsigned pe_access_execute = 4;

struct PeProtectionRun {
    std::uint32_t rva;
    std::uint32_t size;
    unsigned access;
};

// Calls emit once for each run of pages with the same access, in address order, covering the
// whole image. Sections take their access from their flags; an image that unpacks itself keeps
// its headers writable and every section writable and executable, because its stub patches them.
void plan_pe_protections(const PeImage& image, void (*emit)(void* context, const PeProtectionRun& run),
                         void* context);
