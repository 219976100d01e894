#pragma once

#include "platform/win32/win32.h"

// What GetTickCount reports in a program that only draws.
extern DWORD headlessTick;
