#include "tests/doubles/test_support.h"

#include <cstring>

#include "core/game_state.h"

void ResetGameState() {
    active = BOOL_TRUE;
    fullscreen = BOOL_TRUE;
    window = nullptr;
    deviceContext = nullptr;
    renderContext = nullptr;
    std::memset(keys, 0, sizeof keys);
    startTick = lastStepTick = eventTime = 0;
    playerX = playerY = playerVX = playerVY = pushX = gravity = 0;
    scrollX = scrollSpeed = seaLevel = 0;
    screen = "";
    menuIndex = 0;
    menuCursor = 0;
    clockSeconds = lastClockSeconds = 0;
    fallSound = jumpSound = clickSound = menuSound = nullptr;
    for (unsigned char *g : {mapGrid, overGrid, newGrid, quitGrid, credGrid, timeGrid, pelmoxGrid})
        std::memset(g, 0, GRID_CELLS);
    GlRecorderReset();
    SoundRecorderReset();
    Win32ScriptReset();
}

void ResetForPlay() {
    ResetGameState();
    glRecording = false;
    fallSound = FakeSample(0);
    jumpSound = FakeSample(1);
    clickSound = FakeSample(2);
    menuSound = FakeSample(3);
}
