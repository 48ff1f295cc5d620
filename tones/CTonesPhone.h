// The tones page's conversation with the phone: its sound mode, and each line's tone and volume. The
// page moves values between this and its controls; failures are traced here and change nothing.
#pragma once

#include "CAtcHelperFunctions.h"

#include <cstdint>
#include <functional>
#include <optional>

namespace corvina {

class CTonesPhone {
public:
    // helper gives the page's AT helper when asked (null when there is none).
    explicit CTonesPhone(std::function<CAtcHelperFunctions*()> helper) : m_helper(std::move(helper)) {}

    // Sends only the parts of the sound mode the phone has (lacking: the LACKS_* bits); a mode with no
    // such part is not sent. False when the phone refused or could not be reached.
    bool WriteSoundMode(long soundMode, unsigned lacking);
    // Sends the sound mode word as it is: the user's own mode coming back after a tone was played.
    bool RestoreSoundMode(long soundMode);

    struct LineTone {
        std::int32_t tone;   // the phone's tone number
        std::int32_t volume; // on the phone's own scale
    };
    // The tone and volume the phone keeps for a line type (phones with a tone per line); none on failure.
    std::optional<LineTone> ReadLineTone(std::int32_t lineType);
    // Writes a line type's tone and volume together (phones with a tone per line).
    bool WriteLineTone(std::int32_t lineType, std::int32_t tone, std::int32_t volume);
    // Writes the volume of a ringing line (phones with one tone for all lines).
    bool WriteLineVolume(std::int32_t ringingLine, std::int32_t volume);

private:
    std::function<CAtcHelperFunctions*()> m_helper;
};

} // namespace corvina
