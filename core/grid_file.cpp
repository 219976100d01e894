#include "core/grid_file.h"

void LoadGrid(Grid, const char *) {}
