// What the Melodies page gives its play-on-phone panel: the tone the user is about to replace and
// what to put back on the phone once it has been heard.
#pragma once

#include <string>

namespace corvina {

class IMelodiesPlayParent {
public:
    virtual ~IMelodiesPlayParent() = default;
    // The tone index the user chose (-1: none) and the one to make active again afterwards (-1: none).
    virtual long GetCurIndex() = 0;
    virtual long GetOrigIndex() const = 0;
    virtual long GetVolume() const = 0;
    // The chosen file name (folder mode).
    virtual std::string GetComboFileName() = 0;
    // Saves the phone's sound mode before playing, writes it back after, and the mode saved (-1: none).
    virtual void UpdateSoundModeOrig() = 0;
    virtual void SetSoundModeToOrig() = 0;
    virtual long GetSoundModeOrig() const = 0;
};

} // namespace corvina
