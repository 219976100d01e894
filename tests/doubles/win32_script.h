// Scripted stand-in for the window-system layer: records every call and every
// message box, answers boxes as the test scripts, fails the calls a test names,
// keeps a message queue and a settable tick count.
#pragma once

#include <deque>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "win32/win32.h"

struct MessageBoxRecord {
    std::string text, caption;
    UINT type;
};

// Thrown by ExitProcess so that a test can see the exit code.
struct ProcessExit {
    UINT code;
};

extern std::vector<std::string> win32Calls;        // call names in order; a release or a
                                                   // restore is named with its "(null)"
extern std::vector<MessageBoxRecord> messageBoxes; // every box shown
extern std::deque<int> messageBoxAnswers;          // next answers; IDOK / IDYES when empty
extern std::set<std::string> win32Failing;         // calls that fail (by name)
extern DWORD win32Tick;                            // what GetTickCount returns
extern std::deque<MSG> win32Queue;                 // messages for PeekMessageA
constexpr LRESULT DEFAULT_HANDLING = 42;           // what DefWindowProcA answers

// Called each time PeekMessageA finds the queue empty, with the number of such
// times so far; a test can post messages or change the game from there. After
// 1000 empty peeks a WM_QUIT with RUNAWAY_LOOP ends a loop that never would.
extern std::function<void(int)> win32OnIdle;
extern int win32IdleCount;
constexpr WPARAM RUNAWAY_LOOP = 0xDEAD;

void Win32ScriptReset();
// Queues a message for the game window, as the system would post it.
void Win32Post(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
size_t Win32CallCount(const std::string &name);
