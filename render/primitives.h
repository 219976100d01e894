// The soft disc and the translucent tile every picture is made of.
#pragma once

// A soft ball: white highlight up and left of the centre fading to the colour
// and to transparency at the rim.
void DrawDisc(double x, double y, double red, double green, double blue, double radius);
// A soft translucent 2 x 2 block with its top-left corner at (x, y).
void DrawTile(double x, double y);
