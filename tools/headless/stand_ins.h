#pragma once

#include "platform/win32/win32.h"

// What GetTickCount reports.
extern DWORD snapshotTick;
