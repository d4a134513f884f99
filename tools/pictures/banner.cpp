// The banner: the name drawn large with smooth strokes and the site's address
// in the small bitmap font, white on dark blue. The corners outside the
// rounded frame are black, the colour of the bottom-left pixel, so a window
// that draws the banner transparently shows its background there.
#include "font.h"
#include "pictures.h"
#include "raster.h"

#include <algorithm>
#include <cmath>

namespace pictures {
namespace {

constexpr int kWidth = 223;
constexpr int kHeight = 58;
constexpr const char* kAddress = "velt.example.org";

// Palette: outside, ground, frame, then the blends from ground to white used
// for the edges of the large letters, then white, then an accent with its blends.
enum : uint8_t { kOutside = 0, kGround = 1, kFrame = 2, kFirstBlend = 3, kWhite = 11, kAccent = 12, kAccentBlend = 13 };
constexpr int kBlends = kWhite - kFirstBlend;  // 8 steps between ground and white
constexpr int kAccentBlends = 3;                // 13, 14, 15: ground to accent

const Rgb kGroundRgb{0, 32, 96};
const Rgb kFrameRgb{40, 100, 200};
const Rgb kWhiteRgb{255, 255, 255};
const Rgb kAccentRgb{90, 170, 255};

Rgb Mix(Rgb a, Rgb b, double t) {
    auto m = [t](uint8_t x, uint8_t y) { return uint8_t(std::lround(x + (y - x) * t)); };
    return {m(a.r, b.r), m(a.g, b.g), m(a.b, b.b)};
}

std::vector<Rgb> Palette() {
    std::vector<Rgb> p{{0, 0, 0}, kGroundRgb, kFrameRgb};
    for (int i = 1; i <= kBlends; ++i) p.push_back(Mix(kGroundRgb, kWhiteRgb, double(i) / (kBlends + 1)));
    p.push_back(kWhiteRgb);
    p.push_back(kAccentRgb);
    for (int i = 1; i <= kAccentBlends; ++i) p.push_back(Mix(kGroundRgb, kAccentRgb, double(i) / (kAccentBlends + 1)));
    return p;
}

bool InsideRoundedRect(int x, int y, int w, int h, double radius) {
    const double px = x + 0.5, py = y + 0.5;
    const double cx = std::clamp(px, radius, w - radius);
    const double cy = std::clamp(py, radius, h - radius);
    return std::hypot(px - cx, py - cy) <= radius;
}

// "Velt" as strokes on a baseline at (0, 0), y pointing down.
struct Word {
    std::vector<std::vector<Vec>> strokes;
    double width = 0;
};

Word NameStrokes() {
    const double cap = 25, xh = 17, gap = 3.5;
    Word w;
    double x = 0;
    auto add = [&](std::vector<Vec> pts) {
        for (Vec& p : pts) p.x += x;
        w.strokes.push_back(std::move(pts));
    };
    // V
    add({{0, -cap}, {10.5, 0}, {21, -cap}});
    x += 21 + gap;
    // e: a bar across the middle and a bowl open at the lower right.
    const double r = xh / 2 - 0.3;
    add({{1.3, -xh / 2}, {2 * r + 0.7, -xh / 2}});
    add(Arc({r + 1, -xh / 2}, r, r, 0, 318, 64));
    x += 2 * r + 2 + gap;
    // l
    add({{2, -cap - 1}, {2, 0}});
    x += 4 + gap;
    // t: a stem that turns right at its foot, and a bar at the x-height.
    std::vector<Vec> stem{{3, -cap + 4}, {3, -4}};
    for (Vec p : Arc({7, -4}, 4, 4, 180, 270, 12)) stem.push_back(p);
    stem.push_back({9.5, 0});
    add(stem);
    add({{-0.5, -xh}, {9.5, -xh}});
    x += 10.5;
    w.width = x;
    return w;
}

} // namespace

IndexedImage MakeBanner(int scale) {
    const int s = scale, width = kWidth * s, height = kHeight * s;
    IndexedImage image(width, height, Palette(), kOutside);

    const double radius = 7.0 * s;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (InsideRoundedRect(x, y, width, height, radius)) image.at(x, y) = kGround;
    // A frame of one pixel (at 96 DPI) just inside the rounded edge.
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            if (image.at(x, y) != kGround) continue;
            const bool edge = !InsideRoundedRect(x - s, y, width, height, radius) ||
                              !InsideRoundedRect(x + s, y, width, height, radius) ||
                              !InsideRoundedRect(x, y - s, width, height, radius) ||
                              !InsideRoundedRect(x, y + s, width, height, radius) || x < s || y < s ||
                              x >= width - s || y >= height - s;
            if (edge) image.at(x, y) = kFrame;
        }

    // The name, centred, baseline at 34.
    const Word name = NameStrokes();
    FloatCanvas ink(width, height);
    const double left = std::round((kWidth - name.width) / 2);
    for (auto stroke : name.strokes) {
        for (Vec& p : stroke) {
            p.x = (p.x + left) * s;
            p.y = (p.y + 34) * s;
        }
        StrokePolyline(ink, stroke, 4.2 * s);
    }
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const int level = int(std::lround(ink.at(x, y) * (kBlends + 1)));
            if (level <= 0 || image.at(x, y) != kGround) continue;
            image.at(x, y) = level > kBlends ? uint8_t(kWhite) : uint8_t(kFirstBlend + level - 1);
        }

    // The address below it, with a short accent line on either side; the
    // bitmap font and the lines are drawn at 96 DPI and enlarged pixel by pixel.
    IndexedImage small(kWidth, kHeight, Palette(), kOutside);
    const int spacing = 2;
    const int textWidth = SmallTextWidth(kAddress, spacing);
    const int textLeft = (kWidth - textWidth) / 2;
    const int textTop = 38;
    DrawSmallText(small, textLeft, textTop, kAddress, spacing, kWhite);
    const int lineY = textTop + kSmallFontAscent - 3;
    const int lineLength = textLeft - 8 - 20;
    for (int i = 0; i < lineLength; ++i) {
        // Full accent near the text, fading out towards the frame.
        const int fade = i * (kAccentBlends + 1) / 10;
        const uint8_t c = fade > kAccentBlends ? uint8_t(kAccent) : uint8_t(kAccentBlend + fade - 1);
        if (fade == 0) continue;
        small.at(textLeft - 8 - lineLength + i, lineY) = c;
        small.at(textLeft + textWidth + 7 + lineLength - i, lineY) = c;
    }
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (small.at(x / s, y / s) != kOutside) image.at(x, y) = small.at(x / s, y / s);
    return image;
}

} // namespace pictures
