// The AT command service over the shared phone link.
#pragma once

#include "CAtLink.h"
#include "IAtCommandService.h"

#include <memory>
#include <string>

namespace corvina {

class CAtCommandService : public IAtCommandService {
public:
    HRESULT GetVolumeRange(std::int32_t line, std::int32_t* start, std::int32_t* end) override;
    HRESULT SetSoundMode(std::int32_t soundMode) override;
    HRESULT SetRingTone(std::int32_t toneIndex, std::int32_t volume) override;
    HRESULT PutUserTone(std::int32_t slot, IStream* source) override;
    HRESULT PlayRingTone() override;
    HRESULT StopRingTone() override;
    HRESULT GetSoundMode(std::int32_t* soundMode) override;
    HRESULT GetRingTone(std::int32_t* toneIndex, std::int32_t* volume) override;
    HRESULT PlayToneFile(const std::string& path, std::int32_t repeat) override;
    HRESULT StopToneFile() override;
    HRESULT SetLineVolume(std::int32_t ringingLine, std::int32_t volume) override;
    HRESULT GetVolumeRangeOfGroupPhones(std::int32_t* start, std::int32_t* end) override;
    HRESULT ExchangeLineTone(std::int32_t line, std::int32_t* tone, std::int32_t* volume) override;
    HRESULT SetPort(const std::string& port) override;
    HRESULT GetRingerLevel(std::int32_t* level) override;
    HRESULT GetRingerAndVibration(std::int32_t* calm, std::int32_t* cvib) override;

    // The phone's IMEI and model, for the host's phone detection.
    HRESULT GetIdentity(std::string& imei, std::string& model);

private:
    // Sends one command built from the template; E_INVALIDARG when an argument cannot be sent.
    HRESULT Send(const char* templ, const std::vector<std::string>& arguments, const char* infoPrefix = "",
                 std::vector<std::string>* info = nullptr);
    HRESULT GetRange(const char* command, const char* prefix, std::int32_t* start, std::int32_t* end);

    std::shared_ptr<CAtLink> m_link;
};

} // namespace corvina
