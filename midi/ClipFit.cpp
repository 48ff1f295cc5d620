// Reads a clip file into one time line of ticks, decides which notes keep a voice and which fit in the
// byte limit, and writes the copy as a single track with running status.
#include "ClipFit.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <set>

#include "Voices.h"

namespace corvina {
namespace {

enum class EKind : std::uint8_t { Channel, Meta, Sysex };

// One event of the merged time line. Meta and system-exclusive events are copied as they stand in the
// file, from their status byte on.
struct SEvent {
    std::uint64_t tick = 0;
    std::uint32_t offset = 0; // meta / system exclusive: where their bytes start in the file
    std::uint32_t length = 0; // and how many there are
    std::uint8_t status = 0;
    std::uint8_t data1 = 0;
    std::uint8_t data2 = 0;
    EKind kind = EKind::Channel;
    std::uint16_t track = 0;
};

struct SNote {
    std::uint64_t startTick = 0;
    std::uint64_t endTick = 0;
    std::size_t onEvent = 0; // its note-on in the time line
    std::uint8_t channel = 0;
    std::uint8_t key = 0;
    std::uint8_t velocity = 0;
    std::uint16_t track = 0;
};

struct SClip {
    std::uint16_t division = 0;
    std::vector<SEvent> events;    // all tracks: by tick, then track, then order in the track
    std::vector<SNote> notes;      // by start, then key
    std::uint64_t lastTick = 0;    // of the last event of any kind, End of Track included
    std::vector<int> channelOrder; // from an SP-MIDI priority message, most important first
    std::vector<std::pair<std::uint64_t, std::uint32_t>> tempos; // (tick, microseconds per quarter)
};

std::uint32_t BigEndian(std::span<const std::uint8_t> f, std::size_t pos, int n)
{
    std::uint32_t value = 0;
    for (int i = 0; i < n; ++i)
        value = (value << 8) | f[pos + static_cast<std::size_t>(i)];
    return value;
}

bool ReadVar(std::span<const std::uint8_t> f, std::size_t& pos, std::size_t end, std::uint32_t& value)
{
    value = 0;
    for (int i = 0; i < 4 && pos < end; ++i) {
        const std::uint8_t b = f[pos++];
        value = (value << 7) | (b & 0x7Fu);
        if ((b & 0x80) == 0)
            return true;
    }
    return false;
}

// Reads one track chunk's events. Like the player, it keeps what it read of a damaged track: an event
// that cannot be read ends the track there.
void ReadTrack(std::span<const std::uint8_t> f, std::size_t pos, std::size_t end, std::uint16_t track, SClip& clip)
{
    std::uint64_t tick = 0;
    std::uint8_t running = 0;
    while (pos < end) {
        std::uint32_t delta = 0;
        if (!ReadVar(f, pos, end, delta) || pos >= end)
            return;
        tick += delta;
        SEvent e;
        e.tick = tick;
        e.track = track;
        const std::uint8_t status = f[pos];
        if (status == 0xFF || status == 0xF0 || status == 0xF7) {
            std::size_t p = pos + (status == 0xFF ? 2 : 1);
            std::uint32_t length = 0;
            if (p > end || !ReadVar(f, p, end, length) || length > end - p)
                return;
            e.kind = status == 0xFF ? EKind::Meta : EKind::Sysex;
            e.status = status;
            e.data1 = status == 0xFF ? f[pos + 1] : 0;
            e.offset = static_cast<std::uint32_t>(pos);
            e.length = static_cast<std::uint32_t>(p + length - pos);
            pos = p + length;
            clip.lastTick = std::max(clip.lastTick, tick);
            if (status == 0xFF && e.data1 == 0x2F)
                return; // the copy writes its own End of Track
            if (status == 0xFF && e.data1 == 0x51 && length == 3)
                clip.tempos.emplace_back(tick, BigEndian(f, p, 3));
            clip.events.push_back(e);
            continue;
        }
        if (status > 0xF0)
            return; // real-time and common messages do not belong in a file
        if (status & 0x80) {
            running = status;
            ++pos;
        } else if (running == 0) {
            return;
        }
        const std::size_t n = (running & 0xE0) == 0xC0 ? 1 : 2;
        if (end - pos < n || f[pos] >= 0x80 || (n == 2 && f[pos + 1] >= 0x80))
            return;
        e.status = running;
        e.data1 = f[pos];
        e.data2 = n == 2 ? f[pos + 1] : 0;
        pos += n;
        clip.lastTick = std::max(clip.lastTick, tick);
        clip.events.push_back(e);
    }
}

// The channel order of the first SP-MIDI priority message (F0 7F dd 0B 01 {channel, voices}... F7).
std::vector<int> PriorityChannels(std::span<const std::uint8_t> f, const SClip& clip)
{
    for (const SEvent& e : clip.events) {
        if (e.kind != EKind::Sysex || e.status != 0xF0)
            continue;
        std::size_t p = e.offset + 1;
        std::uint32_t length = 0;
        const std::size_t end = e.offset + e.length;
        if (!ReadVar(f, p, end, length) || length < 4 || f[p] != 0x7F || f[p + 2] != 0x0B || f[p + 3] != 0x01)
            continue;
        std::vector<int> order;
        for (p += 4; p + 1 < end && f[p] < 16; p += 2)
            if (std::find(order.begin(), order.end(), f[p]) == order.end())
                order.push_back(f[p]);
        return order;
    }
    return {};
}

std::string ReadClip(std::span<const std::uint8_t> f, SClip& clip)
{
    if (f.size() < 14 || !std::equal(f.begin(), f.begin() + 4, "MThd"))
        return "not a Standard MIDI File (no MThd header)";
    const std::uint32_t headerLength = BigEndian(f, 4, 4);
    if (headerLength < 6 || headerLength > f.size() - 8)
        return "the MIDI header is damaged";
    if (BigEndian(f, 8, 2) > 1)
        return "a format 2 file (independent sequences) is not a clip";
    clip.division = static_cast<std::uint16_t>(BigEndian(f, 12, 2));
    if (clip.division == 0)
        return "the MIDI header gives a division of 0";
    std::size_t pos = 8 + headerLength;
    std::uint16_t tracks = 0;
    while (pos + 8 <= f.size() && tracks < std::numeric_limits<std::uint16_t>::max()) {
        const std::size_t begin = pos + 8;
        const std::size_t end = begin + std::min<std::size_t>(BigEndian(f, pos + 4, 4), f.size() - begin);
        if (std::equal(f.begin() + static_cast<std::ptrdiff_t>(pos), f.begin() + static_cast<std::ptrdiff_t>(pos) + 4,
                       "MTrk"))
            ReadTrack(f, begin, end, tracks++, clip);
        pos = end;
    }
    if (tracks == 0)
        return "the file has no track";
    std::stable_sort(clip.events.begin(), clip.events.end(),
                     [](const SEvent& a, const SEvent& b) { return a.tick < b.tick; });
    std::stable_sort(clip.tempos.begin(), clip.tempos.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });

    // The notes of the merged time line, by the engine's rule (docs/voices.md).
    std::array<std::array<std::int32_t, 128>, 16> sounding;
    for (auto& keys : sounding)
        keys.fill(-1);
    for (std::size_t i = 0; i < clip.events.size(); ++i) {
        const SEvent& e = clip.events[i];
        const std::uint8_t kind = e.status & 0xF0;
        if (e.kind != EKind::Channel || (kind != 0x80 && kind != 0x90))
            continue;
        std::int32_t& open = sounding[e.status & 0x0F][e.data1];
        if (open >= 0)
            clip.notes[static_cast<std::size_t>(open)].endTick = e.tick;
        open = -1;
        if (kind == 0x90 && e.data2 > 0) {
            open = static_cast<std::int32_t>(clip.notes.size());
            clip.notes.push_back(
                {e.tick, e.tick, i, static_cast<std::uint8_t>(e.status & 0x0F), e.data1, e.data2, e.track});
        }
    }
    for (const auto& keys : sounding)
        for (const std::int32_t open : keys)
            if (open >= 0)
                clip.notes[static_cast<std::size_t>(open)].endTick = clip.lastTick;
    std::stable_sort(clip.notes.begin(), clip.notes.end(), [](const SNote& a, const SNote& b) {
        return a.startTick != b.startTick ? a.startTick < b.startTick : a.key < b.key;
    });
    clip.channelOrder = PriorityChannels(f, clip);
    return {};
}

// Microseconds of a tick along the clip's tempo map (SMPTE divisions at their frame rate).
class CTimeLine {
public:
    explicit CTimeLine(const SClip& clip) : m_clip(clip)
    {
        double us = 0;
        std::uint64_t tick = 0;
        std::uint32_t tempo = 500000;
        for (const auto& [at, value] : clip.tempos) {
            us += Span(at - tick, tempo);
            tick = at;
            tempo = value;
            m_anchors.push_back({tick, us, tempo});
        }
    }
    std::uint32_t Us(std::uint64_t tick) const
    {
        Anchor anchor{0, 0, 500000};
        const auto after = std::upper_bound(m_anchors.begin(), m_anchors.end(), tick,
                                            [](std::uint64_t t, const Anchor& a) { return t < a.tick; });
        if (after != m_anchors.begin())
            anchor = *(after - 1);
        const double us = std::round(anchor.us + Span(tick - anchor.tick, anchor.tempo));
        return us >= 4294967295.0 ? std::numeric_limits<std::uint32_t>::max() : static_cast<std::uint32_t>(us);
    }

private:
    struct Anchor {
        std::uint64_t tick;
        double us;
        std::uint32_t tempo;
    };
    double Span(std::uint64_t ticks, std::uint32_t tempo) const
    {
        if (m_clip.division & 0x8000) {
            const int frames = -static_cast<std::int8_t>(m_clip.division >> 8);
            const double fps = frames == 29 ? 29.97 : frames;
            return static_cast<double>(ticks) * 1e6 / (fps * (m_clip.division & 0xFF));
        }
        return static_cast<double>(ticks) * tempo / m_clip.division;
    }
    const SClip& m_clip;
    std::vector<Anchor> m_anchors;
};

void PutVar(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    std::uint8_t bytes[4];
    int n = 0;
    do {
        bytes[n++] = static_cast<std::uint8_t>(value & 0x7F);
        value >>= 7;
    } while (value != 0);
    while (n > 1)
        out.push_back(static_cast<std::uint8_t>(bytes[--n] | 0x80));
    out.push_back(bytes[0]);
}

// The copy with the kept notes (each ended at ends[i]); lean leaves out the meta events a phone does
// not play (all but tempo). Empty (with error set) when a delta does not fit in a file.
std::vector<std::uint8_t> WriteCopy(std::span<const std::uint8_t> f, const SClip& clip, const std::vector<char>& keep,
                                    const std::vector<std::uint64_t>& ends, bool lean, std::string& error)
{
    // What to write, in order: at each tick first the ends of the notes sounding into it, then the
    // events in time-line order, a note of no length ended right after its start.
    struct SItem {
        std::uint64_t tick;
        std::uint64_t slot;
        std::int64_t note; // >= 0: a note's on (slot odd) or off; else -1 - event index
    };
    std::vector<std::int64_t> noteOf(clip.events.size(), -1);
    for (std::size_t n = 0; n < clip.notes.size(); ++n)
        if (keep[n])
            noteOf[clip.notes[n].onEvent] = static_cast<std::int64_t>(n);
    std::vector<SItem> items;
    items.reserve(clip.events.size() + clip.notes.size());
    for (std::size_t i = 0; i < clip.events.size(); ++i) {
        const SEvent& e = clip.events[i];
        const std::uint8_t kind = e.status & 0xF0;
        const std::uint64_t slot = 1 + 2 * static_cast<std::uint64_t>(i);
        if (e.kind == EKind::Channel && (kind == 0x80 || kind == 0x90)) {
            if (const std::int64_t n = noteOf[i]; n >= 0) {
                items.push_back({e.tick, slot, n});
                const std::uint64_t end = ends[static_cast<std::size_t>(n)];
                items.push_back({end, end == e.tick ? slot + 1 : 0, n});
            }
        } else if (!(lean && e.kind == EKind::Meta && e.data1 != 0x51)) {
            items.push_back({e.tick, slot, -1 - static_cast<std::int64_t>(i)});
        }
    }
    std::sort(items.begin(), items.end(), [](const SItem& a, const SItem& b) {
        return a.tick != b.tick ? a.tick < b.tick : a.slot != b.slot ? a.slot < b.slot : a.note < b.note;
    });

    std::vector<std::uint8_t> out = {'M',
                                     'T',
                                     'h',
                                     'd',
                                     0,
                                     0,
                                     0,
                                     6,
                                     0,
                                     0,
                                     0,
                                     1,
                                     static_cast<std::uint8_t>(clip.division >> 8),
                                     static_cast<std::uint8_t>(clip.division),
                                     'M',
                                     'T',
                                     'r',
                                     'k',
                                     0,
                                     0,
                                     0,
                                     0};
    std::array<std::array<bool, 128>, 16> sounding{};
    std::uint8_t running = 0;
    std::uint64_t last = 0;
    auto delta = [&](std::uint64_t tick) {
        if (tick - last > 0x0FFFFFFF)
            return false;
        PutVar(out, static_cast<std::uint32_t>(tick - last));
        last = tick;
        return true;
    };
    auto tooLong = [&] {
        error = "a pause in the clip is too long for a MIDI file";
        return std::vector<std::uint8_t>{};
    };
    auto channelEvent = [&](std::uint8_t status, std::uint8_t d1, std::uint8_t d2, bool two) {
        if (status != running)
            out.push_back(status);
        running = status;
        out.push_back(d1);
        if (two)
            out.push_back(d2);
    };
    for (const SItem& item : items) {
        if (item.note >= 0) {
            const SNote& note = clip.notes[static_cast<std::size_t>(item.note)];
            const bool on = item.slot % 2 == 1;
            if (!delta(item.tick))
                return tooLong();
            sounding[note.channel][note.key] = on;
            channelEvent(static_cast<std::uint8_t>(0x90 | note.channel), note.key, on ? note.velocity : 0, true);
            continue;
        }
        const SEvent& e = clip.events[static_cast<std::size_t>(-1 - item.note)];
        // Key pressure on a key that no longer sounds would only cost bytes.
        if (e.kind == EKind::Channel && (e.status & 0xF0) == 0xA0 && !sounding[e.status & 0x0F][e.data1])
            continue;
        if (!delta(item.tick))
            return tooLong();
        if (e.kind == EKind::Channel) {
            channelEvent(e.status, e.data1, e.data2, (e.status & 0xE0) != 0xC0);
        } else {
            out.insert(out.end(), f.begin() + e.offset, f.begin() + e.offset + e.length);
            running = 0; // a reader may forget the running status after a meta or system event
        }
    }
    if (!delta(std::max(last, clip.lastTick)))
        return tooLong();
    out.insert(out.end(), {0xFF, 0x2F, 0x00});
    // The editor's reader refuses a track of 11 bytes or less (docs/midi-engine.md): so small a copy
    // states the default tempo first.
    if (out.size() - 22 <= 11)
        out.insert(out.begin() + 22, {0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20});
    const std::size_t length = out.size() - 22;
    for (int i = 0; i < 4; ++i)
        out[18 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(length >> (24 - 8 * i));
    return out;
}

} // namespace

std::vector<ENoteRole> TuneRoles(const std::vector<SMidiNote>& notes)
{
    std::vector<ENoteRole> roles(notes.size(), ENoteRole::Drum);
    std::vector<std::size_t> order(notes.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return notes[a].dwStartUs < notes[b].dwStartUs; });
    // Keys of the non-drum notes sounding at the current start, with their ends.
    std::multiset<std::pair<std::uint32_t, std::uint8_t>> byEnd;
    std::multiset<std::uint8_t> keys;
    for (std::size_t first = 0; first < order.size();) {
        const std::uint32_t now = notes[order[first]].dwStartUs;
        while (!byEnd.empty() && byEnd.begin()->first <= now) {
            keys.erase(keys.find(byEnd.begin()->second));
            byEnd.erase(byEnd.begin());
        }
        std::size_t next = first;
        std::multiset<std::uint8_t> starting; // notes starting now count even when they have no length
        for (; next < order.size() && notes[order[next]].dwStartUs == now; ++next) {
            const SMidiNote& n = notes[order[next]];
            if (n.byChannel == kDrumChannel)
                continue;
            starting.insert(n.byKey);
            if (n.dwEndUs > now) {
                byEnd.emplace(n.dwEndUs, n.byKey);
                keys.insert(n.byKey);
            }
        }
        for (std::size_t i = first; i < next; ++i) {
            const SMidiNote& n = notes[order[i]];
            if (n.byChannel == kDrumChannel)
                continue;
            const int top = std::max(keys.empty() ? 0 : int{*keys.rbegin()}, int{*starting.rbegin()});
            const int bottom = std::min(keys.empty() ? 127 : int{*keys.begin()}, int{*starting.begin()});
            roles[order[i]] = n.byKey >= top      ? ENoteRole::Melody
                              : n.byKey <= bottom ? ENoteRole::Bass
                                                  : ENoteRole::Inner;
        }
        first = next;
    }
    return roles;
}

SClipFitResult FitClip(std::span<const std::uint8_t> smf, const SClipFitOptions& options)
{
    SClipFitResult result;
    result.nBytesBefore = smf.size();
    SClip clip;
    if (std::string error = ReadClip(smf, clip); !error.empty()) {
        result.strError = std::move(error);
        return result;
    }
    result.bReadable = true;
    const CTimeLine time(clip);
    auto asNote = [&](std::size_t i, std::uint64_t endTick) {
        const SNote& n = clip.notes[i];
        return SMidiNote{time.Us(n.startTick), time.Us(endTick), n.key, n.velocity, n.channel, n.track};
    };
    std::vector<SMidiNote> notes;
    for (std::size_t i = 0; i < clip.notes.size(); ++i)
        notes.push_back(asNote(i, clip.notes[i].endTick));
    result.nVoicesBefore = PeakVoices(notes).nVoices;

    // Rank: the channel's place in the file's priority message (when it has one) first, the role second.
    const std::vector<ENoteRole> roles = options.roles ? options.roles(notes) : TuneRoles(notes);
    if (roles.size() != notes.size()) {
        result.strError = "the note roles do not match the notes";
        return result;
    }
    result.bChannelOrderFromFile = !clip.channelOrder.empty();
    std::vector<int> rank(notes.size());
    for (std::size_t i = 0; i < notes.size(); ++i) {
        const auto at = std::find(clip.channelOrder.begin(), clip.channelOrder.end(), notes[i].byChannel);
        const int channelRank = at == clip.channelOrder.end() ? 0 : static_cast<int>(clip.channelOrder.end() - at);
        rank[i] = channelRank * 4 + static_cast<int>(roles[i]);
    }

    std::vector<char> keep(notes.size(), 1);
    std::vector<std::uint64_t> ends(notes.size());
    for (std::size_t i = 0; i < notes.size(); ++i)
        ends[i] = clip.notes[i].endTick;
    std::vector<char> shortened(notes.size(), 0);
    if (options.nVoices > 0) {
        // A sweep over the starts: a note that finds every voice taken takes the one of the least
        // important note that began before it (the oldest among equals), ending that note now; when
        // every sounding note matters more, it is left out. Notes of no length take no voice.
        std::vector<std::size_t> active;
        std::vector<std::size_t> group;
        for (std::size_t first = 0; first < notes.size();) {
            const std::uint64_t now = clip.notes[first].startTick;
            std::erase_if(active, [&](std::size_t a) { return ends[a] <= now; });
            group.clear();
            for (; first < notes.size() && clip.notes[first].startTick == now; ++first)
                group.push_back(first);
            std::stable_sort(group.begin(), group.end(), [&](std::size_t a, std::size_t b) {
                return rank[a] != rank[b] ? rank[a] > rank[b] : clip.notes[a].key > clip.notes[b].key;
            });
            for (const std::size_t s : group) {
                if (ends[s] == now)
                    continue;
                if (active.size() < static_cast<std::size_t>(options.nVoices)) {
                    active.push_back(s);
                    continue;
                }
                std::size_t* victim = nullptr;
                for (std::size_t& a : active)
                    if (clip.notes[a].startTick < now &&
                        (!victim || rank[a] < rank[*victim] ||
                         (rank[a] == rank[*victim] && clip.notes[a].startTick < clip.notes[*victim].startTick)))
                        victim = &a;
                if (victim && rank[*victim] <= rank[s]) {
                    ends[*victim] = now;
                    shortened[*victim] = 1;
                    *victim = s;
                } else {
                    keep[s] = 0;
                }
            }
        }
    }

    std::string error;
    std::vector<std::uint8_t> bytes = WriteCopy(smf, clip, keep, ends, false, error);
    if (options.nMaxBytes > 0 && bytes.size() > options.nMaxBytes) {
        bytes = WriteCopy(smf, clip, keep, ends, true, error);
        // Then notes, the least important first and, among equals, from the end of the clip back: the
        // beginning is what the phone's owner hears most.
        std::vector<std::size_t> order;
        for (std::size_t i = 0; i < notes.size(); ++i)
            if (keep[i])
                order.push_back(i);
        std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
            return rank[a] != rank[b] ? rank[a] < rank[b] : clip.notes[a].startTick > clip.notes[b].startTick;
        });
        auto without = [&](std::size_t count) {
            std::vector<char> fewer = keep;
            for (std::size_t i = 0; i < count; ++i)
                fewer[order[i]] = 0;
            return fewer;
        };
        if (bytes.size() > options.nMaxBytes && !order.empty()) {
            // Leaving a note out never makes the copy longer, so the fewest to leave out are found by halving.
            const std::size_t most = order.size() - 1;
            const std::size_t smallest = WriteCopy(smf, clip, without(most), ends, true, error).size();
            if (smallest > options.nMaxBytes) {
                result.strError = "the clip cannot be made to fit in " + std::to_string(options.nMaxBytes) +
                                  " bytes: with a single note it still takes " + std::to_string(smallest);
                return result;
            }
            std::size_t low = 1, high = most;
            while (low < high) {
                const std::size_t mid = low + (high - low) / 2;
                if (WriteCopy(smf, clip, without(mid), ends, true, error).size() <= options.nMaxBytes)
                    high = mid;
                else
                    low = mid + 1;
            }
            keep = without(low);
            bytes = WriteCopy(smf, clip, keep, ends, true, error);
        }
    }
    if (bytes.empty() || (options.nMaxBytes > 0 && bytes.size() > options.nMaxBytes)) {
        result.strError = !error.empty()
                              ? error
                              : "the clip cannot be made to fit in " + std::to_string(options.nMaxBytes) + " bytes";
        return result;
    }

    std::vector<SMidiNote> kept;
    for (std::size_t i = 0; i < notes.size(); ++i) {
        if (!keep[i])
            result.dropped.push_back(notes[i]);
        else if (shortened[i])
            result.shortened.push_back(asNote(i, ends[i]));
        if (keep[i])
            kept.push_back(asNote(i, ends[i]));
    }
    result.nVoices = PeakVoices(kept).nVoices;
    result.bytes = std::move(bytes);
    return result;
}

} // namespace corvina
