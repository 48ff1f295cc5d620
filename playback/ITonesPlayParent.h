// What the "Ringtones on mobile" page gives its play-on-phone panel: its sound mode, which playing
// switches to the normal ring so that the tone is heard, and puts back afterwards.
#pragma once

namespace corvina {

class ITonesPlayParent {
public:
    virtual ~ITonesPlayParent() = default;
    virtual long GetSoundMode() const = 0;
    // Switches the ringer on (with 1: also on the phone).
    virtual void AddSoundModeNormal(int write) = 0;
    // Shows the mode again and, with write, writes it to the phone.
    virtual void RestoreSoundMode(long soundMode, bool write) = 0;
};

} // namespace corvina
