#include "raster.h"

#include <algorithm>
#include <cmath>

namespace pictures {
namespace {

constexpr double kPi = 3.14159265358979323846;

double SegmentDistance(Vec p, Vec a, Vec b) {
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double len2 = dx * dx + dy * dy;
    double t = len2 > 0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / len2 : 0;
    t = std::clamp(t, 0.0, 1.0);
    const double ex = a.x + t * dx - p.x, ey = a.y + t * dy - p.y;
    return std::sqrt(ex * ex + ey * ey);
}

} // namespace

std::vector<TrailPoint> SampleTrail(const std::function<TrailPoint(double)>& curve, int steps) {
    std::vector<TrailPoint> out;
    out.reserve(size_t(steps) + 1);
    for (int i = 0; i <= steps; ++i) out.push_back(curve(double(i) / steps));
    return out;
}

void AddTrail(FloatCanvas& canvas, const std::vector<TrailPoint>& trail, const Glow& glow) {
    const double reach = 3.5 * std::max(glow.coreSigma, glow.haloSigma);
    const double coreK = 1.0 / (2 * glow.coreSigma * glow.coreSigma);
    const double haloK = 1.0 / (2 * glow.haloSigma * glow.haloSigma);
    // Normalised so that a straight trail of brightness 1 peaks at the gains.
    const double coreN = glow.coreGain / (glow.coreSigma * std::sqrt(2 * kPi));
    const double haloN = glow.haloGain / (glow.haloSigma * std::sqrt(2 * kPi));
    for (size_t i = 0; i + 1 < trail.size(); ++i) {
        const TrailPoint& a = trail[i];
        const TrailPoint& b = trail[i + 1];
        const double len = std::hypot(b.p.x - a.p.x, b.p.y - a.p.y);
        // Splat in sub-pixel steps so the trail is continuous.
        const int pieces = std::max(1, int(std::ceil(len / 0.35)));
        for (int k = 0; k < pieces; ++k) {
            const double t = (k + 0.5) / pieces;
            const Vec c{a.p.x + t * (b.p.x - a.p.x), a.p.y + t * (b.p.y - a.p.y)};
            const double w = (a.brightness + t * (b.brightness - a.brightness)) * len / pieces;
            if (w <= 0) continue;
            const int x0 = std::max(0, int(std::floor(c.x - reach)));
            const int x1 = std::min(canvas.width - 1, int(std::ceil(c.x + reach)));
            const int y0 = std::max(0, int(std::floor(c.y - reach)));
            const int y1 = std::min(canvas.height - 1, int(std::ceil(c.y + reach)));
            for (int y = y0; y <= y1; ++y)
                for (int x = x0; x <= x1; ++x) {
                    const double ddx = x + 0.5 - c.x, ddy = y + 0.5 - c.y;
                    const double d2 = ddx * ddx + ddy * ddy;
                    canvas.at(x, y) += float(w * (coreN * std::exp(-d2 * coreK) + haloN * std::exp(-d2 * haloK)));
                }
        }
    }
}

void AddGlint(FloatCanvas& canvas, Vec p, double radius, double gain) {
    const int r = int(std::ceil(radius)) + 2;
    for (int y = int(p.y) - r; y <= int(p.y) + r; ++y)
        for (int x = int(p.x) - r; x <= int(p.x) + r; ++x) {
            if (x < 0 || y < 0 || x >= canvas.width || y >= canvas.height) continue;
            const double dx = std::fabs(x + 0.5 - p.x), dy = std::fabs(y + 0.5 - p.y);
            // A round core plus two thin rays that taper along their length.
            const double core = std::exp(-(dx * dx + dy * dy) / 1.2);
            const double rayH = std::exp(-dy * dy / 0.25) * std::max(0.0, 1 - dx / radius);
            const double rayV = std::exp(-dx * dx / 0.25) * std::max(0.0, 1 - dy / radius);
            canvas.at(x, y) += float(gain * (core + 0.6 * (rayH + rayV)));
        }
}

void StrokePolyline(FloatCanvas& coverage, const std::vector<Vec>& points, double width) {
    if (points.empty()) return;
    const double half = width / 2;
    double minX = points[0].x, maxX = minX, minY = points[0].y, maxY = minY;
    for (const Vec& v : points) {
        minX = std::min(minX, v.x);
        maxX = std::max(maxX, v.x);
        minY = std::min(minY, v.y);
        maxY = std::max(maxY, v.y);
    }
    const int x0 = std::max(0, int(std::floor(minX - half - 1)));
    const int x1 = std::min(coverage.width - 1, int(std::ceil(maxX + half + 1)));
    const int y0 = std::max(0, int(std::floor(minY - half - 1)));
    const int y1 = std::min(coverage.height - 1, int(std::ceil(maxY + half + 1)));
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) {
            const Vec c{x + 0.5, y + 0.5};
            double d = 1e9;
            if (points.size() == 1) d = SegmentDistance(c, points[0], points[0]);
            for (size_t i = 0; i + 1 < points.size(); ++i) d = std::min(d, SegmentDistance(c, points[i], points[i + 1]));
            // Distance to the edge gives the covered share of a pixel closely enough.
            const float cover = float(std::clamp(half - d + 0.5, 0.0, 1.0));
            coverage.at(x, y) = std::max(coverage.at(x, y), cover);
        }
}

std::vector<Vec> Arc(Vec centre, double rx, double ry, double fromDeg, double toDeg, int steps) {
    std::vector<Vec> out;
    for (int i = 0; i <= steps; ++i) {
        const double a = (fromDeg + (toDeg - fromDeg) * i / steps) * kPi / 180;
        out.push_back({centre.x + rx * std::cos(a), centre.y - ry * std::sin(a)});
    }
    return out;
}

} // namespace pictures
