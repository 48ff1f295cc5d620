// Converts template positions in dialog units to pixels from the metrics of the font the dialogs
// really use, and scales the pixel placements made for the template font by the same factor.
#pragma once

#include <cmath>

namespace corvina {

struct PixelRect {
    int x = 0, y = 0, width = 0, height = 0;
    bool operator==(const PixelRect&) const = default;
};

class DialogUnits {
public:
    // The templates' own font (8-point "MS Sans Serif" at 96 DPI) averages 6 pixels a letter and
    // is 13 pixels high; the dialogs' pixel placements were made for it.
    static constexpr int kTemplateBaseX = 6;
    static constexpr int kTemplateBaseY = 13;

    // baseX: average letter width of the dialog font in pixels; baseY: its character height.
    // Four horizontal units make one average letter, eight vertical units one line.
    explicit DialogUnits(int baseX = kTemplateBaseX, int baseY = kTemplateBaseY)
        : m_baseX(baseX > 0 ? baseX : kTemplateBaseX), m_baseY(baseY > 0 ? baseY : kTemplateBaseY)
    {
    }

    // The base for a font whose 52 letters A–Z and a–z are lettersWidth pixels wide together,
    // rounded as the templates' platform rounds it.
    static DialogUnits FromFontMetrics(int lettersWidth, int charHeight)
    {
        return DialogUnits((lettersWidth + 26) / 52, charHeight);
    }

    int BaseX() const { return m_baseX; }
    int BaseY() const { return m_baseY; }

    // Dialog units to pixels.
    int X(int units) const { return MulDiv(units, m_baseX, 4); }
    int Y(int units) const { return MulDiv(units, m_baseY, 8); }

    // Edges are converted one by one, as the platform maps a dialog rectangle, so that controls
    // that touch in units still touch in pixels.
    PixelRect Rect(int x, int y, int cx, int cy) const
    {
        const int left = X(x), top = Y(y);
        return {left, top, X(x + cx) - left, Y(y + cy) - top};
    }

    // A pixel placement made for the template font, in pixels of the dialog font; and back.
    int PixelX(int templatePixels) const { return MulDiv(templatePixels, m_baseX, kTemplateBaseX); }
    int PixelY(int templatePixels) const { return MulDiv(templatePixels, m_baseY, kTemplateBaseY); }
    int TemplatePixelX(int pixels) const { return MulDiv(pixels, kTemplateBaseX, m_baseX); }
    int TemplatePixelY(int pixels) const { return MulDiv(pixels, kTemplateBaseY, m_baseY); }
    PixelRect Pixels(int x, int y, int cx, int cy) const
    {
        const int left = PixelX(x), top = PixelY(y);
        return {left, top, PixelX(x + cx) - left, PixelY(y + cy) - top};
    }

private:
    // value × numerator / denominator rounded half away from zero, as the platform's MulDiv.
    static int MulDiv(int value, int numerator, int denominator)
    {
        return static_cast<int>(std::lround(static_cast<double>(value) * numerator / denominator));
    }

    int m_baseX;
    int m_baseY;
};

} // namespace corvina
