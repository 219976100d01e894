// Drawing where the golden images do not look: the level's window of columns
// for every camera position, even one that is huge or not a number, and the
// sea's wave phase at the ends of game time. How things look is the golden
// images' to check.
#include <gtest/gtest.h>

#include <GL/gl.h>
#include <climits>
#include <cmath>
#include <cstring>

#include "render/level_view.h"
#include "render/scenery.h"
#include "tests/doubles/test_support.h"

TEST(DrawLevel, VisitsTheColumnsAroundTheCamera) {
    ResetGameState();
    Grid solid;
    std::memset(solid, CELL_BLOCK, sizeof solid);
    const double inf = INFINITY;
    const struct {
        double scroll;
        int first, last; // last < first: nothing is drawn
    } cases[] = {
        {0, 0, 30},      {3, 0, 32},     {5, 2, 32},    {-9.5, 0, 25},
        {-61, 0, 0},     {170, 84, 99},  {200, 99, 99}, {0.999, 0, 30},
        {-62, 0, -1},    {-1000, 0, -1}, {201, 0, -1},  {1e300, 0, -1},
        {-1e300, 0, -1}, {inf, 0, -1},   {-inf, 0, -1}, {NAN, 0, -1},
    };
    for (const auto &c : cases) {
        GlRecorderReset();
        DrawLevel(solid, c.scroll);
        const size_t columns = c.last - c.first + 1;
        // Each tile opens two blocks: its quads and its corner triangles.
        EXPECT_EQ(GlCountNamed("glBegin"), 2 * GRID_ROWS * columns) << c.scroll;
        EXPECT_EQ(glOpenBlocks + glNestedBegins, 0);
        if (columns > 0) { // the first tile's core corner, 0.5 in from the cell's corner
            EXPECT_EQ(glCalls[2].a[0], static_cast<float>(2 * c.first - c.scroll + 0.5))
                << c.scroll;
        }
    }
}

// Game time near the ends of its range: the 32-bit phase sums wrap as the
// machine wraps them, read back as signed values.
TEST(DrawSea, WavePhaseWrapsAtTheEndsOfGameTime) {
    ResetGameState();
    const auto surfaceAt = [](int32_t time, size_t vertex) {
        GlRecorderReset();
        DrawSea(time, 10);
        size_t n = 0;
        for (const GlCall &c : glCalls)
            if (std::strncmp(c.name, "glVertex3", 9) == 0 && n++ == vertex)
                return c.a[1];
        return double(NAN);
    };
    EXPECT_FLOAT_EQ(surfaceAt(INT32_MAX, 5), 10 - 2 * std::sin((double(INT32_MIN) + 19) / 300.0));
    EXPECT_FLOAT_EQ(surfaceAt(INT32_MIN, 161), 10 - std::sin(double(INT32_MIN) / 200.0));
}
