// The do-nothing backend's one setting: the tick count it reports.
#pragma once

#include "win32/win32.h"

// What GetTickCount reports; programs that only draw or search set it.
extern DWORD nullTick;
