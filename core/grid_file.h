// Grid files: plain text, 1200 whitespace-separated integers filling a Grid row by row.
#pragma once

#include "core/game_state.h"
#include "core/grid_reader.h"

// Reads the named file from the working directory into `grid`. Returns only on
// success; a missing or malformed file shows the run-time error box and ends
// the process with the error number as exit code.
void LoadGrid(Grid grid, const char *fileName);
