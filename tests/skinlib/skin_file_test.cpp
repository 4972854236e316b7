// The skin-file parser against a table of sound and damaged files, and the shipped skin itself.
#include "skinlib/skin_file.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

struct Entry {
    std::uint16_t key;
    std::uint32_t value;
};

void put16(Bytes& out, std::uint16_t v) {
    out.push_back(v & 0xFF);
    out.push_back(v >> 8);
}

void put32(Bytes& out, std::uint32_t v) {
    for (int shift = 0; shift < 32; shift += 8) out.push_back(v >> shift & 0xFF);
}

void fix_checksum(Bytes& file) {
    const std::uint32_t crc = crc32(file.data() + skin_header_size, file.size() - skin_header_size);
    for (int i = 0; i < 4; ++i) file[8 + i] = crc >> (8 * i) & 0xFF;
}

Bytes file_of(const std::vector<Entry>& entries) {
    Bytes file = {'.', 'S', 'K', 'N'};
    put16(file, skin_file_version);
    put16(file, static_cast<std::uint16_t>(entries.size()));
    put32(file, 0);
    for (const Entry& e : entries) {
        put16(file, e.key);
        put32(file, e.value);
    }
    fix_checksum(file);
    return file;
}

// Colour i is 0x00i0i0 + i, so that every colour differs and reads back as its own.
std::vector<Entry> complete_entries() {
    std::vector<Entry> entries;
    for (int i = 0; i < skin_colour_count; ++i)
        entries.push_back(
            {skin_colour_key(static_cast<SkinColour>(i)), 0x010101u * static_cast<std::uint32_t>(i)});
    entries.push_back({skin_key_button_radius, 5});
    entries.push_back({skin_key_caption_align, 1});
    return entries;
}

void set_value(std::vector<Entry>& entries, std::uint16_t key, std::uint32_t value) {
    for (Entry& e : entries)
        if (e.key == key) e.value = value;
}

struct Case {
    const char* name;
    Bytes file;
    SkinError expected;
};

std::vector<Case> cases() {
    std::vector<Case> all;
    const Bytes good = file_of(complete_entries());
    all.push_back({"complete", good, SkinError::none});
    {
        auto entries = complete_entries();
        std::reverse(entries.begin(), entries.end());
        all.push_back({"entries in any order", file_of(entries), SkinError::none});
    }
    all.push_back({"empty", {}, SkinError::truncated});
    all.push_back({"shorter than the header", Bytes(good.begin(), good.begin() + 11), SkinError::truncated});
    all.push_back({"cut inside the entries", Bytes(good.begin(), good.end() - 1), SkinError::truncated});
    {
        Bytes file = good;
        file.push_back(0);
        all.push_back({"a byte after the last entry", file, SkinError::length_mismatch});
    }
    {
        Bytes file = good;
        file[6] = 0xFF, file[7] = 0xFF;
        all.push_back({"count far beyond the data", file, SkinError::truncated});
    }
    {
        Bytes file = good;
        file[3] = 'M';
        all.push_back({"wrong magic", file, SkinError::bad_magic});
        file[1] = 's', file[2] = 'k', file[3] = 'n';
        all.push_back({"magic in lower case", file, SkinError::bad_magic});
    }
    for (std::uint16_t version : {0, 2, 0x100}) {
        Bytes file = good;
        file[4] = version & 0xFF, file[5] = version >> 8;
        all.push_back({"other version", file, SkinError::unsupported_version});
    }
    {
        Bytes file = good;
        file[20] ^= 0x40;
        all.push_back({"a changed byte", file, SkinError::bad_checksum});
        file = good;
        file[8] ^= 1;
        all.push_back({"a changed checksum", file, SkinError::bad_checksum});
    }
    for (std::uint16_t key : {0, skin_colour_count + 1, 0x100, 0x103, 0xFFFF}) {
        auto entries = complete_entries();
        entries.push_back({key, 0});
        all.push_back({"unknown key", file_of(entries), SkinError::unknown_key});
    }
    {
        auto entries = complete_entries();
        entries.push_back(entries.front());
        all.push_back({"a colour twice", file_of(entries), SkinError::duplicate_key});
        entries = complete_entries();
        entries.push_back({skin_key_caption_align, 0});
        all.push_back({"a metric twice", file_of(entries), SkinError::duplicate_key});
    }
    for (std::size_t dropped : {std::size_t{0}, std::size_t{skin_colour_count}}) {
        auto entries = complete_entries();
        entries.erase(entries.begin() + dropped);
        all.push_back({"a key missing", file_of(entries), SkinError::missing_key});
    }
    all.push_back({"no entries at all", file_of({}), SkinError::missing_key});
    {
        auto entries = complete_entries();
        set_value(entries, skin_colour_key(SkinColour::face), 0x01000000);
        all.push_back({"colour with a high byte", file_of(entries), SkinError::colour_out_of_range});
    }
    const struct {
        std::uint16_t key;
        std::uint32_t value;
        SkinError expected;
    } metrics[] = {
        {skin_key_button_radius, max_button_radius, SkinError::none},
        {skin_key_button_radius, max_button_radius + 1, SkinError::metric_out_of_range},
        {skin_key_button_radius, 0xFFFFFFFF, SkinError::metric_out_of_range},
        {skin_key_caption_align, 0, SkinError::none},
        {skin_key_caption_align, 2, SkinError::metric_out_of_range},
    };
    for (const auto& m : metrics) {
        auto entries = complete_entries();
        set_value(entries, m.key, m.value);
        all.push_back({"metric at or past its range", file_of(entries), m.expected});
    }
    return all;
}

TEST(SkinFile, TableOfSoundAndDamagedFiles) {
    for (const Case& c : cases()) {
        const SkinParse parsed = parse_skin_file(c.file.data(), c.file.size());
        EXPECT_EQ(parsed.error, c.expected) << c.name << ": got " << skin_error_name(parsed.error)
                                            << ", expected " << skin_error_name(c.expected);
    }
}

TEST(SkinFile, NullDataIsTruncatedWhateverTheSize) {
    EXPECT_EQ(parse_skin_file(nullptr, 0).error, SkinError::truncated);
    EXPECT_EQ(parse_skin_file(nullptr, 4096).error, SkinError::truncated);
}

TEST(SkinFile, ReadsEveryColourAndMetric) {
    const Bytes file = file_of(complete_entries());
    const SkinParse parsed = parse_skin_file(file.data(), file.size());
    ASSERT_EQ(parsed.error, SkinError::none);
    for (int i = 0; i < skin_colour_count; ++i) EXPECT_EQ(parsed.skin.colours[i], 0x010101u * i) << i;
    EXPECT_EQ(parsed.skin.button_radius, 5);
    EXPECT_EQ(parsed.skin.caption_align, CaptionAlign::centre);
}

// The skin builder writes zlib's CRC-32; this is that function's published check value.
TEST(SkinFile, ChecksumIsZlibCrc32) {
    const char text[] = "123456789";
    EXPECT_EQ(crc32(reinterpret_cast<const std::uint8_t*>(text), 9), 0xCBF43926u);
    EXPECT_EQ(crc32(nullptr, 0), 0u);
}

Bytes shipped_skin() {
    std::ifstream in(VORLUNE_SKIN_PATH, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

double luminance(std::uint32_t rgb) {
    auto channel = [](std::uint32_t c) {
        const double v = c / 255.0;
        return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(rgb >> 16 & 0xFF) + 0.7152 * channel(rgb >> 8 & 0xFF) +
           0.0722 * channel(rgb & 0xFF);
}

double contrast(std::uint32_t a, std::uint32_t b) {
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

TEST(ShippedSkin, ValidatesAndKeepsTextReadable) {
    const Bytes file = shipped_skin();
    ASSERT_FALSE(file.empty()) << VORLUNE_SKIN_PATH;
    const SkinParse parsed = parse_skin_file(file.data(), file.size());
    ASSERT_EQ(parsed.error, SkinError::none) << skin_error_name(parsed.error);
    const Skin& skin = parsed.skin;
    using C = SkinColour;
    // Text needs 4.5:1; marks and cues, which are larger shapes, 3:1.
    const struct {
        C foreground, background;
        double least;
    } pairs[] = {
        {C::caption_text_active, C::caption_active, 4.5},
        {C::caption_text_inactive, C::caption_inactive, 4.5},
        {C::caption_text_active, C::caption_button_pressed, 4.5},
        {C::text, C::face, 4.5},
        {C::button_text, C::button_face, 4.5},
        {C::button_text, C::button_pushed, 4.5},
        {C::list_text, C::list_background, 4.5},
        {C::list_text, C::list_row_alt, 4.5},
        {C::selection_text, C::selection, 4.5},
        {C::header_text, C::header_face, 4.5},
        {C::accent, C::box, 3},
        {C::focus, C::face, 3},
        {C::button_border, C::face, 3},
    };
    for (const auto& p : pairs) {
        EXPECT_GE(contrast(skin.colour(p.foreground), skin.colour(p.background)), p.least)
            << static_cast<int>(p.foreground) << " on " << static_cast<int>(p.background);
    }
}

}  // namespace
