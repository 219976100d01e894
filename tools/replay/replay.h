// Replays: a run of the game written down as the frames the main loop would
// draw, each with its game time and the keys held, so that the run can be
// played again through DrawFrame and must come out the same every time.
//
// A replay file is plain text, one item per line; '#' starts a comment.
//
//   grids <folder>        the seven grid files (map, over, new, quit, cred,
//                         time, pelmox) are read from this folder, relative to
//                         the replay file; a file that is not there stays empty
//   map <file>            the level grid, relative to the replay file
//   start <tick>          the tick count at start-up (default 0)
//   <t> [key ...]         one frame at game time t (ms) with these keys held
//   <t0>..<t1>/<dt> [key ...]
//                         frames at t0, t0 + dt, ... up to t1, same keys
//   <t0>..<t1>@<hz> [key ...]
//                         the frames a display refreshing hz times a second
//                         shows from t0 to t1, same keys: see DisplayFrameTime
//
// Keys are Left, Right, Up, Down, Enter, Escape, Q, or a virtual-key code
// in decimal. Game time is what the main loop passes: tick count minus
// startTick, so it starts again near 0 after a new game.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/game_state.h"
#include "win32/frame_pacing.h"

// The game time of the n-th frame after game time 0 on a display refreshing
// hz times a second, with frame 0 at game time 0 (on a tick): the frame
// comes n x 1000 / hz ms later and reads the tick counter's time then,
// a whole number of ticks.
int32_t DisplayFrameTime(int64_t n, int32_t hz);

struct ReplayFrame {
    int32_t t = 0;
    std::vector<int> keys; // virtual-key codes held during this frame
    int line = 0;          // in the replay file
};

struct Replay {
    std::string path;
    std::string gridFolder; // resolved; empty when not given
    std::string mapFile;    // resolved; empty when not given
    DWORD startTick = 0;
    std::vector<ReplayFrame> frames;
};

// Reads a replay file. On a malformed line returns false and says why in `error`.
bool ReadReplay(const std::string &path, Replay *replay, std::string *error);

// Parses one key name; -1 when unknown.
int ReplayKeyCode(const std::string &name);
std::string ReplayKeyName(int code);

// Loads the grid files found in a folder (map, over, new, quit, cred, time,
// pelmox); missing ones are left as they are. False (with `error`) when one
// is malformed.
bool LoadGridFolder(const std::string &folder, std::string *error);
// Loads the level grid from a file.
bool LoadLevelFile(const std::string &path, std::string *error);

// Puts the game where start-up leaves it: the grids loaded, the menu showing,
// the sea at 27 and the time origin at the replay's start tick. The caller
// has reset every variable and set the sound handles before. False (with
// `error`) when a grid file is malformed.
bool BeginReplay(const Replay &replay, std::string *error);

// Plays one frame as the main loop does: the keys of the frame held, the
// tick count set (through `setTick`) so that it lies t after startTick, then
// the main loop's own frame (RunFrame). Returns false when the frame ended the
// game ("exit").
bool PlayReplayFrame(const ReplayFrame &frame, void (*setTick)(DWORD tick));
