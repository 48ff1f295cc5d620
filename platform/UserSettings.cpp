// Writing the user's own settings file: the suite's key section is found and its named values
// replaced in place; everything else in the file is copied as it was.
#include "UserSettings.h"

#include "CRegistryHelper.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace corvina {
namespace {

constexpr const char* kHeader = "Windows Registry Editor Version 5.00";
const std::string kSection = std::string("[HKEY_LOCAL_MACHINE\\") + kSuiteRootKey + "]";

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string Escape(const std::string& text)
{
    std::string out;
    for (char c : text) {
        if (c == '\\' || c == '"')
            out += '\\';
        out += c;
    }
    return out;
}

// The value name a line sets ("Port" for "\"Port\"=\"auto\""), lower case; "" for other lines.
std::string NameOf(const std::string& line)
{
    if (line.empty() || line[0] != '"')
        return {};
    const std::size_t end = line.find('"', 1);
    return end == std::string::npos ? std::string() : Lower(line.substr(1, end - 1));
}

} // namespace

std::filesystem::path UserSettingsFile()
{
    const std::filesystem::path folder = Registry::UserFolder();
    return folder.empty() ? folder : folder / "phone.reg";
}

std::string RegValueLine(const SUserValue& value)
{
    std::string line = "\"" + Escape(value.name) + "\"=";
    if (value.dword) {
        char text[16];
        std::snprintf(text, sizeof text, "dword:%08x", *value.dword);
        return line + text;
    }
    return line + "\"" + Escape(value.text.value_or("")) + "\"";
}

bool SaveUserValues(const std::vector<SUserValue>& values, std::string& error)
{
    std::string merged = std::string(kHeader) + "\n\n" + kSection + "\n";
    for (const SUserValue& value : values)
        merged += RegValueLine(value) + "\n";
    Registry::Instance().MergeText(merged);

    const std::filesystem::path file = UserSettingsFile();
    if (file.empty()) {
        error = "no settings folder (neither XDG_CONFIG_HOME nor HOME is set)";
        return false;
    }
    std::vector<std::string> lines;
    {
        std::ifstream in(file);
        for (std::string line; std::getline(in, line);) {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            lines.push_back(line);
        }
    }
    if (lines.empty())
        lines = {kHeader, ""};
    // Values of the same names in the suite's section go; the new ones follow the section's header.
    std::vector<std::string> out;
    bool inSuite = false, placed = false;
    for (const std::string& line : lines) {
        if (!line.empty() && line[0] == '[') {
            inSuite = Lower(line) == Lower(kSection);
            out.push_back(line);
            if (inSuite && !placed) {
                for (const SUserValue& value : values)
                    out.push_back(RegValueLine(value));
                placed = true;
            }
            continue;
        }
        const std::string name = NameOf(line);
        if (inSuite && !name.empty() &&
            std::any_of(values.begin(), values.end(), [&](const SUserValue& v) { return Lower(v.name) == name; }))
            continue;
        out.push_back(line);
    }
    if (!placed) {
        if (!out.empty() && !out.back().empty())
            out.push_back("");
        out.push_back(kSection);
        for (const SUserValue& value : values)
            out.push_back(RegValueLine(value));
    }
    std::error_code ec;
    std::filesystem::create_directories(file.parent_path(), ec);
    const std::filesystem::path temp = file.string() + ".new";
    {
        std::ofstream write(temp, std::ios::trunc);
        for (const std::string& line : out)
            write << line << "\n";
        write.flush();
        if (!write) {
            std::filesystem::remove(temp, ec);
            error = "cannot write " + file.string();
            return false;
        }
    }
    std::filesystem::rename(temp, file, ec);
    if (ec) {
        std::filesystem::remove(temp, ec);
        error = "cannot replace " + file.string();
        return false;
    }
    return true;
}

} // namespace corvina
