// Start-up: floating point, sound, the twelve data files, the menu, then the main loop.
#include "app/startup.h"

#include "core/game_state.h"
#include "core/grid_file.h"
#include "core/rules.h"
#include "game/screens.h"
#include "app/main_loop.h"
#include "sound/fsound.h"

namespace {

// Older sound libraries lack what the game relies on (fixed channels that
// restart a cue, a looping soundtrack).
constexpr float REQUIRED_SOUND_VERSION = 3.75f;
const char *const SOUND_TOO_OLD_TEXT =
    "The sound library is too old: version 3.75 or newer is needed.";

constexpr int MIX_RATE = 44100;
constexpr int SOUND_CHANNELS = 32;
constexpr int ALL_CHANNELS = FSOUND_ALL;
constexpr int FULL_VOLUME = 255;
constexpr int SEA_SLOT = 31;

// For the whole run: no floating-point exception ever traps (a division by
// zero gives an infinity, an invalid operation a NaN), and rounding is to
// nearest, ties to even. The x87 unit, where it does the arithmetic, works
// with its full 64-bit mantissa.
void SetUpFloatingPoint() {
    _controlfp(_MCW_EM, _MCW_EM);
    _controlfp(_RC_NEAR, _MCW_RC);
#if defined(__i386__) || defined(_M_IX86)
    _controlfp(_PC_64, _MCW_PC);
#endif
}

} // namespace

void LoadAllGrids() {
    for (const GridFile &file : GRID_FILES)
        LoadGrid(file.grid, file.name);
}

int GameMain() {
    SetUpFloatingPoint();

    if (FSOUND_GetVersion() < REQUIRED_SOUND_VERSION) {
        // Tell the player why nothing happens, and end with a failure code.
        MessageBoxA(nullptr, SOUND_TOO_OLD_TEXT, "Error", MB_OK | MB_ICONERROR);
        return 1;
    }

    FSOUND_Init(MIX_RATE, SOUND_CHANNELS, 0);
    FSOUND_SetVolume(ALL_CHANNELS, FULL_VOLUME);
    // A missing sound file leaves a null handle: the game then plays silence.
    fallSound = FSOUND_Sample_Load(0, "fall.wav", 0, 0, 0);
    jumpSound = FSOUND_Sample_Load(1, "jump.wav", 0, 0, 0);
    clickSound = FSOUND_Sample_Load(2, "click.wav", 0, 0, 0);
    menuSound = FSOUND_Sample_Load(3, "menu.wav", 0, 0, 0);
    FSOUND_SAMPLE *seaMusic = FSOUND_Sample_Load(SEA_SLOT, "sea.mp3", 0, 0, 0);
    FSOUND_Sample_SetMode(seaMusic, FSOUND_LOOP_NORMAL);

    screen = SCREEN_MENU;

    // A bad grid file ends the process inside LoadGrid with the error box.
    LoadAllGrids();

    StartOnMenu(GetTickCount());
    // The soundtrack loops from here to the end of the process, across every
    // screen and window re-creation.
    FSOUND_PlaySound(SEA_CHANNEL, seaMusic);

    return RunMainLoop();
}
