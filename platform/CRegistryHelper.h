// Read-only access to the configuration kept in Windows-registry export files (.reg).
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace corvina {

// The hives the configuration can name.
enum class HKEY { LocalMachine, ClassesRoot, CurrentUser };
constexpr HKEY HKEY_LOCAL_MACHINE = HKEY::LocalMachine;
constexpr HKEY HKEY_CLASSES_ROOT = HKEY::ClassesRoot;
constexpr HKEY HKEY_CURRENT_USER = HKEY::CurrentUser;

// Key paths of the suite.
inline constexpr const char* kSuiteRootKey = "Software\\Halvren\\Corvina";
inline constexpr const char* kPhoneDependenciesKey = "Software\\Halvren\\Corvina\\PhoneDependencies";

// The merged contents of the registry files. Key and value names compare ignoring case.
class Registry {
public:
    // The process-wide registry, loaded on first use from the files that DefaultFiles() names.
    static Registry& Instance();

    // CORVINA_REGISTRY (colon-separated) when set; otherwise the shipped default file, then
    // /etc/corvina/*.reg, then $XDG_CONFIG_HOME/corvina/*.reg (later files override earlier ones).
    static std::vector<std::filesystem::path> DefaultFiles();

    // Replaces the contents with those of the files, in order; missing files are skipped.
    void Load(const std::vector<std::filesystem::path>& files);
    // Replaces the contents with one text in .reg format (for tests and tools).
    void LoadText(const std::string& text);
    // Merges one more text over the present contents.
    void MergeText(const std::string& text);
    // Reloads from DefaultFiles().
    void Reload();
    // The folder of the user's own settings files: $XDG_CONFIG_HOME/corvina or ~/.config/corvina.
    static std::filesystem::path UserFolder();

    std::optional<std::int32_t> GetDword(HKEY hive, const std::string& key, const std::string& name) const;
    std::optional<std::string> GetString(HKEY hive, const std::string& key, const std::string& name) const;
    // Names of the direct subkeys of a key, in the case first seen.
    std::vector<std::string> SubKeys(HKEY hive, const std::string& key) const;
    bool KeyExists(HKEY hive, const std::string& key) const;

    // Lines that were skipped while parsing, "file:line: reason", since the last load.
    const std::vector<std::string>& Problems() const;

    Registry();
    ~Registry();
    Registry(const Registry&) = delete;
    Registry& operator=(const Registry&) = delete;

private:
    struct Impl;
    Impl* m_impl;
};

// The registry calls the editor makes, each reading Registry::Instance().
class CRegistryHelper {
public:
    // Reads a DWORD as a signed 32-bit number; nonzero when the value was read.
    int bGetDWordAsLongFromRegistry(long& value, const std::string& name, HKEY hive, std::string keyPath) const;
    // Reads a string value; nonzero when the value was read.
    int bGetStringFromRegistry(std::string& value, const std::string& name, HKEY hive, std::string keyPath) const;
    // Nonzero when the key at parentPath (HKEY_LOCAL_MACHINE) has a subkey named subkey.
    static int bIsKeyInSubkeyEnumeration(const std::string& subkey, const std::string& parentPath);
    // The user's folder for a purpose ("RingingtoneFile": where melodies are kept): the string value
    // of that name under the suite root when present, else the XDG music folder, else $HOME.
    static std::string GetUserSpecificPath(const std::string& name);
};

} // namespace corvina
