// The game's numbers in one place: the level's cell size, the physics per step,
// the sea, the sound channels and where each screen draws what.
#pragma once

// ---- Level and time ----
constexpr double CELL_SIZE = 2.0; // view units per side of a level cell
constexpr int STEP_MS = 5;        // one physics step

// ---- The sea ----
constexpr double SEA_START = 27.0;     // surface height on the menu and at game time 0
constexpr double SEA_RISE_MS = 2000.0; // milliseconds per unit it rises during a game
constexpr double DROWN_MARGIN = 3.0;   // the disc is lost this far below the surface

// ---- The player's disc, per 5 ms step ----
constexpr double PLAYER_START_X = 1.0;
constexpr double PLAYER_RADIUS = 1.1;
constexpr double FEET_OFFSET = 1.95; // the floor search starts just below the disc's centre
constexpr double LEFT_LIMIT = 1.0;
constexpr double RIGHT_LIMIT = 39.0;
constexpr double BOTTOM_LIMIT = 30.0;
constexpr double CAMERA_CENTRE = 20.0;
constexpr double CAMERA_DIVISOR = 100.0;
constexpr double FRICTION_DIVISOR = 100.0;
constexpr double KEY_PUSH = 0.0015;
constexpr double JUMP_VELOCITY = -0.12;
constexpr double NORMAL_GRAVITY = 0.001;
constexpr double DROP_GRAVITY = 1.0;

// ---- Sound channels ----
constexpr int FALL_CHANNEL = 0;
constexpr int JUMP_CHANNEL = 1;
constexpr int CLICK_CHANNEL = 2;
constexpr int MENU_CHANNEL = 3;
constexpr int SEA_CHANNEL = 31;

// ---- Where the screens draw ----
// The clock during a game and on the game-over screen, and on the won screen.
constexpr double GAME_CLOCK_X = 0.0, GAME_CLOCK_Y = 1.0;
constexpr double WON_CLOCK_X = 10.0, WON_CLOCK_Y = 20.0;
// The menu: three entries a quarter unit per dot, the cursor disc to their left.
constexpr double MENU_BANNER_X = 10.0;
constexpr double MENU_BANNER_PITCH = 0.25;
constexpr double NEW_BANNER_Y = 5.0, CRED_BANNER_Y = 9.0, QUIT_BANNER_Y = 13.0;
constexpr double CURSOR_X = 9.0;
constexpr double CURSOR_TOP = 6.5;
constexpr double ENTRY_SPACING = 4.0;
// The won screen's TIME over its clock, and the scrolling banners, half a unit per dot.
constexpr double TIME_BANNER_X = 3.0, TIME_BANNER_Y = 10.0;
constexpr double LARGE_BANNER_PITCH = 0.5;
constexpr double BANNER_START_X = 40.0;      // scrolling banners enter at the right edge ...
constexpr double BANNER_Y = 10.0;            // ... at this height ...
constexpr double BANNER_MS_PER_UNIT = 100.0; // ... and move one unit left every 100 ms
constexpr double GAMEOVER_END = -40.0;       // 30 + units moved below this ends the screen
constexpr double CREDITS_END = -80.0;
