// The drawn scale above the volume track bar: one tick per position, rising in height, with the
// increasing-volume position drawn as a wider mark; and the track bar's range.
#pragma once

#include "PhoneProfile.h"

#include <vector>

namespace corvina {

constexpr unsigned IDI_INCREASING_VOL_MARK = 4065;
constexpr unsigned IDI_SCALE_TICK = 4066;

// Placement of the scale on the page, in pixels.
constexpr int kScaleLeft = 417; // centre of the first tick
constexpr double kScaleWidth = 105.0;
constexpr int kScaleBaseline = 98; // ticks stand on this line
constexpr int kTickMinHeight = 3;
constexpr double kTickRise = 9.0; // the highest normal tick is 3 + 9 pixels
constexpr int kMarkHeight = 12;
constexpr int kMarkWidth = 7;
// More positions than this cannot be told apart on the scale; such a profile gets no ticks.
constexpr long kMaxScalePositions = 1000;

// One drawn tick: a static showing an icon at left x, top y, width cx, height cy.
struct VolumeTick {
    int x = 0;
    int y = 0;
    int cx = 0;
    int cy = 0;
    bool bIncreasingMark = false; // the increasing-volume mark rather than a plain tick
    unsigned IconId() const { return bIncreasingMark ? IDI_INCREASING_VOL_MARK : IDI_SCALE_TICK; }
};

struct VolumeScale {
    bool bIncreasingVol = false;   // the flag to keep: false on lines without increasing volume
    long lPositions = 0;           // number of positions on the scale
    std::vector<VolumeTick> Ticks; // left to right
    long lRangeMin = 0;            // track bar range
    long lRangeMax = 0;
};

// True for the caller-group family's lines that have no increasing volume (Messages, Cell broadcast).
bool LineLacksIncreasingVolume(bool isR41, int lineType);

// The scale for a volume profile as the page holds it (after it re-read the profile when connected).
// connected, isR41 and lineType (the selected line's type) decide whether the line loses its
// increasing-volume position. A single position, or a single normal position, is drawn at x 417.
// A profile whose end lies below its start gives no ticks and the range start..start; one with more
// than kMaxScalePositions positions keeps its range but gets no ticks.
VolumeScale BuildVolumeScale(const VolumeProfile& volume, bool connected, bool isR41, int lineType);

} // namespace corvina
