// The program icon: a white V on a dark blue rounded square crossed by a
// light curve, drawn at each size rather than scaled.
#include "pictures.h"
#include "raster.h"

#include <algorithm>
#include <cmath>

namespace pictures {
namespace {

double RoundedSquareCoverage(int x, int y, double size, double inset, double radius) {
    int inside = 0;
    for (int sy = 0; sy < 4; ++sy)
        for (int sx = 0; sx < 4; ++sx) {
            const double px = x + (sx + 0.5) / 4, py = y + (sy + 0.5) / 4;
            const double cx = std::clamp(px, inset + radius, size - inset - radius);
            const double cy = std::clamp(py, inset + radius, size - inset - radius);
            if (std::hypot(px - cx, py - cy) <= radius) ++inside;
        }
    return inside / 16.0;
}

struct Colour {
    double r, g, b;
};

Colour Over(Colour under, Colour top, double alpha) {
    return {under.r + (top.r - under.r) * alpha, under.g + (top.g - under.g) * alpha,
            under.b + (top.b - under.b) * alpha};
}

RgbaImage Draw(int size) {
    const double k = size / 32.0;
    FloatCanvas curve(size, size), letter(size, size);
    if (size >= 32) {
        std::vector<Vec> arc = Arc({34 * k, 40 * k}, 34 * k, 30 * k, 100, 175, 40);
        StrokePolyline(curve, arc, 1.6 * k);
    }
    StrokePolyline(letter, {{8.5 * k, 8 * k}, {16 * k, 24.5 * k}, {23.5 * k, 8 * k}}, std::max(2.2, 4.4 * k));

    RgbaImage out(size, size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const double a = RoundedSquareCoverage(x, y, size, 0.5 * k, 6 * k);
            const double t = double(y) / (size - 1);
            Colour c{20 * (1 - t), 80 * (1 - t) + 26 * t, 190 * (1 - t) + 84 * t};
            c = Over(c, {90, 170, 255}, curve.at(x, y));
            c = Over(c, {255, 255, 255}, letter.at(x, y));
            uint8_t* p = &out.rgba[(size_t(y) * size + x) * 4];
            p[0] = uint8_t(std::lround(c.r));
            p[1] = uint8_t(std::lround(c.g));
            p[2] = uint8_t(std::lround(c.b));
            p[3] = uint8_t(std::lround(a * 255));
        }
    return out;
}

} // namespace

std::vector<RgbaImage> MakeIcon() {
    // The large and small sizes of 100%, 125%, 150%, 175% and 200% displays.
    return {Draw(64), Draw(56), Draw(48), Draw(40), Draw(32), Draw(28), Draw(24), Draw(20), Draw(16)};
}

} // namespace pictures
