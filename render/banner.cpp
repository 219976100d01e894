// Dot-matrix banners drawn from grids, and the binary clock with its click.
#include "render/banner.h"

#include <cmath>

#include "core/rules.h"
#include "render/primitives.h"

namespace {

constexpr int CLOCK_BITS = 8;
constexpr double CLOCK_RADIUS = 1.0;

// 1 / v, with a pitch of zero giving the infinity of its sign: every dot of a
// zero-pitch banner then lands on (x, y).
double Reciprocal(double v) {
    if (v == 0.0)
        return std::copysign(HUGE_VAL, v);
    return 1.0 / v;
}

} // namespace

void DrawBanner(const Grid grid, double x, double y, double pitch) {
    const double perUnit = Reciprocal(pitch);
    for (int r = 0; r < GRID_ROWS; ++r) {
        for (int c = 0; c < GRID_COLS; ++c) {
            if (grid[r * GRID_COLS + c] != CELL_BLOCK)
                continue;
            DrawDisc(x + c / perUnit, y + r / perUnit, 0.0, 0.0, 1.0, pitch);
        }
    }
}

void DrawClock(DWORD time, double x, double y) {
    clockSeconds = static_cast<int32_t>(time / 1000); // at most 4294967
    // The click marks every change of the seconds between two draws, and
    // sounds before the new value is shown.
    if (clockSeconds != lastClockSeconds)
        FSOUND_PlaySound(CLICK_CHANNEL, clickSound);

    // Least significant bit on the right; a set bit is blue, a clear one white.
    for (int i = 0; i < CLOCK_BITS; ++i) {
        const int32_t p = int32_t{1} << (i + 1);
        const bool set = clockSeconds % p > (p - 1) / 2;
        const double shade = set ? 0.0 : 1.0;
        DrawDisc(x + 16 - 2 * i, y, shade, shade, 1.0, CLOCK_RADIUS);
    }
    lastClockSeconds = clockSeconds;
}
