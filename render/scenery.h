// The background and the sea.
#pragma once

#include <cstdint>

void DrawBackground(int32_t tick);
void DrawSea(int32_t time, double level);
