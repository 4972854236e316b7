// Shifts colours in HSV with integers only, so that the library needs no floating-point runtime.
#include "skinlib/colour_shift.h"

namespace {

// Hue in 1/256 of a sextant: 0..1535 is the whole wheel.
constexpr int hue_units = 6 * 256;

struct Hsv {
    int h, s, v;  // s and v 0..255
};

int clamp(int value, int low, int high) {
    return value < low ? low : value > high ? high : value;
}

Hsv to_hsv(int r, int g, int b) {
    const int max = r > g ? (r > b ? r : b) : (g > b ? g : b);
    const int min = r < g ? (r < b ? r : b) : (g < b ? g : b);
    const int range = max - min;
    if (range == 0) return {0, 0, max};
    int h;
    if (max == r)
        h = 256 * (g - b) / range;
    else if (max == g)
        h = 512 + 256 * (b - r) / range;
    else
        h = 1024 + 256 * (r - g) / range;
    if (h < 0) h += hue_units;
    return {h, (range * 255 + max / 2) / max, max};
}

std::uint32_t to_rgb(Hsv c) {
    int r = c.v, g = c.v, b = c.v;
    if (c.s != 0) {
        const int sextant = c.h / 256;
        const int f = c.h % 256;
        const int p = c.v * (255 - c.s) / 255;
        const int q = c.v * (255 * 256 - c.s * f) / (255 * 256);
        const int t = c.v * (255 * 256 - c.s * (256 - f)) / (255 * 256);
        switch (sextant) {
            case 0:
                r = c.v, g = t, b = p;
                break;
            case 1:
                r = q, g = c.v, b = p;
                break;
            case 2:
                r = p, g = c.v, b = t;
                break;
            case 3:
                r = p, g = q, b = c.v;
                break;
            case 4:
                r = t, g = p, b = c.v;
                break;
            default:
                r = c.v, g = p, b = q;
                break;
        }
    }
    return static_cast<std::uint32_t>(r) << 16 | static_cast<std::uint32_t>(g) << 8 |
           static_cast<std::uint32_t>(b);
}

// Moves a 0..255 component the given percentage of the way to 0 (negative) or to 255 (positive).
int toward_end(int value, int percent) {
    return percent >= 0 ? value + (255 - value) * percent / 100 : value + value * percent / 100;
}

}  // namespace

ColourShifts clamp_shifts(ColourShifts shifts) {
    return {clamp(shifts.hue, -max_hue_shift, max_hue_shift),
            clamp(shifts.saturation, -max_percent_shift, max_percent_shift),
            clamp(shifts.brightness, -max_percent_shift, max_percent_shift)};
}

std::uint32_t shift_colour(std::uint32_t rgb, ColourShifts shifts) {
    Hsv c = to_hsv(rgb >> 16 & 0xFF, rgb >> 8 & 0xFF, rgb & 0xFF);
    c.h = (c.h + shifts.hue * hue_units / 360 + hue_units) % hue_units;
    // A grey has no hue to saturate; it stays grey.
    if (c.s != 0) c.s = toward_end(c.s, shifts.saturation);
    c.v = toward_end(c.v, shifts.brightness);
    return to_rgb(c);
}

void shift_skin(Skin& skin, ColourShifts shifts) {
    if (shifts.hue == 0 && shifts.saturation == 0 && shifts.brightness == 0) return;
    for (std::uint32_t& colour : skin.colours) colour = shift_colour(colour, shifts);
}
