// Geometry of the volume scale: positions, tick heights and places, and the track bar range.
#include "VolumeScale.h"

#include "RingingLine.h"

namespace corvina {

bool LineLacksIncreasingVolume(bool isR41, int lineType)
{
    return isR41 && (lineType == eMessages || lineType == eCellBroadcast);
}

VolumeScale BuildVolumeScale(const VolumeProfile& volume, bool connected, bool isR41, int lineType)
{
    VolumeScale scale;
    scale.bIncreasingVol = volume.bIncreasingVol;
    long positions = volume.lVolEnd - volume.lVolStart + 1;
    // The plain ticks share the ramp; the count comes from the profile before a line drops its mark.
    const long normal = volume.bIncreasingVol ? positions - 1 : positions;
    if (connected && LineLacksIncreasingVolume(isR41, lineType)) {
        --positions;
        scale.bIncreasingVol = false;
    }
    if (positions < 1) {
        scale.lRangeMin = scale.lRangeMax = volume.lVolStart;
        return scale;
    }
    scale.lPositions = positions;
    scale.lRangeMin = volume.lVolStart;
    scale.lRangeMax = volume.lVolStart + positions - 1;
    if (positions > kMaxScalePositions)
        return scale;

    // With one position (or one plain tick) there is no spacing (or ramp) to divide: it stays at the start.
    const double stepX = positions > 1 ? kScaleWidth / static_cast<double>(positions - 1) : 0.0;
    const double stepH = normal > 1 ? kTickRise / static_cast<double>(normal - 1) : 0.0;
    long k = 0;
    for (long i = 0; i < positions; ++i) {
        VolumeTick tick;
        tick.bIncreasingMark = scale.bIncreasingVol && volume.lVolStart + i == volume.lIncreasingVolPos;
        if (tick.bIncreasingMark) {
            tick.cy = kMarkHeight;
            tick.cx = kMarkWidth;
        } else {
            tick.cy = static_cast<int>(static_cast<double>(k) * stepH + 0.5) + kTickMinHeight;
            tick.cx = 1;
            ++k;
        }
        tick.x = static_cast<int>(static_cast<double>(i) * stepX + 0.5) - tick.cx / 2 + kScaleLeft;
        tick.y = kScaleBaseline - tick.cy;
        scale.Ticks.push_back(tick);
    }
    return scale;
}

} // namespace corvina
