// A small bitmap font for the banner's address line.
#pragma once

#include <string>

namespace pictures {

struct IndexedImage;

// Rows from the top of the tallest letter to the bottom of the descenders.
constexpr int kSmallFontRows = 11;
// Rows from that top to the baseline.
constexpr int kSmallFontAscent = 9;

// Width in pixels of `text` with `spacing` pixels between letters.
int SmallTextWidth(const std::string& text, int spacing);

// Draws `text` with its top-left corner at (x, y) in palette colour `ink`.
// Throws std::runtime_error for a character the font lacks.
void DrawSmallText(IndexedImage& image, int x, int y, const std::string& text, int spacing, int ink);

} // namespace pictures
