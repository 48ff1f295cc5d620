// The in-memory tree of registry keys and values that the .reg files describe.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace corvina {

// One stored value; the name keeps the case it was first written with ("" is the key's default).
struct RegValue {
    std::string name;
    std::variant<std::int32_t, std::string> data;
};

// One key: its values and the names of its direct subkeys, both indexed by lower-case name.
struct RegKey {
    std::map<std::string, RegValue> values;
    std::map<std::string, std::string> children;
};

// Keys by full path ("HKEY_LOCAL_MACHINE\Software\..."); paths and names compare ignoring case.
class RegStore {
public:
    // Canonical full path of a key: hive name and components joined by single backslashes, or "" when
    // the hive is not one the store knows. Accepts the long and short hive names.
    static std::string CanonicalPath(std::string_view fullPath);
    // Lower-case ASCII copy, the form used for every comparison.
    static std::string Lower(std::string_view text);

    // Deepest key path a registry file may name: subkeys below the hive, as on the original platform.
    static constexpr std::size_t kMaxDepth = 512;
    // Number of subkey levels below the hive in a canonical path.
    static std::size_t Depth(std::string_view canonicalPath);

    // Creates the key and any missing parents (as importing a .reg file does) and returns it.
    RegKey& Ensure(const std::string& canonicalPath);
    // Removes the key and everything below it.
    void Remove(const std::string& canonicalPath);
    const RegKey* Find(const std::string& canonicalPath) const;

    void SetValue(RegKey& key, const std::string& name, std::variant<std::int32_t, std::string> data);
    void RemoveValue(RegKey& key, const std::string& name);

    std::size_t KeyCount() const { return m_keys.size(); }

private:
    std::map<std::string, RegKey> m_keys; // indexed by lower-case canonical path
};

} // namespace corvina
