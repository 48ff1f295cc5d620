// Reading the information lines of AT answers and the sound-mode word conversions.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace corvina::atanswer {

// "+CRSL: (1-4)" with prefix "+CRSL:" gives {1, 4}; anything else gives nothing.
std::optional<std::pair<int, int>> Range(const std::string& line, const std::string& prefix);
// "^CLTN: 6,3,2" with prefix "^CLTN:" gives {6, 3, 2}; count numbers are required.
std::optional<std::vector<int>> Numbers(const std::string& line, const std::string& prefix, std::size_t count);
// "^CAFL: 6,"A:\x\y.mid"" with prefix "^CAFL:" gives {6, "A:\x\y.mid"}.
std::optional<std::pair<int, std::string>> NumberAndString(const std::string& line, const std::string& prefix);

// The value of an identification answer: "+CGSN: 35..." or "+CGMM: \"M55\"" or a bare "M55"
// gives the text without the prefix, surrounding blanks and quotes.
std::string PlainValue(const std::string& line, const std::string& prefix);

// The AT+CALM and AT+CVIB values for a sound-mode word (-1: not sent); nothing when the word
// cannot be sent (no bit at all, or more than one ringer bit).
struct SoundModeCommands {
    int calm = -1;
    int cvib = -1;
};
std::optional<SoundModeCommands> CommandsForSoundMode(std::int32_t word);
// The sound-mode word for the phone's +CALM and +CVIB values; nothing for unknown values.
std::optional<std::int32_t> SoundModeFromAnswers(int calm, int cvib);

} // namespace corvina::atanswer
