// Floating-point drawing helpers: glowing light trails and anti-aliased strokes.
#pragma once

#include <functional>
#include <vector>

namespace pictures {

struct Vec {
    double x = 0, y = 0;
};

// One value per pixel, top row first.
struct FloatCanvas {
    int width = 0;
    int height = 0;
    std::vector<float> v;
    FloatCanvas(int w, int h) : width(w), height(h), v(size_t(w) * h, 0.0f) {}
    float& at(int x, int y) { return v[size_t(y) * width + x]; }
    float at(int x, int y) const { return v[size_t(y) * width + x]; }
};

// A point of a light trail with its brightness there (0 fades it out).
struct TrailPoint {
    Vec p;
    double brightness = 1;
};

// Samples curve(t) for t in [0, 1] into about `steps` points.
std::vector<TrailPoint> SampleTrail(const std::function<TrailPoint(double)>& curve, int steps);

struct Glow {
    double coreSigma = 0.6;  // px, the thin bright line
    double coreGain = 1.0;
    double haloSigma = 5.0;  // px, the soft light around it
    double haloGain = 0.15;
};

// Adds the light of a trail to the canvas. Light adds up where trails cross,
// as it would on a long exposure. Brightness is per unit length, so the
// sampling density does not change the result.
void AddTrail(FloatCanvas& canvas, const std::vector<TrailPoint>& trail, const Glow& glow);

// Adds a small four-pointed glint centred at p.
void AddGlint(FloatCanvas& canvas, Vec p, double radius, double gain);

// Anti-aliased coverage (0..1) of round-capped strokes along polylines,
// combined with what the canvas already holds by taking the maximum.
void StrokePolyline(FloatCanvas& coverage, const std::vector<Vec>& points, double width);

// Points of an elliptic arc, angles in degrees, y pointing down.
std::vector<Vec> Arc(Vec centre, double rx, double ry, double fromDeg, double toDeg, int steps = 48);

} // namespace pictures
