// Helpers shared by the phone tests: registry texts pointing at a phone, and listing rows as values.
#pragma once

#include "CRegistryHelper.h"
#include "FakeUi.h"
#include "IMBXVolume.h"
#include "ScratchFolder.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

namespace corvina::test {

// The shipped service registrations plus the given suite-root values ("\"Port\"=\"...\"" lines).
inline void LoadRegistry(const std::string& suiteValues)
{
    std::string text = ReadFile(CORVINA_SERVICES_REG);
    text += "\n[HKEY_LOCAL_MACHINE\\Software\\Halvren\\Corvina]\n" + suiteValues + "\n";
    Registry::Instance().LoadText(text);
}

// A registry string value line with backslashes escaped.
inline std::string RegString(const std::string& name, const std::string& value)
{
    std::string escaped;
    for (char c : value)
        escaped += c == '\\' ? std::string("\\\\") : std::string(1, c);
    return "\"" + name + "\"=\"" + escaped + "\"\n";
}

// A listing row's name, size, attributes and tone number (all but the date), to compare whole rows.
inline std::tuple<std::string, int, std::uint32_t, int> Row(const MBX_LISTENTRY& row)
{
    return {row.name, row.number, row.attributes, row.toneNumber};
}

} // namespace corvina::test
