// An import binder for the pure tests: records what an image asks for and answers with made-up
// addresses, or refuses one module or one function on request.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "skin/pe_image.h"

struct FakeBinder {
    std::vector<std::string> modules;
    // "module!name" for imports by name, "module#ordinal" for imports by ordinal.
    std::vector<std::string> requests;
    std::vector<std::uint32_t> addresses;
    std::string refused_module;
    std::string refused_function;

    ImportBinder binder() { return ImportBinder{this, open, find}; }

    static void* open(void* context, const char* name) {
        auto* self = static_cast<FakeBinder*>(context);
        if (self->refused_module == name) return nullptr;
        self->modules.push_back(name);
        // The handle is the module's position plus one, so that it is never null.
        return reinterpret_cast<void*>(self->modules.size());
    }

    static std::uint32_t find(void* context, void* module, const char* name, std::uint16_t ordinal) {
        auto* self = static_cast<FakeBinder*>(context);
        std::string key = self->modules.at(reinterpret_cast<std::uintptr_t>(module) - 1);
        key += name ? "!" + std::string(name) : "#" + std::to_string(ordinal);
        if (name && self->refused_function == name) return 0;
        self->requests.push_back(key);
        self->addresses.push_back(0xF0000000u + 16 * static_cast<std::uint32_t>(self->addresses.size()));
        return self->addresses.back();
    }
};

// An image parsed and prepared into its own zeroed memory.
struct PreparedImage {
    PeImage image{};
    std::vector<std::uint8_t> memory;
    TlsCallbacks callbacks{};
    PeCheck check;

    PreparedImage(const std::vector<std::uint8_t>& file, FakeBinder& binder, bool moved = false) {
        check = parse_pe_image(file.data(), static_cast<std::uint32_t>(file.size()), &image);
        if (!check.ok()) return;
        memory.assign(image.image_size, 0);
        ImportBinder callbacks_binder = binder.binder();
        check =
            prepare_pe_image(image, file.data(), memory.data(), base(moved), callbacks_binder, &callbacks);
    }

    std::uint32_t base(bool moved) const { return moved ? image.image_base + 0x01000000u : image.image_base; }
};
