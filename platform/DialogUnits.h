// Converts template positions in dialog units to pixels with the template font's metrics
// (8-point "MS Sans Serif": 1.5 pixels per horizontal unit, 1.625 per vertical unit at 96 DPI),
// so controls placed in pixels line up with controls placed in dialog units.
#pragma once

#include <cmath>

namespace corvina {

struct PixelRect {
    int x = 0, y = 0, width = 0, height = 0;
    bool operator==(const PixelRect&) const = default;
};

class DialogUnits {
public:
    static constexpr double kPixelsPerUnitX = 1.5;
    static constexpr double kPixelsPerUnitY = 1.625;

    explicit DialogUnits(double scaleFactor = 1.0) : m_scale(scaleFactor) {}

    int X(int units) const { return static_cast<int>(std::lround(units * kPixelsPerUnitX * m_scale)); }
    int Y(int units) const { return static_cast<int>(std::lround(units * kPixelsPerUnitY * m_scale)); }

    // Edges are converted one by one, as the platform maps a dialog rectangle, so that controls
    // that touch in units still touch in pixels.
    PixelRect Rect(int x, int y, int cx, int cy) const
    {
        const int left = X(x), top = Y(y);
        return {left, top, X(x + cx) - left, Y(y + cy) - top};
    }

private:
    double m_scale;
};

} // namespace corvina
