// Fuzz target for what the editor reads from a phone: any bytes are fed, in pieces, to the AT answer
// parser, and its information lines go through the readers of numbers, ranges and strings.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "AtAnswers.h"
#include "CAtParser.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    // The first byte picks the command's information prefix and the size of the pieces fed.
    static const char* const kPrefixes[] = {"+CRSL:", "^CLTN:", "^CAFL:", "+CALM:", "+CVIB:", ""};
    const std::string prefix = kPrefixes[data[0] % 6];
    const std::size_t piece = 1 + (data[0] >> 3);
    corvina::CAtParser parser;
    parser.Start("AT" + prefix.substr(prefix.empty() ? 0 : 1), prefix);
    const char* text = reinterpret_cast<const char*>(data + 1);
    for (std::size_t at = 0; at < size - 1 && !parser.Done(); at += piece) {
        parser.Feed(text + at, std::min(piece, size - 1 - at));
        if (parser.Pending().size() > corvina::CAtParser::kMaxLine + piece)
            std::abort();
    }
    for (const std::string& line : parser.Info()) {
        corvina::atanswer::Range(line, prefix);
        corvina::atanswer::Numbers(line, prefix, 3);
        if (auto pair = corvina::atanswer::NumberAndString(line, prefix); pair && pair->second.size() > line.size())
            std::abort();
    }
    corvina::HRESULT hr = 0;
    for (const std::string& line : parser.Lines()) {
        corvina::CAtParser::IsFinalResult(line, hr);
        corvina::CAtParser::LooksUnsolicited(line);
    }
    const std::int32_t word = static_cast<std::int32_t>(size * 2654435761u);
    if (auto commands = corvina::atanswer::CommandsForSoundMode(word))
        corvina::atanswer::SoundModeFromAnswers(commands->calm, commands->cvib);
    return 0;
}
