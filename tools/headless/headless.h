// Draws with real GL where there is no display: an SDL window on SDL's
// offscreen video driver, so Mesa renders into memory. Pixels can be read back
// and kept as PNG files.
#pragma once

#include <string>
#include <vector>

// 8-bit RGB pixels, top row first (as the image appears on screen).
struct RgbImage {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb; // width * height * 3 bytes

    const unsigned char *Pixel(int x, int y) const { return &rgb[(size_t(y) * width + x) * 3]; }
};

// Opens an offscreen window of the given size with a current GL context and
// sets it up as the game sets up each new context: its own ResizeScene and
// InitGL. The window procedure comes along with those, so a program linking
// this library provides the window-system calls it names (DefWindowProcA,
// PostQuitMessage), as stand-ins or real. Returns false, with the reason on
// stderr, when no context can be made.
bool HeadlessOpen(int width, int height);
// Takes the window and its context down again.
void HeadlessClose();

// Waits for drawing to finish and reads the whole window back.
RgbImage HeadlessCapture();

// PNG files, 8-bit RGB. Both report failures on stderr and return false.
bool WritePng(const std::string &path, const RgbImage &image);
bool ReadPng(const std::string &path, RgbImage &image);

struct ImageDifference {
    bool sameSize = false;
    int largest = 0;        // largest difference of one channel
    long pixelsOutside = 0; // pixels with some channel differing by more than the tolerance
};
ImageDifference CompareImages(const RgbImage &a, const RgbImage &b, int tolerance);
// An image showing where two images differ: each channel's difference, scaled up.
RgbImage DifferenceImage(const RgbImage &a, const RgbImage &b);
