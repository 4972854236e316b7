// Hue, saturation and brightness shifts that a caller applies on top of a skin's own colours.
#pragma once

#include <cstdint>

#include "skinlib/skin_file.h"

// Ranges; values outside are clamped to the nearest end. 0 leaves the skin's colours as they are.
//   hue:        -180..180 degrees around the colour wheel
//   saturation: -100..100 percent of the way to grey (negative) or to full colour (positive)
//   brightness: -100..100 percent of the way to black (negative) or to full brightness (positive)
struct ColourShifts {
    int hue;
    int saturation;
    int brightness;
};

constexpr int max_hue_shift = 180;
constexpr int max_percent_shift = 100;

ColourShifts clamp_shifts(ColourShifts shifts);

// One 0x00RRGGBB colour shifted in HSV space; shifts must already be clamped.
std::uint32_t shift_colour(std::uint32_t rgb, ColourShifts shifts);

// Every colour of the skin; leaves it exactly as it is when all shifts are 0.
void shift_skin(Skin& skin, ColourShifts shifts);
