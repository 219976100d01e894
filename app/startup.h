// Start-up and the whole run of the program.
#pragma once

// The whole program: start-up, the main loop, and the exit code to end with.
int GameMain();

// The level and the six banners, each from the file of its name in the working
// directory, in the order start-up reads them.
void LoadAllGrids();
