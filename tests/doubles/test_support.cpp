// The fresh run every test starts from: program-wide variables and stand-ins reset.
#include "tests/doubles/test_support.h"

#include "core/game_state.h"

void ResetGameState() {
    ClearGameState();
    GlRecorderReset();
    SoundRecorderReset();
    Win32ScriptReset();
}

void ResetForPlay() {
    ResetGameState();
    glRecording = false;
    fallSound = FakeSample(0), jumpSound = FakeSample(1);
    clickSound = FakeSample(2), menuSound = FakeSample(3);
}
