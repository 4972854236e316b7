// libFuzzer target: any bytes go through every pure step the mapper takes, and then through the
// export lookup; the sanitizers report any read or write outside the buffers.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "skin/pe_image.h"

namespace {

void* open_module(void*, const char* name) {
    return const_cast<char*>(name);
}

std::uint32_t find_function(void*, void*, const char* name, std::uint16_t ordinal) {
    return name && name[0] == 'Z' ? 0 : 0x1000u + ordinal;
}

void ignore_run(void*, const PeProtectionRun&) {}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > pe_max_image_size) return 0;
    PeImage image;
    if (!parse_pe_image(data, static_cast<std::uint32_t>(size), &image).ok()) return 0;
    // Larger images are valid but only slow the search down.
    if (image.image_size > (4u << 20)) return 0;
    plan_pe_protections(image, ignore_run, nullptr);
    ImportBinder binder{nullptr, open_module, find_function};
    for (std::uint32_t base : {image.image_base, image.image_base ^ 0x10000000u}) {
        std::vector<std::uint8_t> memory(image.image_size);
        TlsCallbacks callbacks;
        if (!prepare_pe_image(image, data, memory.data(), base, binder, &callbacks).ok()) continue;
        std::uint32_t rva;
        for (const char* name : {"Skin_AttachRes", "plain_add", ""})
            find_pe_export(image, memory.data(), name, &rva);
    }
    return 0;
}
