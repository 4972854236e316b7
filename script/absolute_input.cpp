// Normalised coordinates for synthetic absolute input.
#include "script/absolute_input.h"

std::int32_t absolute_coordinate(std::int32_t pixel, std::int32_t origin, std::int32_t extent) {
    if (extent <= 0) return 0;
    std::int64_t offset = std::int64_t{pixel} - origin;
    if (offset < 0) offset = 0;
    if (offset >= extent) offset = extent - 1;
    const std::int64_t scaled = (offset * 65536 + 32768) / extent;
    return static_cast<std::int32_t>(scaled > 65535 ? 65535 : scaled);
}
