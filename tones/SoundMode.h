// The sound mode word exchanged with the phone (ringer OR vibration) and its radio/check-box form.
#pragma once

namespace corvina {

// Ringer part of the word.
constexpr long kRingOn = 0x01;
constexpr long kRingOff = 0x02;
constexpr long kRingBeep = 0x04;
// Vibration part; 0x40 is a second "on" that only the phone reports.
constexpr long kVibraOn = 0x10;
constexpr long kVibraOff = 0x20;
constexpr long kVibraOnAsRead = 0x40;
// The word of a freshly built page: ring on, vibration off.
constexpr long kSoundModeDefault = kRingOn | kVibraOff;

// Radio indexes of the ringer group.
constexpr int kRadioOn = 0;
constexpr int kRadioOff = 1;
constexpr int kRadioBeep = 2;

// What the ringer radios and the vibration check box show for a word.
struct SoundModeControls {
    int nRadio = kRadioOff; // 0 On, 1 Off, 2 Beep
    int nVibraChecked = 0;  // 1 when the vibration check box is checked
    long lSoundMode = 0;    // the word afterwards: unchanged, or with the ringer forced on
};

// The controls for a word; with setRingOn nonzero the ringer reads On and the word is rebuilt.
SoundModeControls SoundModeToControls(long soundMode, int setRingOn);
// The word the controls stand for; a radio index outside 0..2 counts as On.
long SoundModeFromControls(int radio, int vibraChecked);
// True when forcing the ringer on must be told to the phone: asked to write and the ring-on bit is clear.
bool SoundModeNeedsRingOnWrite(long soundMode, int write);

// The word as a phone that lacks features can take it: the ringer part dropped when it lacks
// AT+CALM (LACKS_RINGER), the vibration part when it lacks AT+CVIB (LACKS_VIBRATION); 0 when
// nothing is left to send.
long SoundModeForPhone(long soundMode, unsigned lacking);

} // namespace corvina
