// Scripted stand-in for the window-system layer: records every call and every
// message box, answers boxes as the test scripts, fails the calls a test names,
// keeps a message queue and a settable tick count.
#pragma once

#include <deque>
#include <set>
#include <string>
#include <vector>

#include "platform/win32/win32.h"

struct MessageBoxRecord {
    std::string text, caption;
    UINT type;
};

// Thrown by ExitProcess so that a test can see the exit code.
struct ProcessExit {
    UINT code;
};

extern std::vector<std::string> win32Calls;        // call names in order
extern std::vector<MessageBoxRecord> messageBoxes; // every box shown
extern std::deque<int> messageBoxAnswers;          // next answers; IDOK / IDYES when empty,
                                                   // by the box's buttons
extern std::set<std::string> win32Failing;         // calls that fail (by name)
extern DWORD win32Tick;                            // what GetTickCount returns
extern DWORD win32TickStep;                        // added after each GetTickCount
extern std::deque<MSG> win32Queue;                 // messages for PeekMessageA
extern std::vector<DEVMODEA> displayModeRequests;  // ChangeDisplaySettingsA modes (null: zeros)
extern std::vector<PIXELFORMATDESCRIPTOR> pixelFormatRequests;
extern WNDCLASSA registeredClass; // the last class registered
extern int swapCount;

void Win32ScriptReset();
size_t Win32CallCount(const std::string &name);
// Index of the first call with that name in win32Calls, or -1.
int Win32CallIndex(const std::string &name);
