// The reason for a suggested clip, put together from a table of phrases.
#include "ClipReason.h"

#include <cstdlib>

namespace corvina {

namespace {

std::string Fill(std::string text, const std::string& field, const std::string& value)
{
    for (std::size_t at = text.find(field); at != std::string::npos; at = text.find(field, at + value.size()))
        text.replace(at, field.size(), value);
    return text;
}

} // namespace

const SClipReasonWords& EnglishClipReasonWords()
{
    static const SClipReasonWords words = [] {
        SClipReasonWords w;
        w.intervals = {"the same key",    "a semitone",      "a whole tone", "a minor third", "a major third",
                       "a fourth",        "a tritone",       "a fifth",      "a minor sixth", "a major sixth",
                       "a minor seventh", "a major seventh", "an octave"};
        w.semitones = "{n} semitones";
        w.returns = {"first return", "second return",  "third return",  "fourth return", "fifth return",
                     "sixth return", "seventh return", "eighth return", "ninth return",  "tenth return"};
        w.returnNumber = "return {n}";
        w.returnsOnce = "returns once";
        w.returnsTimes = "returns {n} times";
        w.higher = "{return} {interval} higher";
        w.lower = "{return} {interval} lower";
        w.varied = "{return} varied";
        w.higherVaried = "{return} {interval} higher and varied";
        w.lowerVaried = "{return} {interval} lower and varied";
        w.separator = "; ";
        w.noRepeat = "no part returns; the stretch with the most notes";
        w.wholeTune = "the whole tune, no longer than a clip";
        w.noNotes = "no notes";
        return w;
    }();
    return words;
}

std::string WordClipReason(const SClipSuggestion& suggestion, const SClipReasonWords& words)
{
    switch (suggestion.eBasis) {
    case EClipBasis::kNoNotes: return words.noNotes;
    case EClipBasis::kDensest: return words.noRepeat;
    case EClipBasis::kWholeTune: return words.wholeTune;
    case EClipBasis::kRepetition: break;
    }
    const int returns = suggestion.Repeats() - 1;
    std::string text = returns == 1 ? words.returnsOnce : Fill(words.returnsTimes, "{n}", std::to_string(returns));
    for (std::size_t i = 1; i < suggestion.occurrences.size(); ++i) {
        const SClipOccurrence& occurrence = suggestion.occurrences[i];
        if (occurrence.nSemitones == 0 && !occurrence.bVaried)
            continue;
        const std::string name =
            i - 1 < words.returns.size() ? words.returns[i - 1] : Fill(words.returnNumber, "{n}", std::to_string(i));
        const int distance = std::abs(occurrence.nSemitones);
        const std::string interval = distance < static_cast<int>(words.intervals.size())
                                         ? words.intervals[static_cast<std::size_t>(distance)]
                                         : Fill(words.semitones, "{n}", std::to_string(distance));
        const std::string* pattern = &words.varied;
        if (occurrence.nSemitones > 0)
            pattern = occurrence.bVaried ? &words.higherVaried : &words.higher;
        else if (occurrence.nSemitones < 0)
            pattern = occurrence.bVaried ? &words.lowerVaried : &words.lower;
        text += words.separator + Fill(Fill(*pattern, "{return}", name), "{interval}", interval);
    }
    return text;
}

} // namespace corvina
