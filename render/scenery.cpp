#include "render/scenery.h"

void DrawBackground(int32_t) {}
void DrawSea(int32_t, double) {}
