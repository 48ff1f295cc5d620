// Writer of a melody as a single-track Standard MIDI File: repeats unrolled, style applied, length bounded.
#include <algorithm>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "MelodyLibrary.h"

namespace corvina {
namespace {

constexpr std::uint8_t kVelocity = 100;
constexpr std::uint8_t kProgram = 0; // acoustic grand piano
constexpr std::uint8_t kChannelVolumeController = 7;
// Unrolling stops after this many items, so that repeats of blocks without notes stay cheap.
constexpr long kMaxUnrolledItems = 10'000'000;

int VolumeToController(int volume)
{
    return (std::clamp(volume, 0, 15) * 127 + 7) / 15;
}

std::int64_t DurationTicks(const MelodyItem& item)
{
    std::int64_t whole = 4 * kSmfDivision;
    std::int64_t base = whole >> std::clamp(item.Duration, 0, 5);
    switch (item.Dotting) {
    case eDurationSpec::Dotted: return base * 3 / 2;
    case eDurationSpec::DoubleDotted: return base * 7 / 4;
    case eDurationSpec::Triplet: return base * 2 / 3;
    case eDurationSpec::Plain: break;
    }
    return base;
}

std::int64_t SoundingTicks(std::int64_t ticks, eMelodyStyle style)
{
    switch (style) {
    case eMelodyStyle::Natural: return std::max<std::int64_t>(1, ticks * 20 / 21);
    case eMelodyStyle::Staccato: return std::max<std::int64_t>(1, ticks / 2);
    case eMelodyStyle::Continuous: break;
    }
    return ticks;
}

// Collects the track's events, each with its own status byte (no running status).
class TrackWriter {
public:
    void Event(std::int64_t tick, std::initializer_list<std::uint8_t> bytes)
    {
        WriteVarLen(static_cast<std::uint32_t>(tick - m_lastTick));
        m_lastTick = tick;
        m_data.insert(m_data.end(), bytes);
        ++m_events;
    }

    void Meta(std::int64_t tick, std::uint8_t type, const std::string& payload)
    {
        WriteVarLen(static_cast<std::uint32_t>(tick - m_lastTick));
        m_lastTick = tick;
        m_data.push_back(0xFF);
        m_data.push_back(type);
        WriteVarLen(static_cast<std::uint32_t>(payload.size()));
        m_data.insert(m_data.end(), payload.begin(), payload.end());
    }

    const std::vector<std::uint8_t>& Data() const { return m_data; }
    // Channel and tempo events written so far.
    long Events() const { return m_events; }

private:
    void WriteVarLen(std::uint32_t v)
    {
        std::uint8_t bytes[5];
        int n = 0;
        bytes[n++] = v & 0x7F;
        while (v >>= 7)
            bytes[n++] = static_cast<std::uint8_t>(0x80 | (v & 0x7F));
        while (n > 0)
            m_data.push_back(bytes[--n]);
    }

    std::vector<std::uint8_t> m_data;
    std::int64_t m_lastTick = 0;
    long m_events = 0;
};

// Walks the melody in playing order, writing notes and volume changes up to the bound.
class MelodyRenderer {
public:
    MelodyRenderer(const Melody& melody, std::int64_t boundTicks, TrackWriter& track)
        : m_melody(melody), m_bound(boundTicks), m_track(track), m_eventBound(track.Events() + kMaxSmfEvents - 1),
          m_volume(std::clamp(melody.Volume, 0, 15)), m_writtenVolume(VolumeToController(m_volume))
    {
    }

    void Run()
    {
        const auto& items = m_melody.Items;
        std::size_t i = 0;
        while (i < items.size() && !Done()) {
            if (items[i].Kind != eMelodyItemKind::RepeatBegin) {
                Play(items[i++]);
                continue;
            }
            std::size_t first = i + 1, end = first;
            while (end < items.size() && items[end].Kind != eMelodyItemKind::RepeatEnd)
                ++end;
            const MelodyItem* close = end < items.size() ? &items[end] : nullptr;
            int plays = close ? (close->Count == 0 ? kForeverRepeatPlays : close->Count) : 1;
            for (int pass = 0; pass < plays && !Done(); ++pass) {
                if (pass > 0 && close)
                    SetVolume(m_volume + close->Step);
                for (std::size_t k = first; k < end && !Done(); ++k)
                    Play(items[k]);
            }
            i = end + 1;
        }
        m_end = std::min(m_now, m_bound);
    }

    std::int64_t EndTick() const { return m_end; }
    int Notes() const { return m_notes; }

private:
    // An item writes at most two events (a note's on and off), so a file never passes the event bound.
    bool Done() const
    {
        return m_now >= m_bound || m_unrolled >= kMaxUnrolledItems || m_track.Events() >= m_eventBound;
    }

    void SetVolume(int volume)
    {
        m_volume = std::clamp(volume, 0, 15);
        int controller = VolumeToController(m_volume);
        if (controller == m_writtenVolume)
            return;
        m_track.Event(m_now, {0xB0, kChannelVolumeController, static_cast<std::uint8_t>(controller)});
        m_writtenVolume = controller;
    }

    void Play(const MelodyItem& item)
    {
        ++m_unrolled;
        switch (item.Kind) {
        case eMelodyItemKind::Note: {
            std::int64_t length = DurationTicks(item);
            std::int64_t off = std::min(m_now + SoundingTicks(length, m_melody.Style), m_bound);
            auto key = static_cast<std::uint8_t>(item.Key & 0x7F);
            m_track.Event(m_now, {0x90, key, kVelocity});
            m_track.Event(off, {0x80, key, 0});
            ++m_notes;
            m_now += length;
            break;
        }
        case eMelodyItemKind::Rest: m_now += DurationTicks(item); break;
        case eMelodyItemKind::Volume: SetVolume(item.Value >= 0 ? item.Value : m_volume + item.Step); break;
        default: break; // lights and vibration make no sound
        }
    }

    const Melody& m_melody;
    std::int64_t m_bound;
    TrackWriter& m_track;
    long m_eventBound;
    int m_volume;
    int m_writtenVolume;
    std::int64_t m_now = 0;
    std::int64_t m_end = 0;
    long m_unrolled = 0;
    int m_notes = 0;
};

void Put32(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<std::uint8_t>(v >> shift));
}

} // namespace

int ExportSMF(const Melody& melody, std::ostream& out, std::int32_t maxLength)
{
    int beat = std::clamp(melody.Beat, 25, 900);
    std::int64_t boundMs = std::clamp<std::int64_t>(maxLength, 0, kLongestSmfMs);
    std::int64_t boundTicks = boundMs * beat * kSmfDivision / 60000;
    std::uint32_t tempo = static_cast<std::uint32_t>((60'000'000 + beat / 2) / beat);

    TrackWriter track;
    if (!melody.Name.empty())
        track.Meta(0, 0x03, melody.Name);
    track.Event(0, {0xFF, 0x51, 0x03, static_cast<std::uint8_t>(tempo >> 16), static_cast<std::uint8_t>(tempo >> 8),
                    static_cast<std::uint8_t>(tempo)});
    track.Event(0, {0xC0, kProgram});
    track.Event(0, {0xB0, kChannelVolumeController, static_cast<std::uint8_t>(VolumeToController(melody.Volume))});
    MelodyRenderer renderer(melody, boundTicks, track);
    renderer.Run();
    track.Event(renderer.EndTick(), {0xFF, 0x2F, 0x00});

    std::vector<std::uint8_t> file = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1};
    file.push_back(kSmfDivision >> 8);
    file.push_back(kSmfDivision & 0xFF);
    file.insert(file.end(), {'M', 'T', 'r', 'k'});
    Put32(file, static_cast<std::uint32_t>(track.Data().size()));
    file.insert(file.end(), track.Data().begin(), track.Data().end());

    out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
    if (!out)
        throw std::ios_base::failure("the MIDI file cannot be written");
    return renderer.Notes();
}

} // namespace corvina
