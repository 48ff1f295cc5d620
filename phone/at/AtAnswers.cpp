// Reading the information lines of AT answers and the sound-mode word conversions.
#include "AtAnswers.h"

#include <cctype>
#include <charconv>

namespace corvina::atanswer {

namespace {

// The text after the prefix with leading blanks removed, or nothing when the prefix is absent.
std::optional<std::string> Body(const std::string& line, const std::string& prefix)
{
    if (line.compare(0, prefix.size(), prefix) != 0)
        return std::nullopt;
    std::size_t i = prefix.size();
    while (i < line.size() && line[i] == ' ')
        ++i;
    return line.substr(i);
}

// Reads an optionally negative decimal number at pos; pos moves past it.
std::optional<int> Number(const std::string& text, std::size_t& pos)
{
    while (pos < text.size() && text[pos] == ' ')
        ++pos;
    int value = 0;
    const char* first = text.data() + pos;
    auto [end, ec] = std::from_chars(first, text.data() + text.size(), value);
    if (ec != std::errc() || end == first)
        return std::nullopt;
    pos += static_cast<std::size_t>(end - first);
    while (pos < text.size() && text[pos] == ' ')
        ++pos;
    return value;
}

bool Expect(const std::string& text, std::size_t& pos, char c)
{
    if (pos >= text.size() || text[pos] != c)
        return false;
    ++pos;
    return true;
}

} // namespace

std::optional<std::pair<int, int>> Range(const std::string& line, const std::string& prefix)
{
    auto body = Body(line, prefix);
    if (!body)
        return std::nullopt;
    std::size_t pos = 0;
    if (!Expect(*body, pos, '('))
        return std::nullopt;
    auto start = Number(*body, pos);
    if (!start || !Expect(*body, pos, '-'))
        return std::nullopt;
    auto end = Number(*body, pos);
    if (!end || !Expect(*body, pos, ')') || pos != body->size())
        return std::nullopt;
    return std::make_pair(*start, *end);
}

std::optional<std::vector<int>> Numbers(const std::string& line, const std::string& prefix, std::size_t count)
{
    auto body = Body(line, prefix);
    if (!body)
        return std::nullopt;
    std::vector<int> values;
    std::size_t pos = 0;
    for (std::size_t i = 0; i < count; ++i) {
        if (i > 0 && !Expect(*body, pos, ','))
            return std::nullopt;
        auto value = Number(*body, pos);
        if (!value)
            return std::nullopt;
        values.push_back(*value);
    }
    if (pos != body->size())
        return std::nullopt;
    return values;
}

std::optional<std::pair<int, std::string>> NumberAndString(const std::string& line, const std::string& prefix)
{
    auto body = Body(line, prefix);
    if (!body)
        return std::nullopt;
    std::size_t pos = 0;
    auto number = Number(*body, pos);
    if (!number || !Expect(*body, pos, ',') || !Expect(*body, pos, '"'))
        return std::nullopt;
    const std::size_t close = body->find('"', pos);
    if (close == std::string::npos || close + 1 != body->size())
        return std::nullopt;
    return std::make_pair(*number, body->substr(pos, close - pos));
}

std::string PlainValue(const std::string& line, const std::string& prefix)
{
    std::string value = line.compare(0, prefix.size(), prefix) == 0 ? line.substr(prefix.size()) : line;
    const std::size_t first = value.find_first_not_of(" \t");
    const std::size_t last = value.find_last_not_of(" \t");
    value = first == std::string::npos ? std::string() : value.substr(first, last - first + 1);
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        value = value.substr(1, value.size() - 2);
    return value;
}

std::optional<SoundModeCommands> CommandsForSoundMode(std::int32_t word)
{
    SoundModeCommands commands;
    int ringerBits = 0;
    if (word & 0x01) {
        commands.calm = 0;
        ++ringerBits;
    }
    if (word & 0x02) {
        commands.calm = 1;
        ++ringerBits;
    }
    if (word & 0x04) {
        commands.calm = 2;
        ++ringerBits;
    }
    if (word & 0x20)
        commands.cvib = 0;
    if (word & (0x10 | 0x40))
        commands.cvib = 1;
    const bool bothVibration = (word & 0x20) && (word & (0x10 | 0x40));
    if (ringerBits > 1 || bothVibration || (commands.calm < 0 && commands.cvib < 0))
        return std::nullopt;
    return commands;
}

std::optional<std::int32_t> SoundModeFromAnswers(int calm, int cvib)
{
    static constexpr std::int32_t kRinger[] = {0x01, 0x02, 0x04};
    static constexpr std::int32_t kVibration[] = {0x20, 0x10, 0x40};
    if (calm < 0 || calm > 2 || cvib < 0 || cvib > 2)
        return std::nullopt;
    return kRinger[calm] | kVibration[cvib];
}

} // namespace corvina::atanswer
