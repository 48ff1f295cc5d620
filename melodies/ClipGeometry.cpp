// Pixel rules of the clip marker, its dragging and the note view's strokes.
#include "ClipGeometry.h"

#include <algorithm>
#include <cmath>

namespace corvina {
namespace {

// trunc(value + 0.5) as an int, held within [low, high] first so that no conversion overflows; the
// callers clamp to narrower limits afterwards, so the bound never changes their result.
int RoundHalfUp(double value, double low, double high)
{
    return static_cast<int>(std::clamp(std::trunc(value + 0.5), low, high));
}

bool WithinX(int x, const EditorRect& r, int margin)
{
    return x >= r.left + margin && x <= r.right - margin;
}

} // namespace

std::optional<MarkerEdges> MarkerFromClip(const ClipTimes& clip, std::int32_t length, int rulerWidth)
{
    if (length <= 0)
        return std::nullopt;
    const double w = rulerWidth;
    int x1 = RoundHalfUp(static_cast<double>(clip.start) / length * w, -1.0, w + 1.0);
    int x2 = RoundHalfUp(static_cast<double>(clip.end) / length * w, -1.0, w + 1.0);
    x1 = std::max(x1, 0);
    x2 = std::min(x2, rulerWidth);
    MarkerEdges edges{x1 + kRulerOrigin, x2 + kRulerOrigin};
    if (edges.right - edges.left <= kMinMarkerWidth) {
        edges.right = edges.left + kMinMarkerWidth;
        const int over = edges.right - (kRulerOrigin + rulerWidth);
        if (over > 0) {
            edges.left -= over;
            edges.right -= over;
        }
    }
    return edges;
}

ClipTimes ClipFromMarker(int markerLeft, int markerRight, int editorLeft, std::int32_t length, int rulerWidth)
{
    if (length == 0 || rulerWidth == 0)
        return {};
    constexpr double kLow = -2147483648.0;
    constexpr double kHigh = 2147483647.0;
    const double scale = static_cast<double>(length) / rulerWidth;
    const double start = static_cast<double>(markerLeft - editorLeft - kRulerOrigin) * scale;
    const double end = static_cast<double>(markerRight - editorLeft - kRulerOrigin) * scale;
    return {RoundHalfUp(start, kLow, kHigh), RoundHalfUp(end, kLow, kHigh)};
}

std::optional<MarkerDrag> BeginMarkerDrag(int x, int y, const EditorRect& marker, int editorLeft)
{
    if (x < marker.left || x > marker.right || y < marker.top || y > marker.bottom)
        return std::nullopt;
    MarkerDrag drag;
    drag.zone = std::clamp(marker.Width() / 10, 5, 8);
    drag.lastX = x;
    // A tiny marker at time 0 would otherwise only offer its start, which cannot move further left.
    const bool tinyAtRulerStart = marker.left == editorLeft + kRulerOrigin && marker.Width() < 6;
    if (x < marker.left + drag.zone && !tinyAtRulerStart)
        drag.mode = DragMode::Start;
    else if (x <= marker.right - drag.zone)
        drag.mode = DragMode::Whole;
    else
        drag.mode = DragMode::End;
    return drag;
}

int DragCursor(DragMode mode)
{
    switch (mode) {
    case DragMode::Start: return kCursorMoveStart;
    case DragMode::End: return kCursorMoveEnd;
    case DragMode::Whole: break;
    }
    return kCursorMoveClip;
}

std::optional<MarkerEdges> DragMarker(MarkerDrag& drag, int x, const EditorRect& marker, int editorLeft, int rulerWidth)
{
    const int lastX = drag.lastX;
    const int dx = x - lastX;
    drag.lastX = x;

    const int rulerLeft = editorLeft + kRulerOrigin;
    const int rulerRight = rulerLeft + rulerWidth;
    const int overLeft = std::max(0, rulerLeft - (marker.left + dx));
    const int overRight = std::max(0, marker.right + dx - rulerRight);

    // Moving the whole clip needs the pointer away from the grips; an end follows the pointer unless
    // the pointer came back from outside the marker, which must first reach it again.
    int margin = 0;
    if (drag.mode == DragMode::Whole)
        margin = drag.zone;
    else if (lastX < marker.left || lastX > marker.right)
        margin = 1;
    if (dx == 0 || !(WithinX(x, marker, margin) || WithinX(lastX, marker, margin)))
        return std::nullopt;

    MarkerEdges edges{marker.left - editorLeft, marker.right - editorLeft};
    switch (drag.mode) {
    case DragMode::Start: edges.left = std::min(edges.left + dx + overLeft, edges.right - kMinMarkerWidth); break;
    case DragMode::End: edges.right = std::max(edges.right + dx - overRight, edges.left + kMinMarkerWidth); break;
    case DragMode::Whole: {
        const int shift = dx + overLeft - overRight;
        edges.left += shift;
        edges.right += shift;
        break;
    }
    }
    return edges;
}

void ApplyNewLength(ClipState& state, std::int32_t newLength)
{
    const bool shorter = newLength < state.length;
    state.length = newLength;
    if (state.clip.end == 0) {
        state.clip.start = 0;
        state.clip.end = state.length / 10;
    } else if (shorter) {
        state.clip.end = std::min(state.clip.end, state.length);
        state.clip.start = std::min(state.clip.start, state.clip.end - state.length / 100);
    }
}

std::optional<int> NoteStrokeX(int width, std::uint32_t t, std::uint32_t total)
{
    if (total == 0)
        return std::nullopt;
    return RoundHalfUp(static_cast<double>(width) * t / total, -2147483648.0, 2147483647.0);
}

ClipTimes ClipAfterDrag(const ClipTimes& before, DragMode mode, const ClipTimes& marker, std::int32_t length,
                        int digits)
{
    std::int32_t unit = 1;
    for (int d = digits; d < 3; ++d)
        unit *= 10;
    const auto shown = [unit, length](std::int32_t ms) {
        const std::int32_t rounded =
            static_cast<std::int32_t>((static_cast<std::int64_t>(ms) + unit / 2) / unit * unit);
        return std::clamp(rounded, 0, std::max(0, length));
    };
    switch (mode) {
    case DragMode::Start: return {std::min(shown(marker.start), before.end), before.end};
    case DragMode::End: return {before.start, std::max(shown(marker.end), before.start)};
    case DragMode::Whole: break;
    }
    const std::int32_t span = before.end - before.start;
    const std::int32_t start = std::clamp(shown(marker.start), 0, std::max(0, length - span));
    return {start, start + span};
}

std::int32_t LongestWritableClipEnd(std::int32_t start, std::int32_t end, const std::function<int(std::int32_t)>& write)
{
    std::int32_t good = start, bad = end;
    if (write(end) >= 0)
        return end;
    while (bad - good > 1) {
        const std::int32_t middle = good + (bad - good) / 2;
        (write(middle) >= 0 ? good : bad) = middle;
    }
    return good;
}

} // namespace corvina
