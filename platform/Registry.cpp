// The process-wide registry: which .reg files make it up, and locked access to their merged contents.
#include "CRegistryHelper.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <mutex>
#include <shared_mutex>
#include <sstream>
#include <system_error>

#include "RegParser.h"
#include "RegStore.h"
#include "ShippedData.h"

namespace corvina {
namespace {

// A registry file larger than this is refused unread: no real configuration comes near it.
constexpr std::uintmax_t kMaxFileBytes = 64u * 1024 * 1024;

constexpr const char* kHiveNames[] = {"HKEY_LOCAL_MACHINE", "HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER"};

std::string FullPath(HKEY hive, const std::string& key)
{
    return RegStore::CanonicalPath(std::string(kHiveNames[static_cast<int>(hive)]) + "\\" + key);
}

// All *.reg files of a folder, in name order; nothing when the folder is missing.
std::vector<std::filesystem::path> RegFilesIn(const std::filesystem::path& folder)
{
    std::vector<std::filesystem::path> files;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        if (it->path().extension() == ".reg" && it->is_regular_file(ec))
            files.push_back(it->path());
    std::sort(files.begin(), files.end());
    return files;
}

std::filesystem::path ShippedFolder()
{
    const std::filesystem::path data = ShippedDataFolder();
    return data.empty() ? data : data / "registry";
}

std::filesystem::path UserConfigFolder()
{
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg == '/')
        return xdg;
    if (const char* home = std::getenv("HOME"); home && *home)
        return std::filesystem::path(home) / ".config";
    return {};
}

} // namespace

struct Registry::Impl {
    mutable std::shared_mutex lock;
    RegStore store;
    std::vector<std::string> problems;
};

Registry::Registry() : m_impl(new Impl) {}

Registry::~Registry()
{
    delete m_impl;
}

Registry& Registry::Instance()
{
    // Never destroyed: threads still tracing while the process exits may read it.
    static Registry* instance = [] {
        auto* registry = new Registry;
        registry->Reload();
        return registry;
    }();
    return *instance;
}

std::filesystem::path Registry::UserFolder()
{
    const std::filesystem::path config = UserConfigFolder();
    return config.empty() ? config : config / "corvina";
}

std::vector<std::filesystem::path> Registry::DefaultFiles()
{
    std::vector<std::filesystem::path> files;
    if (const char* list = std::getenv("CORVINA_REGISTRY"); list && *list) {
        std::stringstream items(list);
        for (std::string item; std::getline(items, item, ':');)
            if (!item.empty())
                files.emplace_back(item);
        return files;
    }
    for (const std::filesystem::path& folder : {ShippedFolder(), std::filesystem::path("/etc/corvina")}) {
        std::vector<std::filesystem::path> found = RegFilesIn(folder);
        files.insert(files.end(), found.begin(), found.end());
    }
    if (std::filesystem::path config = UserConfigFolder(); !config.empty()) {
        std::vector<std::filesystem::path> found = RegFilesIn(config / "corvina");
        files.insert(files.end(), found.begin(), found.end());
    }
    return files;
}

void Registry::Load(const std::vector<std::filesystem::path>& files)
{
    RegStore store;
    std::vector<std::string> problems;
    for (const std::filesystem::path& file : files) {
        std::error_code ec;
        std::uintmax_t size = std::filesystem::file_size(file, ec);
        if (ec) {
            problems.push_back(file.string() + ": cannot be read (" + ec.message() + ")");
            continue;
        }
        if (size > kMaxFileBytes) {
            problems.push_back(file.string() + ": larger than " + std::to_string(kMaxFileBytes >> 20) +
                               " MiB, not read");
            continue;
        }
        std::ifstream in(file, std::ios::binary);
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (in.bad()) {
            problems.push_back(file.string() + ": cannot be read");
            continue;
        }
        RegParser(store, problems, file.string()).Parse(text);
    }
    std::unique_lock guard(m_impl->lock);
    m_impl->store = std::move(store);
    m_impl->problems = std::move(problems);
}

void Registry::LoadText(const std::string& text)
{
    RegStore store;
    std::vector<std::string> problems;
    RegParser(store, problems, "<text>").Parse(text);
    std::unique_lock guard(m_impl->lock);
    m_impl->store = std::move(store);
    m_impl->problems = std::move(problems);
}

void Registry::MergeText(const std::string& text)
{
    std::unique_lock guard(m_impl->lock);
    RegParser(m_impl->store, m_impl->problems, "<text>").Parse(text);
}

void Registry::Reload()
{
    Load(DefaultFiles());
}

std::optional<std::int32_t> Registry::GetDword(HKEY hive, const std::string& key, const std::string& name) const
{
    std::shared_lock guard(m_impl->lock);
    const RegKey* found = m_impl->store.Find(FullPath(hive, key));
    if (!found)
        return std::nullopt;
    auto value = found->values.find(RegStore::Lower(name));
    if (value == found->values.end() || !std::holds_alternative<std::int32_t>(value->second.data))
        return std::nullopt;
    return std::get<std::int32_t>(value->second.data);
}

std::optional<std::string> Registry::GetString(HKEY hive, const std::string& key, const std::string& name) const
{
    std::shared_lock guard(m_impl->lock);
    const RegKey* found = m_impl->store.Find(FullPath(hive, key));
    if (!found)
        return std::nullopt;
    auto value = found->values.find(RegStore::Lower(name));
    if (value == found->values.end() || !std::holds_alternative<std::string>(value->second.data))
        return std::nullopt;
    return std::get<std::string>(value->second.data);
}

std::vector<std::string> Registry::SubKeys(HKEY hive, const std::string& key) const
{
    std::shared_lock guard(m_impl->lock);
    std::vector<std::string> names;
    if (const RegKey* found = m_impl->store.Find(FullPath(hive, key)))
        for (const auto& [lower, name] : found->children)
            names.push_back(name);
    return names;
}

bool Registry::KeyExists(HKEY hive, const std::string& key) const
{
    std::shared_lock guard(m_impl->lock);
    return m_impl->store.Find(FullPath(hive, key)) != nullptr;
}

const std::vector<std::string>& Registry::Problems() const
{
    return m_impl->problems;
}

} // namespace corvina
