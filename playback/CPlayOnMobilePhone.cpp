// The play panel's phone conversation: each exchange runs through RunOnPhone, which traces failures.
#include "CPlayOnMobilePhone.h"

#include "RunOnPhone.h"

namespace corvina {

bool CPlayOnMobilePhone::Play(bool byFile, const std::string& path)
{
    return SUCCEEDED(RunOnPhone(m_helper(), "CPlayOnMobilePhone::Play", [&](IAtCommandService& atc) {
        return byFile ? atc.PlayToneFile(path, -1) : atc.PlayRingTone();
    }));
}

bool CPlayOnMobilePhone::Stop(bool byFile)
{
    return SUCCEEDED(RunOnPhone(m_helper(), "CPlayOnMobilePhone::Stop", [&](IAtCommandService& atc) {
        return byFile ? atc.StopToneFile() : atc.StopRingTone();
    }));
}

bool CPlayOnMobilePhone::SetRingTone(std::int32_t toneIndex, std::int32_t volume)
{
    return SUCCEEDED(RunOnPhone(m_helper(), "CPlayOnMobilePhone::SetRingTone",
                                [&](IAtCommandService& atc) { return atc.SetRingTone(toneIndex, volume); }));
}

} // namespace corvina
