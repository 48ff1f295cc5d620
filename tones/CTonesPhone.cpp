// The tones page's phone conversation: each exchange runs through RunOnPhone, which traces failures.
#include "CTonesPhone.h"

#include "RunOnPhone.h"
#include "SoundMode.h"

namespace corvina {

bool CTonesPhone::WriteSoundMode(long soundMode, unsigned lacking)
{
    const long word = SoundModeForPhone(soundMode, lacking);
    if (word == 0)
        return true;
    return SUCCEEDED(RunOnPhone(m_helper(), "CTonesPhone::WriteSoundMode",
                                [&](IAtCommandService& atc) { return atc.SetSoundMode(word); }));
}

bool CTonesPhone::RestoreSoundMode(long soundMode)
{
    return SUCCEEDED(RunOnPhone(m_helper(), "CTonesPhone::RestoreSoundMode",
                                [&](IAtCommandService& atc) { return atc.SetSoundMode(soundMode); }));
}

std::optional<CTonesPhone::LineTone> CTonesPhone::ReadLineTone(std::int32_t lineType)
{
    LineTone read{-1, -1};
    const HRESULT hr = RunOnPhone(m_helper(), "CTonesPhone::ReadLineTone", [&](IAtCommandService& atc) {
        return atc.ExchangeLineTone(lineType, &read.tone, &read.volume);
    });
    if (FAILED(hr))
        return std::nullopt;
    return read;
}

bool CTonesPhone::WriteLineTone(std::int32_t lineType, std::int32_t tone, std::int32_t volume)
{
    return SUCCEEDED(RunOnPhone(m_helper(), "CTonesPhone::WriteLineTone", [&](IAtCommandService& atc) {
        return atc.ExchangeLineTone(lineType, &tone, &volume);
    }));
}

bool CTonesPhone::WriteLineVolume(std::int32_t ringingLine, std::int32_t volume)
{
    return SUCCEEDED(RunOnPhone(m_helper(), "CTonesPhone::WriteLineVolume",
                                [&](IAtCommandService& atc) { return atc.SetLineVolume(ringingLine, volume); }));
}

} // namespace corvina
