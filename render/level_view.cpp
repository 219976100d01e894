#include "render/level_view.h"

void DrawLevel(const Grid, double) {}
