// Reads a Standard MIDI File leniently (as a sequencer would play it) and lays its events on a time line.
#include "CMidiSchedule.h"

#include <algorithm>
#include <fstream>
#include <mutex>
#include <optional>

#include <sys/stat.h>

namespace corvina {
namespace {

constexpr std::uint32_t kDefaultTempo = 500000; // microseconds per quarter note

// One event while tracks are merged: tick, then track and order within the track keep ties stable.
struct RawEvent {
    std::int64_t Tick;
    int Track;
    std::uint32_t Seq;
    std::uint8_t Status;  // 0xFF for a tempo change, 0xFE for other metas (only their time counts)
    std::uint8_t Data1;
    std::uint8_t Data2;
    std::uint32_t Value;  // tempo or sysex index
};

std::uint32_t BigEndian(const std::uint8_t* p, int n)
{
    std::uint32_t v = 0;
    for (int i = 0; i < n; ++i) v = (v << 8) | p[i];
    return v;
}

// Bytes that follow a status byte of a channel or system-common message.
int DataBytes(std::uint8_t status)
{
    switch (status & 0xF0) {
    case 0xC0:
    case 0xD0: return 1;
    case 0xF0:
        if (status == 0xF2) return 2;
        if (status == 0xF1 || status == 0xF3) return 1;
        return 0;
    default: return 2;
    }
}

class TrackReader {
public:
    TrackReader(const std::uint8_t* data, std::size_t size, int track, std::vector<RawEvent>& out,
                std::vector<std::vector<std::uint8_t>>& sysex)
        : m_p(data), m_end(data + size), m_track(track), m_out(out), m_sysex(sysex)
    {
    }

    // Reads until End of Track or the end of the chunk; a damaged event ends the track there.
    void Read()
    {
        std::int64_t tick = 0;
        std::uint8_t running = 0;
        while (m_p < m_end) {
            auto delta = VarLen();
            if (!delta) return;
            tick += *delta;
            if (m_p >= m_end) return;
            std::uint8_t status = *m_p;
            if (status & 0x80) ++m_p;
            else if (running) status = running;
            else return;

            if (status == 0xFF) {
                if (m_p >= m_end) return;
                std::uint8_t type = *m_p++;
                auto len = VarLen();
                if (!len || *len > static_cast<std::uint64_t>(m_end - m_p)) return;
                if (type == 0x51 && *len >= 3) Push(tick, 0xFF, 0, 0, BigEndian(m_p, 3));
                else Push(tick, 0xFE, type, 0, 0);
                m_p += *len;
                if (type == 0x2F) return;
                continue;
            }
            if (status == 0xF0 || status == 0xF7) {
                auto len = VarLen();
                if (!len || *len > static_cast<std::uint64_t>(m_end - m_p)) return;
                if (status == 0xF0) {
                    std::vector<std::uint8_t> body(m_p, m_p + *len);
                    if (!body.empty() && body.back() == 0xF7) body.pop_back();
                    m_sysex.push_back(std::move(body));
                    Push(tick, 0xF0, 0, 0, static_cast<std::uint32_t>(m_sysex.size() - 1));
                }
                m_p += *len;
                // Running status goes on after a system-exclusive event, as sequencers play such files.
                continue;
            }
            int n = DataBytes(status);
            if (m_end - m_p < n) return;
            std::uint8_t d1 = n > 0 ? m_p[0] & 0x7F : 0;
            std::uint8_t d2 = n > 1 ? m_p[1] & 0x7F : 0;
            m_p += n;
            if (status >= 0xF0) {
                // System common and real-time bytes do not belong in a file; they are skipped.
                continue;
            }
            running = status;
            Push(tick, status, d1, d2, 0);
        }
    }

private:
    std::optional<std::uint64_t> VarLen()
    {
        std::uint64_t v = 0;
        for (int i = 0; i < 4; ++i) {
            if (m_p >= m_end) return std::nullopt;
            std::uint8_t b = *m_p++;
            v = (v << 7) | (b & 0x7F);
            if (!(b & 0x80)) return v;
        }
        return std::nullopt;
    }

    void Push(std::int64_t tick, std::uint8_t status, std::uint8_t d1, std::uint8_t d2, std::uint32_t value)
    {
        m_out.push_back(RawEvent{tick, m_track, m_seq++, status, d1, d2, value});
    }

    const std::uint8_t* m_p;
    const std::uint8_t* m_end;
    int m_track;
    std::uint32_t m_seq = 0;
    std::vector<RawEvent>& m_out;
    std::vector<std::vector<std::uint8_t>>& m_sysex;
};

bool Fail(std::string* reason, const char* text)
{
    if (reason) *reason = text;
    return false;
}

} // namespace

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
    if (ec) return Fail(reason, "the file cannot be found");
    if (size > kLargestFile) return Fail(reason, "the file is too large");
    std::ifstream in(path, std::ios::binary);
    if (!in) return Fail(reason, "the file cannot be opened");
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (static_cast<std::uintmax_t>(in.gcount()) != size) return Fail(reason, "the file cannot be read");
    return Parse(bytes, reason);
}

bool CMidiSchedule::Parse(const std::vector<std::uint8_t>& bytes, std::string* reason)
{
    m_events.clear();
    m_sysex.clear();
    m_lengthUs = 0;
    m_tracks = 0;
    if (bytes.size() < 14 || std::string_view(reinterpret_cast<const char*>(bytes.data()), 4) != "MThd")
        return Fail(reason, "not a Standard MIDI File");
    std::uint32_t headerLength = BigEndian(&bytes[4], 4);
    if (headerLength < 6 || headerLength > bytes.size() - 8) return Fail(reason, "damaged file header");
    std::uint32_t format = BigEndian(&bytes[8], 2);
    std::uint32_t division = BigEndian(&bytes[12], 2);
    // Format 2 files hold independent sequences, which a sequencer does not play as one piece.
    if (format > 1) return Fail(reason, "only MIDI file formats 0 and 1 can be played");
    if (division == 0 || (division & 0x8000 && (division & 0xFF) == 0)) return Fail(reason, "no time division");

    std::vector<RawEvent> raw;
    std::size_t pos = 8 + headerLength;
    int track = 0;
    while (pos + 8 <= bytes.size()) {
        std::uint64_t length = BigEndian(&bytes[pos + 4], 4);
        bool isTrack = std::string_view(reinterpret_cast<const char*>(&bytes[pos]), 4) == "MTrk";
        // A last chunk that claims more than the file holds is read as far as it goes.
        std::size_t available = std::min<std::uint64_t>(length, bytes.size() - pos - 8);
        if (isTrack) TrackReader(&bytes[pos + 8], available, track++, raw, m_sysex).Read();
        pos += 8 + available;
    }
    if (track == 0) return Fail(reason, "the file has no tracks");
    m_tracks = track;

    std::stable_sort(raw.begin(), raw.end(), [](const RawEvent& a, const RawEvent& b) {
        if (a.Tick != b.Tick) return a.Tick < b.Tick;
        if (a.Track != b.Track) return a.Track < b.Track;
        return a.Seq < b.Seq;
    });

    bool smpte = (division & 0x8000) != 0;
    // Frames per second: the negative high byte; 29 stands for 29.97 (drop frame).
    double smpteTicksPerSecond = 0;
    if (smpte) {
        int fps = 256 - static_cast<int>(division >> 8);
        smpteTicksPerSecond = (fps == 29 ? 29.97 : fps) * static_cast<double>(division & 0xFF);
    }
    std::int64_t anchorTick = 0, anchorUs = 0;
    std::uint32_t tempo = kDefaultTempo;
    // Absurd tempos and deltas would carry the time line past any integer; it stops at the longest
    // time the player can report instead, so times never run backwards.
    auto toUs = [&](std::int64_t tick) -> std::int64_t {
        if (smpte) {
            double us = static_cast<double>(tick) * 1e6 / smpteTicksPerSecond;
            return us >= static_cast<double>(kLongestTimeUs) ? kLongestTimeUs : static_cast<std::int64_t>(us);
        }
        __int128 us = anchorUs + static_cast<__int128>(tick - anchorTick) * tempo / division;
        return us >= kLongestTimeUs ? kLongestTimeUs : static_cast<std::int64_t>(us);
    };
    m_events.reserve(raw.size());
    for (const RawEvent& e : raw) {
        std::int64_t us = toUs(e.Tick);
        m_lengthUs = std::max(m_lengthUs, us);
        if (e.Status == 0xFF) {
            anchorTick = e.Tick;
            anchorUs = us;
            tempo = e.Value == 0 ? kDefaultTempo : e.Value;
            continue;
        }
        if (e.Status == 0xFE) continue;
        m_events.push_back(SCHEDULED_EVENT{us, e.Status, e.Data1, e.Data2, e.Value});
    }
    return true;
}

} // namespace corvina
