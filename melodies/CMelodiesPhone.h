// The Melodies page's conversation with the phone over AT commands: the sound mode kept while a tone is
// tried, and clips sent to a user slot. Failures are traced here; the page only moves values.
#pragma once

#include "CAtcHelperFunctions.h"
#include "HResult.h"

#include <cstdint>
#include <functional>
#include <optional>

namespace corvina {

class CMelodiesPhone {
public:
    // helper gives the page's AT helper when asked (null when there is none).
    explicit CMelodiesPhone(std::function<CAtcHelperFunctions*()> helper) : m_helper(std::move(helper)) {}

    // The phone's sound mode word; none when it cannot be read.
    std::optional<long> ReadSoundMode();
    // Sets the sound mode word as it is; false when the phone refused or could not be reached.
    bool WriteSoundMode(long soundMode);
    // Sends the stream's bytes as the user tone in the slot (0 is the first); the phone's answer.
    HRESULT SendToSlot(std::int32_t slot, IStream* source);

private:
    std::function<CAtcHelperFunctions*()> m_helper;
};

} // namespace corvina
