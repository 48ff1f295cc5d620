// The Melodies page's phone conversation: each exchange runs through RunOnPhone, which traces failures.
#include "CMelodiesPhone.h"

#include "RunOnPhone.h"

namespace corvina {

std::optional<long> CMelodiesPhone::ReadSoundMode()
{
    std::int32_t soundMode = -1;
    if (FAILED(RunOnPhone(m_helper(), "CMelodiesPhone::ReadSoundMode",
                          [&](IAtCommandService& atc) { return atc.GetSoundMode(&soundMode); })))
        return std::nullopt;
    return soundMode;
}

bool CMelodiesPhone::WriteSoundMode(long soundMode)
{
    return SUCCEEDED(RunOnPhone(m_helper(), "CMelodiesPhone::WriteSoundMode", [&](IAtCommandService& atc) {
        return atc.SetSoundMode(static_cast<std::int32_t>(soundMode));
    }));
}

HRESULT CMelodiesPhone::SendToSlot(std::int32_t slot, IStream* source)
{
    return RunOnPhone(m_helper(), "CMelodiesPhone::SendToSlot",
                      [&](IAtCommandService& atc) { return atc.PutUserTone(slot, source); });
}

} // namespace corvina
