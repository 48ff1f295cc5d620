// Conversions between the phone's sound mode word and the page's ringer and vibration controls.
#include "SoundMode.h"

#include "ReadOut.h"

#include <initializer_list>

namespace corvina {
namespace {

// The first of the bits that is set in word, or fallback when none is.
long FirstSetBit(long word, long a, long b, long c, long fallback)
{
    for (long bit : {a, b, c}) {
        if (word & bit)
            return bit;
    }
    return fallback;
}

} // namespace

SoundModeControls SoundModeToControls(long soundMode, int setRingOn)
{
    const long flag = setRingOn ? 1 : 0;
    const long ringer = setRingOn ? kRingOn : FirstSetBit(soundMode, kRingOn, kRingOff, kRingBeep, 0);
    // A word without vibration bits takes the flag itself: forcing the ringer on then leaves the word
    // without a vibration part (1 OR 1), so the phone keeps its own vibration setting.
    const long vibration = FirstSetBit(soundMode, kVibraOn, kVibraOff, kVibraOnAsRead, flag);

    SoundModeControls controls;
    switch (ringer) {
    case kRingOn: controls.nRadio = kRadioOn; break;
    case kRingBeep: controls.nRadio = kRadioBeep; break;
    default: controls.nRadio = kRadioOff; break;
    }
    controls.nVibraChecked = (vibration == kVibraOn || vibration == kVibraOnAsRead) ? 1 : 0;
    controls.lSoundMode = setRingOn ? (ringer | vibration) : soundMode;
    return controls;
}

long SoundModeFromControls(int radio, int vibraChecked)
{
    long ringer = kRingOn; // also for a radio group the user never touched (-1)
    if (radio == kRadioOff)
        ringer = kRingOff;
    else if (radio == kRadioBeep)
        ringer = kRingBeep;
    return ringer | (vibraChecked ? kVibraOn : kVibraOff);
}

bool SoundModeNeedsRingOnWrite(long soundMode, int write)
{
    return write != 0 && (soundMode & kRingOn) == 0;
}

long SoundModeForPhone(long soundMode, unsigned lacking)
{
    if (lacking & LACKS_RINGER)
        soundMode &= ~(kRingOn | kRingOff | kRingBeep);
    if (lacking & LACKS_VIBRATION)
        soundMode &= ~(kVibraOn | kVibraOff | kVibraOnAsRead);
    return soundMode;
}

} // namespace corvina
