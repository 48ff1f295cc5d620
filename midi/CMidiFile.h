// A Standard MIDI File loaded into memory, with the per-channel temporary files and the clip file
// written from it. The clip editor owns one per opened file; the corvina-midi tool uses the same class.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "CMidiBuffer.h"
#include "CMidiTrack.h"

namespace corvina {

// Results of CMidiFile::Load; the two failures are also the ids of the messages the editor shows.
constexpr int kMidiLoadOk = 0;
constexpr int kMidiLoadUnsupported = 4021; // "Format of specified file is not supported!"
constexpr int kMidiLoadCannotOpen = 4024;  // "Unable to open specified file. This may be open in another application."

class CMidiFile {
public:
    // Uses the default temporary folder (see SetDefaultTempFolder).
    CMidiFile();
    // Writes its temporary files into tempFolder instead.
    explicit CMidiFile(const std::filesystem::path& tempFolder);
    // Deletes the temporary files of the current load.
    virtual ~CMidiFile();
    CMidiFile(const CMidiFile&) = delete;
    CMidiFile& operator=(const CMidiFile&) = delete;

    // Folder for objects created afterwards; empty means the system's temporary folder.
    static void SetDefaultTempFolder(const std::filesystem::path& folder);
    // How ClearFile waits before retrying a failed deletion (milliseconds); null restores sleeping.
    static void SetRetryWait(std::function<void(int)> wait);

    // Reads the file: kMidiLoadOk, kMidiLoadUnsupported or kMidiLoadCannotOpen.
    int Load(const std::string& strPath);
    // Writes one temporary file per track and used channel; true when all were written (or none needed).
    bool WriteChannelFiles();
    // The same files, named rtTTT.C.mid, written straight into folder; they belong to the caller and
    // stay when this object is cleared. The names of the combinations then point there.
    bool WriteChannelFilesInto(const std::filesystem::path& folder);
    // Writes the clip file with all tracks cut to [start, end] microseconds; note-ons written, or -1.
    int WriteClip(std::uint32_t dwStartUs, std::uint32_t dwEndUs);
    // Saves the most recent output (usually the clip) under strPath; false on a file error.
    bool SaveClipAs(const std::string& strPath);
    // Deletes the temporary files and empties the file (retrying a failed deletion once after 5 s).
    void ClearFile();

    // Number of tracks loaded, and one of them (nullptr out of range).
    int GetTrackCount() const { return static_cast<int>(m_Tracks.size()); }
    CMidiTrack* GetTrack(int i) const;

    // Track/channel pairs for which a per-channel file was written, in the order written.
    int GetCombinationCount() const { return static_cast<int>(m_CombinationTracks.size()); }
    // Track index and channel of combination i, or (-1, -1) out of range.
    void GetCombination(int i, int& nTrack, int& nChannel) const;
    // Track object of combination i; nullptr out of range.
    CMidiTrack* GetCombinationTrack(int i) const;
    // Full path of the per-channel file of combination i; empty out of range.
    std::string GetChannelFileName(int i) const;
    // Full path of the clip file.
    std::string GetClipFileName() const { return m_strTempPrefix + "rtclip.mid"; }
    // Folder and name prefix shared by this object's temporary files.
    const std::string& GetTempPrefix() const { return m_strTempPrefix; }

    // Longest track of the combinations in milliseconds; 0 without combinations.
    int GetLengthMs() const;
    // Microseconds of every note-on of every loaded track: per track, channel 0 first, each in file order.
    // Put together from the tracks' lists when first asked for: the per-channel files and `info` never
    // need it, and it would double what the note-on times take.
    const std::vector<std::uint32_t>& GetAllNoteOnTimes() const;
    // Note-on count per (track, used channel), in track then channel order.
    const std::vector<std::uint32_t>& GetNoteOnCounts() const { return m_NoteOnCounts; }

    std::int32_t GetHeaderLength() const { return m_nHeaderLength; }
    std::int32_t GetFormat() const { return m_nFormat; }
    std::int32_t GetDeclaredTrackCount() const { return m_nDeclaredTrackCount; }
    std::int32_t GetTicksPerQuarter() const { return m_nTicksPerQuarter; }
    // Microseconds per quarter before the first tempo event (500000 unless the first track sets it at 0).
    std::uint32_t GetInitialTempo() const { return m_dwInitialTempo; }
    // Diagnostic lines of the last load.
    const std::string& GetParseLog() const { return m_pBuffer->GetParseLog(); }
    CMidiBuffer& GetBuffer() { return *m_pBuffer; }

private:
    friend class CMidiTrack;

    // Header, chunks and tracks after the file image has been read; true when the load succeeds.
    bool ParseImage();
    // One output: header with the given format and track count, chunks by writeChunks, then one write
    // of the whole image to strPath (created or truncated; left empty when a chunk fails).
    bool WriteOutput(const std::string& strPath, std::int64_t nCapacity, int nFormat, int nTracks,
                     const std::function<bool()>& writeChunks);
    // The header all outputs start with, into out (allocated for its capacity first).
    bool WriteHeader(CMidiWriteImage& out, int nFormat, int nTracks) const;
    std::string MakeChannelFileName(int nTrack, int nChannel) const;
    // Writes the per-channel files under the prefix (folder and start of the name) and lists them.
    bool WriteChannelFilesAs(const std::string& strPrefix);
    void SetInitialTempo(std::uint32_t dwTempo) { m_dwInitialTempo = dwTempo; }
    void AddNoteOnCount(std::uint32_t dwCount) { m_NoteOnCounts.push_back(dwCount); }
    // Deletes one file; on failure waits 5000 ms and tries once more.
    static void DeleteWithRetry(const std::string& strPath);

    std::unique_ptr<CMidiBuffer> m_pBuffer;
    std::string m_strTempPrefix;
    // Where the per-channel files of the current load are: the temp prefix, or a caller's folder.
    std::string m_strChannelPrefix;
    // False when the per-channel files were written into a caller's folder (then never deleted).
    bool m_bOwnsChannelFiles = true;
    std::vector<std::unique_ptr<CMidiTrack>> m_Tracks;
    std::int32_t m_nHeaderLength = 0;
    std::int32_t m_nFormat = 0;
    std::int32_t m_nDeclaredTrackCount = 0;
    std::int32_t m_nTicksPerQuarter = 0;
    std::vector<std::uint32_t> m_CombinationChannels;
    std::vector<std::uint32_t> m_CombinationTracks;
    std::vector<std::uint32_t> m_NoteOnCounts;
    mutable std::vector<std::uint32_t> m_AllNoteOnTimes;
    mutable bool m_bAllNoteOnTimesMade = false;
    std::uint32_t m_dwInitialTempo = 500000;
};

} // namespace corvina
