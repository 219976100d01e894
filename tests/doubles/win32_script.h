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

// Thrown by ExitProcess so that a test can see the exit code.
struct ProcessExit {
    UINT code;
};

extern std::vector<std::string> win32Calls; // call names in order; a release or a
                                            // restore is named with its "(null)"
// Every box shown, each as "caption|text|type\n" (type 0: OK; 16: OK with the
// error icon; 36: Yes and No with the question mark; 48: OK with the
// exclamation mark; 64: OK with the information icon).
extern std::string messageBoxes;
extern int messageBoxAnswer;               // what every box answers: IDYES unless set
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
