// Reads a Standard MIDI File leniently (as a sequencer would play it) and lays its events on a time line.
// The file stays in memory as read; events are decoded from it as they are played, so a reading takes
// little more memory than the file itself.
#include "CMidiSchedule.h"

#include <algorithm>
#include <fstream>
#include <limits>
#include <mutex>
#include <optional>
#include <string_view>

#include <sys/stat.h>

namespace corvina {
namespace {

constexpr std::uint32_t kDefaultTempo = 500000; // microseconds per quarter note

std::uint32_t BigEndian(const std::uint8_t* p, int n)
{
    std::uint32_t v = 0;
    for (int i = 0; i < n; ++i)
        v = (v << 8) | p[i];
    return v;
}

// Bytes that follow a status byte of a channel or system-common message.
int DataBytes(std::uint8_t status)
{
    switch (status & 0xF0) {
    case 0xC0:
    case 0xD0: return 1;
    case 0xF0:
        if (status == 0xF2)
            return 2;
        if (status == 0xF1 || status == 0xF3)
            return 1;
        return 0;
    default: return 2;
    }
}

// A variable-length quantity of at most four bytes; none when it is longer or cut off.
std::optional<std::uint32_t> VarLen(const std::uint8_t*& p, const std::uint8_t* end)
{
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i) {
        if (p >= end)
            return std::nullopt;
        std::uint8_t b = *p++;
        v = (v << 7) | (b & 0x7F);
        if (!(b & 0x80))
            return v;
    }
    return std::nullopt;
}

bool Fail(std::string* reason, const char* text)
{
    if (reason)
        *reason = text;
    return false;
}

} // namespace

template <typename Visit>
int CMidiSchedule::ForEachTrack(const std::vector<std::uint8_t>& image, std::size_t firstChunk, Visit visit)
{
    std::size_t pos = firstChunk;
    int tracks = 0;
    while (pos + 8 <= image.size()) {
        std::uint64_t length = BigEndian(&image[pos + 4], 4);
        bool isTrack = std::string_view(reinterpret_cast<const char*>(&image[pos]), 4) == "MTrk";
        // A last chunk that claims more than the file holds is read as far as it goes.
        std::size_t available = std::min<std::uint64_t>(length, image.size() - pos - 8);
        if (isTrack) {
            ++tracks;
            visit(static_cast<std::uint32_t>(pos + 8), static_cast<std::uint32_t>(pos + 8 + available));
        }
        pos += 8 + available;
    }
    return tracks;
}

CMidiSchedule::CCursor::CCursor(const CMidiSchedule& schedule)
    : m_image(schedule.m_image.data()), m_division(schedule.m_division), m_bSmpte((schedule.m_division & 0x8000) != 0),
      m_tempo(kDefaultTempo)
{
    if (m_bSmpte) {
        // Frames per second: the negative high byte; 29 stands for 29.97 (drop frame).
        int fps = 256 - static_cast<int>(m_division >> 8);
        m_smpteTicksPerSecond = (fps == 29 ? 29.97 : fps) * static_cast<double>(m_division & 0xFF);
    }
    // Room for every track that can hold an event (three bytes at least), so the states are not moved
    // as they are added.
    std::size_t possible = 0;
    ForEachTrack(schedule.m_image, schedule.m_firstChunk,
                 [&](std::uint32_t begin, std::uint32_t end) { possible += end - begin >= 3; });
    m_tracks.reserve(possible);
    // Tracks without an event take no part; the others keep their file order, which settles ties.
    ForEachTrack(schedule.m_image, schedule.m_firstChunk, [this](std::uint32_t begin, std::uint32_t end) {
        m_tracks.push_back(TRACK_STATE{0, begin, end, 0, 0, 0, 0, 0});
        if (!Advance(m_tracks.back()))
            m_tracks.pop_back();
    });
    m_heap.resize(m_tracks.size());
    for (std::uint32_t i = 0; i < m_heap.size(); ++i)
        m_heap[i] = i;
    std::make_heap(m_heap.begin(), m_heap.end(), [this](std::uint32_t a, std::uint32_t b) { return Later(a, b); });
}

bool CMidiSchedule::CCursor::Later(std::uint32_t a, std::uint32_t b) const
{
    const std::int64_t ta = m_tracks[a].Tick, tb = m_tracks[b].Tick;
    return ta != tb ? ta > tb : a > b;
}

// Reads until the next event that takes part in the time line (a channel, system-exclusive or meta
// event); a damaged event, End of Track or the end of the chunk ends the track there.
bool CMidiSchedule::CCursor::Advance(TRACK_STATE& track) const
{
    const std::uint8_t* p = m_image + track.Pos;
    const std::uint8_t* const end = m_image + track.End;
    auto offset = [&](const std::uint8_t* at) { return static_cast<std::uint32_t>(at - m_image); };
    while (p < end) {
        auto delta = VarLen(p, end);
        if (!delta)
            return false;
        track.Tick += *delta;
        if (p >= end)
            return false;
        std::uint8_t status = *p;
        if (status & 0x80)
            ++p;
        else if (track.Running)
            status = track.Running;
        else
            return false;

        if (status == 0xFF) {
            if (p >= end)
                return false;
            std::uint8_t type = *p++;
            auto len = VarLen(p, end);
            if (!len || *len > static_cast<std::uint64_t>(end - p))
                return false;
            if (type == 0x51 && *len >= 3) {
                track.Status = 0xFF;
                track.Value = BigEndian(p, 3);
            } else {
                track.Status = 0xFE;
            }
            p += *len;
            track.Pos = offset(p);
            // Nothing after End of Track is read.
            if (type == 0x2F)
                track.End = track.Pos;
            return true;
        }
        if (status == 0xF0 || status == 0xF7) {
            auto len = VarLen(p, end);
            if (!len || *len > static_cast<std::uint64_t>(end - p))
                return false;
            const std::uint8_t* body = p;
            p += *len;
            // Running status goes on after a system-exclusive event, as sequencers play such files.
            if (status == 0xF7)
                continue;
            track.Status = 0xF0;
            track.Value = offset(body);
            track.Pos = offset(p);
            return true;
        }
        int n = DataBytes(status);
        if (end - p < n)
            return false;
        std::uint8_t d1 = n > 0 ? p[0] & 0x7F : 0;
        std::uint8_t d2 = n > 1 ? p[1] & 0x7F : 0;
        p += n;
        // System common and real-time bytes do not belong in a file; they are skipped.
        if (status >= 0xF0)
            continue;
        track.Running = status;
        track.Status = status;
        track.Data1 = d1;
        track.Data2 = d2;
        track.Pos = offset(p);
        return true;
    }
    return false;
}

// Absurd tempos and deltas would carry the time line past any integer; it stops at the longest time
// the player can report instead, so times never run backwards.
std::int64_t CMidiSchedule::CCursor::ToUs(std::int64_t tick) const
{
    if (m_bSmpte) {
        double us = static_cast<double>(tick) * 1e6 / m_smpteTicksPerSecond;
        return us >= static_cast<double>(kLongestTimeUs) ? kLongestTimeUs : static_cast<std::int64_t>(us);
    }
    __int128 us = m_anchorUs + static_cast<__int128>(tick - m_anchorTick) * m_tempo / m_division;
    return us >= kLongestTimeUs ? kLongestTimeUs : static_cast<std::int64_t>(us);
}

// Moves the track at heap position i down to its place. Used in place of a pop and a push: most
// events are followed by one of the same track that is still the earliest, and then this stops at once.
void CMidiSchedule::CCursor::SiftDown(std::size_t i)
{
    const std::size_t n = m_heap.size();
    const std::uint32_t item = m_heap[i];
    for (;;) {
        std::size_t child = 2 * i + 1;
        if (child >= n)
            break;
        if (child + 1 < n && Later(m_heap[child], m_heap[child + 1]))
            ++child;
        if (!Later(item, m_heap[child]))
            break;
        m_heap[i] = m_heap[child];
        i = child;
    }
    m_heap[i] = item;
}

bool CMidiSchedule::CCursor::Next(SCHEDULED_EVENT& event)
{
    while (!m_heap.empty()) {
        TRACK_STATE& track = m_tracks[m_heap.front()];
        const std::int64_t us = ToUs(track.Tick);
        m_timeUs = std::max(m_timeUs, us);
        bool send = false;
        if (track.Status == 0xFF) {
            m_anchorTick = track.Tick;
            m_anchorUs = us;
            m_tempo = track.Value == 0 ? kDefaultTempo : track.Value;
        } else if (track.Status != 0xFE) {
            send = true;
            event.TimeUs = us;
            event.Status = track.Status;
            event.Data1 = track.Data1;
            event.Data2 = track.Data2;
            event.Sysex = {};
            if (track.Status == 0xF0) {
                // The body ends where the track goes on; a closing 0xF7 is not part of it.
                std::uint32_t bodyEnd = track.Pos;
                if (bodyEnd > track.Value && m_image[bodyEnd - 1] == 0xF7)
                    --bodyEnd;
                event.Sysex = std::span<const std::uint8_t>(m_image + track.Value, bodyEnd - track.Value);
                event.Data1 = event.Data2 = 0;
            }
        }
        if (!Advance(track)) {
            m_heap.front() = m_heap.back();
            m_heap.pop_back();
        }
        if (!m_heap.empty())
            SiftDown(0);
        if (send)
            return true;
    }
    return false;
}

// Only tempo changes move the time line, so only they need the merged order; every other event is
// counted as its track is read through. The last event of the file is then at the largest tick of
// any track, and its time follows from the whole tempo map: a tempo change at that very tick does not
// alter it.
void CMidiSchedule::CCursor::Measure(std::int64_t& count, std::int64_t& lengthUs)
{
    count = 0;
    std::int64_t lastTick = 0;
    // Takes a track from its waiting event on to its next tempo change; false when it has none.
    auto toTempo = [&](TRACK_STATE& track) {
        for (;;) {
            lastTick = std::max(lastTick, track.Tick);
            if (track.Status == 0xFF)
                return true;
            if (track.Status != 0xFE)
                ++count;
            if (!Advance(track))
                return false;
        }
    };
    m_heap.clear();
    for (std::uint32_t i = 0; i < m_tracks.size(); ++i)
        if (toTempo(m_tracks[i]))
            m_heap.push_back(i);
    std::make_heap(m_heap.begin(), m_heap.end(), [this](std::uint32_t a, std::uint32_t b) { return Later(a, b); });
    while (!m_heap.empty()) {
        TRACK_STATE& track = m_tracks[m_heap.front()];
        m_anchorUs = ToUs(track.Tick);
        m_anchorTick = track.Tick;
        m_tempo = track.Value == 0 ? kDefaultTempo : track.Value;
        if (!Advance(track) || !toTempo(track)) {
            m_heap.front() = m_heap.back();
            m_heap.pop_back();
        }
        if (!m_heap.empty())
            SiftDown(0);
    }
    lengthUs = ToUs(lastTick);
    m_timeUs = lengthUs;
}

CMidiSchedule::CCursor CMidiSchedule::Begin() const
{
    return CCursor(*this);
}

std::int32_t CMidiSchedule::LengthMs() const
{
    return static_cast<std::int32_t>(std::min<std::int64_t>((m_lengthUs + 500) / 1000, 0x7FFFFFFF));
}

namespace {

// Which file a schedule was read from, as far as the file system tells.
struct FILE_IDENTITY {
    std::string Path;
    dev_t Device = 0;
    ino_t Inode = 0;
    off_t Size = 0;
    timespec Modified{};

    bool operator==(const FILE_IDENTITY& other) const
    {
        return Path == other.Path && Device == other.Device && Inode == other.Inode && Size == other.Size &&
               Modified.tv_sec == other.Modified.tv_sec && Modified.tv_nsec == other.Modified.tv_nsec;
    }
};

std::optional<FILE_IDENTITY> IdentityOf(const std::filesystem::path& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return std::nullopt;
    return FILE_IDENTITY{path.string(), info.st_dev, info.st_ino, info.st_size, info.st_mtim};
}

// The most recent shared reading; it lives only as long as a player or a preview holds it.
std::mutex g_sharedLock;
FILE_IDENTITY g_sharedIdentity;
std::weak_ptr<const CMidiSchedule> g_shared;

} // namespace

std::shared_ptr<const CMidiSchedule> CMidiSchedule::LoadShared(const std::filesystem::path& path, std::string* reason)
{
    const std::optional<FILE_IDENTITY> before = IdentityOf(path);
    if (before) {
        std::lock_guard<std::mutex> lock(g_sharedLock);
        if (auto kept = g_shared.lock(); kept && g_sharedIdentity == *before)
            return kept;
    }
    auto schedule = std::make_shared<CMidiSchedule>();
    if (!schedule->Load(path, reason))
        return nullptr;
    // A file that changed while it was read is not remembered: the next reader reads it again.
    if (before && IdentityOf(path) == before) {
        std::lock_guard<std::mutex> lock(g_sharedLock);
        g_sharedIdentity = *before;
        g_shared = schedule;
    }
    return schedule;
}

bool CMidiSchedule::Load(const std::filesystem::path& path, std::string* reason)
{
    std::error_code ec;
    auto size = std::filesystem::file_size(path, ec);
    if (ec)
        return Fail(reason, "the file cannot be found");
    if (size > kLargestFile)
        return Fail(reason, "the file is too large");
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return Fail(reason, "the file cannot be opened");
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (static_cast<std::uintmax_t>(in.gcount()) != size)
        return Fail(reason, "the file cannot be read");
    return Parse(std::move(bytes), reason);
}

bool CMidiSchedule::Parse(std::vector<std::uint8_t> bytes, std::string* reason)
{
    m_image.clear();
    m_image.shrink_to_fit();
    m_firstChunk = 0;
    m_division = 0;
    m_eventCount = 0;
    m_lengthUs = 0;
    m_tracks = 0;
    if (bytes.size() < 14 || std::string_view(reinterpret_cast<const char*>(bytes.data()), 4) != "MThd")
        return Fail(reason, "not a Standard MIDI File");
    // Positions in the file are kept in 32 bits; files that large are refused by Load long before.
    if (bytes.size() > std::numeric_limits<std::uint32_t>::max())
        return Fail(reason, "the file is too large");
    std::uint32_t headerLength = BigEndian(&bytes[4], 4);
    if (headerLength < 6 || headerLength > bytes.size() - 8)
        return Fail(reason, "damaged file header");
    std::uint32_t format = BigEndian(&bytes[8], 2);
    std::uint32_t division = BigEndian(&bytes[12], 2);
    // Format 2 files hold independent sequences, which a sequencer does not play as one piece.
    if (format > 1)
        return Fail(reason, "only MIDI file formats 0 and 1 can be played");
    if (division == 0 || (division & 0x8000 && (division & 0xFF) == 0))
        return Fail(reason, "no time division");

    const int tracks = ForEachTrack(bytes, 8 + headerLength, [](std::uint32_t, std::uint32_t) {});
    if (tracks == 0)
        return Fail(reason, "the file has no tracks");

    m_image = std::move(bytes);
    m_firstChunk = 8 + headerLength;
    m_division = division;
    m_tracks = tracks;
    // One pass over every track gives the length and the count; nothing of it is kept.
    CCursor(*this).Measure(m_eventCount, m_lengthUs);
    return true;
}

} // namespace corvina
