#include "font.h"

#include "bmp.h"

#include <algorithm>
#include <stdexcept>

namespace pictures {
namespace {

// Lower-case letters on an 11-row grid: 3 rows above the x-height, 6 rows of
// x-height and 2 of descenders. Only the characters the pictures need.
struct Letter {
    char c;
    const char* rows[kSmallFontRows];
};

const Letter kLetters[] = {
    {'a', {"", "", "", ".###.", "....#", ".####", "#...#", "#..##", ".##.#", "", ""}},
    {'e', {"", "", "", ".###.", "#...#", "#####", "#....", "#...#", ".###.", "", ""}},
    {'g', {"", "", "", ".##.#", "#..##", "#...#", "#...#", "#..##", ".##.#", "....#", ".###."}},
    {'l', {"##.", ".#.", ".#.", ".#.", ".#.", ".#.", ".#.", ".#.", "###", "", ""}},
    {'m', {"", "", "", "##.#.", "#.#.#", "#.#.#", "#.#.#", "#.#.#", "#.#.#", "", ""}},
    {'o', {"", "", "", ".###.", "#...#", "#...#", "#...#", "#...#", ".###.", "", ""}},
    {'p', {"", "", "", "#.##.", "##..#", "#...#", "#...#", "##..#", "#.##.", "#....", "#...."}},
    {'r', {"", "", "", "#.##.", "##..#", "#....", "#....", "#....", "#....", "", ""}},
    {'t', {"", ".#..", ".#..", "####", ".#..", ".#..", ".#..", ".#..", "..##", "", ""}},
    {'v', {"", "", "", "#...#", "#...#", "#...#", ".#.#.", ".#.#.", "..#..", "", ""}},
    {'x', {"", "", "", "#...#", ".#.#.", "..#..", "..#..", ".#.#.", "#...#", "", ""}},
    {'.', {"", "", "", "", "", "", "", "", "#", "", ""}},
};

const Letter& Find(char c) {
    for (const Letter& l : kLetters)
        if (l.c == c) return l;
    throw std::runtime_error(std::string("the small font has no '") + c + "'");
}

int Width(const Letter& l) {
    int w = 0;
    for (const char* row : l.rows) w = std::max<int>(w, int(std::string(row).size()));
    return w;
}

} // namespace

int SmallTextWidth(const std::string& text, int spacing) {
    int w = 0;
    for (char c : text) w += Width(Find(c)) + spacing;
    return text.empty() ? 0 : w - spacing;
}

void DrawSmallText(IndexedImage& image, int x, int y, const std::string& text, int spacing, int ink) {
    for (char c : text) {
        const Letter& l = Find(c);
        for (int r = 0; r < kSmallFontRows; ++r)
            for (int i = 0; l.rows[r][i] != '\0'; ++i)
                if (l.rows[r][i] == '#' && image.inside(x + i, y + r)) image.at(x + i, y + r) = uint8_t(ink);
        x += Width(l) + spacing;
    }
}

} // namespace pictures
