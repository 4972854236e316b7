// Centring the main window, truncating toward zero and uncorrected on small screens.
#include "app/geometry.h"

#include <gtest/gtest.h>

namespace {

struct Case {
    int screen_width, screen_height, x, y;
};

TEST(CentredOrigin, Table) {
    const Case cases[] = {
        {1024, 768, 289, 236}, {1920, 1080, 737, 392}, {446, 296, 0, 0},
        {400, 200, -22, -47},  {0, 0, -222, -147},
    };
    for (const Case& c : cases) {
        const Point p = centred_origin(c.screen_width, c.screen_height);
        EXPECT_EQ(p.x, c.x) << c.screen_width;
        EXPECT_EQ(p.y, c.y) << c.screen_height;
    }
}

}  // namespace
