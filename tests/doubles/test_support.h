// The stand-ins tests link instead of GL and the window layer (the sound
// layer's is sound_recorder.h), the heap counter, and the fresh run every
// test starts from.
#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "tests/doubles/sound_recorder.h"
#include "win32/win32.h"

// ---- GL (gl_recorder.cpp): every call the game makes is kept, with its
// arguments, so tests can count what was drawn and where.
struct GlCall {
    const char *name; // "glVertex3f", "glColor4f", ...
    double a[6];
};
extern std::vector<GlCall> glCalls;
extern bool glRecording;   // false: nothing is kept (long runs of whole frames)
extern int glOpenBlocks;   // glBegin without its glEnd so far
extern int glNestedBegins; // glBegin while a block was already open
void GlRecorderReset();
size_t GlCountNamed(const char *name);

// ---- The window layer (win32_script.cpp): records every call and every
// message box, answers boxes as the test scripts, fails the calls a test
// names, keeps a message queue and a settable tick count.
struct ProcessExit { // thrown by ExitProcess so that a test can see the exit code
    UINT code;
};
extern std::vector<std::string> win32Calls; // call names in order; a release or a
                                            // restore is named with its "(null)"
// Every box shown, each as "caption|text|type\n" (type 0: OK; 16: OK with the
// error icon; 36: Yes and No with the question mark; 48: OK with the
// exclamation mark; 64: OK with the information icon).
extern std::string messageBoxes;
extern int messageBoxAnswer; // what every box answers: 0 (none could be shown) unless set
extern std::set<std::string> win32Failing; // calls that fail (by name)
extern DWORD win32Tick;                    // what GetTickCount returns
extern std::deque<MSG> win32Queue;         // messages for PeekMessageA
constexpr LRESULT DEFAULT_HANDLING = 42;   // what DefWindowProcA answers
// Called each time PeekMessageA finds the queue empty, with the number of such
// times so far; a test can post messages or change the game from there. After
// 1000 empty peeks a WM_QUIT (wParam 0xDEAD) ends a loop that never would.
extern std::function<void(int)> win32OnIdle;
void Win32ScriptReset();
// Queues a message for the game window, as the system would post it.
void Win32Post(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
size_t Win32CallCount(const std::string &name);

// ---- The heap (heap_counter.cpp, which replaces the global operator new and
// delete of the whole test program): allocations since the program started.
size_t HeapAllocationCount();

// Puts every program-wide variable back to its value at process start and
// empties the recording stand-ins, so each test starts from a fresh run.
void ResetGameState();
// A fresh run for whole frames of play: GL calls only counted, and a sound
// handle in each effect's slot as if every sound file had loaded.
void ResetForPlay();

// Gives each named variable its value-initialised state: 0, empty or null.
template <typename... T> void ClearAll(T &...variables) {
    ((variables = T{}), ...);
}
