// Time as the game expects it of its platform: the tick counter moves in whole
// ticks of one physics step (frame_pacing.h says why), and the waits that pace
// frames come back on time.
#include <chrono>
#include <thread>

#include "backends/sdl/sdl_layer.h"
#include "win32/frame_pacing.h"

namespace {

// The wait after an early swap sleeps until this long before the frame is due
// (a sleep may end a little late) and passes the rest in a short final wait.
constexpr int64_t FINAL_WAIT_NS = 200000;

} // namespace

namespace sdl_layer {

int64_t NowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Most of the way in one sleep, the last moment in a short wait that gives
// way to other threads.
void WaitUntil(int64_t deadline) {
    const int64_t now = NowNs();
    if (deadline - now > FINAL_WAIT_NS)
        std::this_thread::sleep_for(std::chrono::nanoseconds(deadline - now - FINAL_WAIT_NS));
    while (NowNs() < deadline)
        std::this_thread::yield();
}

} // namespace sdl_layer

DWORD WINAPI GetTickCount() {
    auto sinceStart = std::chrono::steady_clock::now().time_since_epoch();
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(sinceStart).count();
    return TickCountAt(static_cast<uint64_t>(ms)); // in whole ticks, wraps after 49.7 days
}
