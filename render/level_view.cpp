// The visible part of the level: tiles and glowing goal markers.
#include "render/level_view.h"

#include <cmath>

#include "core/numeric.h"
#include "core/rules.h"
#include "render/primitives.h"

namespace {

constexpr int LEFT_MARGIN = 1;  // one column left of the view may still show
constexpr int RIGHT_REACH = 30; // columns drawn from the left edge onward
constexpr double GOAL_RADIUS = 1.5;

double Square(double v) {
    return v * v;
}

} // namespace

void DrawLevel(const Grid grid, double scroll) {
    // The window of columns worth visiting, the same for every row. A camera
    // position that is not a number has no view at all: both ends then
    // convert so that the window is empty, and every converted end is kept
    // inside the grid, so no scroll can ever make us read beyond it.
    const double firstColumn = MaxOf(RoundEven(scroll / CELL_SIZE - LEFT_MARGIN), 0);
    const double lastColumn = MinOf(RoundEven(scroll / CELL_SIZE) + RIGHT_REACH, GRID_COLS - 1);
    int32_t first = RoundToInt32(firstColumn, GRID_COLS);
    int32_t last = RoundToInt32(lastColumn, -1);
    if (first < 0)
        first = 0;
    if (last > GRID_COLS - 1)
        last = GRID_COLS - 1;

    for (int32_t r = 0; r < GRID_ROWS; ++r) {
        for (int32_t c = first; c <= last; ++c) {
            const unsigned char cell = grid[r * GRID_COLS + c];
            const double x = CELL_SIZE * c - scroll;
            const double y = CELL_SIZE * r;
            if (cell == CELL_BLOCK) {
                DrawTile(x, y);
            } else if (cell == CELL_GOAL) {
                // Goals cycle their colour with the system tick, read afresh for
                // each component, red first.
                const double red = Square(std::sin(GetTickCount() / 1000.0));
                const double green = Square(std::cos(GetTickCount() / 850.0));
                const double blue = std::sin(GetTickCount() / 1200.0);
                DrawDisc(x, y, red, green, blue, GOAL_RADIUS);
            }
        }
    }
}
