// Screen pixels as the absolute 0..65535 coordinates of synthetic input over the virtual desktop.
#pragma once

#include <cstdint>

// The absolute coordinate that lands on `pixel` of a desktop axis starting at `origin` (negative
// when a monitor lies left of or above the primary one) and `extent` pixels long. It aims at the
// middle of the pixel, so that either rounding the system may use lands on it, the last pixel
// included; points off the desktop are held to its edge.
std::int32_t absolute_coordinate(std::int32_t pixel, std::int32_t origin, std::int32_t extent);
