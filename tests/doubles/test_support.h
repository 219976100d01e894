// Puts every program-wide variable back to its value at process start and
// empties the recording stand-ins, so each test starts from a fresh run.
#pragma once

#include "tests/doubles/gl_recorder.h"
#include "tests/doubles/sound_recorder.h"
#include "tests/doubles/win32_script.h"

void ResetGameState();

// A fresh run for whole frames of play: GL calls only counted, and a sound
// handle in each effect's slot as if every sound file had loaded.
void ResetForPlay();

// Gives each named variable its value-initialised state: 0, empty or null.
template <typename... T> void ClearAll(T &...variables) {
    ((variables = T{}), ...);
}
