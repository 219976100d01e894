// PNG files and image comparison for the snapshot tool and golden images.
#include <png.h>

#include <cstdio>

#include "tools/headless/headless.h"

bool WritePng(const std::string &path, const RgbImage &image) {
    png_image png = {};
    png.version = PNG_IMAGE_VERSION;
    png.width = static_cast<png_uint_32>(image.width);
    png.height = static_cast<png_uint_32>(image.height);
    png.format = PNG_FORMAT_RGB;
    if (!png_image_write_to_file(&png, path.c_str(), 0, image.rgb.data(), 0, nullptr)) {
        std::fprintf(stderr, "cannot write %s: %s\n", path.c_str(), png.message);
        return false;
    }
    return true;
}

bool ReadPng(const std::string &path, RgbImage &image) {
    png_image png = {};
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&png, path.c_str())) {
        std::fprintf(stderr, "cannot read %s: %s\n", path.c_str(), png.message);
        return false;
    }
    png.format = PNG_FORMAT_RGB;
    image.width = static_cast<int>(png.width);
    image.height = static_cast<int>(png.height);
    image.rgb.resize(PNG_IMAGE_SIZE(png));
    if (!png_image_finish_read(&png, nullptr, image.rgb.data(), 0, nullptr)) {
        std::fprintf(stderr, "cannot read %s: %s\n", path.c_str(), png.message);
        png_image_free(&png);
        return false;
    }
    return true;
}
