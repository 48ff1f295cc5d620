// corvina-midi suggest: loads the file, collects the chosen notes and prints the suggested clip.
#include "SuggestCommand.h"

#include "ClipReason.h"
#include "ClipSuggestion.h"
#include "MidiToolSupport.h"

#include <charconv>
#include <cstdio>
#include <optional>

namespace corvina::tool {

namespace {

// Seconds as plain decimals ("25", "12.5"); no signs, exponents or words, which from_chars would take.
std::optional<double> ParseSeconds(const std::string& text)
{
    if (text.empty() || text.find_first_not_of("0123456789.") != std::string::npos)
        return std::nullopt;
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !(value > 0) || value > kMaxClipTargetSeconds)
        return std::nullopt;
    return value;
}

std::string JsonText(const std::string& text)
{
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\')
            out += '\\';
        out += c;
    }
    return out + "\"";
}

const char* BasisName(EClipBasis basis)
{
    switch (basis) {
    case EClipBasis::kRepetition: return "repetition";
    case EClipBasis::kDensest: return "densest";
    case EClipBasis::kWholeTune: return "whole";
    case EClipBasis::kNoNotes: break;
    }
    return "none";
}

} // namespace

int RunSuggest(const std::vector<std::string>& args)
{
    SClipChoice choice;
    if (const std::string error = ParseClipChoice(args, {"--seconds"}, {}, true, choice); !error.empty())
        return UsageError("suggest: " + error);
    if (choice.fromUs || choice.toUs || !choice.output.empty())
        return UsageError("suggest takes no --from, --to or -o");
    SClipSuggestionOptions options;
    if (const auto seconds = choice.more.find("--seconds"); seconds != choice.more.end()) {
        const std::optional<double> value = ParseSeconds(seconds->second);
        if (!value)
            return UsageError("--seconds must be a number above 0 and at most 3600: " + seconds->second);
        options.dTargetSeconds = *value;
    }
    CMidiFile file;
    if (const int result = LoadWaiting(file, choice.input); result != kMidiLoadOk) {
        std::fprintf(stderr, "corvina-midi: %s: %s\n", choice.input.c_str(), LoadMessage(result).c_str());
        return kExitLoad;
    }
    if (!choice.all && *choice.track >= file.GetTrackCount())
        return UsageError("the file has no track " + std::to_string(*choice.track));
    const SClipSuggestion suggestion = SuggestClip(ChosenNotes(file, choice), options);
    if (suggestion.eBasis == EClipBasis::kNoNotes) {
        std::fprintf(stderr, "corvina-midi: no notes to suggest a clip from\n");
        return kExitNoNotes;
    }
    std::string transposed, varied;
    for (std::size_t i = 1; i < suggestion.occurrences.size(); ++i) {
        transposed += (i > 1 ? ", " : "") + std::to_string(suggestion.occurrences[i].nSemitones);
        varied += std::string(i > 1 ? ", " : "") + (suggestion.occurrences[i].bVaried ? "true" : "false");
    }
    std::printf("{\"from_ms\": %u, \"to_ms\": %u, \"repeats\": %d, \"transposed\": [%s], \"varied\": [%s], "
                "\"basis\": \"%s\", \"reason\": %s}\n",
                suggestion.dwFromMs, suggestion.dwToMs, suggestion.Repeats(), transposed.c_str(), varied.c_str(),
                BasisName(suggestion.eBasis), JsonText(WordClipReason(suggestion)).c_str());
    return kExitOk;
}

} // namespace corvina::tool
