// Settings the user chooses in the editor (the phone's port and speed), kept in the user's own
// settings file so that they hold for the next start too, and in force at once.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace corvina {

// One value under the suite's key: a string or a DWORD.
struct SUserValue {
    std::string name;
    std::optional<std::string> text;
    std::optional<std::uint32_t> dword;
};

// The file the values go to: phone.reg in the user's settings folder.
std::filesystem::path UserSettingsFile();
// Writes the values into that file, replacing those of the same names and keeping every other line
// (a file the user wrote by hand stays theirs), and merges them into the registry in force. The
// file is written anew beside itself and renamed over the old one, so a full disk loses nothing.
// False with the reason when it cannot be written (the values are in force all the same).
bool SaveUserValues(const std::vector<SUserValue>& values, std::string& error);
// The .reg text of one value line ("\"Port\"=\"auto\"", "\"Baud\"=dword:0001c200").
std::string RegValueLine(const SUserValue& value);

} // namespace corvina
