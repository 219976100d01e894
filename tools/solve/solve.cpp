// Looks for the fastest run that wins a level, or a forgiving one, under the
// game's own rules.
//
//   solve [--grids DIR] [--map FILE] [--forgiving] [--beam N] [--decide MS]
//         [--frame HZHz|MS] [--limit MS] [--exact] [--out FILE.replay] [--quiet]
//         [--min-margin S] [--min-time S] [--jitter MS] [--tries N] [--seed N]
//         [--min-share PERCENT]
//   solve --check FILE.replay [--min-margin S] [--min-time S] [--jitter MS]
//         [--tries N] [--seed N] [--min-share PERCENT]
//
// The search starts a new game from the menu with Enter, as a player would,
// and then plays the frames a player gets through the real StepPlayer: by
// default those of a 60 Hz display, each at the time the game's tick counter
// gives it (whole 5 ms ticks, so frames come 15 or 20 ms apart and no physics
// step is lost); `--frame 144Hz` plays another display rate, and `--frame 10`
// frames of exactly 10 ms. Every --decide ms (50) each run in the beam picks
// one of nine key combinations for the frames until the next decision. Runs
// are judged by a route map of the level, an estimate of the steps each still
// needs to reach a goal (so a level whose way doubles back is searched the
// right way round); the beam (--beam, 4000 runs) keeps the best runs of every
// height band, so that a run that climbs early is not crowded out by one that
// runs fast along the bottom, and merges runs that are all but the same. The
// first decision in which some run reaches a goal gives the fastest win found.
//
// A player's fingers are not that exact. Every win found or checked is also
// played --tries times (100) with each press and each release of an arrow key
// moved by its own random amount of up to --jitter ms (60) either way, drawn
// from --seed, and the share of those plays that still win is reported. The
// fastest win is seldom kept by them; --forgiving searches for a run they keep
// instead (forgiving.cpp).
//
// Between frames a run keeps the whole state the rules look at: position,
// speeds, push, gravity, camera, the step clock, the sea and the screen. By
// default the frames run the physics and the three rules of a game frame
// (sea, goal, drowning) without drawing; --exact plays every frame through
// DrawFrame instead (slower, same result). Either way the winning run is
// written as a replay and played once more through DrawFrame before it is
// reported.
//
// A win is judged at the disc's height, or at the floor below it when it wins
// in the air: the margin is the time from the win until the sea would drown a
// disc at that height. The search fails (exit code 1) when it finds no win,
// or a win with less than --min-margin seconds to spare (10 by default),
// faster than --min-time seconds (0) or kept by less than --min-share percent
// of the plays with moved keys (0). --check plays a recorded replay through
// DrawFrame instead and judges its win the same way.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/game_state.h"
#include "core/numeric.h"
#include "game/physics.h"
#include "game/screens.h"
#include "null/null_backend.h"
#include "tools/replay/replay.h"
#include "tools/solve/solve.h"

namespace solve {

constexpr double DROWN_START = SEA_START + DROWN_MARGIN; // the drowning line at game time 0

// The menu part of every run: a little time on the menu, then Enter.
constexpr DWORD START_TICK = 50000;
constexpr int32_t MENU_FROM = 1000, MENU_TO = 1200, MENU_STEP = 20;
constexpr int32_t ENTER_AT = 1220;

const Action ACTIONS[ACTION_COUNT] = {
    {"-", false, false, false, false},       {"Right", false, true, false, false},
    {"Left", true, false, false, false},     {"Right Up", false, true, true, false},
    {"Left Up", true, false, true, false},   {"Up", false, false, true, false},
    {"Down", false, false, false, true},     {"Right Down", false, true, false, true},
    {"Left Down", true, false, false, true},
};

Snapshot Save() {
    return Snapshot{playerX,   playerY, playerVX,     playerVY,        pushX,
                    gravity,   scrollX, scrollSpeed,  seaLevel,        lastStepTick,
                    eventTime, screen,  clockSeconds, lastClockSeconds};
}

void Load(const Snapshot &s) {
    playerX = s.x;
    playerY = s.y;
    playerVX = s.vx;
    playerVY = s.vy;
    pushX = s.push;
    gravity = s.gravity;
    scrollX = s.scroll;
    scrollSpeed = s.scrollSpeed;
    seaLevel = s.sea;
    lastStepTick = s.lastStep;
    eventTime = s.event;
    screen = s.screen;
    clockSeconds = s.clock;
    lastClockSeconds = s.lastClock;
}

void SetTick(DWORD tick) {
    nullTick = tick;
}

void HoldKeys(const Action &a) {
    std::memset(keys, 0, sizeof keys);
    keys[VK_LEFT] = a.left ? BOOL_TRUE : BOOL_FALSE;
    keys[VK_RIGHT] = a.right ? BOOL_TRUE : BOOL_FALSE;
    keys[VK_UP] = a.up ? BOOL_TRUE : BOOL_FALSE;
    keys[VK_DOWN] = a.down ? BOOL_TRUE : BOOL_FALSE;
}

// The rules of one game frame without its drawing, as the game runs them: the
// sea from the time, the physics, then the goal, Escape and the sea over the
// disc. Drawing changes none of this state.
void RuleFrame(int32_t t) {
    RiseSea(t);
    StepPlayer(t);
    JudgeGameFrame(t);
}

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

bool exactFrames = false;
void PlayFrame(int32_t t) {
    if (exactFrames) {
        SetTick(startTick + static_cast<DWORD>(t));
        DrawFrame(t);
    } else {
        RuleFrame(t);
    }
}

// The height a win is judged at: the disc's centre, or, when it wins in the
// air, the floor it would come down on, whichever is lower. A run that wins
// at the top of a jump is no safer from the sea than the platform below it.
double WinHeight(double levelX, double y) {
    const int row = FloorRowUnder(levelX, y);
    return row == NO_FLOOR ? y : std::max(y, CELL_SIZE * row - 1.0);
}

// Seconds between the win and the moment the drowning line would reach the
// height it is judged at.
double MarginSeconds(int32_t winTime, double height) {
    return ((DROWN_START - height) * SEA_RISE_MS - winTime) / 1000.0;
}

std::vector<int32_t> frameTimes;

void PlanFrames(const Options &o) {
    frameTimes.clear();
    for (int64_t n = 1;; ++n) {
        const int64_t t = o.frameMs > 0 ? n * o.frameMs : DisplayFrameTime(n, o.hz);
        if (t > static_cast<int64_t>(o.limit) + o.decide)
            break;
        frameTimes.push_back(static_cast<int32_t>(t));
    }
}

size_t FrameAfter(int32_t t) {
    return static_cast<size_t>(std::upper_bound(frameTimes.begin(), frameTimes.end(), t) -
                               frameTimes.begin());
}

bool LoadLevel(const Options &o, std::string *error) {
    return (o.grids.empty() || LoadGridFolder(o.grids, error)) &&
           (o.map.empty() || LoadLevelFile(o.map, error));
}

// Puts the game on the menu as start-up leaves it, then starts a new game with
// Enter and plays the first game frame (which only takes up the new time line).
void StartRun() {
    StartOnMenu(START_TICK);
    for (int32_t t = MENU_FROM; t <= MENU_TO; t += MENU_STEP) {
        HoldKeys(ACTIONS[0]);
        SetTick(startTick + static_cast<DWORD>(t));
        DrawFrame(t);
    }
    std::memset(keys, 0, sizeof keys);
    keys[VK_RETURN] = BOOL_TRUE;
    SetTick(startTick + static_cast<DWORD>(ENTER_AT));
    DrawFrame(ENTER_AT);
}

int KeyCount(int a) {
    return ACTIONS[a].left + ACTIONS[a].right + ACTIONS[a].up + ACTIONS[a].down;
}

double LevelX(const Snapshot &s) {
    return s.scroll + s.x;
}

int Band(const Snapshot &s) {
    const double row = std::floor((s.y + 1.0) / 2.0);
    return static_cast<int>(std::clamp(row, 0.0, BANDS - 1.0));
}

std::vector<size_t> KeepBest(const std::vector<int> &bands, const std::vector<double> &scores,
                             int beam) {
    std::vector<std::vector<size_t>> byBand(BANDS);
    for (size_t i = 0; i < bands.size(); ++i)
        byBand[bands[i]].push_back(i);
    auto better = [&](size_t a, size_t b) { return scores[a] > scores[b]; };
    const size_t perBand = static_cast<size_t>(beam) / (2 * BANDS) + 1;
    std::vector<size_t> kept, rest;
    for (auto &band : byBand) {
        std::sort(band.begin(), band.end(), better);
        for (size_t k = 0; k < band.size(); ++k)
            (k < perBand ? kept : rest).push_back(band[k]);
    }
    std::sort(rest.begin(), rest.end(), better);
    for (size_t i : rest) {
        if (kept.size() >= static_cast<size_t>(beam))
            break;
        kept.push_back(i);
    }
    return kept;
}

std::vector<uint8_t> ActionsOf(const std::vector<std::vector<Link>> &layers, int32_t index,
                               uint8_t last) {
    std::vector<uint8_t> actions{last};
    for (int32_t l = static_cast<int32_t>(layers.size()) - 1; l >= 0; --l) {
        actions.push_back(layers[l][index].action);
        index = layers[l][index].parent;
    }
    std::reverse(actions.begin(), actions.end());
    return actions;
}

uint64_t Cell(const Snapshot &s) {
    auto q = [](double v, double scale, int bits) {
        const int64_t i = static_cast<int64_t>(std::floor(v * scale));
        return static_cast<uint64_t>(i) & ((uint64_t{1} << bits) - 1);
    };
    return q(LevelX(s), 4.0, 14) | q(s.y, 4.0, 10) << 14 | q(s.vx, 200.0, 10) << 24 |
           q(s.vy, 100.0, 10) << 34 | q(s.x, 1.0, 8) << 44;
}

struct Candidate {
    Snapshot s;
    int32_t parent;
    uint8_t action;
    double score;
    uint8_t lastAction;
};

// Plays one decision of a run: its frames until the next decision, or until
// the run is won or lost. Returns the time of the winning frame, 0 if none,
// -1 when the run is lost.
int32_t PlayDecision(int32_t from, const Options &o, const Action &a) {
    HoldKeys(a);
    for (size_t i = FrameAfter(from); i < frameTimes.size() && frameTimes[i] <= from + o.decide;
         ++i) {
        const int32_t t = frameTimes[i];
        PlayFrame(t);
        if (IsScreen(SCREEN_WIN))
            return t;
        if (IsScreen(SCREEN_GAMEOVER))
            return -1;
    }
    return 0;
}

Win Search(const Options &o) {
    StartRun();
    const int32_t firstGameFrame = frameTimes.front();
    PlayFrame(firstGameFrame); // no step yet: the physics takes up the new time line
    std::vector<Candidate> beam{{Save(), -1, 0, 0.0, 0}};
    std::vector<std::vector<Link>> layers;
    Win win;

    for (int32_t from = firstGameFrame; from < o.limit && !beam.empty(); from += o.decide) {
        std::vector<Candidate> next;
        next.reserve(beam.size() * ACTION_COUNT);
        std::unordered_map<uint64_t, size_t> seen;
        for (size_t i = 0; i < beam.size(); ++i) {
            for (int a = 0; a < ACTION_COUNT; ++a) {
                Load(beam[i].s);
                const int32_t result = PlayDecision(from, o, ACTIONS[a]);
                if (result < 0)
                    continue;
                const Snapshot s = Save();
                if (result > 0) {
                    // Won: the earliest win, and of equal ones the safest, is kept.
                    if (win.found &&
                        (result > win.time ||
                         (result == win.time && WinHeight(LevelX(s), s.y) >= win.height)))
                        continue;
                    win.found = true;
                    win.time = result;
                    win.y = s.y;
                    win.height = WinHeight(LevelX(s), s.y);
                    win.actions =
                        ActionsOf(layers, static_cast<int32_t>(i), static_cast<uint8_t>(a));
                    continue;
                }
                // Fewest steps still to go first. Keeping the keys of the
                // decision before, and holding fewer keys, wins exact ties, so
                // that the replay reads like a player's.
                const double toGo = StepsToGoal(s);
                if (toGo >= NO_ROUTE)
                    continue;
                const double score = -toGo - 1e-6 * (a != beam[i].lastAction) - 1e-7 * KeyCount(a);
                const uint64_t cell = Cell(s);
                auto [it, fresh] = seen.emplace(cell, next.size());
                if (fresh)
                    next.push_back({s, static_cast<int32_t>(i), static_cast<uint8_t>(a), score, 0});
                else if (score > next[it->second].score)
                    next[it->second] = {s, static_cast<int32_t>(i), static_cast<uint8_t>(a), score,
                                        0};
            }
        }
        if (win.found)
            break;

        std::vector<int> bands;
        std::vector<double> scores;
        for (const Candidate &c : next) {
            bands.push_back(Band(c.s));
            scores.push_back(c.score);
        }
        std::vector<Link> layer;
        beam.clear();
        for (size_t k : KeepBest(bands, scores, o.beam)) {
            const Candidate &c = next[k];
            layer.push_back({c.parent, c.action});
            beam.push_back({c.s, static_cast<int32_t>(beam.size()), 0, c.score, c.action});
        }
        layers.push_back(std::move(layer));

        if (!o.quiet && (from - firstGameFrame) % 1000 == 0 && !beam.empty()) {
            const Candidate &best = *std::max_element(
                beam.begin(), beam.end(),
                [](const Candidate &a, const Candidate &b) { return a.score < b.score; });
            std::fprintf(stderr,
                         "t=%5.1f s  runs %5zu  best at x %6.1f, y %5.1f, %5.1f s to go  "
                         "drowning line %5.1f\n",
                         (from + o.decide) / 1000.0, beam.size(), LevelX(best.s), best.s.y,
                         -best.score * STEP_MS / 1000.0, best.s.sea + DROWN_MARGIN);
        }
    }
    return win;
}

std::string KeysOf(int a) {
    return ACTIONS[a].name[0] == '-' ? std::string() : std::string(" ") + ACTIONS[a].name;
}

// Writes the run as a replay: the menu, Enter, the game frames with their
// keys, then a second on the won screen and back to the menu with Escape.
bool WriteReplay(const Options &o, const Win &win, std::string *error) {
    std::ofstream out(o.out);
    if (!out) {
        *error = o.out + ": cannot be written";
        return false;
    }
    namespace fs = std::filesystem;
    const fs::path folder = fs::absolute(fs::path(o.out)).parent_path();
    out << "# " << (o.forgiving ? "A forgiving" : "The fastest")
        << " win the solver found on this level: " << win.time / 1000.0 << " s, "
        << MarginSeconds(win.time, win.height) << " s before the\n"
        << "# sea would reach the height it wins at";
    if (o.forgiving)
        out << ", and a run that still\n# wins with each arrow key press and release up to "
            << o.jitter << " ms early or late\n# (solve --check tells how often)";
    out << ".\n# Made by tools/solve" << (o.forgiving ? " --forgiving" : "") << " with a beam of "
        << o.beam << ", a decision every " << o.decide << " ms\n# and ";
    if (o.frameMs > 0)
        out << "frames of " << o.frameMs << " ms";
    else
        out << "the frames of a " << o.hz << " Hz display";
    out << "; made again whenever the level changes.\n";
    if (!o.grids.empty())
        out << "grids " << fs::relative(fs::absolute(o.grids), folder).generic_string() << "\n";
    if (!o.map.empty())
        out << "map " << fs::relative(fs::absolute(o.map), folder).generic_string() << "\n";
    out << "start " << START_TICK << "\n";
    out << MENU_FROM << ".." << MENU_TO << "/" << MENU_STEP << "\n";
    out << ENTER_AT << " Enter\n";
    out << frameTimes.front() << "\n";

    // Runs of decisions with the same keys become one line; the last one stops
    // at the winning frame.
    int32_t from = frameTimes.front();
    for (size_t i = 0; i < win.actions.size();) {
        size_t j = i;
        while (j + 1 < win.actions.size() && win.actions[j + 1] == win.actions[i])
            ++j;
        const int32_t first = frameTimes[FrameAfter(from)];
        int32_t last =
            frameTimes[FrameAfter(from + static_cast<int32_t>(j - i + 1) * o.decide) - 1];
        if (j + 1 == win.actions.size())
            last = win.time;
        if (first == last)
            out << first << KeysOf(win.actions[i]) << "\n";
        else if (o.frameMs > 0)
            out << first << ".." << last << "/" << o.frameMs << KeysOf(win.actions[i]) << "\n";
        else
            out << first << ".." << last << "@" << o.hz << KeysOf(win.actions[i]) << "\n";
        from += static_cast<int32_t>(j - i + 1) * o.decide;
        i = j + 1;
    }
    const int32_t after = win.time + 33;
    out << after << ".." << after + 990 << "/33            # the won screen\n";
    out << after + 1023 << ".." << after + 1056 << "/33 Escape\n";
    out << after + 1089 << ".." << after + 1287 << "/33\n";
    return static_cast<bool>(out);
}

struct Outcome {
    bool won = false;
    int32_t time = 0;
    double y = 0, levelX = 0, height = 0;
};

// Plays a replay through DrawFrame, as the replay test does, and notes the win.
bool PlayBack(const std::string &path, Outcome *outcome, std::string *error) {
    Replay replay;
    if (!ReadReplay(path, &replay, error))
        return false;
    ClearGameState();
    if (!BeginReplay(replay, error))
        return false;
    *outcome = Outcome{};
    for (const ReplayFrame &frame : replay.frames) {
        const bool wasGame = IsScreen(SCREEN_GAME);
        const bool goesOn = PlayReplayFrame(frame, SetTick);
        if (wasGame && IsScreen(SCREEN_WIN) && !outcome->won) {
            outcome->won = true;
            outcome->time = frame.t;
            outcome->y = playerY;
            outcome->levelX = scrollX + playerX;
            outcome->height = WinHeight(outcome->levelX, playerY);
        }
        if (!goesOn)
            break;
    }
    return true;
}

// Plays the replay with moved keys and reports the share of plays that still
// win; false when it is under --min-share.
bool ReportMovedKeys(const std::string &path, const Options &o, std::string *error, bool *failed) {
    const int wins = MovedKeyWins(path, o, error);
    if (wins < 0)
        return false;
    const double share = 100.0 * wins / o.tries;
    std::printf("  with every arrow key press and release moved by up to %d ms: %d of %d plays "
                "win (%.0f %%)\n",
                o.jitter, wins, o.tries, share);
    if (share < o.minShare) {
        std::printf("  less than %.0f %% of the plays win\n", o.minShare);
        *failed = true;
    }
    return true;
}

void ReportOutcome(const Outcome &w) {
    std::printf("wins at %.3f s at x %.2f, y %.2f; the sea would reach ", w.time / 1000.0, w.levelX,
                w.y);
    if (w.height != w.y)
        std::printf("the floor below (y %.2f) ", w.height);
    else
        std::printf("that height ");
    std::printf("at %.3f s: %.3f s to spare\n", (DROWN_START - w.height) * SEA_RISE_MS / 1000.0,
                MarginSeconds(w.time, w.height));
}

int Check(const Options &o) {
    Outcome w;
    std::string error;
    if (!PlayBack(o.check, &w, &error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 2;
    }
    if (!w.won) {
        std::printf("%s: the run does not win\n", o.check.c_str());
        return 1;
    }
    std::printf("%s: ", o.check.c_str());
    ReportOutcome(w);
    bool ok = true;
    if (MarginSeconds(w.time, w.height) < o.minMargin) {
        std::printf("  less than %.1f s to spare\n", o.minMargin);
        ok = false;
    }
    if (w.time / 1000.0 < o.minTime) {
        std::printf("  faster than %.1f s: the level is too easy\n", o.minTime);
        ok = false;
    }
    bool failed = false;
    if (!ReportMovedKeys(o.check, o, &error, &failed)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 2;
    }
    return ok && !failed ? 0 : 1;
}

int Usage() {
    std::fprintf(stderr,
                 "usage: solve [--grids DIR] [--map FILE] [--forgiving] [--beam N] [--decide MS]\n"
                 "             [--frame HZHz|MS] [--limit MS] [--exact] [--out FILE.replay]\n"
                 "             [--quiet] [--min-margin S] [--min-time S] [--jitter MS]\n"
                 "             [--tries N] [--seed N] [--min-share PERCENT]\n"
                 "       solve --check FILE.replay [--min-margin S] [--min-time S] [--jitter MS]\n"
                 "             [--tries N] [--seed N] [--min-share PERCENT]\n");
    return 2;
}

bool ParseOptions(int argc, char **argv, Options *o) {
    for (int i = 1; i < argc; ++i) {
        const std::string name = argv[i];
        if (name == "--exact") {
            exactFrames = true;
            continue;
        }
        if (name == "--quiet") {
            o->quiet = true;
            continue;
        }
        if (name == "--forgiving") {
            o->forgiving = true;
            continue;
        }
        if (i + 1 >= argc)
            return false;
        const char *value = argv[++i];
        char *end = nullptr;
        if (name == "--grids")
            o->grids = value;
        else if (name == "--map")
            o->map = value;
        else if (name == "--out")
            o->out = value;
        else if (name == "--check")
            o->check = value;
        else if (name == "--beam")
            o->beam = static_cast<int>(std::strtol(value, &end, 10));
        else if (name == "--decide")
            o->decide = static_cast<int32_t>(std::strtol(value, &end, 10));
        else if (name == "--frame") {
            const long number = std::strtol(value, &end, 10);
            if (std::strcmp(end, "Hz") == 0 || std::strcmp(end, "hz") == 0) {
                o->hz = static_cast<int32_t>(std::clamp(number, 0L, 1000L));
                o->frameMs = 0;
                end = nullptr;
            } else {
                o->frameMs = static_cast<int32_t>(std::clamp(number, 0L, 60000L));
            }
            if (number <= 0)
                return false;
        } else if (name == "--limit")
            o->limit = static_cast<int32_t>(std::strtol(value, &end, 10));
        else if (name == "--min-margin")
            o->minMargin = std::strtod(value, &end);
        else if (name == "--min-time")
            o->minTime = std::strtod(value, &end);
        else if (name == "--jitter")
            o->jitter = static_cast<int32_t>(std::strtol(value, &end, 10));
        else if (name == "--tries")
            o->tries = static_cast<int>(std::strtol(value, &end, 10));
        else if (name == "--seed")
            o->seed = static_cast<uint32_t>(std::strtoul(value, &end, 10));
        else if (name == "--min-share")
            o->minShare = std::strtod(value, &end);
        else
            return false;
        if (end != nullptr && *end != '\0')
            return false;
    }
    // The forgiving search plays every run many times: a narrower beam, and
    // decisions a player can follow.
    if (o->beam == 0)
        o->beam = o->forgiving ? 100 : 4000;
    if (o->decide == 0)
        o->decide = o->forgiving ? 100 : 50;
    // Every decision must hold at least one frame.
    const bool frames = o->frameMs > 0 ? o->decide >= o->frameMs && o->decide % o->frameMs == 0
                                       : o->hz > 0 && o->decide >= 1000 / o->hz + TICK_MS;
    return o->beam > 0 && frames && o->limit > 0 && o->jitter >= 0 && o->jitter <= 1000 &&
           o->tries > 0;
}

} // namespace solve

int main(int argc, char **argv) {
    using namespace solve;
    Options o;
    if (!ParseOptions(argc, argv, &o))
        return Usage();
    PlanFrames(o);
    if (!o.check.empty())
        return Check(o);

    ClearGameState();
    std::string error;
    if (!LoadLevel(o, &error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 2;
    }
    BuildRouteMap();
    const Win win = o.forgiving ? ForgivingSearch(o) : Search(o);
    if (!win.found) {
        std::printf("no winning run found within %.1f s\n", o.limit / 1000.0);
        return 1;
    }
    std::printf("%s win found: %.3f s, %.3f s before the sea reaches the disc\n",
                o.forgiving ? "forgiving" : "fastest", win.time / 1000.0,
                MarginSeconds(win.time, win.height));
    const bool fair =
        MarginSeconds(win.time, win.height) >= o.minMargin && win.time / 1000.0 >= o.minTime;
    if (!fair)
        std::printf("  wanted: at least %.1f s to spare, and no faster than %.1f s\n", o.minMargin,
                    o.minTime);
    if (o.out.empty())
        return fair ? 0 : 1;

    // Written down, and played once more through DrawFrame like any replay.
    Outcome replayed;
    if (!WriteReplay(o, win, &error) || !PlayBack(o.out, &replayed, &error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 2;
    }
    if (!replayed.won || replayed.time != win.time) {
        std::fprintf(stderr, "%s: played through DrawFrame the run does not win at %.3f s\n",
                     o.out.c_str(), win.time / 1000.0);
        return 2;
    }
    std::printf("%s: ", o.out.c_str());
    ReportOutcome(replayed);
    bool failed = false;
    if (!ReportMovedKeys(o.out, o, &error, &failed)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 2;
    }
    return fair && !failed ? 0 : 1;
}
