#include "game/physics.h"

#include "core/game_state.h"

double MaxOf(double a, double b) {
    return a < b ? b : a;
}

double MinOf(double a, double b) {
    return a > b ? b : a;
}

void StepPlayer(int32_t time) {
    lastStepTick = static_cast<DWORD>(time);
}
