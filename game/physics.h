#pragma once

#include <cstdint>

constexpr int STEP_MS = 5; // one physics step

// Advances the player and the camera in whole steps up to the given game time.
void StepPlayer(int32_t time);
