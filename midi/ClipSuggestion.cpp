// The clip suggestion: the top line's returns give the section, the phrase boundaries its ends.
#include "ClipSuggestion.h"

#include "CPhraseBoundaries.h"
#include "RepeatedSections.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace corvina {

int SClipSuggestion::Repeats() const
{
    switch (eBasis) {
    case EClipBasis::kNoNotes: return 0;
    case EClipBasis::kRepetition: return static_cast<int>(occurrences.size());
    default: return 1;
    }
}

std::vector<int> SClipSuggestion::ReturnSemitones() const
{
    std::vector<int> semitones;
    for (std::size_t i = 1; i < occurrences.size(); ++i)
        semitones.push_back(occurrences[i].nSemitones);
    return semitones;
}

SClipSuggestion SuggestClip(const std::vector<SMidiNote>& notes, const SClipSuggestionOptions& options)
{
    const double target = options.dTargetSeconds;
    if (!(target > 0.0) || !(target <= kMaxClipTargetSeconds))
        throw std::invalid_argument("the clip length must be a number of seconds above 0 and at most 3600");
    SClipSuggestion result;
    if (notes.empty())
        return result;
    const std::int64_t targetUs = std::llround(target * 1e6);
    const std::int64_t minUs = std::llround(target * (1.0 - kClipLengthSlack) * 1e6);
    const std::int64_t maxUs = std::llround(target * (1.0 + kClipLengthSlack) * 1e6);

    const CPhraseBoundaries bounds(notes);
    const std::int64_t tuneEnd = bounds.TuneEnd();
    // The clip keeps every note that starts within [from, to]: it ends just before the onset that
    // follows it, so the next phrase's first note is not struck and cut off at once.
    const auto finish = [&](EClipBasis basis, std::int64_t fromUs, std::int64_t boundaryUs) {
        result.eBasis = basis;
        result.dwFromMs = static_cast<std::uint32_t>(fromUs / 1000);
        const std::int64_t toUs = boundaryUs >= tuneEnd ? tuneEnd : boundaryUs - 1;
        result.dwToMs = static_cast<std::uint32_t>(std::max(toUs, fromUs) / 1000);
        return result;
    };
    if (tuneEnd - bounds.FirstOnset() <= minUs)
        return finish(EClipBasis::kWholeTune, bounds.FirstOnset(), tuneEnd);

    const std::vector<STopNote> line = OnsetTopLine(notes);
    SRepeatLimits limits;
    // A section of the shortest clip's length comes back at least half that length later; the
    // shorter returns within it are its own inner repeats.
    limits.minLagUs = std::max<std::int64_t>(minUs / 2, 1000000);
    limits.minSpanUs = std::max<std::int64_t>(minUs / 5, 1000000);
    limits.maxSpanUs = 2 * maxUs;
    if (std::all_of(notes.begin(), notes.end(), [](const SMidiNote& n) { return n.byChannel == kDrumChannel; }))
        limits.maxSemitones = 0; // a drum pattern played on other drums is not the same pattern
    const std::optional<SRepeatedSection> section =
        BestRepeatedSection(FindRepeatPairs(line, limits), line, minUs, maxUs);
    if (!section) {
        const std::int64_t start = bounds.DensestStart(targetUs);
        return finish(EClipBasis::kDensest, start, bounds.EndFor(start, start + targetUs, minUs, maxUs));
    }

    // The clip is the first appearance heard in full; the others are its returns.
    const std::vector<SSectionMember>& members = section->members;
    const auto clip = std::find_if(members.begin(), members.end(), [](const SSectionMember& m) { return !m.varied; });
    result.nClipOccurrence = static_cast<int>(clip - members.begin());
    for (const SSectionMember& m : members) {
        const std::int64_t start = std::clamp<std::int64_t>(section->startUs + m.shiftUs, 0, tuneEnd);
        result.occurrences.push_back(
            {static_cast<std::uint32_t>(start / 1000), m.semitones - members.front().semitones, m.varied});
    }
    const std::int64_t length = section->endUs - section->startUs;
    std::int64_t start =
        bounds.StartNear(section->startUs + clip->shiftUs, std::min<std::int64_t>(2000000, length / 4));
    if (tuneEnd - start < minUs)
        start = bounds.StartAtOrBefore(tuneEnd - minUs);
    return finish(EClipBasis::kRepetition, start, bounds.EndFor(start, section->endUs + clip->shiftUs, minUs, maxUs));
}

} // namespace corvina
