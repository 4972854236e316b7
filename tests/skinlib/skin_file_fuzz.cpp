// libFuzzer target for the skin-file parser. Each input is parsed as it is and once more with its
// checksum made right, so that mutations reach the entries instead of stopping at the checksum.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "skinlib/skin_file.h"

namespace {

void check(const std::uint8_t* data, std::size_t size) {
    const SkinParse parsed = parse_skin_file(data, size);
    if (parsed.error != SkinError::none) return;
    // A skin that passed must hold only what the painters can use.
    if (size != skin_header_size + skin_entry_size * (data[6] | data[7] << 8)) __builtin_trap();
    for (std::uint32_t colour : parsed.skin.colours)
        if (colour > 0xFFFFFF) __builtin_trap();
    if (parsed.skin.button_radius < 0 || parsed.skin.button_radius > max_button_radius) __builtin_trap();
    if (parsed.skin.caption_align != CaptionAlign::left && parsed.skin.caption_align != CaptionAlign::centre)
        __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    check(data, size);
    if (size < skin_header_size) return 0;
    std::vector<std::uint8_t> fixed(data, data + size);
    const std::uint32_t crc = crc32(fixed.data() + skin_header_size, size - skin_header_size);
    for (int i = 0; i < 4; ++i) fixed[8 + i] = crc >> (8 * i) & 0xFF;
    check(fixed.data(), fixed.size());
    return 0;
}
