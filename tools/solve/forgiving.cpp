// Runs with moved keys, and the search for a win that keeps through them.
//
// A player presses and lets go of keys a little early or late. A play with
// moved keys moves each press and each release of an arrow key by its own
// whole number of milliseconds, drawn evenly from -jitter..+jitter; a key is
// held in a frame when the frame's time lies within one of its moved holds (a
// hold whose release comes to lie before its press is lost, holds that come to
// overlap join). Keys still held when the run wins stay held: a player lets go
// once the won screen shows, and a play that is a little behind needs them.
// The plays run the same frames as the search, through the game's own rules
// (DrawFrame with --exact).
//
// The forgiving search is the fastest search's beam, but every run in it is a
// bundle of plays of the same keys: the run itself and SEARCH_PLAYS - 1 plays
// with moved keys. Their moves are drawn from another seed than the check's
// and reach a third further, so that the run found sits inside its timing
// windows rather than on the edge of what its own plays happened to try. A
// play with moved keys stays that far behind the decisions, so that every key
// change that can still reach its frames is decided. A bundle is judged by
// the mean over its plays of the steps each still needs (none after a win,
// LOST_STEPS after a loss), plus PRESS_STEPS for every key press it asks of
// the player, so that it reads like a player's run; a bundle whose own run is
// lost is dropped. The search ends with the first bundle in which every play
// has won, or, once no bundle left can do better, with the one in which most
// did.
#include <algorithm>
#include <array>
#include <climits>
#include <cstdio>
#include <cstring>
#include <unordered_map>

#include "game/screens.h"
#include "core/game_state.h"
#include "tools/replay/replay.h"
#include "tools/solve/solve.h"

namespace solve {
namespace {

constexpr int SEARCH_PLAYS = 40;
constexpr double LOST_STEPS = 20000.0; // a lost play weighs as much as 100 s still to go
constexpr double PRESS_STEPS = 10.0;   // a key press weighs as much as 50 ms

constexpr int KEY_CODES[4] = {VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN};
constexpr int32_t HELD_BEFORE = INT32_MIN; // pressed before anything that can move
constexpr int32_t HELD_ON = INT32_MAX;     // never let go

bool Has(const Action &a, int key) {
    const bool down[4] = {a.left, a.right, a.up, a.down};
    return down[key];
}

struct Hold {
    int32_t press, release;
};
using Holds4 = std::array<std::vector<Hold>, 4>;

uint32_t Mix(uint32_t h) {
    h ^= h >> 16;
    h *= 0x7feb352du;
    h ^= h >> 15;
    h *= 0x846ca68bu;
    return h ^ (h >> 16);
}

// Where play `play` (0 is the run itself, never moved) has a key change that
// the run makes at time t: the same for every run that makes it then.
int32_t Moved(int32_t t, uint32_t seed, int play, int key, bool release, int32_t jitter) {
    if (play == 0 || jitter == 0 || t == HELD_BEFORE || t == HELD_ON)
        return t;
    uint32_t h = Mix(seed ^ 0x9e3779b9u);
    h = Mix(h ^ static_cast<uint32_t>(play));
    h = Mix(h ^ static_cast<uint32_t>(key * 2 + release));
    h = Mix(h ^ static_cast<uint32_t>(t));
    return t + static_cast<int32_t>(h % static_cast<uint32_t>(2 * jitter + 1)) - jitter;
}

// Sets the arrow keys as play `play` holds them in its frame at time t.
void PressMovedKeys(const Holds4 &holds, int32_t t, uint32_t seed, int play, int32_t jitter) {
    std::memset(keys, 0, sizeof keys);
    for (int k = 0; k < 4; ++k)
        for (const Hold &h : holds[k])
            if (Moved(h.press, seed, play, k, false, jitter) <= t &&
                t < Moved(h.release, seed, play, k, true, jitter)) {
                keys[KEY_CODES[k]] = BOOL_TRUE;
                break;
            }
}

// Adds one frame's keys to the holds.
void NoteKeys(Holds4 *holds, bool down[4], const bool now[4], int32_t t) {
    for (int k = 0; k < 4; ++k) {
        if (now[k] && !down[k])
            (*holds)[k].push_back({t, HELD_ON});
        if (!now[k] && down[k])
            (*holds)[k].back().release = t;
        down[k] = now[k];
    }
}

// The holds of decisions first.. of a run (decision d starts at game time
// `start` + d x decide); keys held in the decision before `first` count as
// pressed before them.
Holds4 HoldsOf(const std::vector<uint8_t> &actions, size_t first, int32_t start, int32_t decide) {
    Holds4 holds;
    bool down[4] = {};
    if (first > 0)
        for (int k = 0; k < 4; ++k)
            if ((down[k] = Has(ACTIONS[actions[first - 1]], k)))
                holds[k].push_back({HELD_BEFORE, HELD_ON});
    for (size_t d = first; d < actions.size(); ++d) {
        const int32_t t = frameTimes[FrameAfter(start + static_cast<int32_t>(d) * decide)];
        bool now[4];
        for (int k = 0; k < 4; ++k)
            now[k] = Has(ACTIONS[actions[d]], k);
        NoteKeys(&holds, down, now, t);
    }
    return holds;
}

int NewPresses(int from, int to) {
    int n = 0;
    for (int k = 0; k < 4; ++k)
        n += Has(ACTIONS[to], k) && !Has(ACTIONS[from], k);
    return n;
}

struct Play {
    Snapshot s;
    uint32_t next; // index of its next frame in frameTimes
    int32_t won;   // time of its winning frame, 0 while not won
    bool lost;
};

struct Bundle {
    std::vector<Play> plays;
    int32_t parent;
    uint8_t action; // of the last decision
    int presses, won, lost;
    double score;
};

} // namespace

int MovedKeyWins(const std::string &path, const Options &o, std::string *error) {
    Replay replay;
    if (!ReadReplay(path, &replay, error))
        return -1;
    // The keys of the game's frames, as the run holds them.
    Holds4 holds;
    bool down[4] = {};
    ClearGameState();
    if (!BeginReplay(replay, error))
        return -1;
    for (const ReplayFrame &frame : replay.frames) {
        const bool wasGame = IsScreen(SCREEN_GAME);
        if (wasGame) {
            bool now[4];
            for (int k = 0; k < 4; ++k)
                now[k] = std::find(frame.keys.begin(), frame.keys.end(), KEY_CODES[k]) !=
                         frame.keys.end();
            NoteKeys(&holds, down, now, frame.t);
        }
        const bool goesOn = PlayReplayFrame(frame, SetTick);
        if (!goesOn || (wasGame && !IsScreen(SCREEN_GAME)))
            break;
    }

    int wins = 0;
    for (int play = 1; play <= o.tries; ++play) {
        ClearGameState();
        BeginReplay(replay, error);
        for (const ReplayFrame &frame : replay.frames)
            if (!PlayReplayFrame(frame, SetTick) || IsScreen(SCREEN_GAME))
                break;
        for (size_t i = 0; i < frameTimes.size() && IsScreen(SCREEN_GAME); ++i) {
            PressMovedKeys(holds, frameTimes[i], o.seed, play, o.jitter);
            PlayFrame(frameTimes[i]);
        }
        wins += IsScreen(SCREEN_WIN);
    }
    return wins;
}

Win ForgivingSearch(const Options &o) {
    const int32_t jitter = o.jitter + o.jitter / 3;
    const uint32_t seed = Mix(o.seed) ^ 0x5eedu; // other moves than the check's
    // The decisions whose key changes can still move into this decision's
    // frames, and the one before them.
    const size_t window = static_cast<size_t>((2 * jitter + o.decide - 1) / o.decide + 2);

    StartRun();
    const int32_t firstGameFrame = frameTimes.front();
    PlayFrame(firstGameFrame); // no step yet: the physics takes up the new time line
    Bundle root{std::vector<Play>(SEARCH_PLAYS, Play{Save(), 1, 0, false}), -1, 0, 0, 0, 0, 0.0};
    std::vector<Bundle> beam{root};
    std::vector<std::vector<Link>> layers;
    Win best;
    int bestWins = 0;

    for (int32_t from = firstGameFrame; from < o.limit && !beam.empty(); from += o.decide) {
        const int32_t to = from + o.decide;
        std::vector<Bundle> next;
        std::unordered_map<uint64_t, size_t> seen;
        for (size_t i = 0; i < beam.size(); ++i) {
            const Bundle &b = beam[i];
            std::vector<uint8_t> actions = ActionsOf(layers, static_cast<int32_t>(i), 0);
            actions.pop_back();
            const size_t first = actions.size() + 1 > window ? actions.size() + 1 - window : 0;
            for (int a = 0; a < ACTION_COUNT; ++a) {
                // Once the run itself has won its keys stay as they are.
                if (b.plays[0].won && a != b.action)
                    continue;
                actions.push_back(static_cast<uint8_t>(a));
                const Holds4 holds = HoldsOf(actions, first, firstGameFrame, o.decide);
                actions.pop_back();

                Bundle c{b.plays,
                         static_cast<int32_t>(i),
                         static_cast<uint8_t>(a),
                         b.presses + (layers.empty() ? KeyCount(a) : NewPresses(b.action, a)),
                         0,
                         0,
                         0.0};
                double steps = 0;
                for (int p = 0; p < SEARCH_PLAYS; ++p) {
                    Play &q = c.plays[p];
                    if (!q.won && !q.lost) {
                        Load(q.s);
                        const int32_t until = p == 0 ? to : to - jitter;
                        while (q.next < frameTimes.size() && frameTimes[q.next] <= until) {
                            const int32_t t = frameTimes[q.next++];
                            PressMovedKeys(holds, t, seed, p, jitter);
                            PlayFrame(t);
                            if (IsScreen(SCREEN_WIN))
                                q.won = t;
                            q.lost = IsScreen(SCREEN_GAMEOVER);
                            if (q.won || q.lost)
                                break;
                        }
                        q.s = Save();
                    }
                    c.won += q.won != 0;
                    c.lost += q.lost;
                    steps += q.won    ? 0.0
                             : q.lost ? LOST_STEPS
                                      : std::min(LOST_STEPS, StepsToGoal(q.s));
                }
                if (c.plays[0].lost || SEARCH_PLAYS - c.lost <= bestWins)
                    continue;
                if (c.won + c.lost == SEARCH_PLAYS) {
                    bestWins = c.won;
                    const Snapshot &s = c.plays[0].s;
                    best.found = true;
                    best.time = c.plays[0].won;
                    best.y = s.y;
                    best.height = WinHeight(LevelX(s), s.y);
                    best.actions = ActionsOf(layers, c.parent, c.action);
                    if (bestWins == SEARCH_PLAYS)
                        return best;
                    continue;
                }
                c.score = -(steps / SEARCH_PLAYS + PRESS_STEPS * c.presses) - 1e-6 * KeyCount(a);
                const uint64_t cell = Cell(c.plays[0].s) ^
                                      static_cast<uint64_t>(c.won) * 0x9e3779b97f4a7c15u ^
                                      static_cast<uint64_t>(c.lost) * 0xc2b2ae3d27d4eb4fu;
                auto [it, fresh] = seen.emplace(cell, next.size());
                if (fresh)
                    next.push_back(std::move(c));
                else if (c.score > next[it->second].score)
                    next[it->second] = std::move(c);
            }
        }

        std::vector<int> bands;
        std::vector<double> scores;
        for (const Bundle &c : next) {
            bands.push_back(Band(c.plays[0].s));
            scores.push_back(c.score);
        }
        std::vector<Link> layer;
        beam.clear();
        for (size_t k : KeepBest(bands, scores, o.beam)) {
            layer.push_back({next[k].parent, next[k].action});
            beam.push_back(std::move(next[k]));
        }
        layers.push_back(std::move(layer));

        if (!o.quiet && (from - firstGameFrame) % 1000 == 0 && !beam.empty()) {
            const Bundle &b =
                *std::max_element(beam.begin(), beam.end(), [](const Bundle &x, const Bundle &y) {
                    return x.score < y.score;
                });
            std::fprintf(stderr,
                         "t=%5.1f s  runs %4zu  best: %2d of %d plays won, %2d lost; the run at "
                         "x %6.1f, y %5.1f\n",
                         to / 1000.0, beam.size(), b.won, SEARCH_PLAYS, b.lost,
                         LevelX(b.plays[0].s), b.plays[0].s.y);
        }
    }
    return best;
}

} // namespace solve
