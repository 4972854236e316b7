// Absolute coordinates: both ends of each axis reached, monitors left of the primary one, clamping.
#include "script/absolute_input.h"

#include <gtest/gtest.h>

namespace {

// Both ways the system may turn an absolute coordinate back into a pixel.
int pixel_by_floor(int coordinate, int origin, int extent) {
    return origin + static_cast<int>(std::int64_t{coordinate} * extent / 65536);
}
int pixel_by_rounding(int coordinate, int origin, int extent) {
    return origin + static_cast<int>((std::int64_t{coordinate} * (extent - 1) * 2 + 65535) / (65535 * 2));
}

TEST(AbsoluteCoordinate, EveryPixelOfAnAxisComesBack) {
    const struct {
        int origin, extent;
    } axes[] = {{0, 1024}, {0, 768}, {-1920, 3840}, {-1080, 2160}, {0, 1}, {0, 7}, {-300, 65536}};
    for (const auto& axis : axes)
        for (int pixel = axis.origin; pixel < axis.origin + axis.extent; ++pixel) {
            const int coordinate = absolute_coordinate(pixel, axis.origin, axis.extent);
            ASSERT_GE(coordinate, 0);
            ASSERT_LE(coordinate, 65535);
            ASSERT_EQ(pixel_by_floor(coordinate, axis.origin, axis.extent), pixel) << axis.extent;
            ASSERT_EQ(pixel_by_rounding(coordinate, axis.origin, axis.extent), pixel) << axis.extent;
        }
}

TEST(AbsoluteCoordinate, PointsOffTheDesktopGoToItsEdges) {
    EXPECT_EQ(absolute_coordinate(-5, 0, 1024), absolute_coordinate(0, 0, 1024));
    EXPECT_EQ(absolute_coordinate(5000, 0, 1024), absolute_coordinate(1023, 0, 1024));
    EXPECT_EQ(absolute_coordinate(-2147483647 - 1, -1920, 3840), absolute_coordinate(-1920, -1920, 3840));
    EXPECT_EQ(absolute_coordinate(2147483647, -1920, 3840), absolute_coordinate(1919, -1920, 3840));
    EXPECT_EQ(absolute_coordinate(10, 0, 0), 0);
}

}  // namespace
