// Comparing pictures: what the golden images and the snapshots look at, free
// of any GL so that every build of the pictures (desktop or web) shares it.
#include "tools/headless/headless.h"

#include <algorithm>
#include <cstdlib>

ImageDifference CompareImages(const RgbImage &a, const RgbImage &b, int tolerance) {
    ImageDifference d;
    d.sameSize = a.width == b.width && a.height == b.height && a.rgb.size() == b.rgb.size();
    if (!d.sameSize)
        return d;
    for (size_t p = 0; p < a.rgb.size(); p += 3) {
        bool outside = false;
        for (size_t c = p; c < p + 3; ++c) {
            const int diff = std::abs(int(a.rgb[c]) - int(b.rgb[c]));
            d.largest = std::max(d.largest, diff);
            outside = outside || diff > tolerance;
        }
        d.pixelsOutside += outside;
    }
    return d;
}

RgbImage DifferenceImage(const RgbImage &a, const RgbImage &b) {
    RgbImage d;
    d.width = std::min(a.width, b.width);
    d.height = std::min(a.height, b.height);
    d.rgb.resize(size_t(d.width) * d.height * 3);
    for (int y = 0; y < d.height; ++y)
        for (int x = 0; x < d.width; ++x)
            for (int c = 0; c < 3; ++c) {
                const int diff = std::abs(int(a.Pixel(x, y)[c]) - int(b.Pixel(x, y)[c]));
                d.rgb[(size_t(y) * d.width + x) * 3 + c] =
                    static_cast<unsigned char>(std::min(255, diff * 16));
            }
    return d;
}
