// The phone's tone, volume and sound-mode settings, reached through AT commands.
#pragma once

#include "IServiceObject.h"
#include "IStream.h"

#include <cstdint>
#include <string>

namespace corvina {

class IAtCommandService : public IServiceObject {
public:
    // Slot 18: the phone's volume scale; line is the general ringing line (1).
    virtual HRESULT GetVolumeRange(std::int32_t line, std::int32_t* start, std::int32_t* end) = 0;
    // Slot 27: ringer and vibration from the sound mode word.
    virtual HRESULT SetSoundMode(std::int32_t soundMode) = 0;
    // Slot 28: tone and volume of the general ringing line.
    virtual HRESULT SetRingTone(std::int32_t toneIndex, std::int32_t volume) = 0;
    // Slot 30: the stream's MIDI data become the user-defined tone in the slot.
    virtual HRESULT PutUserTone(std::int32_t slot, IStream* source) = 0;
    // Slot 31: the phone plays its current ringtone.
    virtual HRESULT PlayRingTone() = 0;
    // Slot 32: stops the ringtone.
    virtual HRESULT StopRingTone() = 0;
    // Slot 49: the phone's sound mode word.
    virtual HRESULT GetSoundMode(std::int32_t* soundMode) = 0;
    // Slot 50: tone index and volume of the general ringing line.
    virtual HRESULT GetRingTone(std::int32_t* toneIndex, std::int32_t* volume) = 0;
    // Slot 59: plays the file "A:\folder\name" on the phone; repeat -1 plays it once.
    virtual HRESULT PlayToneFile(const std::string& path, std::int32_t repeat) = 0;
    // Slot 60: stops the file.
    virtual HRESULT StopToneFile() = 0;
    // Slot 62: volume of one ringing line (1..20).
    virtual HRESULT SetLineVolume(std::int32_t ringingLine, std::int32_t volume) = 0;
    // Slot 63: the volume scale of phones of the group family.
    virtual HRESULT GetVolumeRangeOfGroupPhones(std::int32_t* start, std::int32_t* end) = 0;
    // Slot 74: with tone and volume -1 reads the line's (6..26) tone and volume into them;
    // otherwise sets them.
    virtual HRESULT ExchangeLineTone(std::int32_t line, std::int32_t* tone, std::int32_t* volume) = 0;
    // The serial port of the phone; HR_PORT_CANNOT_BE_READ when it cannot be opened.
    virtual HRESULT SetPort(const std::string& port) = 0;

    // For phones with only the standard commands (E_NOTIMPL where a service cannot tell):
    // the ringer level by the standard AT+CRSL?.
    virtual HRESULT GetRingerLevel(std::int32_t* level) { return level ? E_NOTIMPL : E_POINTER; }
    // The +CALM and +CVIB values one by one; -1 for the one the phone refuses (ERROR or +CME ERROR).
    virtual HRESULT GetRingerAndVibration(std::int32_t* calm, std::int32_t* cvib)
    {
        return calm && cvib ? E_NOTIMPL : E_POINTER;
    }
};

} // namespace corvina
