// Long-exposure light: ribbons of thin intertwined strands and a few wide
// arcs, blue on black. The picture sits at the window's top right; most of it
// is under the grid, so the liveliest parts run along its top and bottom.
#include "pictures.h"
#include "raster.h"

#include <algorithm>
#include <cmath>

namespace pictures {
namespace {

constexpr int kWidth = 393;
constexpr int kHeight = 400;
constexpr double kPi = 3.14159265358979323846;

Vec Bezier(const Vec c[4], double u) {
    const double v = 1 - u;
    const double a = v * v * v, b = 3 * v * v * u, d = 3 * v * u * u, e = u * u * u;
    return {a * c[0].x + b * c[1].x + d * c[2].x + e * c[3].x, a * c[0].y + b * c[1].y + d * c[2].y + e * c[3].y};
}

Vec BezierNormal(const Vec c[4], double u) {
    const double v = 1 - u;
    const double dx = 3 * v * v * (c[1].x - c[0].x) + 6 * v * u * (c[2].x - c[1].x) + 3 * u * u * (c[3].x - c[2].x);
    const double dy = 3 * v * v * (c[1].y - c[0].y) + 6 * v * u * (c[2].y - c[1].y) + 3 * u * u * (c[3].y - c[2].y);
    const double len = std::max(1e-9, std::hypot(dx, dy));
    return {-dy / len, dx / len};
}

// 0 below 0, 1 above 1, smooth between.
double Smooth(double t) {
    t = std::clamp(t, 0.0, 1.0);
    return t * t * (3 - 2 * t);
}

// Fades a trail in and out near its ends.
double Taper(double u, double fadeIn, double fadeOut) {
    return Smooth(u / fadeIn) * Smooth((1 - u) / fadeOut);
}

struct Ribbon {
    Vec backbone[4];
    int strands;
    double width;     // greatest distance of a strand from the backbone
    double turns;     // how often the strands cross along the ribbon
    double brightness;
    Glow glow;
};

void AddRibbon(FloatCanvas& canvas, const Ribbon& r) {
    for (int k = 0; k < r.strands; ++k) {
        const double phase = double(k) / r.strands;
        const double amp = r.width * (0.55 + 0.45 * std::sin(1.7 * k + 0.4));
        const double shine = r.brightness * (0.6 + 0.4 * std::cos(2.3 * k));
        auto curve = [&](double u) {
            const Vec p = Bezier(r.backbone, u);
            const Vec n = BezierNormal(r.backbone, u);
            // The ribbon is narrow at its ends and opens up in the middle.
            const double off = amp * std::sin(2 * kPi * (r.turns * u + phase)) * (0.35 + 0.65 * std::sin(kPi * u));
            return TrailPoint{{p.x + n.x * off, p.y + n.y * off}, shine * Taper(u, 0.12, 0.12)};
        };
        AddTrail(canvas, SampleTrail(curve, 600), r.glow);
    }
}

void AddArc(FloatCanvas& canvas, Vec centre, double rx, double ry, double from, double to, double brightness,
            const Glow& glow) {
    auto curve = [&](double u) {
        const double a = (from + (to - from) * u) * kPi / 180;
        return TrailPoint{{centre.x + rx * std::cos(a), centre.y - ry * std::sin(a)}, brightness * Taper(u, 0.25, 0.25)};
    };
    AddTrail(canvas, SampleTrail(curve, 400), glow);
}

// Black through deep and bright blue to a nearly white core.
Rgb Ramp(double t) {
    struct Stop {
        double t;
        double r, g, b;
    };
    static const Stop stops[] = {
        {0.00, 0, 0, 0},       {0.18, 0, 8, 48},      {0.40, 4, 40, 150},
        {0.62, 20, 100, 235},  {0.80, 90, 170, 255},  {0.92, 180, 225, 255},
        {1.00, 245, 252, 255},
    };
    for (size_t i = 1; i < std::size(stops); ++i) {
        if (t <= stops[i].t) {
            const Stop& a = stops[i - 1];
            const Stop& b = stops[i];
            const double f = (t - a.t) / (b.t - a.t);
            return {uint8_t(std::lround(a.r + f * (b.r - a.r))), uint8_t(std::lround(a.g + f * (b.g - a.g))),
                    uint8_t(std::lround(a.b + f * (b.b - a.b)))};
        }
    }
    return {245, 252, 255};
}

} // namespace

IndexedImage MakeBackground() {
    FloatCanvas light(kWidth, kHeight);

    const Glow fine{0.55, 0.9, 5.0, 0.22};
    const Glow soft{0.8, 0.5, 9.0, 0.25};

    // Wide faint arcs behind everything, sweeping from the top round to the bottom.
    AddArc(light, {430, 215}, 400, 250, 95, 265, 0.55, soft);
    AddArc(light, {445, 205}, 370, 215, 100, 255, 0.45, soft);
    AddArc(light, {-60, 470}, 330, 380, 5, 80, 0.35, soft);

    // The two ribbons along the visible edges.
    const Ribbon top{{{-30, 70}, {100, -40}, {250, 120}, {425, 8}}, 8, 21, 1.7, 1.0, fine};
    const Ribbon bottom{{{-30, 376}, {110, 296}, {280, 446}, {425, 340}}, 8, 17, 1.5, 1.0, fine};
    // A thinner one swinging through the middle, joining them.
    const Ribbon middle{{{30, 430}, {0, 190}, {400, 280}, {330, -30}}, 4, 10, 1.1, 0.6, fine};
    for (const Ribbon* r : {&top, &bottom, &middle}) AddRibbon(light, *r);

    // Glints where the strands gather, on the visible parts.
    AddGlint(light, Bezier(top.backbone, 0.24), 12, 1.6);
    AddGlint(light, Bezier(bottom.backbone, 0.80), 14, 1.8);
    AddGlint(light, Bezier(bottom.backbone, 0.17), 8, 1.1);
    AddGlint(light, Bezier(middle.backbone, 0.55), 9, 0.9);

    std::vector<Rgb> palette;
    for (int i = 0; i < 256; ++i) palette.push_back(Ramp(i / 255.0));
    IndexedImage image(kWidth, kHeight, palette);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            // The left and bottom edges meet the window's black background:
            // fade the light out towards them so no seam shows.
            const double edge = Smooth(x / 80.0) * Smooth((kHeight - 1 - y) / 16.0);
            // Soft saturation: crossings bloom towards white instead of clipping.
            const double t = 1 - std::exp(-1.6 * light.at(x, y) * edge);
            image.at(x, y) = uint8_t(std::lround(std::clamp(t, 0.0, 1.0) * 255));
        }
    return image;
}

} // namespace pictures
