#include "render/banner.h"

void DrawBanner(const Grid, double, double, double) {}
void DrawClock(DWORD, double, double) {}
