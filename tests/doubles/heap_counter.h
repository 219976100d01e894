// Counts every allocation made through operator new, so a test can check that
// a piece of code runs without touching the heap. Linking this file replaces
// the global operator new and delete of the whole test program.
#pragma once

#include <cstddef>

// Allocations through any form of operator new since the program started.
size_t HeapAllocationCount();
