// The ten kind glyphs of the coloured push button, drawn as outlined pixel
// shapes in the standard 16 colours. Each bitmap holds the up cell and, to
// its right, the disabled cell in white and grey.
#include "pictures.h"
#include "raster.h"

#include <cmath>
#include <functional>

namespace pictures {
namespace {

enum Colour : uint8_t {
    kBlack, kMaroon, kGreen, kOlive, kNavy, kPurple, kTeal, kSilver,
    kGrey, kRed, kLime, kYellow, kBlue, kFuchsia, kAqua, kWhite
};

// One cell being drawn. Shapes are rasterised as masks and then painted with
// a fill colour and a one-pixel outline around them.
class Cell {
public:
    Cell(int w, int h) : w_(w), h_(h), px_(size_t(w) * h, kOlive) {}

    // Masks: coverage of a shape; several can be joined before painting so
    // that their union gets one outline.
    FloatCanvas Blank() const { return FloatCanvas(w_, h_); }
    static void AddStroke(FloatCanvas& m, const std::vector<Vec>& pts, double width) { StrokePolyline(m, pts, width); }
    static void AddPolygon(FloatCanvas& m, const std::vector<Vec>& pts) {
        for (int y = 0; y < m.height; ++y)
            for (int x = 0; x < m.width; ++x)
                if (Contains(pts, {x + 0.5, y + 0.5})) m.at(x, y) = 1;
    }

    void Stroke(const std::vector<Vec>& pts, double width, Colour fill, Colour outline) {
        FloatCanvas m = Blank();
        AddStroke(m, pts, width);
        Paint(m, fill, outline);
    }
    void Disc(Vec centre, double r, Colour fill, Colour outline) { Stroke({centre}, 2 * r, fill, outline); }
    void Polygon(const std::vector<Vec>& pts, Colour fill, Colour outline) {
        FloatCanvas m = Blank();
        AddPolygon(m, pts);
        Paint(m, fill, outline);
    }
    void Rect(int x0, int y0, int x1, int y1, Colour fill, Colour outline) {
        Polygon({{double(x0), double(y0)}, {double(x1), double(y0)}, {double(x1), double(y1)}, {double(x0), double(y1)}},
                fill, outline);
    }
    void Paint(const FloatCanvas& c, Colour fill, Colour outline) {
        auto on = [&](int x, int y) { return x >= 0 && y >= 0 && x < w_ && y < h_ && c.at(x, y) >= 0.5f; };
        for (int y = 0; y < h_; ++y)
            for (int x = 0; x < w_; ++x) {
                if (!on(x, y)) continue;
                const bool edge = !on(x - 1, y) || !on(x + 1, y) || !on(x, y - 1) || !on(x, y + 1);
                px_[size_t(y) * w_ + x] = edge ? outline : fill;
            }
    }
    void Set(int x, int y, Colour c) {
        if (x >= 0 && y >= 0 && x < w_ && y < h_) px_[size_t(y) * w_ + x] = c;
    }
    uint8_t At(int x, int y) const { return px_[size_t(y) * w_ + x]; }
    int Width() const { return w_; }
    int Height() const { return h_; }

private:
    static bool Contains(const std::vector<Vec>& poly, Vec p) {
        bool in = false;
        for (size_t i = 0, j = poly.size() - 1; i < poly.size(); j = i++) {
            const Vec a = poly[i], b = poly[j];
            if ((a.y > p.y) != (b.y > p.y) && p.x < (b.x - a.x) * (p.y - a.y) / (b.y - a.y) + a.x) in = !in;
        }
        return in;
    }
    int w_, h_;
    std::vector<uint8_t> px_;
};

bool IsLight(uint8_t c) { return c == kWhite || c == kYellow || c == kSilver; }

// Up cell on the left, disabled cell on the right: dark parts become grey
// with a white edge below and to the right, light details become white.
IndexedImage TwoCells(const Cell& up) {
    const int w = up.Width(), h = up.Height();
    IndexedImage image(2 * w, h, StandardPalette16(), kOlive);
    auto dark = [&](int x, int y) { return x >= 0 && y >= 0 && up.At(x, y) != kOlive && !IsLight(up.At(x, y)); };
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const uint8_t c = up.At(x, y);
            image.at(x, y) = c;
            uint8_t d = kOlive;
            if (dark(x, y))
                d = kGrey;
            else if (c != kOlive || dark(x - 1, y - 1))
                d = kWhite;
            image.at(w + x, y) = d;
        }
    return image;
}

void Tick(Cell& c, double dx, double dy, Colour fill, Colour outline) {
    c.Stroke({{2.5 + dx, 9.5 + dy}, {6.5 + dx, 13.5 + dy}, {15 + dx, 4 + dy}}, 3.6, fill, outline);
}

void Cross(Cell& c, Colour fill, Colour outline) {
    FloatCanvas m = c.Blank();
    Cell::AddStroke(m, {{3.5, 3.5}, {14.5, 14.5}}, 3.6);
    Cell::AddStroke(m, {{14.5, 3.5}, {3.5, 14.5}}, 3.6);
    c.Paint(m, fill, outline);
}

Cell Ok() {
    Cell c(18, 18);
    Tick(c, 0, 0.5, kLime, kGreen);
    return c;
}

Cell CancelX() {
    Cell c(18, 18);
    Cross(c, kRed, kMaroon);
    return c;
}

Cell Help() {
    Cell c(18, 18);
    std::vector<Vec> hook = Arc({9, 6.5}, 4, 3.8, 160, -60, 24);
    hook.push_back({9, 10.5});
    hook.push_back({9, 11.5});
    c.Stroke(hook, 3.0, kBlue, kNavy);
    c.Disc({9, 15}, 1.8, kBlue, kNavy);
    return c;
}

Cell Yes() {
    Cell c(18, 18);
    c.Disc({9, 9}, 8.3, kGreen, kBlack);
    c.Stroke({{5, 9}, {8, 12}, {13, 6}}, 2.2, kWhite, kWhite);
    return c;
}

Cell No() {
    Cell c(18, 18);
    c.Disc({9, 9}, 8.3, kRed, kMaroon);
    c.Disc({9, 9}, 5.2, kWhite, kWhite);
    c.Stroke({{5.3, 12.7}, {12.7, 5.3}}, 2.6, kRed, kRed);
    return c;
}

Cell Close() {
    Cell c(18, 18);
    // An open door with an arrow leading out of it.
    c.Rect(2, 1, 11, 17, kSilver, kBlack);
    c.Polygon({{3, 2}, {8, 4}, {8, 17.2}, {3, 16}}, kTeal, kBlack);
    c.Set(6, 10, kYellow);
    c.Stroke({{9.5, 9.5}, {14, 9.5}}, 2.6, kLime, kGreen);
    c.Polygon({{12.5, 5.5}, {17, 9.5}, {12.5, 13.5}}, kLime, kGreen);
    return c;
}

Cell Abort() {
    Cell c(18, 18);
    std::vector<Vec> octagon;
    for (int i = 0; i < 8; ++i) {
        const double a = (22.5 + 45 * i) * 3.14159265358979323846 / 180;
        octagon.push_back({9 + 8.8 * std::cos(a), 9 - 8.8 * std::sin(a)});
    }
    c.Polygon(octagon, kRed, kMaroon);
    c.Rect(4, 8, 14, 10, kWhite, kWhite);
    return c;
}

// A curved arrow: an elliptic arc from `from` to `to` degrees with its head at `to`.
void CurvedArrow(Cell& c, Vec centre, double rx, double ry, double from, double to, double width, double head,
                 Colour fill, Colour outline) {
    FloatCanvas m = c.Blank();
    Cell::AddStroke(m, Arc(centre, rx, ry, from, to, 40), width);
    const double a = to * 3.14159265358979323846 / 180;
    const double sign = to < from ? 1 : -1;
    // Direction of travel at the end, y pointing down.
    Vec dir{sign * rx * std::sin(a), sign * ry * std::cos(a)};
    const double len = std::hypot(dir.x, dir.y);
    dir = {dir.x / len, dir.y / len};
    const Vec end{centre.x + rx * std::cos(a), centre.y - ry * std::sin(a)};
    const Vec side{-dir.y, dir.x};
    const Vec base{end.x - dir.x, end.y - dir.y};
    Cell::AddPolygon(m, {{base.x + side.x * head, base.y + side.y * head},
                         {end.x + dir.x * head * 1.1, end.y + dir.y * head * 1.1},
                         {base.x - side.x * head, base.y - side.y * head}});
    c.Paint(m, fill, outline);
}

Cell Retry() {
    Cell c(18, 18);
    CurvedArrow(c, {8.5, 10}, 5.5, 5.5, 10, -255, 3.2, 3.8, kAqua, kTeal);
    return c;
}

Cell Ignore() {
    Cell c(18, 18);
    // An arrow leaping over an obstacle.
    c.Rect(6, 12, 11, 17, kSilver, kGrey);
    CurvedArrow(c, {8.5, 14}, 6.5, 9, 180, 25, 2.6, 3.4, kBlue, kNavy);
    return c;
}

Cell All() {
    Cell c(18, 19);
    Tick(c, -1, -0.5, kGreen, kBlack);
    Tick(c, 1.5, 3.5, kLime, kGreen);
    return c;
}

} // namespace

std::vector<Rgb> StandardPalette16() {
    return {{0, 0, 0},       {128, 0, 0},   {0, 128, 0},   {128, 128, 0}, {0, 0, 128},   {128, 0, 128},
            {0, 128, 128},   {192, 192, 192}, {128, 128, 128}, {255, 0, 0}, {0, 255, 0},   {255, 255, 0},
            {0, 0, 255},     {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};
}

std::vector<NamedGlyph> MakeKindGlyphs() {
    const std::pair<const char*, std::function<Cell()>> kinds[] = {
        {"BBCOK", Ok},       {"BBCCANCEL", CancelX}, {"BBCHELP", Help},   {"BBCYES", Yes},
        {"BBCNO", No},       {"BBCCLOSE", Close},    {"BBCABORT", Abort}, {"BBCRETRY", Retry},
        {"BBCIGNORE", Ignore}, {"BBCALL", All},
    };
    std::vector<NamedGlyph> out;
    for (const auto& [name, draw] : kinds) out.push_back({name, TwoCells(draw())});
    return out;
}

} // namespace pictures
