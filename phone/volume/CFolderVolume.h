// The phone's file system as a folder on the PC: a phone mounted as a folder, or the virtual
// phone's file system. Nothing outside the folder can be reached through it.
#pragma once

#include "IMBXVolume.h"

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace corvina {

class CFolderVolume : public IMBXVolume {
public:
    // The root comes from the string "VolumeRoot" under the suite root when the object runs.
    CFolderVolume() = default;
    // A volume on the given root folder.
    explicit CFolderVolume(std::filesystem::path root);

    // HR_DEVICE_NOT_CONNECTED when no root is configured or the root is not a folder.
    HRESULT Run() override;
    HRESULT MakeFolder(const std::string& path) override;
    HRESULT RemoveFile(const std::string& path) override;
    HRESULT ListFolder(const std::string& pattern, std::int32_t flag, MBX_LISTING& listing) override;
    HRESULT PutFile(const std::string& path, IStream* source, std::int32_t flags) override;
    HRESULT ChangeAttributes(const std::string& path, std::uint32_t attributes) override;
    // Keeps the port after checking that it can be opened; the files do not go through it.
    HRESULT SetPort(const std::string& port) override;

    // Reads the file "\folder\name" (for the command-line tool).
    HRESULT GetFile(const std::string& path, std::vector<std::uint8_t>& data);

    // The name of the file that keeps the phone's tone numbers, in the root.
    static constexpr const char* kToneNumbersFile = ".tonenumbers";

private:
    struct Resolved {
        std::filesystem::path full; // where the entry is on the PC
        std::string relative;       // its path below the root with '/' separators
    };
    // Maps "\a\b" below the root; E_ACCESSDENIED for anything that would leave it.
    HRESULT Resolve(const std::string& path, Resolved& resolved) const;
    HRESULT CheckRoot() const;
    std::map<std::string, std::int32_t> ReadToneNumbers() const;
    // After a transfer to a phone that numbers its tones: waits (up to kToneNumberWaitMs) until
    // the phone has numbered the file at relative.
    void WaitForToneNumber(const std::string& relative) const;

    static constexpr int kToneNumberWaitMs = 3000;

    std::filesystem::path m_root;
    std::string m_port;
};

} // namespace corvina
