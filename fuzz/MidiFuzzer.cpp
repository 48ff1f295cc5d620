// Fuzz target for the MIDI engine: any bytes are loaded as a MIDI file, split into per-channel files
// and cut into clips, as the clip editor does with a file the user opens.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "CMidiEventCursor.h"
#include "CMidiFile.h"
#include "MidiReaderState.h"
#include "ScratchFolder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // Memory-backed when possible: every input makes several small files.
    static const corvina::test::ScratchFolder scratch("midi-fuzz", corvina::test::FastTemporaryFolder());
    [[maybe_unused]] static const bool engineUsesIt = [] {
        corvina::CMidiFile::SetDefaultTempFolder(scratch.Path());
        // Nothing should fail to delete here; if it does, do not stall the fuzzer for 5 s.
        corvina::CMidiFile::SetRetryWait([](int) {});
        return true;
    }();
    // Each input starts from the state of a fresh program, so that a crash can be replayed alone.
    corvina::ResetMidiReaderState();

    const std::filesystem::path input =
        scratch.Write("input.mid", std::string(reinterpret_cast<const char*>(data), size));
    corvina::CMidiFile midi;
    if (midi.Load(input.string()) != corvina::kMidiLoadOk)
        return 0;
    // Tracks keep no record per event: every walk must read again exactly the events the load read.
    for (int t = 0; t < midi.GetTrackCount(); ++t) {
        const corvina::CMidiTrack& track = *midi.GetTrack(t);
        const corvina::CMidiEventList events = track.GetEvents();
        corvina::CMidiEventCursor cursor = events.Walk();
        corvina::CMidiEvent event(&midi.GetBuffer());
        std::size_t count = 0;
        std::size_t noteOns[16] = {};
        std::int64_t next = -1;
        while (cursor.Next(event)) {
            ++count;
            if (next >= 0 && event.GetStartOffset() != next)
                std::abort();
            next = event.GetEndOffset();
            if (event.HasStatus() && event.IsNoteOn()) {
                const std::vector<std::uint32_t>& times = *track.GetNoteOnTimes(event.GetChannel());
                const std::size_t i = noteOns[event.GetChannel()]++;
                if (i >= times.size() || times[i] != event.GetTime())
                    std::abort();
            }
        }
        if (count != events.size() || !event.IsEndOfTrack() ||
            track.GetLengthMs() != static_cast<int>((static_cast<std::uint64_t>(event.GetTime()) + 500) / 1000))
            std::abort();
        for (int c = 0; c < 16; ++c)
            if (noteOns[c] != track.GetNoteOnTimes(c)->size())
                std::abort();
    }
    midi.WriteChannelFiles();

    // Clip bounds come from the input's last bytes, so the fuzzer can steer them too.
    const auto word = [&](std::size_t from) {
        std::uint32_t value = 0;
        for (std::size_t i = 0; i < 4 && from + i < size; ++i)
            value = (value << 8) | data[from + i];
        return value;
    };
    const std::uint32_t start = size >= 8 ? word(size - 8) % 8000000u : 0;
    const std::uint32_t end = size >= 4 ? word(size - 4) : 4000000u;
    midi.WriteClip(start, end);
    midi.SaveClipAs((scratch.Path() / "saved.mid").string());
    if (midi.GetCombinationCount() > 0) {
        int track = -1, channel = -1;
        midi.GetCombination(0, track, channel);
        midi.GetCombinationTrack(0)->WriteTrackClip(channel, start, end);
    }
    // Touch the results the editor shows.
    volatile std::size_t sink = midi.GetAllNoteOnTimes().size() + static_cast<std::size_t>(midi.GetLengthMs());
    (void)sink;
    return 0;
}
