// The skin file format: its layout, its checks, and the look it describes.
#pragma once

#include <cstddef>
#include <cstdint>

// Layout, all numbers little-endian:
//   0  4  ".SKN"
//   4  2  version (skin_file_version)
//   6  2  entry count N
//   8  4  CRC-32 (IEEE, as zlib computes it) of every byte from offset 12 to the end
//  12  6N entries: key (2 bytes), value (4 bytes)
// The file ends right after the last entry. Every key of the version appears exactly once: the
// colours as 0x00RRGGBB, the metrics as small integers in the ranges below.
constexpr std::uint16_t skin_file_version = 1;
constexpr std::size_t skin_header_size = 12;
constexpr std::size_t skin_entry_size = 6;

enum class SkinColour : std::uint8_t {
    caption_active,
    caption_inactive,
    caption_text_active,
    caption_text_inactive,
    caption_button_pressed,
    frame_active,
    frame_inactive,
    face,
    text,
    button_face,
    button_pushed,
    button_border,
    button_text,
    focus,
    accent,
    box,
    group_line,
    list_background,
    list_row_alt,
    list_text,
    selection,
    selection_text,
    header_face,
    header_text,
    header_line,
    count
};

constexpr int skin_colour_count = static_cast<int>(SkinColour::count);

// Colour i has key i + 1; the metrics follow from 0x101.
constexpr std::uint16_t skin_colour_key(SkinColour colour) {
    return static_cast<std::uint16_t>(colour) + 1;
}
constexpr std::uint16_t skin_key_button_radius = 0x101;
constexpr std::uint16_t skin_key_caption_align = 0x102;
constexpr int max_button_radius = 12;

enum class CaptionAlign : std::uint8_t { left, centre };

struct Skin {
    std::uint32_t colours[skin_colour_count];  // 0x00RRGGBB
    int button_radius;                         // corner radius of push buttons, 0..max_button_radius
    CaptionAlign caption_align;

    std::uint32_t colour(SkinColour which) const { return colours[static_cast<int>(which)]; }
};

enum class SkinError : std::uint8_t {
    none,
    truncated,
    bad_magic,
    unsupported_version,
    length_mismatch,
    bad_checksum,
    unknown_key,
    duplicate_key,
    missing_key,
    colour_out_of_range,
    metric_out_of_range,
};

struct SkinParse {
    SkinError error;
    Skin skin;  // meaningful only when error is none
};

// Checks a whole skin file and reads it; any fault gives its reason and no skin.
SkinParse parse_skin_file(const void* data, std::size_t size);

const char* skin_error_name(SkinError error);

std::uint32_t crc32(const std::uint8_t* data, std::size_t size);
