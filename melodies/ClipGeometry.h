// Where the clip marker lies over the ruler, which clip a marker position means, how a drag moves
// the marker, and where the note view draws its strokes; pixel rules of the clip editor, no widgets.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

namespace corvina {

// Editor client x of the ruler's time 0; the ruler control itself starts 2 pixels further left.
constexpr int kRulerOrigin = 210;
// Pixels of the ruler that map the whole length.
constexpr int kDefaultRulerWidth = 436;
// The marker's fixed row and height in the editor.
constexpr int kMarkerTop = 232;
constexpr int kMarkerHeight = 16;
// A clip of no length still shows a marker this wide.
constexpr int kMinMarkerWidth = 2;
// Cursors shown while dragging the start, the end or the whole clip.
constexpr int kCursorMoveEnd = 106;
constexpr int kCursorMoveStart = 107;
constexpr int kCursorMoveClip = 108;

// Horizontal extent of the marker, in editor client pixels.
struct MarkerEdges {
    int left = 0;
    int right = 0;
    bool operator==(const MarkerEdges&) const = default;
};

// A clip in milliseconds.
struct ClipTimes {
    std::int32_t start = 0;
    std::int32_t end = 0;
    bool operator==(const ClipTimes&) const = default;
};

// A rectangle in one frame of pixels that the mouse and the marker share (the editor's own layout
// pixels), right and bottom included as edges.
struct EditorRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int Width() const { return right - left; }
};

// What a drag moves.
enum class DragMode { Start = 0, End = 1, Whole = 2 };

// State of a marker drag between mouse events.
struct MarkerDrag {
    DragMode mode = DragMode::Whole;
    int zone = 0;  // width of the grip zones at both ends of the marker
    int lastX = 0; // x of the last mouse event
};

// The marker for a clip over a ruler of rulerWidth pixels; nullopt while the length is 0 (the
// marker then stays where it is). Never narrower than kMinMarkerWidth, never beyond the ruler's end.
std::optional<MarkerEdges> MarkerFromClip(const ClipTimes& clip, std::int32_t length, int rulerWidth);

// The clip a marker shows: marker edges and the editor's left edge, in one frame of pixels. A length of 0
// gives the empty clip.
ClipTimes ClipFromMarker(int markerLeft, int markerRight, int editorLeft, std::int32_t length, int rulerWidth);

// Starts a drag when the button goes down at (x, y) on the marker (the marker's frame); nullopt when the
// point is not on the marker. The grip zone at the ends is a tenth of the marker, 5 to 8 pixels;
// at the ruler's left end a marker narrower than 6 pixels can only be moved or stretched.
std::optional<MarkerDrag> BeginMarkerDrag(int x, int y, const EditorRect& marker, int editorLeft);

// The cursor id that shows a drag mode.
int DragCursor(DragMode mode);

// One mouse move during a drag: the marker's new edges in editor client pixels, or nullopt when the
// step is not taken. Updates drag.lastX in every case. The marker is held at the ruler's ends and
// an end being dragged stays at least 2 pixels from the other.
std::optional<MarkerEdges> DragMarker(MarkerDrag& drag, int x, const EditorRect& marker, int editorLeft,
                                      int rulerWidth);

// The editor's length and clip after another combination was chosen. A clip end of 0 means no clip
// yet: the first tenth becomes the clip. A shorter length pulls the clip end back to it and keeps the
// start at least a hundredth of the length before the end.
struct ClipState {
    std::int32_t length = 0;
    ClipTimes clip;
};
void ApplyNewLength(ClipState& state, std::int32_t newLength);

// The x of the stroke for a note time t (microseconds) in a note view width pixels wide showing
// total microseconds; nullopt when total is 0.
std::optional<int> NoteStrokeX(int width, std::uint32_t t, std::uint32_t total);

// The clip after a drag step, from the clip when the drag began and the clip the marker's pixels
// show now. The end that is not dragged keeps its exact time and a whole-clip move keeps the exact
// length (held inside 0..length); the time that moves is rounded to what a field with the digits
// shows (2: hundredths), so the clip shown, saved and sent is one and the same.
ClipTimes ClipAfterDrag(const ClipTimes& before, DragMode mode, const ClipTimes& marker, std::int32_t length,
                        int digits);

// The latest end in [start, end] at which a clip starting at start can still be written, found by
// halving (writing succeeds up to some length and fails beyond it); write(endMs) gives the note
// count of the written clip or -1 when it cannot be written. start when even the shortest fails.
std::int32_t LongestWritableClipEnd(std::int32_t start, std::int32_t end,
                                    const std::function<int(std::int32_t)>& write);

} // namespace corvina
