// The solver's route map: about how many steps a run still needs to a goal.
#include <algorithm>
#include <cmath>
#include <vector>

#include "core/game_state.h"
#include "core/rules.h"
#include "tools/solve/solve.h"

namespace solve {

// ---- The route map: about how many steps from here to a goal ----
//
// Judging runs by how far right they are fails on a level whose way to the
// goal doubles back. So the search judges a run by an estimate of the steps
// it still needs: every solid cell is a place to stand, a goal cell counts as
// a place to stand that is already there, and from each place the disc can
// walk to the next cell or leave it (walking off, or jumping) and come down on
// any cell it can reach in the air. The estimate is the shortest route over
// these moves at full running speed; it ignores the sea and the details of
// steering, which the search itself takes care of.

constexpr double RUN_SPEED = 0.0743;    // level units per step when running flat out
constexpr double LAND_TOLERANCE = 0.05; // the floor search sees a cell a little before the feet do
constexpr double SIDE_SLACK = 1.5;      // a landing may be anywhere in the target's 2-unit strip
constexpr int REACH_COLUMNS = 16;       // no jump carries further than this

struct Place {
    int row, column;
    float steps; // to a goal, NO_ROUTE when none is found
};
std::vector<Place> places;
std::vector<int> placesInColumn[GRID_COLS]; // indices into places

double RestingY(int row) {
    return 2.0 * row - 1.0;
}

double CentreX(int column) {
    return 2.0 * column + 1.0;
}

// Steps until a disc at height y moving at vy comes down to height target, or
// a negative number when it never gets that high.
double StepsToComeDownTo(double y, double vy, double target) {
    const double rise = y - (target + LAND_TOLERANCE); // how far above us the target is
    const double d = vy * vy - 2.0 * NORMAL_GRAVITY * rise;
    if (rise > 0 && (vy >= 0 || d < 0))
        return -1.0;
    return std::max(0.0, (-vy + std::sqrt(std::max(0.0, d))) / NORMAL_GRAVITY);
}

// Steps from (x, y, vy) to the centre of a place by one flight (or by
// walking along its row), or NO_ROUTE when it cannot be reached that way.
double StepsToPlace(double x, double y, double vy, const Place &p) {
    const double n = StepsToComeDownTo(y, vy, RestingY(p.row));
    if (n < 0)
        return NO_ROUTE;
    const double dx = std::fabs(x - CentreX(p.column));
    if (dx - SIDE_SLACK > RUN_SPEED * n)
        return NO_ROUTE;
    return std::max(n, dx / RUN_SPEED);
}

void BuildRouteMap() {
    places.clear();
    for (auto &column : placesInColumn)
        column.clear();
    for (int r = 0; r < GRID_ROWS; ++r)
        for (int c = 0; c < GRID_COLS; ++c) {
            const unsigned char cell = mapGrid[r * GRID_COLS + c];
            if (cell == CELL_BLOCK) {
                placesInColumn[c].push_back(static_cast<int>(places.size()));
                places.push_back({r, c, NO_ROUTE});
            } else if (cell == CELL_GOAL) {
                // Reached by a disc whose centre comes into the cell; the goal
                // is centred on the cell's corner, so it spans two columns.
                for (int gc : {c - 1, c})
                    if (gc >= 0) {
                        placesInColumn[gc].push_back(static_cast<int>(places.size()));
                        places.push_back({r + 1, gc, 0.0f});
                    }
            }
        }

    // Moves between places: walking to the neighbour, or a flight (jump, or
    // walk off the edge) that comes down on another place.
    struct Move {
        int from, to;
        float steps;
    };
    std::vector<Move> moves;
    for (size_t i = 0; i < places.size(); ++i) {
        const Place &p = places[i];
        for (int c = std::max(0, p.column - REACH_COLUMNS);
             c <= std::min(GRID_COLS - 1, p.column + REACH_COLUMNS); ++c)
            for (int j : placesInColumn[c]) {
                if (static_cast<size_t>(j) == i)
                    continue;
                const Place &q = places[j];
                double best = NO_ROUTE;
                if (q.row == p.row && std::abs(q.column - p.column) == 1)
                    best = 2.0 / RUN_SPEED;
                // Leaving from the side of the strip nearest the target.
                const double edge = q.column > p.column   ? CentreX(p.column) + 1.0
                                    : q.column < p.column ? CentreX(p.column) - 1.0
                                                          : CentreX(p.column);
                for (double vy : {JUMP_VELOCITY, 0.0})
                    best = std::min(best,
                                    StepsToPlace(edge, RestingY(p.row), vy, q) + 1.0 / RUN_SPEED);
                if (best < NO_ROUTE)
                    moves.push_back({static_cast<int>(i), j, static_cast<float>(best)});
            }
    }
    for (bool changed = true; changed;) {
        changed = false;
        for (const Move &m : moves) {
            const float via = places[m.to].steps + m.steps;
            if (via < places[m.from].steps) {
                places[m.from].steps = via;
                changed = true;
            }
        }
    }
}

// The estimate for a run: the best of the places it can still come down on.
double StepsToGoal(const Snapshot &s) {
    const double x = s.scroll + s.x;
    const int column = static_cast<int>(std::floor(x / 2.0));
    double best = NO_ROUTE;
    for (int c = std::max(0, column - REACH_COLUMNS);
         c <= std::min(GRID_COLS - 1, column + REACH_COLUMNS); ++c)
        for (int j : placesInColumn[c]) {
            const Place &p = places[j];
            if (p.steps >= NO_ROUTE)
                continue;
            best = std::min(best, StepsToPlace(x, s.y, s.vy, p) + p.steps);
        }
    return best;
}

} // namespace solve
