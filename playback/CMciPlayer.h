// Plays one MIDI file on the PC, whole or a range in milliseconds, and answers status queries.
// Opening the file is parsing it; the sound comes from a FluidSynth synthesizer fed by a worker thread.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

namespace corvina {

class CMidiSchedule;

class CFluidSynth;

// Status items, with the numbers of the sequencer interface the player stands in for.
constexpr std::uint32_t MCI_STATUS_LENGTH = 0x00000001;
constexpr std::uint32_t MCI_STATUS_POSITION = 0x00000002;
constexpr std::uint32_t MCI_STATUS_NUMBER_OF_TRACKS = 0x00000003;
constexpr std::uint32_t MCI_STATUS_MODE = 0x00000004;
constexpr std::uint32_t MCI_STATUS_TIME_FORMAT = 0x00000006;
constexpr std::uint32_t MCI_STATUS_READY = 0x00000007;
constexpr std::uint32_t MCI_STATUS_CURRENT_TRACK = 0x00000008;
// Answers to MCI_STATUS_MODE and MCI_STATUS_TIME_FORMAT.
constexpr std::uint32_t MCI_MODE_STOP = 525;
constexpr std::uint32_t MCI_MODE_PLAY = 526;
constexpr std::uint32_t MCI_FORMAT_MILLISECONDS = 0;

// Why a Play did not start.
enum class EPlayFailure {
    None,
    NoFile,          // no file, a file that cannot be read, or nothing to play in the range
    NoSoundFont,     // no General MIDI SoundFont could be loaded
    NoAudioOutput,   // no audio driver opened (no sound card, no sound server)
    AudioFileFailed, // file mode: the WAV file cannot be written, or would be too long
};

class CMciPlayer {
public:
    // Called once when a play reaches its end by itself (not after Stop or Close). It runs on the
    // player's worker thread: it must only queue work for the owner's thread (e.g. wxQueueEvent),
    // never call back into the player or touch windows.
    using NotifyCallback = std::function<void()>;

    CMciPlayer();
    virtual ~CMciPlayer();
    CMciPlayer(const CMciPlayer&) = delete;
    CMciPlayer& operator=(const CMciPlayer&) = delete;

    // Sets whom the end of play is told.
    void SetNotify(NotifyCallback notify) { m_notify = std::move(notify); }
    // Takes the file to play and sets from and to to 0.
    void SetFile(const std::string& path);
    // Opens the file and starts playing it (whole, or from..to); true when it plays. Returns at once.
    bool Play();
    // Stops playing and closes the device.
    void Stop();
    // Closes the device (waiting for the worker to finish); the device id becomes 0.
    void Close();
    // The value of a status item (milliseconds for length and position); 0 with no device open.
    std::uint32_t Status(std::uint32_t item) const;
    // Length of the file in milliseconds, opening it for the query when no device is open; 0 on failure.
    std::int32_t GetLength();
    // Why the last Play returned false (None after one that started).
    EPlayFailure GetLastFailure() const { return m_eLastFailure; }
    // With NoAudioOutput: the drivers tried, as "pipewire, pulseaudio, alsa"; with AudioFileFailed:
    // the WAV file.
    const std::string& GetFailureDetail() const { return m_strFailureDetail; }

    // PC sound (the default: every note, full range) or the sound of a phone: at most voices notes at
    // once (0: no limit), chosen as the fit chooses them, and the speaker's band from lowHz to highHz.
    // Takes effect at the next Play.
    void SetPhoneSound(bool phone, int voices = 0, int lowHz = 800, int highHz = 5000);
    bool IsPhoneSound() const { return m_bPhoneSound; }
    // Renders into this WAV file whatever the registry says (empty: the configured output).
    void SetOutputFile(const std::filesystem::path& wav) { m_outputFile = wav; }

    // Range and mode: play whole (the default) or from..to in milliseconds.
    void SetPlayWhole(bool whole) { m_bPlayWhole = whole ? 1 : 0; }
    bool IsPlayWhole() const { return m_bPlayWhole != 0; }
    void SetFrom(std::int32_t from) { m_nFrom = from; }
    void SetTo(std::int32_t to) { m_nTo = to; }
    std::int32_t GetFrom() const { return m_nFrom; }
    std::int32_t GetTo() const { return m_nTo; }
    const std::string& GetFile() const { return m_strFilePath; }
    // Nonzero while a device is open.
    std::uint32_t GetDeviceID() const { return m_wDeviceID; }

protected:
    NotifyCallback m_notify;        // receives the end of play; empty until set
    std::uint32_t m_wDeviceID = 0;  // 0 when no device is open
    std::string m_strFilePath;      // empty at construction
    std::int32_t m_nFrom = -1;      // start of the range in milliseconds
    std::int32_t m_nTo = -1;        // end of the range in milliseconds
    std::uint32_t m_bPlayWhole = 1; // 1: the whole file; 0: from..to

private:
    struct Device;
    bool Open();
    bool StartOutput();
    // The events the worker plays: the file's, or in phone sound with a voice limit, the fitted copy's.
    std::shared_ptr<const CMidiSchedule> PlayedSchedule();

    std::shared_ptr<Device> m_device;
    std::shared_ptr<const CMidiSchedule> m_pSchedule; // the file's last reading (released with another file)
    std::shared_ptr<CFluidSynth> m_synth;             // kept between plays: loading a SoundFont takes a while
    bool m_bPhoneSound = false;
    int m_nPhoneVoices = 0;
    int m_nSpeakerLowHz = 800;
    int m_nSpeakerHighHz = 5000;
    // The file fitted to the phone's voices, kept while the file and the voices stay the same.
    std::shared_ptr<const CMidiSchedule> m_pFitted;
    std::shared_ptr<const CMidiSchedule> m_pFittedFrom;
    int m_nFittedVoices = 0;
    std::filesystem::path m_outputFile;
    EPlayFailure m_eLastFailure = EPlayFailure::None;
    std::string m_strFailureDetail;
};

} // namespace corvina
