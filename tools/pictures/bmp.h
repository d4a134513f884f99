// Palettised images and the BMP/ICO writers of the picture generator.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pictures {

struct Rgb {
    uint8_t r = 0, g = 0, b = 0;
};

// Row-major, top row first; each pixel is an index into the palette.
struct IndexedImage {
    int width = 0;
    int height = 0;
    std::vector<Rgb> palette;
    std::vector<uint8_t> pixels;

    IndexedImage(int w, int h, std::vector<Rgb> pal, uint8_t fill = 0)
        : width(w), height(h), palette(std::move(pal)), pixels(size_t(w) * h, fill) {}
    uint8_t& at(int x, int y) { return pixels[size_t(y) * width + x]; }
    uint8_t at(int x, int y) const { return pixels[size_t(y) * width + x]; }
    bool inside(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
};

// Straight (not premultiplied) RGBA, top row first.
struct RgbaImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba;
    RgbaImage(int w, int h) : width(w), height(h), rgba(size_t(w) * h * 4, 0) {}
};

// Writes an uncompressed bottom-up BMP with 4 or 8 bits per pixel; the palette
// is padded to the full 16 or 256 entries. Throws std::runtime_error.
void WriteBmp(const IndexedImage& image, int bitsPerPixel, const std::string& path);

// Writes a Windows icon holding the given 32-bit images, largest first.
void WriteIco(const std::vector<RgbaImage>& images, const std::string& path);

} // namespace pictures
