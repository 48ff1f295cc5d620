// The phone side of the play panel that plays a ringtone on the phone itself: start, stop, and the
// tone made active first. Failures are traced here; the panel only shows whether a tone plays.
#pragma once

#include "CAtcHelperFunctions.h"

#include <cstdint>
#include <functional>
#include <string>

namespace corvina {

class CPlayOnMobilePhone {
public:
    // helper gives the panel's AT helper when asked (null when there is none).
    explicit CPlayOnMobilePhone(std::function<CAtcHelperFunctions*()> helper) : m_helper(std::move(helper)) {}

    // Starts the phone playing: the file at path on the phone (phones that name tones by file), or the
    // ringtone the phone is set to. False when nothing plays.
    bool Play(bool byFile, const std::string& path);
    // Stops what Play started.
    bool Stop(bool byFile);
    // Makes the tone with the phone's index the ringtone, at the volume.
    bool SetRingTone(std::int32_t toneIndex, std::int32_t volume);

private:
    std::function<CAtcHelperFunctions*()> m_helper;
};

} // namespace corvina
