// SPDX-License-Identifier: GPL-3.0-or-later
// What a card layout draws on: texts at printer dots in a named face, size, weight and
// rotation, with pens of a width, colour and style for lines and rectangle outlines. The
// window layer paints it on the printer or a PDF file; tests record it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vz::print {

struct Rgb
{
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    friend bool operator==(const Rgb &, const Rgb &) = default;
};
inline constexpr Rgb kBlack{0, 0, 0};
inline constexpr Rgb kRed{255, 0, 0};

enum class PenStyle { Solid, Dotted };

struct CardPen
{
    int width = 1; // printer dots
    Rgb colour = kBlack;
    PenStyle style = PenStyle::Solid;
    friend bool operator==(const CardPen &, const CardPen &) = default;
};

struct CardFont
{
    std::string face; // Shift_JIS, as the layouts name it ("ＭＳ 明朝")
    int pointSize = 12;
    int heightDots = 0; // when not 0: the cell height in printer dots, and pointSize is unused
    bool bold = false;
    // Text direction in tenths of a degree counter-clockwise; 900 runs the text upwards.
    int escapement = 0;
    Rgb colour = kBlack;
    friend bool operator==(const CardFont &, const CardFont &) = default;
};

// Every text is drawn with a transparent background, its top-left corner at (x, y); for a
// rotated font the corner is that of the unrotated text, and the text turns about it.
class CardCanvas
{
public:
    virtual ~CardCanvas() = default;
    virtual void setFont(const CardFont &font) = 0;
    virtual void setPen(const CardPen &pen) = 0;
    virtual void drawText(int x, int y, std::string_view sjisText) = 0;
    virtual void drawLine(int x1, int y1, int x2, int y2) = 0;
    // The outline of the rectangle with corners (left, top) and (right, bottom).
    virtual void drawRectangle(int left, int top, int right, int bottom) = 0;
};

// The printer's dots per millimetre across and down.
struct DotScale
{
    float x = 0;
    float y = 0;

    // Millimetres to dots, truncated toward zero, each axis on its own.
    int dotsX(double mm) const { return static_cast<int>(mm * x); }
    int dotsY(double mm) const { return static_cast<int>(mm * y); }
};

// Dots per millimetre for a resolution in dots per inch.
inline float dotsPerMm(double dotsPerInch)
{
    return static_cast<float>(dotsPerInch * 0.039370078740157482);
}

} // namespace vz::print
