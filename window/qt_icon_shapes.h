// The shapes of packaging/zelquin.svg, in its 128-unit view box and in its
// order, for the icon the window draws. The Qt window's tests check them
// against the SVG file, so the two pictures stay one.
#pragma once

namespace zelquin::qt {

inline constexpr double kIconViewBox = 128;

struct IconRect {
    double x, y, width, height, radius;
    const char* fill;
    double opacity;
};

struct IconCircle {
    double cx, cy, r;
    const char* fill;
};

struct IconPoint {
    double x, y;
};

// An open polyline of the arrow.
struct IconStroke {
    IconPoint points[3];
    int count;
};

inline constexpr IconRect kIconRects[] = {
    {6, 6, 116, 116, 22, "#24364f", 1},  // the tile
    {16, 22, 96, 36, 6, "#f4f6fa", 1},   // the bits' panel
    {21, 30, 8, 20, 2, "#e0534a", 1},    // the sign bit
    {35, 30, 8, 20, 2, "#f0a830", 1},    // three exponent bits, one clear
    {45, 30, 8, 20, 2, "#f0a830", 0.3},  // ...
    {55, 30, 8, 20, 2, "#f0a830", 1},    // ...
    {69, 30, 8, 20, 2, "#2fa89a", 1},    // four fraction bits, one clear
    {79, 30, 8, 20, 2, "#2fa89a", 0.3},  // ...
    {89, 30, 8, 20, 2, "#2fa89a", 1},    // ...
    {99, 30, 8, 20, 2, "#2fa89a", 1},    // ...
    {16, 86, 96, 24, 6, "#f4f6fa", 1},   // the number's panel
    {24, 92, 9, 12, 2, "#24364f", 1},    // its five digits
    {45, 92, 9, 12, 2, "#24364f", 1},    // ...
    {57, 92, 9, 12, 2, "#24364f", 1},    // ...
    {69, 92, 9, 12, 2, "#24364f", 1},    // ...
    {81, 92, 9, 12, 2, "#24364f", 1},    // ...
};

inline constexpr IconCircle kIconCircles[] = {
    {39, 101, 3, "#24364f"},  // the decimal point
};

// "M64 64v16M58 69l6-6 6 6M58 75l6 6 6-6"
inline constexpr const char* kIconArrowColour = "#f4f6fa";
inline constexpr double kIconArrowWidth = 3.5;
inline constexpr IconStroke kIconArrow[] = {
    {{{64, 64}, {64, 80}}, 2},
    {{{58, 69}, {64, 63}, {70, 69}}, 3},
    {{{58, 75}, {64, 81}, {70, 75}}, 3},
};

}  // namespace zelquin::qt
