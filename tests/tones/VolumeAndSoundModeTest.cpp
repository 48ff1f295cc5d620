// The volume scale's geometry, the sound mode word against the controls, and the page's enable rules.
#include "ReadOut.h"
#include "RingingLine.h"
#include "SoundMode.h"
#include "TonesPageRules.h"
#include "VolumeScale.h"

#include <gtest/gtest.h>

namespace corvina {
namespace {

struct Placed {
    int x, y, cx, cy;
    bool mark;
    bool operator==(const Placed&) const = default;
};

std::vector<Placed> Places(const VolumeScale& scale)
{
    std::vector<Placed> places;
    for (const VolumeTick& t : scale.Ticks)
        places.push_back({t.x, t.y, t.cx, t.cy, t.bIncreasingMark});
    return places;
}

const VolumeProfile kFivePositionsRisingAtTheTop{1, 5, true, 5};

TEST(VolumeScale, FivePositionsRiseFromThreeToTwelvePixelsWithTheMarkAtTheEnd)
{
    const VolumeScale scale = BuildVolumeScale(kFivePositionsRisingAtTheTop, true, false, eAllCalls);
    EXPECT_EQ(Places(scale), (std::vector<Placed>{{417, 95, 1, 3, false},
                                                  {443, 92, 1, 6, false},
                                                  {470, 89, 1, 9, false},
                                                  {496, 86, 1, 12, false},
                                                  {519, 86, 7, 12, true}}));
    EXPECT_EQ(scale.Ticks.back().IconId(), 4065u);
    EXPECT_EQ(scale.Ticks.front().IconId(), 4066u);
    EXPECT_TRUE(scale.bIncreasingVol);
    EXPECT_EQ(scale.lRangeMin, 1);
    EXPECT_EQ(scale.lRangeMax, 5);
}

TEST(VolumeScale, CallerGroupMessagesAndCellBroadcastLinesLoseOnePositionAndTheMark)
{
    for (int line : {eMessages, eCellBroadcast}) {
        const VolumeScale scale = BuildVolumeScale(kFivePositionsRisingAtTheTop, true, true, line);
        EXPECT_FALSE(scale.bIncreasingVol);
        EXPECT_EQ(
            Places(scale),
            (std::vector<Placed>{
                {417, 95, 1, 3, false}, {452, 92, 1, 6, false}, {487, 89, 1, 9, false}, {522, 86, 1, 12, false}}));
        EXPECT_EQ(scale.lRangeMax, 4);
    }
    // Other lines, other phones, or no connection keep the profile's scale.
    EXPECT_EQ(BuildVolumeScale(kFivePositionsRisingAtTheTop, true, true, eAlarm).lRangeMax, 5);
    EXPECT_EQ(BuildVolumeScale(kFivePositionsRisingAtTheTop, true, false, eMessages).lRangeMax, 5);
    EXPECT_TRUE(BuildVolumeScale(kFivePositionsRisingAtTheTop, false, true, eMessages).bIncreasingVol);
}

TEST(VolumeScale, ScalesWithoutSpacingOrRampStayAtTheStartAndBadProfilesDrawNothing)
{
    EXPECT_EQ(Places(BuildVolumeScale({3, 3, false, 4}, true, false, 6)),
              (std::vector<Placed>{{417, 95, 1, 3, false}}));
    EXPECT_EQ(Places(BuildVolumeScale({3, 4, true, 4}, true, false, 6)),
              (std::vector<Placed>{{417, 95, 1, 3, false}, {519, 86, 7, 12, true}}));
    const VolumeScale reversed = BuildVolumeScale({5, 2, false, 4}, true, false, 6);
    EXPECT_TRUE(reversed.Ticks.empty());
    EXPECT_EQ(reversed.lRangeMax, 5);
    EXPECT_TRUE(BuildVolumeScale({1, 2000000000, false, 4}, true, false, 6).Ticks.empty());
}

TEST(SoundMode, ThePhonesSecondVibrationFormShowsCheckedAndIsWrittenBackAsTheFirst)
{
    const SoundModeControls shown = SoundModeToControls(0x41, 0);
    EXPECT_EQ(shown.nRadio, kRadioOn);
    EXPECT_EQ(shown.nVibraChecked, 1);
    EXPECT_EQ(shown.lSoundMode, 0x41);
    EXPECT_EQ(SoundModeFromControls(shown.nRadio, shown.nVibraChecked), 0x11);
}

TEST(SoundMode, EveryRingerAndVibrationStateMapsToItsControlsAndBack)
{
    EXPECT_EQ(SoundModeToControls(0x22, 0).nRadio, kRadioOff);
    EXPECT_EQ(SoundModeToControls(0x22, 0).nVibraChecked, 0);
    EXPECT_EQ(SoundModeToControls(0x14, 0).nRadio, kRadioBeep);
    EXPECT_EQ(SoundModeToControls(0x00, 0).nRadio, kRadioOff);
    EXPECT_EQ(SoundModeFromControls(kRadioOff, 0), 0x22);
    EXPECT_EQ(SoundModeFromControls(kRadioBeep, 1), 0x14);
    // A ringer group never set is written as On.
    EXPECT_EQ(SoundModeFromControls(-1, 0), 0x21);
}

TEST(SoundMode, ForcingTheRingerOnRebuildsTheWordAndIsWrittenOnlyWhenItWasNotOn)
{
    const SoundModeControls forced = SoundModeToControls(0x24, 1);
    EXPECT_EQ(forced.nRadio, kRadioOn);
    EXPECT_EQ(forced.lSoundMode, 0x21);
    // Without vibration bits the flag itself stands for the vibration part.
    EXPECT_EQ(SoundModeToControls(0x02, 1).lSoundMode, 0x01);
    EXPECT_TRUE(SoundModeNeedsRingOnWrite(0x24, 1));
    EXPECT_FALSE(SoundModeNeedsRingOnWrite(0x21, 1));
    EXPECT_FALSE(SoundModeNeedsRingOnWrite(0x24, 0));
}

TEST(TonesPage, EnableRulesAndTheMiddleVolumeFollowThePhoneType)
{
    EXPECT_EQ(MidVolume(1, 4), 3);
    EXPECT_EQ(MidVolume(1, 5), 3);
    EXPECT_FALSE(RingerControlsEnabled("R15", true));
    EXPECT_TRUE(RingerControlsEnabled("r15", true));
    EXPECT_FALSE(RingerControlsEnabled("BIRCH", true));
    EXPECT_FALSE(RingerControlsEnabled("C55", false));
    EXPECT_TRUE(PlayButtonsEnabled("C55", true, true, false));
    EXPECT_FALSE(PlayButtonsEnabled("C55", true, false, true));
    EXPECT_TRUE(PlayButtonsEnabled("C55", false, false, true));
    EXPECT_FALSE(PlayButtonsEnabled("MOSAIC", false, true, true));
    EXPECT_FALSE(LineChangeUpdatesMainDialog("xBIRCH"));
    EXPECT_FALSE(IsValidLineSelection(4, 4));
    EXPECT_FALSE(TonesControlsEnabled(true, false));
}

TEST(SoundMode, APhoneLackingACommandIsSentOnlyThePartItHasAndTheTraceNamesWhatItLacks)
{
    EXPECT_EQ(SoundModeForPhone(kRingBeep | kVibraOn, 0), kRingBeep | kVibraOn);
    EXPECT_EQ(SoundModeForPhone(kRingBeep | kVibraOn, LACKS_VIBRATION), kRingBeep);
    EXPECT_EQ(SoundModeForPhone(kRingOff | kVibraOnAsRead, LACKS_RINGER), kVibraOnAsRead);
    EXPECT_EQ(SoundModeForPhone(kRingOn | kVibraOff, LACKS_RINGER | LACKS_VIBRATION), 0);
    EXPECT_EQ(LackingFeatureNames(0), "");
    EXPECT_EQ(LackingFeatureNames(LACKS_VIBRATION | LACKS_TONE), "tone (AT^CRTN?), vibration (AT+CVIB?)");
}

} // namespace
} // namespace corvina
