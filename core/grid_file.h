// Grid files: plain text, 1200 whitespace-separated integers filling a Grid row by row.
#pragma once

#include "core/game_state.h"
#include "core/grid_reader.h"

// Reads the named file from the working directory into `grid`. Returns only on
// success; a missing or malformed file shows the run-time error box and ends
// the process with the error number as exit code.
void LoadGrid(Grid grid, const char *fileName);

// The file calls behind LoadGrid, for the tools that read grid files as the
// game does. Only a plain file opens, with the error numbers the game reports,
// and the open never waits; otherwise INVALID_HANDLE_VALUE and `*failure`.
HANDLE OpenGridFile(const char *fileName, GridFailure *failure);
// Closes it; a failed close is a failure like any other.
GridFailure CloseGridFile(HANDLE file);
// A byte source over an open grid file (context: pointer to the HANDLE).
long ReadGridFileBytes(void *context, unsigned char *buffer, long size, int *error);
