// Clip marker placement, marker dragging, clip changes on a new length and note stroke positions.
#include "ClipGeometry.h"

#include <gtest/gtest.h>

namespace corvina {

constexpr int W = kDefaultRulerWidth;
constexpr int D = 100; // the dialog's left edge, where the editor's pixels are relative to it

TEST(ClipGeometry, PlacesTheMarkerOverTheRulerAndKeepsItTwoPixelsWideAtLeast)
{
    EXPECT_EQ(MarkerFromClip({0, 1000}, 10000, W), (MarkerEdges{210, 210 + 44})); // 43.6 rounds up
    EXPECT_EQ(MarkerFromClip({5000, 5000}, 10000, W), (MarkerEdges{428, 430}));
    EXPECT_EQ(MarkerFromClip({10000, 10000}, 10000, W), (MarkerEdges{208 + W, 210 + W}));
    EXPECT_EQ(MarkerFromClip({-500, 20000}, 10000, W), (MarkerEdges{210, 210 + W}));
    EXPECT_EQ(MarkerFromClip({30000, 40000}, 10000, W), (MarkerEdges{208 + W, 210 + W}));
    EXPECT_EQ(MarkerFromClip({0, 1000}, 0, W), std::nullopt);
}

TEST(ClipGeometry, ReadsTheClipBackFromTheMarkerRelativeToTheEditor)
{
    EXPECT_EQ(ClipFromMarker(D + 210, D + 210 + W, D, 10000, W), (ClipTimes{0, 10000}));
    EXPECT_EQ(ClipFromMarker(D + 210 + 44, D + 210 + 87, D, 10000, W), (ClipTimes{1009, 1995}));
    EXPECT_EQ(ClipFromMarker(D + 300, D + 400, D, 0, W), (ClipTimes{0, 0}));
}

TEST(ClipGeometry, ChoosesTheDragModeByTheGripZonesAtTheMarkersEnds)
{
    const EditorRect wide{D + 300, 50, D + 400, 66}; // 100 pixels: zone capped at 8
    EXPECT_EQ(BeginMarkerDrag(D + 307, 55, wide, D)->mode, DragMode::Start);
    EXPECT_EQ(BeginMarkerDrag(D + 307, 55, wide, D)->zone, 8);
    EXPECT_EQ(BeginMarkerDrag(D + 308, 55, wide, D)->mode, DragMode::Whole);
    EXPECT_EQ(BeginMarkerDrag(D + 392, 55, wide, D)->mode, DragMode::Whole);
    EXPECT_EQ(BeginMarkerDrag(D + 393, 66, wide, D)->mode, DragMode::End);
    EXPECT_EQ(BeginMarkerDrag(D + 401, 55, wide, D), std::nullopt);
    EXPECT_EQ(BeginMarkerDrag(D + 350, 67, wide, D), std::nullopt);

    const EditorRect narrow{D + 300, 50, D + 320, 66}; // 20 pixels: zone raised to 5
    EXPECT_EQ(BeginMarkerDrag(D + 304, 55, narrow, D)->zone, 5);
    EXPECT_EQ(BeginMarkerDrag(D + 316, 55, narrow, D)->mode, DragMode::End);

    // A tiny marker at time 0 is stretched from its end instead.
    const EditorRect tinyAtStart{D + 210, 50, D + 212, 66};
    EXPECT_EQ(BeginMarkerDrag(D + 210, 55, tinyAtStart, D)->mode, DragMode::End);
    const EditorRect tinyElsewhere{D + 250, 50, D + 252, 66};
    EXPECT_EQ(BeginMarkerDrag(D + 250, 55, tinyElsewhere, D)->mode, DragMode::Start);
    EXPECT_EQ(DragCursor(DragMode::Start), 107);
    EXPECT_EQ(DragCursor(DragMode::End), 106);
    EXPECT_EQ(DragCursor(DragMode::Whole), 108);
}

TEST(ClipGeometry, DraggingHoldsTheMarkerOnTheRulerAndItsEndsApart)
{
    const EditorRect marker{D + 300, 50, D + 400, 66};

    MarkerDrag whole{DragMode::Whole, 8, D + 350};
    EXPECT_EQ(DragMarker(whole, D + 360, marker, D, W), (MarkerEdges{310, 410}));
    EXPECT_EQ(whole.lastX, D + 360);
    whole.lastX = D + 350;
    EXPECT_EQ(DragMarker(whole, D + 150, marker, D, W), (MarkerEdges{210, 310}));
    whole.lastX = D + 350;
    EXPECT_EQ(DragMarker(whole, D + 900, marker, D, W), (MarkerEdges{110 + W, 210 + W}));
    // Neither the last nor the new point lies on the marker away from its grips.
    whole.lastX = D + 395;
    EXPECT_EQ(DragMarker(whole, D + 420, marker, D, W), std::nullopt);
    EXPECT_EQ(whole.lastX, D + 420);
    EXPECT_EQ(DragMarker(whole, D + 420, marker, D, W), std::nullopt);

    MarkerDrag start{DragMode::Start, 8, D + 302};
    EXPECT_EQ(DragMarker(start, D + 500, marker, D, W), (MarkerEdges{398, 400}));
    start.lastX = D + 302;
    EXPECT_EQ(DragMarker(start, D + 100, marker, D, W), (MarkerEdges{210, 400}));
    // Coming back from outside, the pointer must be a pixel inside the marker again.
    start.lastX = D + 250;
    EXPECT_EQ(DragMarker(start, D + 300, marker, D, W), std::nullopt);
    start.lastX = D + 250;
    EXPECT_EQ(DragMarker(start, D + 301, marker, D, W), (MarkerEdges{351, 400}));

    MarkerDrag end{DragMode::End, 8, D + 398};
    EXPECT_EQ(DragMarker(end, D + 200, marker, D, W), (MarkerEdges{300, 302}));
    end.lastX = D + 398;
    EXPECT_EQ(DragMarker(end, D + 900, marker, D, W), (MarkerEdges{300, 210 + W}));
}

TEST(ClipGeometry, ANewLengthSetsTheDefaultClipOrPullsTheClipBack)
{
    ClipState state;
    ApplyNewLength(state, 123456);
    EXPECT_EQ(state.clip, (ClipTimes{0, 12345}));

    state = {100000, {50000, 90000}};
    ApplyNewLength(state, 120000);
    EXPECT_EQ(state.clip, (ClipTimes{50000, 90000}));
    ApplyNewLength(state, 80000);
    EXPECT_EQ(state.clip, (ClipTimes{50000, 80000}));
    ApplyNewLength(state, 40000);
    EXPECT_EQ(state.clip, (ClipTimes{39600, 40000}));
    EXPECT_EQ(state.length, 40000);
}

TEST(ClipGeometry, NoteStrokesLieAtTheirShareOfTheWidthRounded)
{
    EXPECT_EQ(NoteStrokeX(436, 0, 1000000), 0);
    EXPECT_EQ(NoteStrokeX(436, 500000, 1000000), 218);
    EXPECT_EQ(NoteStrokeX(436, 1000000, 1000000), 436);
    EXPECT_EQ(NoteStrokeX(436, 1, 3), 145);  // 145.33
    EXPECT_EQ(NoteStrokeX(100, 5, 1000), 1); // 0.5 rounds up
    EXPECT_EQ(NoteStrokeX(436, 5, 0), std::nullopt);
}

TEST(ClipGeometry, ADragMovesOnlyWhatIsDraggedInTheFieldsHundredthsAndAMoveKeepsTheLengthInsideTheFile)
{
    const ClipTimes typed{1030, 25000};
    EXPECT_EQ(ClipAfterDrag(typed, DragMode::Start, {2044, 25041}, 60000, 2), (ClipTimes{2040, 25000}));
    EXPECT_EQ(ClipAfterDrag(typed, DragMode::End, {1066, 30046}, 60000, 2), (ClipTimes{1030, 30050}));
    EXPECT_EQ(ClipAfterDrag(typed, DragMode::Whole, {5004, 28980}, 60000, 2), (ClipTimes{5000, 28970}));
    EXPECT_EQ(ClipAfterDrag(typed, DragMode::Whole, {50001, 73970}, 60000, 2), (ClipTimes{36030, 60000}));
    EXPECT_EQ(ClipAfterDrag(typed, DragMode::Whole, {-7, 23963}, 60000, 3), (ClipTimes{0, 23970}));
    // An end is never dragged past the other.
    EXPECT_EQ(ClipAfterDrag(typed, DragMode::Start, {25100, 25200}, 60000, 2), (ClipTimes{25000, 25000}));
}

TEST(ClipGeometry, TheLongestWritableClipIsFoundByHalving)
{
    int writes = 0;
    const auto upTo = [&writes](std::int32_t limit) {
        return [&writes, limit](std::int32_t end) { return ++writes, end <= limit ? 1 : -1; };
    };
    EXPECT_EQ(LongestWritableClipEnd(1000, 600000, upTo(123456)), 123456);
    EXPECT_LT(writes, 25);
    EXPECT_EQ(LongestWritableClipEnd(1000, 600000, upTo(700000)), 600000);
    EXPECT_EQ(LongestWritableClipEnd(1000, 600000, upTo(0)), 1000);
}

} // namespace corvina
