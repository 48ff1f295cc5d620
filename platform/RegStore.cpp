// The key tree behind the registry: case-insensitive paths, parents created on demand.
#include "RegStore.h"

#include <array>
#include <cctype>
#include <utility>

namespace corvina {
namespace {

struct HiveName {
    std::string_view longName;
    std::string_view shortName;
};

constexpr std::array<HiveName, 5> kHives{{
    {"HKEY_LOCAL_MACHINE", "HKLM"},
    {"HKEY_CLASSES_ROOT", "HKCR"},
    {"HKEY_CURRENT_USER", "HKCU"},
    {"HKEY_USERS", "HKU"},
    {"HKEY_CURRENT_CONFIG", "HKCC"},
}};

bool EqualNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

std::vector<std::string_view> Components(std::string_view path)
{
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('\\', start);
        if (end == std::string_view::npos)
            end = path.size();
        if (end > start)
            parts.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

} // namespace

std::string RegStore::Lower(std::string_view text)
{
    std::string lower(text);
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower;
}

std::string RegStore::CanonicalPath(std::string_view fullPath)
{
    std::vector<std::string_view> parts = Components(fullPath);
    if (parts.empty())
        return {};
    std::string path;
    for (const HiveName& hive : kHives)
        if (EqualNoCase(parts[0], hive.longName) || EqualNoCase(parts[0], hive.shortName))
            path = hive.longName;
    if (path.empty())
        return {};
    for (std::size_t i = 1; i < parts.size(); ++i) {
        path += '\\';
        path += parts[i];
    }
    return path;
}

RegKey& RegStore::Ensure(const std::string& canonicalPath)
{
    // Walk up to the nearest key that exists, then create the missing ones downwards: a loop, so a
    // deep path cannot exhaust the stack, and each missing key is looked up once.
    std::string lower = Lower(canonicalPath);
    std::vector<std::size_t> missing; // lengths of the missing keys' paths, deepest first
    std::size_t length = lower.size();
    while (true) {
        if (m_keys.find(lower.substr(0, length)) != m_keys.end())
            break;
        missing.push_back(length);
        const std::size_t cut = lower.rfind('\\', length - 1);
        if (cut == std::string::npos || cut == 0)
            break;
        length = cut;
    }
    for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
        const std::size_t end = *it;
        m_keys.try_emplace(lower.substr(0, end));
        const std::size_t cut = lower.rfind('\\', end - 1);
        if (cut == std::string::npos || cut == 0)
            continue;
        RegKey& parent = m_keys[lower.substr(0, cut)];
        parent.children.emplace(lower.substr(cut + 1, end - cut - 1), canonicalPath.substr(cut + 1, end - cut - 1));
    }
    return m_keys[lower];
}

std::size_t RegStore::Depth(std::string_view canonicalPath)
{
    std::size_t depth = 0;
    for (char c : canonicalPath)
        depth += c == '\\' ? 1 : 0;
    return depth;
}

void RegStore::Remove(const std::string& canonicalPath)
{
    std::string lower = Lower(canonicalPath);
    std::string below = lower + '\\';
    for (auto it = m_keys.lower_bound(lower); it != m_keys.end();) {
        if (it->first == lower || it->first.compare(0, below.size(), below) == 0)
            it = m_keys.erase(it);
        else if (it->first.compare(0, lower.size(), lower) == 0)
            ++it; // a sibling such as "...\Key2" sorts between the key and its children
        else
            break;
    }
    std::size_t cut = lower.rfind('\\');
    if (cut != std::string::npos)
        if (auto parent = m_keys.find(lower.substr(0, cut)); parent != m_keys.end())
            parent->second.children.erase(lower.substr(cut + 1));
}

const RegKey* RegStore::Find(const std::string& canonicalPath) const
{
    auto found = m_keys.find(Lower(canonicalPath));
    return found == m_keys.end() ? nullptr : &found->second;
}

void RegStore::SetValue(RegKey& key, const std::string& name, std::variant<std::int32_t, std::string> data)
{
    std::string lower = Lower(name);
    auto found = key.values.find(lower);
    if (found == key.values.end())
        key.values.emplace(std::move(lower), RegValue{name, std::move(data)});
    else
        found->second.data = std::move(data);
}

void RegStore::RemoveValue(RegKey& key, const std::string& name)
{
    key.values.erase(Lower(name));
}

} // namespace corvina
