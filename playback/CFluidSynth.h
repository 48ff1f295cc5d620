// One FluidSynth synthesizer with a General MIDI SoundFont loaded, and the sound outputs it can feed.
#pragma once

#include <fluidsynth.h>

#include <cstdint>
#include <memory>
#include <string>

#include "CMidiSchedule.h"

namespace corvina {

class CSpeakerFilter;

class CFluidSynth {
public:
    // A synthesizer with the SoundFont loaded; null when either cannot be had.
    static std::shared_ptr<CFluidSynth> Create(const std::string& soundFont);
    ~CFluidSynth();
    CFluidSynth(const CFluidSynth&) = delete;
    CFluidSynth& operator=(const CFluidSynth&) = delete;

    // Opens a sound-card output that pulls from this synthesizer: the named driver, or, for an empty
    // name, the first of the usual desktop drivers that opens. Null when none opens; tried then
    // receives the names of the drivers tried ("pipewire, pulseaudio, alsa"). With a filter, the
    // driver's sound passes through it (the filter must outlive the driver).
    fluid_audio_driver_t* OpenDriver(const std::string& driver, std::string* tried = nullptr,
                                     CSpeakerFilter* filter = nullptr);
    // Silences every voice and returns all channels to their power-on state.
    void Reset();
    // Sends one event of a schedule (its system-exclusive body is read from the schedule's file).
    void Send(const SCHEDULED_EVENT& e);
    // Renders frames of interleaved 16-bit stereo.
    void Render(std::int16_t* interleaved, int frames);
    // Renders frames of interleaved floating-point stereo (full scale ±1).
    void Render(float* interleaved, int frames);
    // Cuts every sounding voice at once, as stopping a sequencer does.
    void Silence();

    int SampleRate() const { return m_sampleRate; }
    const std::string& SoundFont() const { return m_soundFont; }

private:
    CFluidSynth() = default;
    // The audio driver's callback when a filter is in the way: renders, then filters.
    static int FilteredOutput(void* data, int len, int nfx, float* fx[], int nout, float* out[]);

    fluid_settings_t* m_settings = nullptr;
    fluid_synth_t* m_synth = nullptr;
    int m_sampleRate = 44100;
    std::string m_soundFont;
    CSpeakerFilter* m_pDriverFilter = nullptr; // the filter of the driver opened last, if any
};

} // namespace corvina
