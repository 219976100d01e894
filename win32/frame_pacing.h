// The arithmetic of the layer's clock, kept free of any system call so that
// it can be driven by a scripted clock.
//
// The tick counter. The game's physics runs in whole steps of 5 ms and drops
// whatever part of a frame's time is left over below a step. On the systems
// the game was made for the tick counter itself moved in whole timer ticks, so
// nothing was ever left over; a counter of single milliseconds would lose up
// to a step every frame, and everything when frames are shorter than a step.
// So our tick counter too advances in whole ticks of one step.
//
// Pacing. A frame is presented once per refresh of the display. Where the
// driver does not wait for the display (vsync off, a virtual screen), the
// layer waits out the rest of the refresh period after the swap itself.
#pragma once

#include <cstdint>

#include "win32/win32.h"

// Milliseconds per tick of GetTickCount: one physics step.
constexpr uint64_t TICK_MS = 5;

// GetTickCount at a time of the monotonic clock in milliseconds: rounded down
// to a whole tick, then taken to 32 bits. 2^32 is no multiple of 5, but the
// difference of two counts (unsigned, with wrap-around) is still the whole
// ticks between them.
inline DWORD TickCountAt(uint64_t ms) {
    return static_cast<DWORD>(ms - ms % TICK_MS);
}

// Refresh rate assumed when the display does not tell.
constexpr int DEFAULT_REFRESH_HZ = 60;

inline int64_t RefreshPeriodNs(int refreshHz) {
    return 1000000000 / (refreshHz > 0 ? refreshHz : DEFAULT_REFRESH_HZ);
}

// A frame whose swap came back this close to the time it was due has been
// paced by the driver, or nearly so: waiting would only fight the display.
inline int64_t PacingSlackNs(int64_t period) {
    return period / 16;
}

// Called when a swap has come back at `now` (ns); `shown` holds when the
// previous frame counted as shown, and becomes this frame's. Returns the time
// until which to wait before the next frame begins: a period after the
// previous frame for a frame that came back early, `now` for one that took a
// period or more. An early frame counts as shown at its due time, not at the
// time the wait really ends, so late wake-ups do not add up to drift.
inline int64_t PaceFrame(int64_t *shown, int64_t now, int64_t period) {
    const int64_t due = *shown + period;
    if (now >= due - PacingSlackNs(period)) {
        *shown = now;
        return now;
    }
    *shown = due;
    return due;
}
