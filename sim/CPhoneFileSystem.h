// The virtual phone's file system: a folder on the PC, with the phone's paths and tone numbers.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace corvina {

// The phone's file system below one root folder (the state folder's fs/).
class CPhoneFileSystem {
public:
    // Name of the file in the root that keeps the tone numbers; the folder volume reads it too.
    static constexpr const char* kToneNumbersFile = ".tonenumbers";

    explicit CPhoneFileSystem(std::filesystem::path root = {});

    // The folder that stands for the phone's drive A:.
    const std::filesystem::path& Root() const { return m_root; }
    // Maps "A:\folder\name" or "\folder\name" to a file below the root; false for a path that is
    // empty, uses another drive, or would leave the root ("..", empty parts).
    bool MapPhonePath(const std::string& strPhonePath, std::filesystem::path& out) const;
    // Whether the phone path names an existing regular file (folder names compare ignoring case).
    bool PhoneFileExists(const std::string& strPhonePath) const;
    // Creates a standard folder when it is missing.
    bool EnsureFolder(const std::string& strFolder) const;

    // Tone numbers, keyed "<folder>/<name>".
    std::map<std::string, int> ReadToneNumbers() const;
    bool WriteToneNumbers(const std::map<std::string, int>& numbers) const;
    // Numbers the files of the folders the way the phone does: files that have a number keep it,
    // vanished files lose theirs, new files get the next free number from nFirstUserNumber up.
    // Returns true when the numbering changed or the numbers file was missing (and was written).
    bool UpdateToneNumbers(const std::vector<std::string>& folders, int nFirstUserNumber) const;

    // Removes the pieces of transfers that never finished (".<name>.obex-XXXXXX" of an OBEX upload,
    // ".<name>.part-XXXXXX" of a folder write), as a phone cleans its file system when it starts.
    // Returns how many it removed.
    int RemoveUnfinishedTransfers() const;

    // Copies a few MIDI files (and with strImyFolder one iMelody file) from the corpus into the
    // standard folders; files already there are left alone. Seeded files stand for built-in tones
    // and, when bNumber is set, take the numbers 1, 2, ... Returns the number of files copied.
    int Seed(const std::filesystem::path& corpus, const std::string& strRtFolder, const std::string& strImyFolder,
             bool bNumber, std::string& strError) const;

private:
    // Finds an existing entry below the root whose parts match ignoring case.
    bool FindIgnoringCase(const std::vector<std::string>& parts, std::filesystem::path& out) const;

    std::filesystem::path m_root;
};

} // namespace corvina
