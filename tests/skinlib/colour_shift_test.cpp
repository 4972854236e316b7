// The caller's hue, saturation and brightness shifts on a skin's colours.
#include "skinlib/colour_shift.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>

namespace {

int channel_distance(std::uint32_t a, std::uint32_t b) {
    int most = 0;
    for (int shift = 0; shift < 24; shift += 8)
        most = std::max(most,
                        std::abs(static_cast<int>(a >> shift & 0xFF) - static_cast<int>(b >> shift & 0xFF)));
    return most;
}

TEST(ColourShift, TableOfShifts) {
    const struct {
        std::uint32_t rgb;
        ColourShifts shifts;
        std::uint32_t expected;
    } cases[] = {
        {0xFF0000, {120, 0, 0}, 0x00FF00},  {0xFF0000, {-120, 0, 0}, 0x0000FF},
        {0xFF0000, {180, 0, 0}, 0x00FFFF},  {0xFF0000, {-180, 0, 0}, 0x00FFFF},
        {0x27304A, {0, -100, 0}, 0x4A4A4A}, {0x808080, {90, 100, 0}, 0x808080},
        {0x336699, {0, 0, -100}, 0x000000}, {0x336699, {0, 0, 100}, 0x55AAFF},
        {0x000000, {0, 0, 50}, 0x7F7F7F},   {0xFFFFFF, {0, 0, -50}, 0x7F7F7F},
        {0x804040, {0, 100, 0}, 0x800000},  {0x27304A, {0, 0, 0}, 0x27304A},
    };
    for (const auto& c : cases) {
        const std::uint32_t got = shift_colour(c.rgb, c.shifts);
        EXPECT_LE(channel_distance(got, c.expected), 2)
            << std::hex << c.rgb << " shifted by " << std::dec << c.shifts.hue << '/' << c.shifts.saturation
            << '/' << c.shifts.brightness << " gave " << std::hex << got;
    }
}

TEST(ColourShift, OutOfRangeShiftsAreClampedToTheNearestEnd) {
    const struct {
        ColourShifts given, clamped;
    } cases[] = {
        {{0, 0, 0}, {0, 0, 0}},
        {{181, 101, -101}, {180, 100, -100}},
        {{-100000, -2147483647 - 1, 2147483647}, {-180, -100, 100}},
        {{-180, 100, -100}, {-180, 100, -100}},
    };
    for (const auto& c : cases) {
        const ColourShifts got = clamp_shifts(c.given);
        EXPECT_EQ(got.hue, c.clamped.hue);
        EXPECT_EQ(got.saturation, c.clamped.saturation);
        EXPECT_EQ(got.brightness, c.clamped.brightness);
    }
}

TEST(ColourShift, ZeroShiftsLeaveASkinExactlyAsItIs) {
    Skin skin{};
    for (int i = 0; i < skin_colour_count; ++i) skin.colours[i] = 0x123456u * (i + 1) & 0xFFFFFF;
    const Skin before = skin;
    shift_skin(skin, {0, 0, 0});
    for (int i = 0; i < skin_colour_count; ++i) EXPECT_EQ(skin.colours[i], before.colours[i]);
    shift_skin(skin, {120, 0, 0});
    EXPECT_EQ(skin.colours[0], shift_colour(before.colours[0], {120, 0, 0}));
}

}  // namespace
