// The registry calls the editor makes, and the user's melody folder.
#include "CRegistryHelper.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <system_error>

namespace corvina {
namespace {

std::string HomeFolder()
{
    if (const char* home = std::getenv("HOME"); home && *home)
        return home;
    if (const passwd* entry = getpwuid(getuid()); entry && entry->pw_dir)
        return entry->pw_dir;
    return "/";
}

bool IsFolder(const std::string& path)
{
    std::error_code ec;
    return !path.empty() && std::filesystem::is_directory(path, ec);
}

// The music folder the desktop names in user-dirs.dirs, with "$HOME" expanded; "" when not named.
std::string XdgMusicFolder(const std::string& home)
{
    std::filesystem::path config;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg == '/')
        config = xdg;
    else
        config = std::filesystem::path(home) / ".config";
    std::ifstream in(config / "user-dirs.dirs");
    std::string found;
    for (std::string line; std::getline(in, line);) {
        std::size_t start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line.compare(start, 14, "XDG_MUSIC_DIR=") != 0)
            continue;
        std::string value = line.substr(start + 14);
        while (!value.empty() && (value.back() == '\r' || value.back() == ' ' || value.back() == '\t'))
            value.pop_back();
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = value.substr(1, value.size() - 2);
        if (value.compare(0, 5, "$HOME") == 0 && (value.size() == 5 || value[5] == '/'))
            found = home + value.substr(5);
        else if (!value.empty() && value.front() == '/')
            found = value;
        // The last assignment wins, as when the file is sourced by a shell.
    }
    return found;
}

} // namespace

int CRegistryHelper::bGetDWordAsLongFromRegistry(long& value, const std::string& name, HKEY hive,
                                                 std::string keyPath) const
{
    std::optional<std::int32_t> read = Registry::Instance().GetDword(hive, keyPath, name);
    if (!read)
        return 0;
    value = *read;
    return 1;
}

int CRegistryHelper::bGetStringFromRegistry(std::string& value, const std::string& name, HKEY hive,
                                            std::string keyPath) const
{
    std::optional<std::string> read = Registry::Instance().GetString(hive, keyPath, name);
    if (!read)
        return 0;
    value = std::move(*read);
    return 1;
}

int CRegistryHelper::bIsKeyInSubkeyEnumeration(const std::string& subkey, const std::string& parentPath)
{
    // A name with a backslash would reach deeper than the direct subkeys.
    if (subkey.empty() || subkey.find('\\') != std::string::npos)
        return 0;
    // Subkey names compare ignoring case, as key lookups do.
    return Registry::Instance().KeyExists(HKEY_LOCAL_MACHINE, parentPath + "\\" + subkey) ? 1 : 0;
}

std::string CRegistryHelper::GetUserSpecificPath(const std::string& name)
{
    if (std::optional<std::string> configured = Registry::Instance().GetString(HKEY_LOCAL_MACHINE, kSuiteRootKey, name);
        configured && !configured->empty())
        return *configured;
    std::string home = HomeFolder();
    if (std::string music = XdgMusicFolder(home); IsFolder(music))
        return music;
    if (std::string music = (std::filesystem::path(home) / "Music").string(); IsFolder(music))
        return music;
    return home;
}

} // namespace corvina
