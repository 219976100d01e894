// The arithmetic of the layer's clock, kept free of any system call so that
// it can be driven by a scripted clock.
//
// The tick counter. The game's physics runs in whole steps of 5 ms and drops
// whatever part of a frame's time is left over below a step. On the systems
// the game was made for the tick counter itself moved in whole timer ticks, so
// nothing was ever left over; a counter of single milliseconds would lose up
// to a step every frame, and everything when frames are shorter than a step.
// So our tick counter too advances in whole ticks of one step.
#pragma once

#include <cstdint>

#include "platform/win32/win32.h"

// Milliseconds per tick of GetTickCount: one physics step.
constexpr uint64_t TICK_MS = 5;

// GetTickCount at a time of the monotonic clock in milliseconds: rounded down
// to a whole tick, then taken to 32 bits. 2^32 is no multiple of 5, but the
// difference of two counts (unsigned, with wrap-around) is still the whole
// ticks between them.
inline DWORD TickCountAt(uint64_t ms) {
    return static_cast<DWORD>(ms - ms % TICK_MS);
}
