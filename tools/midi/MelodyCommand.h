// corvina-midi melody: the tune of a clip as one line, written as iMelody, RTTTL or JSON.
#pragma once

#include <string>
#include <vector>

namespace corvina::tool {

// Runs "melody" with the arguments after the subcommand; returns the exit code.
int RunMelody(const std::vector<std::string>& args);

} // namespace corvina::tool
