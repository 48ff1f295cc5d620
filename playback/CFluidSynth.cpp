// FluidSynth set-up for the player: quiet logging, SoundFont loading, drivers, event dispatch.
#include "CFluidSynth.h"

#include <algorithm>
#include <mutex>

#include "CSpeakerFilter.h"

namespace corvina {
namespace {

// Desktop drivers tried when none is configured. JACK is left out on purpose: opening it may start
// a sound server behind the user's back.
constexpr const char* kUsualDrivers[] = {"pipewire", "pulseaudio", "alsa"};

void DropLog(int, const char*, void*)
{
    // FluidSynth's messages (a missing sound card, an unknown driver) are expected here and are
    // not shown; the player reports failure through its return values.
}

void QuietLogging()
{
    static std::once_flag once;
    std::call_once(once, [] {
        for (int level : {FLUID_PANIC, FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG})
            fluid_set_log_function(level, DropLog, nullptr);
    });
}

} // namespace

std::shared_ptr<CFluidSynth> CFluidSynth::Create(const std::string& soundFont)
{
    QuietLogging();
    if (soundFont.empty())
        return nullptr;
    std::shared_ptr<CFluidSynth> s(new CFluidSynth);
    s->m_settings = new_fluid_settings();
    if (!s->m_settings)
        return nullptr;
    // No reverb or chorus: a phone plays ringtones dry, and stopping must leave no tail.
    fluid_settings_setint(s->m_settings, "synth.reverb.active", 0);
    fluid_settings_setint(s->m_settings, "synth.chorus.active", 0);
    double rate = 44100;
    fluid_settings_getnum(s->m_settings, "synth.sample-rate", &rate);
    s->m_sampleRate = static_cast<int>(rate);
    s->m_synth = new_fluid_synth(s->m_settings);
    if (!s->m_synth)
        return nullptr;
    if (fluid_synth_sfload(s->m_synth, soundFont.c_str(), 1) == FLUID_FAILED)
        return nullptr;
    s->m_soundFont = soundFont;
    return s;
}

CFluidSynth::~CFluidSynth()
{
    if (m_synth)
        delete_fluid_synth(m_synth);
    if (m_settings)
        delete_fluid_settings(m_settings);
}

fluid_audio_driver_t* CFluidSynth::OpenDriver(const std::string& driver, std::string* tried, CSpeakerFilter* filter)
{
    m_pDriverFilter = filter;
    auto tryDriver = [&](const char* name) -> fluid_audio_driver_t* {
        if (tried)
            *tried += (tried->empty() ? "" : ", ") + std::string(name);
        if (fluid_settings_setstr(m_settings, "audio.driver", name) != FLUID_OK)
            return nullptr;
        // The filter needs the samples before the driver sends them on: the driver then calls us
        // for each period instead of the synthesizer (FluidSynth's own path for custom processing).
        return filter ? new_fluid_audio_driver2(m_settings, FilteredOutput, this)
                      : new_fluid_audio_driver(m_settings, m_synth);
    };
    if (tried)
        tried->clear();
    if (!driver.empty())
        return tryDriver(driver.c_str());
    for (const char* name : kUsualDrivers)
        if (fluid_audio_driver_t* d = tryDriver(name))
            return d;
    return nullptr;
}

void CFluidSynth::Reset()
{
    fluid_synth_system_reset(m_synth);
}

void CFluidSynth::Send(const SCHEDULED_EVENT& e)
{
    int channel = e.Status & 0x0F;
    switch (e.Status & 0xF0) {
    case 0x80: fluid_synth_noteoff(m_synth, channel, e.Data1); break;
    case 0x90:
        if (e.Data2 == 0)
            fluid_synth_noteoff(m_synth, channel, e.Data1);
        else
            fluid_synth_noteon(m_synth, channel, e.Data1, e.Data2);
        break;
    case 0xA0: fluid_synth_key_pressure(m_synth, channel, e.Data1, e.Data2); break;
    case 0xB0: fluid_synth_cc(m_synth, channel, e.Data1, e.Data2); break;
    case 0xC0: fluid_synth_program_change(m_synth, channel, e.Data1); break;
    case 0xD0: fluid_synth_channel_pressure(m_synth, channel, e.Data1); break;
    case 0xE0: fluid_synth_pitch_bend(m_synth, channel, e.Data1 | (e.Data2 << 7)); break;
    case 0xF0:
        if (e.Status == 0xF0 && !e.Sysex.empty())
            fluid_synth_sysex(m_synth, reinterpret_cast<const char*>(e.Sysex.data()), static_cast<int>(e.Sysex.size()),
                              nullptr, nullptr, nullptr, 0);
        break;
    default: break;
    }
}

void CFluidSynth::Render(std::int16_t* interleaved, int frames)
{
    fluid_synth_write_s16(m_synth, frames, interleaved, 0, 2, interleaved, 1, 2);
}

void CFluidSynth::Render(float* interleaved, int frames)
{
    fluid_synth_write_float(m_synth, frames, interleaved, 0, 2, interleaved, 1, 2);
}

int CFluidSynth::FilteredOutput(void* data, int len, int nfx, float* fx[], int nout, float* out[])
{
    auto* self = static_cast<CFluidSynth*>(data);
    if (nout < 2)
        return FLUID_FAILED;
    // The synthesizer mixes into the buffers; whatever a driver left in them must not be heard.
    for (int i = 0; i < nout; ++i)
        std::fill_n(out[i], len, 0.0f);
    for (int i = 0; i < nfx; ++i)
        std::fill_n(fx[i], len, 0.0f);
    const int result = fluid_synth_process(self->m_synth, len, nfx, fx, nout, out);
    self->m_pDriverFilter->Process(out[0], out[1], len);
    return result;
}

void CFluidSynth::Silence()
{
    fluid_synth_all_sounds_off(m_synth, -1);
}

} // namespace corvina
