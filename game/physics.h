#pragma once

#include <cstdint>

constexpr int STEP_MS = 5; // one physics step

// Advances the player and the camera in whole steps up to the given game time.
void StepPlayer(int32_t time);

// Larger / smaller of two values; on a tie (or NaN) the first argument comes back.
double MaxOf(double a, double b);
double MinOf(double a, double b);
