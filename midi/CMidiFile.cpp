// Loading a Standard MIDI File, writing its per-channel temporary files and clips, and cleaning up.
#include "CMidiFile.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <mutex>
#include <new>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "MidiReaderState.h"
#include "TempFolder.h"

namespace corvina {

namespace {

constexpr const char* kTempName = "CVN{BB1AED61-3946-44a5-9D20-F527399C161B}";
constexpr int kRetryWaitMs = 5000;
constexpr std::int32_t kMaxTracks = 1000;

std::atomic<int> g_fileCounter{0};
std::mutex g_settingsLock;
std::filesystem::path g_defaultTempFolder;
std::function<void(int)> g_retryWait;

std::filesystem::path DefaultTempFolder()
{
    std::lock_guard lock(g_settingsLock);
    if (!g_defaultTempFolder.empty())
        return g_defaultTempFolder;
    return ProcessTempFolder();
}

// "%s%s%d.": the folder with its trailing separator, the fixed name and this object's number.
std::string MakeTempPrefix(const std::filesystem::path& folder)
{
    std::string path = folder.string();
    if (path.empty() || path.back() != '/')
        path += '/';
    return path + kTempName + std::to_string(g_fileCounter.fetch_add(1)) + ".";
}

// Reads exactly size bytes; a regular file may still come in several pieces.
bool ReadAll(int fd, std::uint8_t* data, std::size_t size)
{
    std::size_t done = 0;
    while (done < size) {
        const ssize_t got = ::read(fd, data + done, size - done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        done += static_cast<std::size_t>(got);
    }
    return true;
}

} // namespace

CMidiFile::CMidiFile() : CMidiFile(DefaultTempFolder()) {}

CMidiFile::CMidiFile(const std::filesystem::path& tempFolder)
    : m_pBuffer(std::make_unique<CMidiBuffer>()), m_strTempPrefix(MakeTempPrefix(tempFolder)),
      m_strChannelPrefix(m_strTempPrefix)
{
    m_pBuffer->Clear();
    m_dwInitialTempo = 500000;
}

CMidiFile::~CMidiFile()
{
    ClearFile();
    m_pBuffer.reset();
}

void CMidiFile::SetDefaultTempFolder(const std::filesystem::path& folder)
{
    std::lock_guard lock(g_settingsLock);
    g_defaultTempFolder = folder;
}

void CMidiFile::SetRetryWait(std::function<void(int)> wait)
{
    std::lock_guard lock(g_settingsLock);
    g_retryWait = std::move(wait);
}

int CMidiFile::Load(const std::string& strPath)
{
    if (strPath.empty())
        return kMidiLoadUnsupported;
    ClearFile();

    // Exclusive access: another program holding a lock on the file keeps us out, and we keep it out
    // while we read.
    const int fd = ::open(strPath.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return kMidiLoadCannotOpen;
    struct stat info {};
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || ::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return kMidiLoadCannotOpen;
    }

    CMidiBuffer& buf = *m_pBuffer;
    bool ok = false;
    bool readError = false;
    if (info.st_size > 0 && info.st_size <= INT32_MAX) {
        const auto size = static_cast<std::int32_t>(info.st_size);
        if (!buf.CreateReadImage(size)) {
            buf.LogError("create buffer failed!");
        } else if (!ReadAll(fd, buf.GetReadImage(), static_cast<std::size_t>(size))) {
            readError = true;
        } else {
            try {
                ok = ParseImage();
            } catch (const std::bad_alloc&) {
                // A file with more events than memory: refused like any other file we cannot take.
                buf.LogError("create buffer failed!");
                ok = false;
            }
        }
    }
    ::close(fd);

    if (!ok)
        buf.LogError("Error in");
    buf.LogField("Tracks loaded", GetTrackCount());
    if (readError)
        return kMidiLoadCannotOpen;
    return ok ? kMidiLoadOk : kMidiLoadUnsupported;
}

bool CMidiFile::ParseImage()
{
    CMidiBuffer& buf = *m_pBuffer;
    const std::int64_t fileLength = buf.GetReadSize();

    if (buf.ReadString(4) != "MThd") {
        buf.LogError("wrong chunk type!");
        return false;
    }
    m_nHeaderLength = static_cast<std::int32_t>(buf.ReadNumber(4));
    if (fileLength < static_cast<std::int64_t>(m_nHeaderLength) + 20) {
        buf.LogError("too small, data missing!");
        return false;
    }
    m_nFormat = static_cast<std::int32_t>(buf.ReadNumber(2));
    buf.LogField("Format", m_nFormat);
    if (m_nFormat != 0 && m_nFormat != 1) {
        buf.LogError("not format 0 or 1!");
        return false;
    }
    m_nDeclaredTrackCount = static_cast<std::int32_t>(buf.ReadNumber(2));
    buf.LogField("NumberOfTracks", m_nDeclaredTrackCount);
    if (m_nDeclaredTrackCount < 1 || m_nDeclaredTrackCount > kMaxTracks) {
        buf.LogError("less than 1 or more than 1000 tracks!");
        return false;
    }
    if (buf.ReadByte(false) & 0x80) {
        buf.LogError("division time code based is not supported!");
        return false;
    }
    const std::uint8_t b1 = buf.ReadByte(true);
    const std::uint8_t b2 = buf.ReadByte(true);
    m_nTicksPerQuarter = (b1 & 0x7F) * 256 + b2;
    buf.LogField("TicksPerQuarter", m_nTicksPerQuarter);

    // Header bytes beyond the six known ones are skipped.
    buf.SetReadPos(static_cast<std::int64_t>(m_nHeaderLength) + 8);

    for (int i = 0; i < m_nDeclaredTrackCount; ++i) {
        buf.LogField("Track no.", i);
        auto track = std::make_unique<CMidiTrack>(this, m_pBuffer.get(), i);
        if (!track->Load(i == 0))
            break;
        m_Tracks.push_back(std::move(track));
    }

    const std::int64_t pos = buf.GetReadPos();
    if (GetTrackCount() == m_nDeclaredTrackCount && pos == fileLength)
        return true;
    if (pos < fileLength) {
        buf.LogError("more data after last track");
        return true;
    }
    return false;
}

const std::vector<std::uint32_t>& CMidiFile::GetAllNoteOnTimes() const
{
    if (!m_bAllNoteOnTimesMade) {
        std::size_t count = 0;
        for (const auto& track : m_Tracks) {
            for (int c = 0; c < 16; ++c)
                count += track->GetNoteOnTimes(c)->size();
        }
        m_AllNoteOnTimes.reserve(count);
        for (const auto& track : m_Tracks) {
            for (int c = 0; c < 16; ++c) {
                const std::vector<std::uint32_t>& times = *track->GetNoteOnTimes(c);
                m_AllNoteOnTimes.insert(m_AllNoteOnTimes.end(), times.begin(), times.end());
            }
        }
        m_bAllNoteOnTimesMade = true;
    }
    return m_AllNoteOnTimes;
}

CMidiTrack* CMidiFile::GetTrack(int i) const
{
    if (i < 0 || i >= GetTrackCount())
        return nullptr;
    return m_Tracks[static_cast<std::size_t>(i)].get();
}

void CMidiFile::GetCombination(int i, int& nTrack, int& nChannel) const
{
    if (i < 0 || i >= GetCombinationCount()) {
        nTrack = -1;
        nChannel = -1;
        return;
    }
    nTrack = static_cast<int>(m_CombinationTracks[static_cast<std::size_t>(i)]);
    nChannel = static_cast<int>(m_CombinationChannels[static_cast<std::size_t>(i)]);
}

CMidiTrack* CMidiFile::GetCombinationTrack(int i) const
{
    int track = -1;
    int channel = -1;
    GetCombination(i, track, channel);
    return track < 0 ? nullptr : GetTrack(track);
}

std::string CMidiFile::GetChannelFileName(int i) const
{
    int track = -1;
    int channel = -1;
    GetCombination(i, track, channel);
    return track < 0 ? std::string() : MakeChannelFileName(track, channel);
}

std::string CMidiFile::MakeChannelFileName(int nTrack, int nChannel) const
{
    char name[64];
    std::snprintf(name, sizeof name, "rt%03d.%1x.mid", nTrack, static_cast<unsigned>(nChannel));
    return m_strChannelPrefix + name;
}

int CMidiFile::GetLengthMs() const
{
    int longest = 0;
    for (int i = 0; i < GetCombinationCount(); ++i) {
        if (const CMidiTrack* track = GetCombinationTrack(i))
            longest = std::max(longest, track->GetLengthMs());
    }
    return longest;
}

bool CMidiFile::WriteHeader(CMidiWriteImage& out, int nFormat, int nTracks) const
{
    // "MThd" and the source's header length, then format and track count, then the source's division.
    const std::uint8_t* image = m_pBuffer->GetReadImage();
    const std::int64_t size = m_pBuffer->GetReadSize();
    return out.Allocate() && out.CopyFrom(image, size, 0, 8) &&
           out.WriteNumber(static_cast<std::uint32_t>(nFormat), 2) &&
           out.WriteNumber(static_cast<std::uint32_t>(nTracks), 2) && out.CopyFrom(image, size, 12, 2);
}

bool CMidiFile::WriteOutput(const std::string& strPath, std::int64_t nCapacity, int nFormat, int nTracks,
                            const std::function<bool()>& writeChunks)
{
    CMidiBuffer& buf = *m_pBuffer;
    buf.SetWritePos(0);
    buf.SetWriteCapacity(nCapacity);
    std::FILE* file = std::fopen(strPath.c_str(), "wb");
    if (!file)
        return false;
    bool ok = WriteHeader(buf.GetWriteImage(), nFormat, nTracks) && writeChunks();
    if (ok)
        ok = buf.Flush(file);
    if (std::fclose(file) != 0)
        ok = false;
    return ok;
}

bool CMidiFile::WriteChannelFiles()
{
    return WriteChannelFilesAs(m_strTempPrefix);
}

bool CMidiFile::WriteChannelFilesInto(const std::filesystem::path& folder)
{
    std::string prefix = folder.string();
    if (prefix.empty() || prefix.back() != '/')
        prefix += '/';
    return WriteChannelFilesAs(prefix);
}

bool CMidiFile::WriteChannelFilesAs(const std::string& strPrefix)
{
    m_strChannelPrefix = strPrefix;
    m_bOwnsChannelFiles = strPrefix == m_strTempPrefix;
    const std::int64_t capacity = 2 * static_cast<std::int64_t>(m_pBuffer->GetReadSize());
    // One output image per channel, filled in one walk over a track and reused for the next track.
    std::array<CMidiWriteImage, 16> images;
    int lastWritten = -1;
    for (const auto& track : m_Tracks) {
        std::array<bool, 16> write{};
        bool any = false;
        for (int c = 0; c < 16; ++c) {
            if (!track->IsChannelUsed(c))
                continue;
            CMidiWriteImage& image = images[static_cast<std::size_t>(c)];
            image.SetWritePos(0);
            image.SetWriteCapacity(capacity);
            write[static_cast<std::size_t>(c)] = WriteHeader(image, 0, 1);
            any = true;
        }
        if (!any)
            continue;
        track->WriteChannelChunks(images, write);

        // The files in channel order, each written with one call; the first that fails stops the rest
        // and, as any output that fails, is left empty.
        const int index = track->GetTrackIndex();
        for (int c = 0; c < 16; ++c) {
            if (!track->IsChannelUsed(c))
                continue;
            const std::string name = MakeChannelFileName(index, c);
            std::FILE* file = std::fopen(name.c_str(), "wb");
            if (!file)
                return false;
            bool ok = write[static_cast<std::size_t>(c)] && images[static_cast<std::size_t>(c)].Flush(file);
            if (std::fclose(file) != 0)
                ok = false;
            if (!ok) {
                // A caller's folder gets no half-written file; temporary ones go with ClearFile.
                if (!m_bOwnsChannelFiles)
                    std::remove(name.c_str());
                return false;
            }
            m_CombinationTracks.push_back(static_cast<std::uint32_t>(index));
            m_CombinationChannels.push_back(static_cast<std::uint32_t>(c));
            lastWritten = c;
        }
        // The most recent output stays in the buffer, as after any other output.
        std::swap(m_pBuffer->GetWriteImage(), images[static_cast<std::size_t>(lastWritten)]);
    }
    return true;
}

int CMidiFile::WriteClip(std::uint32_t dwStartUs, std::uint32_t dwEndUs)
{
    int noteCount = 0;
    const std::int64_t capacity = 2 * static_cast<std::int64_t>(m_pBuffer->GetReadSize());
    const bool ok = WriteOutput(GetClipFileName(), capacity, 1, GetTrackCount(), [&]() {
        for (const auto& track : m_Tracks) {
            const int count = track->WriteClipChunk(-1, dwStartUs, dwEndUs, -1);
            if (count < 0)
                return false;
            noteCount += count;
        }
        return true;
    });
    return ok ? noteCount : -1;
}

bool CMidiFile::SaveClipAs(const std::string& strPath)
{
    std::FILE* file = std::fopen(strPath.c_str(), "wb");
    if (!file)
        return false;
    bool ok = m_pBuffer->Flush(file);
    if (std::fclose(file) != 0)
        ok = false;
    return ok;
}

void CMidiFile::DeleteWithRetry(const std::string& strPath)
{
    if (std::remove(strPath.c_str()) == 0)
        return;
    std::function<void(int)> wait;
    {
        std::lock_guard lock(g_settingsLock);
        wait = g_retryWait;
    }
    if (wait)
        wait(kRetryWaitMs);
    else
        std::this_thread::sleep_for(std::chrono::milliseconds(kRetryWaitMs));
    std::remove(strPath.c_str());
}

void CMidiFile::ClearFile()
{
    m_pBuffer->Clear();
    if (m_bOwnsChannelFiles) {
        for (int i = 0; i < GetCombinationCount(); ++i)
            DeleteWithRetry(GetChannelFileName(i));
    }
    m_strChannelPrefix = m_strTempPrefix;
    m_bOwnsChannelFiles = true;
    const std::string clip = GetClipFileName();
    std::error_code ec;
    if (std::filesystem::exists(clip, ec))
        DeleteWithRetry(clip);
    m_Tracks.clear();
    m_CombinationTracks.clear();
    m_CombinationChannels.clear();
    m_NoteOnCounts.clear();
    m_AllNoteOnTimes.clear();
    m_AllNoteOnTimes.shrink_to_fit();
    m_bAllNoteOnTimesMade = false;
}

} // namespace corvina
