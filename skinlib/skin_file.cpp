// Reads and checks skin files; pure, so that it is fuzzed and tested natively.
#include "skinlib/skin_file.h"

namespace {

std::uint16_t read16(const std::uint8_t* at) {
    return static_cast<std::uint16_t>(at[0] | at[1] << 8);
}

std::uint32_t read32(const std::uint8_t* at) {
    return static_cast<std::uint32_t>(at[0]) | static_cast<std::uint32_t>(at[1]) << 8 |
           static_cast<std::uint32_t>(at[2]) << 16 | static_cast<std::uint32_t>(at[3]) << 24;
}

constexpr int metric_count = 2;

// Index of a key among the colours and then the metrics; -1 for a key the version does not know.
int key_index(std::uint16_t key) {
    if (key >= 1 && key <= skin_colour_count) return key - 1;
    if (key >= skin_key_button_radius && key < skin_key_button_radius + metric_count)
        return skin_colour_count + (key - skin_key_button_radius);
    return -1;
}

SkinError store(Skin& skin, std::uint16_t key, std::uint32_t value) {
    const int index = key_index(key);
    if (index < skin_colour_count) {
        if (value > 0xFFFFFF) return SkinError::colour_out_of_range;
        skin.colours[index] = value;
    } else if (key == skin_key_button_radius) {
        if (value > max_button_radius) return SkinError::metric_out_of_range;
        skin.button_radius = static_cast<int>(value);
    } else {
        if (value > static_cast<std::uint32_t>(CaptionAlign::centre)) return SkinError::metric_out_of_range;
        skin.caption_align = static_cast<CaptionAlign>(value);
    }
    return SkinError::none;
}

}  // namespace

std::uint32_t crc32(const std::uint8_t* data, std::size_t size) {
    std::uint32_t crc = 0xFFFFFFFF;
    for (std::size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320 & (0 - (crc & 1)));
    }
    return ~crc;
}

SkinParse parse_skin_file(const void* data, std::size_t size) {
    SkinParse result{};
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    if (!bytes || size < skin_header_size) return {SkinError::truncated, {}};
    if (bytes[0] != '.' || bytes[1] != 'S' || bytes[2] != 'K' || bytes[3] != 'N')
        return {SkinError::bad_magic, {}};
    if (read16(bytes + 4) != skin_file_version) return {SkinError::unsupported_version, {}};
    const std::size_t count = read16(bytes + 6);
    // The count is at most 65535, so the product cannot overflow.
    if (size - skin_header_size != count * skin_entry_size) {
        return {size - skin_header_size < count * skin_entry_size ? SkinError::truncated
                                                                  : SkinError::length_mismatch,
                {}};
    }
    if (crc32(bytes + skin_header_size, size - skin_header_size) != read32(bytes + 8))
        return {SkinError::bad_checksum, {}};

    bool seen[skin_colour_count + metric_count] = {};
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t* entry = bytes + skin_header_size + i * skin_entry_size;
        const std::uint16_t key = read16(entry);
        const int index = key_index(key);
        if (index < 0) return {SkinError::unknown_key, {}};
        if (seen[index]) return {SkinError::duplicate_key, {}};
        seen[index] = true;
        const SkinError error = store(result.skin, key, read32(entry + 2));
        if (error != SkinError::none) return {error, {}};
    }
    for (bool present : seen)
        if (!present) return {SkinError::missing_key, {}};
    return result;
}

const char* skin_error_name(SkinError error) {
    switch (error) {
        case SkinError::none:
            return "none";
        case SkinError::truncated:
            return "truncated";
        case SkinError::bad_magic:
            return "bad magic";
        case SkinError::unsupported_version:
            return "unsupported version";
        case SkinError::length_mismatch:
            return "length mismatch";
        case SkinError::bad_checksum:
            return "bad checksum";
        case SkinError::unknown_key:
            return "unknown key";
        case SkinError::duplicate_key:
            return "duplicate key";
        case SkinError::missing_key:
            return "missing key";
        case SkinError::colour_out_of_range:
            return "colour out of range";
        case SkinError::metric_out_of_range:
            return "metric out of range";
    }
    return "unknown";
}
