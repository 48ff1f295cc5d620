// The AT command service over the shared phone link.
#include "CAtCommandService.h"

#include "AtAnswers.h"
#include "AtCommands.h"
#include "PhoneErrors.h"

#include <cstdio>

namespace corvina {

namespace {

std::string Num(std::int64_t value)
{
    return std::to_string(value);
}

// Reads a whole stream into memory; the stream's own failure is given back.
HRESULT ReadAll(IStream* source, std::vector<unsigned char>& data)
{
    data.clear();
    unsigned char buffer[4096];
    for (;;) {
        std::uint32_t got = 0;
        HRESULT hr = source->Read(buffer, sizeof buffer, &got);
        if (FAILED(hr))
            return hr;
        data.insert(data.end(), buffer, buffer + got);
        if (got == 0)
            return S_OK;
    }
}

std::string Hex(const unsigned char* data, std::size_t size)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(size * 2);
    for (std::size_t i = 0; i < size; ++i) {
        text += kDigits[data[i] >> 4];
        text += kDigits[data[i] & 0x0F];
    }
    return text;
}

} // namespace

HRESULT CAtCommandService::SetPort(const std::string& port)
{
    m_link = CAtLink::ForDevice(port);
    return m_link->CheckPort();
}

HRESULT CAtCommandService::Send(const char* templ, const std::vector<std::string>& arguments, const char* infoPrefix,
                                std::vector<std::string>* info)
{
    if (!m_link)
        return HR_DEVICE_NOT_CONNECTED;
    auto command = atcmd::Format(templ, arguments);
    if (!command)
        return E_INVALIDARG;
    return m_link->Command(*command, infoPrefix, info);
}

HRESULT CAtCommandService::GetRange(const char* command, const char* prefix, std::int32_t* start, std::int32_t* end)
{
    if (!start || !end)
        return E_POINTER;
    std::vector<std::string> info;
    if (HRESULT hr = Send(command, {}, prefix, &info); FAILED(hr))
        return hr;
    auto range = info.empty() ? std::nullopt : atanswer::Range(info.front(), prefix);
    if (!range)
        return HR_AT_GARBAGE;
    *start = range->first;
    *end = range->second;
    return S_OK;
}

HRESULT CAtCommandService::GetVolumeRange(std::int32_t, std::int32_t* start, std::int32_t* end)
{
    return GetRange(atcmd::kVolumeRange, "+CRSL:", start, end);
}

HRESULT CAtCommandService::GetVolumeRangeOfGroupPhones(std::int32_t* start, std::int32_t* end)
{
    return GetRange(atcmd::kLineVolumeRange, "^CLVL:", start, end);
}

HRESULT CAtCommandService::SetSoundMode(std::int32_t soundMode)
{
    auto commands = atanswer::CommandsForSoundMode(soundMode);
    if (!commands)
        return E_INVALIDARG;
    if (!m_link)
        return HR_DEVICE_NOT_CONNECTED;
    return m_link->Transaction([&](CAtLink::Session& session) {
        if (commands->calm >= 0)
            if (HRESULT hr = session.Command(*atcmd::Format(atcmd::kSetRinger, {Num(commands->calm)})); FAILED(hr))
                return hr;
        if (commands->cvib >= 0)
            return session.Command(*atcmd::Format(atcmd::kSetVibration, {Num(commands->cvib)}));
        return S_OK;
    });
}

HRESULT CAtCommandService::GetSoundMode(std::int32_t* soundMode)
{
    if (!soundMode)
        return E_POINTER;
    if (!m_link)
        return HR_DEVICE_NOT_CONNECTED;
    std::vector<std::string> ringer;
    std::vector<std::string> vibration;
    HRESULT hr = m_link->Transaction([&](CAtLink::Session& session) {
        if (HRESULT result = session.Command(atcmd::kGetRinger, "+CALM:", &ringer); FAILED(result))
            return result;
        return session.Command(atcmd::kGetVibration, "+CVIB:", &vibration);
    });
    if (FAILED(hr))
        return hr;
    auto calm = ringer.empty() ? std::nullopt : atanswer::Numbers(ringer.front(), "+CALM:", 1);
    auto cvib = vibration.empty() ? std::nullopt : atanswer::Numbers(vibration.front(), "+CVIB:", 1);
    auto word = calm && cvib ? atanswer::SoundModeFromAnswers((*calm)[0], (*cvib)[0]) : std::nullopt;
    if (!word)
        return HR_AT_GARBAGE;
    *soundMode = *word;
    return S_OK;
}

HRESULT CAtCommandService::GetRingerLevel(std::int32_t* level)
{
    if (!level)
        return E_POINTER;
    std::vector<std::string> info;
    if (HRESULT hr = Send(atcmd::kGetRingerLevel, {}, "+CRSL:", &info); FAILED(hr))
        return hr;
    auto values = info.empty() ? std::nullopt : atanswer::Numbers(info.front(), "+CRSL:", 1);
    if (!values)
        return HR_AT_GARBAGE;
    *level = (*values)[0];
    return S_OK;
}

HRESULT CAtCommandService::GetRingerAndVibration(std::int32_t* calm, std::int32_t* cvib)
{
    if (!calm || !cvib)
        return E_POINTER;
    if (!m_link)
        return HR_DEVICE_NOT_CONNECTED;
    *calm = *cvib = -1;
    return m_link->Transaction([&](CAtLink::Session& session) {
        struct Query {
            const char* command;
            const char* prefix;
            std::int32_t* value;
        };
        for (const Query& query :
             {Query{atcmd::kGetRinger, "+CALM:", calm}, Query{atcmd::kGetVibration, "+CVIB:", cvib}}) {
            std::vector<std::string> info;
            const HRESULT hr = session.Command(query.command, query.prefix, &info);
            if (PhoneRefused(hr))
                continue;
            if (FAILED(hr))
                return hr;
            auto values = info.empty() ? std::nullopt : atanswer::Numbers(info.front(), query.prefix, 1);
            if (!values || (*values)[0] < 0 || (*values)[0] > 2)
                return HR_AT_GARBAGE;
            *query.value = (*values)[0];
        }
        return S_OK;
    });
}

HRESULT CAtCommandService::SetRingTone(std::int32_t toneIndex, std::int32_t volume)
{
    return Send(atcmd::kSetRingTone, {Num(toneIndex), Num(volume)});
}

HRESULT CAtCommandService::GetRingTone(std::int32_t* toneIndex, std::int32_t* volume)
{
    if (!toneIndex || !volume)
        return E_POINTER;
    std::vector<std::string> info;
    if (HRESULT hr = Send(atcmd::kGetRingTone, {}, "^CRTN:", &info); FAILED(hr))
        return hr;
    auto values = info.empty() ? std::nullopt : atanswer::Numbers(info.front(), "^CRTN:", 2);
    if (!values)
        return HR_AT_GARBAGE;
    *toneIndex = (*values)[0];
    *volume = (*values)[1];
    return S_OK;
}

HRESULT CAtCommandService::PutUserTone(std::int32_t slot, IStream* source)
{
    if (!source)
        return E_POINTER;
    std::vector<unsigned char> data;
    if (HRESULT hr = ReadAll(source, data); FAILED(hr))
        return hr;
    if (data.empty())
        return E_INVALIDARG;
    unsigned sum = 0;
    for (unsigned char byte : data)
        sum = (sum + byte) % 65536;
    if (!m_link)
        return HR_DEVICE_NOT_CONNECTED;
    return m_link->Transaction([&](CAtLink::Session& session) {
        HRESULT hr = session.Command(*atcmd::Format(atcmd::kUserToneBegin, {Num(slot), Num(data.size())}));
        for (std::size_t at = 0; SUCCEEDED(hr) && at < data.size(); at += atcmd::kUserToneChunk) {
            const std::size_t size = std::min(atcmd::kUserToneChunk, data.size() - at);
            hr = session.Command(*atcmd::Format(atcmd::kUserToneData, {Hex(data.data() + at, size)}));
        }
        if (SUCCEEDED(hr))
            hr = session.Command(*atcmd::Format(atcmd::kUserToneEnd, {Num(sum)}));
        return hr;
    });
}

HRESULT CAtCommandService::PlayRingTone()
{
    return Send(atcmd::kPlayRingTone, {});
}

HRESULT CAtCommandService::StopRingTone()
{
    return Send(atcmd::kStopRingTone, {});
}

HRESULT CAtCommandService::PlayToneFile(const std::string& path, std::int32_t repeat)
{
    if (path.empty())
        return E_INVALIDARG;
    return Send(atcmd::kPlayToneFile, {path, Num(repeat)});
}

HRESULT CAtCommandService::StopToneFile()
{
    return Send(atcmd::kStopToneFile, {});
}

HRESULT CAtCommandService::SetLineVolume(std::int32_t ringingLine, std::int32_t volume)
{
    return Send(atcmd::kSetLineVolume, {Num(ringingLine), Num(volume)});
}

HRESULT CAtCommandService::ExchangeLineTone(std::int32_t line, std::int32_t* tone, std::int32_t* volume)
{
    if (!tone || !volume)
        return E_POINTER;
    if (*tone != -1 || *volume != -1)
        return Send(atcmd::kSetLineTone, {Num(line), Num(*tone), Num(*volume)});
    std::vector<std::string> info;
    if (HRESULT hr = Send(atcmd::kGetLineTone, {Num(line)}, "^CLTN:", &info); FAILED(hr))
        return hr;
    auto values = info.empty() ? std::nullopt : atanswer::Numbers(info.front(), "^CLTN:", 3);
    if (!values || (*values)[0] != line)
        return HR_AT_GARBAGE;
    *tone = (*values)[1];
    *volume = (*values)[2];
    return S_OK;
}

HRESULT CAtCommandService::GetIdentity(std::string& imei, std::string& model)
{
    if (!m_link)
        return HR_DEVICE_NOT_CONNECTED;
    std::vector<std::string> imeiLines;
    std::vector<std::string> modelLines;
    HRESULT hr = m_link->Transaction([&](CAtLink::Session& session) {
        if (HRESULT result = session.Command(atcmd::kImei, {}, &imeiLines); FAILED(result))
            return result;
        return session.Command(atcmd::kModel, {}, &modelLines);
    });
    if (FAILED(hr))
        return hr;
    if (imeiLines.empty() || modelLines.empty())
        return HR_AT_GARBAGE;
    imei = atanswer::PlainValue(imeiLines.front(), "+CGSN:");
    model = atanswer::PlainValue(modelLines.front(), "+CGMM:");
    return S_OK;
}

} // namespace corvina
