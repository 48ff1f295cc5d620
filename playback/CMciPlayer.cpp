// The PC player: a parsed file is a device; a worker thread sends its events to FluidSynth, either in
// real time with a sound card driver running, or by rendering into a WAV file.
#include "CMciPlayer.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "CFluidSynth.h"
#include "CMidiSchedule.h"
#include "CSpeakerFilter.h"
#include "CWavWriter.h"
#include "ClipFit.h"
#include "PlayerOutput.h"

namespace corvina {
namespace {

using Clock = std::chrono::steady_clock;

// Silence rendered after the end in file mode, so the file shows that the sound stopped.
constexpr std::int64_t kFileTailUs = 300'000;
constexpr int kRenderBlockFrames = 512;

std::atomic<std::uint32_t> g_nextDeviceId{1};

// Frames of sound for a span of microseconds; wide arithmetic, since a span may be weeks long.
std::int64_t FramesFor(std::int64_t us, int sampleRate)
{
    return static_cast<std::int64_t>(static_cast<__int128>(us) * sampleRate / 1'000'000);
}

bool IsNote(const SCHEDULED_EVENT& e)
{
    std::uint8_t kind = e.Status & 0xF0;
    return kind == 0x80 || kind == 0x90 || kind == 0xA0;
}

} // namespace

struct CMciPlayer::Device {
    std::shared_ptr<const CMidiSchedule> Schedule;
    std::shared_ptr<const CMidiSchedule> Played; // what the worker sends: Schedule, or its fitted copy
    std::shared_ptr<CFluidSynth> Synth;
    std::unique_ptr<CSpeakerFilter> Filter; // phone sound only
    // Declared after Synth and Filter so that the driver stops pulling sound before they go.
    std::unique_ptr<fluid_audio_driver_t, void (*)(fluid_audio_driver_t*)> Driver{nullptr, delete_fluid_audio_driver};
    CWavWriter Wav;
    bool FileMode = false;
    bool RealTime = false;
    std::int64_t FromUs = 0;
    std::int64_t ToUs = 0;
    std::int64_t RenderedFrames = 0;
    Clock::time_point Start;

    std::atomic<bool> StopRequested{false};
    std::atomic<bool> Playing{false};
    std::atomic<std::int64_t> PositionUs{0};
    std::mutex Lock;
    std::condition_variable Wake;
    std::thread Worker;

    ~Device()
    {
        if (Worker.joinable())
            Worker.join();
    }

    // Waits (live) or renders (file) until the time line reaches us; false when stopped meanwhile.
    bool AdvanceTo(std::int64_t us)
    {
        if (!FileMode) {
            std::unique_lock<std::mutex> lock(Lock);
            Wake.wait_until(lock, Start + std::chrono::microseconds(us - FromUs), [&] { return StopRequested.load(); });
            return !StopRequested;
        }
        std::int64_t target = FramesFor(us - FromUs, Synth->SampleRate());
        std::vector<std::int16_t> buffer(2 * kRenderBlockFrames);
        std::vector<float> samples(Filter ? 2 * kRenderBlockFrames : 0);
        while (RenderedFrames < target) {
            if (StopRequested)
                return false;
            int frames = static_cast<int>(std::min<std::int64_t>(kRenderBlockFrames, target - RenderedFrames));
            if (Filter) {
                // Filtered in floating point, so that the speaker's cut does not cost the quiet parts bits.
                Synth->Render(samples.data(), frames);
                Filter->Process(samples.data(), frames);
                for (int i = 0; i < 2 * frames; ++i)
                    buffer[static_cast<std::size_t>(i)] = static_cast<std::int16_t>(
                        std::lround(std::clamp(samples[static_cast<std::size_t>(i)], -1.0f, 1.0f) * 32767.0f));
            } else {
                Synth->Render(buffer.data(), frames);
            }
            if (!Wav.Write(buffer.data(), static_cast<std::size_t>(frames)))
                return false;
            RenderedFrames += frames;
            std::int64_t renderedUs = RenderedFrames * 1'000'000 / Synth->SampleRate();
            PositionUs = FromUs + renderedUs;
            if (RealTime) {
                std::unique_lock<std::mutex> lock(Lock);
                Wake.wait_until(lock, Start + std::chrono::microseconds(renderedUs),
                                [&] { return StopRequested.load(); });
            }
        }
        return !StopRequested;
    }

    // The worker: the state of the channels at the start of the range, the events of the range, the cut.
    void Run(const NotifyCallback& notify)
    {
        // The events are decoded from the file as the time line reaches them.
        CMidiSchedule::CCursor cursor = Played->Begin();
        SCHEDULED_EVENT e;
        bool have = cursor.Next(e);
        // Programs, controllers and bends set before the range still apply; notes before it do not sound.
        for (; have && e.TimeUs < FromUs; have = cursor.Next(e))
            if (!IsNote(e))
                Synth->Send(e);
        bool completed = true;
        for (; have && e.TimeUs < ToUs; have = cursor.Next(e)) {
            if (!AdvanceTo(e.TimeUs)) {
                completed = false;
                break;
            }
            Synth->Send(e);
        }
        completed = completed && AdvanceTo(ToUs);
        Synth->Silence();
        if (completed) {
            PositionUs = ToUs;
            if (FileMode) {
                // The tail belongs to the file, not to the time line of the melody.
                std::int64_t end = ToUs + kFileTailUs;
                bool wasRealTime = RealTime;
                RealTime = false;
                AdvanceTo(end);
                RealTime = wasRealTime;
                PositionUs = ToUs;
            }
        }
        if (FileMode)
            Wav.Close();
        Playing = false;
        // A play that ends by itself, at its end or because the output failed, tells its owner;
        // only Stop ends one quietly.
        if (!StopRequested && notify)
            notify();
    }
};

CMciPlayer::CMciPlayer() = default;

CMciPlayer::~CMciPlayer()
{
    Close();
}

void CMciPlayer::SetFile(const std::string& path)
{
    if (path != m_strFilePath) {
        m_pSchedule.reset();
        m_pFitted.reset();
        m_pFittedFrom.reset();
    }
    m_strFilePath = path;
    m_nFrom = 0;
    m_nTo = 0;
}

bool CMciPlayer::Open()
{
    if (m_strFilePath.empty())
        return false;
    // Kept after the device closes, so that the play after a length query does not read the file again.
    m_pSchedule = CMidiSchedule::LoadShared(m_strFilePath);
    if (!m_pSchedule)
        return false;
    m_device = std::make_shared<Device>();
    m_device->Schedule = m_pSchedule;
    std::uint32_t id = g_nextDeviceId++;
    m_wDeviceID = id != 0 ? id : g_nextDeviceId++;
    return true;
}

bool CMciPlayer::Play()
{
    m_eLastFailure = EPlayFailure::NoFile;
    m_strFailureDetail.clear();
    if (m_strFilePath.empty())
        return false;
    if (m_device)
        Close();
    if (!Open())
        return false;

    Device& d = *m_device;
    d.Played = PlayedSchedule();
    if (!d.Played) {
        Close();
        return false;
    }
    if (m_bPlayWhole == 0) {
        std::int32_t from = m_nFrom < 1 ? 0 : m_nFrom;
        std::int32_t to = std::min(m_nTo, GetLength());
        if (from >= to) {
            Close();
            return false;
        }
        d.FromUs = std::int64_t{from} * 1000;
        d.ToUs = std::int64_t{to} * 1000;
    } else {
        d.FromUs = 0;
        d.ToUs = d.Schedule->LengthUs();
    }
    if (!StartOutput()) {
        Close();
        return false;
    }
    // A WAV file holds about six and a half hours; a longer rendering is refused rather than cut.
    if (d.FileMode && FramesFor(d.ToUs - d.FromUs + kFileTailUs, m_synth->SampleRate()) > CWavWriter::kMaxFrames) {
        m_eLastFailure = EPlayFailure::AudioFileFailed;
        Close();
        return false;
    }
    m_eLastFailure = EPlayFailure::None;
    d.PositionUs = d.FromUs;
    d.Playing = true;
    d.Start = Clock::now();
    Device* raw = m_device.get();
    d.Worker = std::thread([keep = m_device, raw, notify = m_notify] { raw->Run(notify); });
    return true;
}

void CMciPlayer::SetPhoneSound(bool phone, int voices, int lowHz, int highHz)
{
    m_bPhoneSound = phone;
    m_nPhoneVoices = std::max(voices, 0);
    m_nSpeakerLowHz = lowHz;
    m_nSpeakerHighHz = highHz;
}

std::shared_ptr<const CMidiSchedule> CMciPlayer::PlayedSchedule()
{
    if (!m_bPhoneSound || m_nPhoneVoices == 0)
        return m_pSchedule;
    if (m_pFitted && m_pFittedFrom == m_pSchedule && m_nFittedVoices == m_nPhoneVoices)
        return m_pFitted;
    // The fit keeps the file's ticks and tempo map, so the copy has the file's length and times.
    SClipFitOptions options;
    options.nVoices = m_nPhoneVoices;
    SClipFitResult fitted = FitClip(m_pSchedule->Bytes(), options);
    auto schedule = std::make_shared<CMidiSchedule>();
    if (!fitted.Ok() || !schedule->Parse(std::move(fitted.bytes)))
        return nullptr;
    m_pFitted = std::move(schedule);
    m_pFittedFrom = m_pSchedule;
    m_nFittedVoices = m_nPhoneVoices;
    return m_pFitted;
}

bool CMciPlayer::StartOutput()
{
    PLAYER_OUTPUT output = ReadPlayerOutput();
    if (!m_outputFile.empty()) {
        output.AudioDriver = kFileAudioDriver;
        output.AudioFile = m_outputFile;
        output.RealTime = false;
    }
    if (!m_synth || m_synth->SoundFont() != output.SoundFont) {
        m_synth.reset();
        m_synth = CFluidSynth::Create(output.SoundFont);
        if (!m_synth) {
            m_eLastFailure = EPlayFailure::NoSoundFont;
            return false;
        }
    }
    m_synth->Reset();
    Device& d = *m_device;
    d.Synth = m_synth;
    if (m_bPhoneSound)
        d.Filter = std::make_unique<CSpeakerFilter>(m_nSpeakerLowHz, m_nSpeakerHighHz, m_synth->SampleRate());
    d.FileMode = output.AudioDriver == kFileAudioDriver;
    d.RealTime = output.RealTime;
    if (d.FileMode) {
        m_eLastFailure = EPlayFailure::AudioFileFailed;
        m_strFailureDetail = output.AudioFile.string();
        return d.Wav.Open(output.AudioFile, m_synth->SampleRate());
    }
    m_eLastFailure = EPlayFailure::NoAudioOutput;
    d.Driver.reset(m_synth->OpenDriver(output.AudioDriver, &m_strFailureDetail, d.Filter.get()));
    return d.Driver != nullptr;
}

void CMciPlayer::Stop()
{
    if (m_device)
        Close();
}

void CMciPlayer::Close()
{
    std::shared_ptr<Device> device = std::move(m_device);
    m_wDeviceID = 0;
    if (!device)
        return;
    {
        std::lock_guard<std::mutex> lock(device->Lock);
        device->StopRequested = true;
    }
    device->Wake.notify_all();
    if (device->Worker.joinable()) {
        if (device->Worker.get_id() == std::this_thread::get_id()) {
            // Closed from the end-of-play callback itself: the worker ends on its own and keeps the
            // device (and this synthesizer) alive until then, so the next play takes a fresh one.
            device->Worker.detach();
            m_synth.reset();
        } else {
            device->Worker.join();
        }
    }
}

std::uint32_t CMciPlayer::Status(std::uint32_t item) const
{
    if (!m_device)
        return 0;
    const Device& d = *m_device;
    switch (item) {
    case MCI_STATUS_LENGTH: return static_cast<std::uint32_t>(d.Schedule->LengthMs());
    case MCI_STATUS_POSITION: {
        std::int64_t us = d.PositionUs;
        if (d.Playing && !d.FileMode) {
            auto elapsed = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - d.Start).count();
            us = std::min(d.FromUs + elapsed, d.ToUs);
        }
        return static_cast<std::uint32_t>((us + 500) / 1000);
    }
    case MCI_STATUS_NUMBER_OF_TRACKS: return static_cast<std::uint32_t>(d.Schedule->Tracks());
    case MCI_STATUS_CURRENT_TRACK: return 1;
    case MCI_STATUS_MODE: return d.Playing ? MCI_MODE_PLAY : MCI_MODE_STOP;
    case MCI_STATUS_TIME_FORMAT: return MCI_FORMAT_MILLISECONDS;
    case MCI_STATUS_READY: return 1;
    default: return 0;
    }
}

std::int32_t CMciPlayer::GetLength()
{
    if (m_device)
        return static_cast<std::int32_t>(Status(MCI_STATUS_LENGTH));
    if (!Open())
        return 0;
    std::int32_t length = static_cast<std::int32_t>(Status(MCI_STATUS_LENGTH));
    Close();
    return length;
}

} // namespace corvina
