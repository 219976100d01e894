// What the solver's searches share: the options, a run's state between
// frames, the frames a player gets, the route map's estimate, the beam's
// choice of runs and the win they report (see solve.cpp).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/game_state.h"

namespace solve {

struct Options {
    std::string grids, map, out, check;
    int beam = 0;       // 0: each search's own width
    int32_t decide = 0; // 0: each search's own pace
    int32_t limit = 60000;
    int32_t hz = 60;     // frames of a display at this rate, on the tick ...
    int32_t frameMs = 0; // ... or, when not 0, frames exactly this far apart
    double minMargin = 10.0, minTime = 0.0;
    bool quiet = false;
    bool forgiving = false;
    // Moved keys: each press and release by up to +-jitter ms, in `tries`
    // plays drawn from `seed`; --min-share is the share that must still win.
    int32_t jitter = 60;
    int tries = 100;
    uint32_t seed = 1;
    double minShare = 0.0;
};

struct Action {
    const char *name;
    bool left, right, up, down;
};
extern const Action ACTIONS[];
constexpr int ACTION_COUNT = 9;
int KeyCount(int a);

// Everything the rules of a game frame read or write.
struct Snapshot {
    double x, y, vx, vy, push, gravity, scroll, scrollSpeed, sea;
    DWORD lastStep, event;
    const char *screen;
    int32_t clock, lastClock;
};
Snapshot Save();
void Load(const Snapshot &s);
double LevelX(const Snapshot &s);

void SetTick(DWORD tick);
// Starts a new game from the menu with Enter, as a player would.
void StartRun();
// One game frame at game time t, with the keys as they are.
void PlayFrame(int32_t t);

// The game times of the frames after the one that starts the game, in order.
extern std::vector<int32_t> frameTimes;
// The first frame after game time t.
size_t FrameAfter(int32_t t);

// About how many steps a run still needs to a goal; NO_ROUTE when none.
constexpr float NO_ROUTE = 1e9f;
double StepsToGoal(const Snapshot &s);

// The beam: one link per kept run and decision, back to its parent.
struct Link {
    int32_t parent;
    uint8_t action;
};
// The decisions of run `index` of the newest layer, with `last` after them.
std::vector<uint8_t> ActionsOf(const std::vector<std::vector<Link>> &layers, int32_t index,
                               uint8_t last);
// Which height band a run is in: one per level row, plus below the level.
constexpr int BANDS = 13;
int Band(const Snapshot &s);
// Which runs to keep, given each run's band and score (higher is better): the
// best of every band, then the best overall, at most `beam`.
std::vector<size_t> KeepBest(const std::vector<int> &bands, const std::vector<double> &scores,
                             int beam);

// Runs that are this close in every respect count as the same run.
uint64_t Cell(const Snapshot &s);

struct Win {
    bool found = false;
    int32_t time = 0;
    double y = 0, height = 0;
    std::vector<uint8_t> actions; // one per decision
};
// The height a win is judged at (see solve.cpp).
double WinHeight(double levelX, double y);

// The forgiving search (forgiving.cpp): a win that moved keys keep.
Win ForgivingSearch(const Options &o);
// Plays a replay's game o.tries times with its keys moved (forgiving.cpp);
// the number of plays that still win, or -1 (with `error`).
int MovedKeyWins(const std::string &path, const Options &o, std::string *error);

} // namespace solve
