// The top line, its returns and the section that returns most: see docs/clip-suggestion.md for why
// each step is done this way and what it costs.
#include "RepeatedSections.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <queue>
#include <set>
#include <utility>

namespace corvina {

namespace {

// Notes of one chord rarely start at exactly the same microsecond in a played file.
constexpr std::int64_t kTogetherUs = 15000;
// A run needs this many agreeing notes in a row before it counts: two agree by chance far too often.
constexpr int kSeedNotes = 3;
// Changed notes in a row that a run survives ("two notes changed" may be neighbours).
constexpr int kForgivenInRow = 2;
// Pieces shorter than this are left out before joining: chance agreements of four notes are rare
// enough, and a varied return still leaves pieces this long between its changes.
constexpr int kMinPieceNotes = 4;
// Pieces kept before short ones are given up (32 bytes each).
constexpr std::size_t kPieceBudget = 500000;
// A return needs this many agreeing notes, and at least this share of the notes on either side.
constexpr int kMinPairNotes = 8;
constexpr double kMinAgreement = 0.6;
// Pieces of one shift and transposition this close are one return with something added or dropped.
constexpr std::int64_t kJoinGapUs = 3000000;
// Notes between two pieces that can still be one return: an added note, a dropped one, a changed pair.
constexpr int kMaxSkipped = 2;
// A return ends at the next onset, but a long rest after its last note is not part of it.
constexpr std::int64_t kMaxTrailUs = 2000000;
// A pair claims an appearance of a section when it covers this much of it.
constexpr double kMinCoverage = 0.6;
// Rounds of looking up a stretch's appearances and the extent they agree on, and how close two
// extents must be to count as the same.
constexpr int kMaxRounds = 4;
constexpr std::int64_t kSettledUs = 100000;
// Appearances of one section may overlap by at most a fifth of its length.
constexpr double kMinSpacing = 0.8;

// A stretch of one diagonal: notes first..last agree with notes first + k ..., shifted by lag.
struct SPiece {
    int first = 0;
    int last = 0;
    int k = 0; // the diagonal: note i agrees with note i + k
    std::int64_t lag = 0;
    int semitones = 0;
    int matched = 0;
};

std::int64_t Overlap(std::int64_t a0, std::int64_t a1, std::int64_t b0, std::int64_t b1)
{
    return std::max<std::int64_t>(0, std::min(a1, b1) - std::max(a0, b0));
}

// Index of the first note of the line starting at or after t.
std::size_t FirstAtOrAfter(const std::vector<STopNote>& line, std::int64_t t)
{
    return static_cast<std::size_t>(
        std::lower_bound(line.begin(), line.end(), t, [](const STopNote& n, std::int64_t v) { return n.startUs < v; }) -
        line.begin());
}

// The notes of one hearing (from index `from`, starting before `until`) that have no partner in the
// other hearing, shifted by `lag` and transposed by `semitones`; their onsets go to `unmatched`
// (moved back by `back`). Returns how many have one. Both walks move forward only.
int WalkHearing(const std::vector<STopNote>& line, std::size_t from, std::int64_t until, std::int64_t lag,
                int semitones, std::int64_t tolerance, std::int64_t back, std::vector<std::int64_t>& unmatched)
{
    int matched = 0;
    std::size_t partner =
        FirstAtOrAfter(line, line.empty() || from >= line.size() ? 0 : line[from].startUs + lag - tolerance);
    for (std::size_t i = from; i < line.size() && line[i].startUs < until; ++i) {
        const std::int64_t t = line[i].startUs + lag;
        while (partner < line.size() && line[partner].startUs < t - tolerance)
            ++partner;
        bool found = false;
        for (std::size_t j = partner; j < line.size() && line[j].startUs <= t + tolerance && !found; ++j)
            found = line[j].key == line[i].key + semitones;
        if (found)
            ++matched;
        else
            unmatched.push_back(line[i].startUs - back);
    }
    return matched;
}

// The notes of both hearings that have no partner in the other, placed in the first hearing's time.
// Counted again from the pair itself, so that an added note, which the diagonals only see as a
// break, is counted too.
void CountAgreement(const std::vector<STopNote>& line, std::int64_t tolerance, SRepeatPair& pair)
{
    pair.unmatchedUs.clear();
    pair.matched = WalkHearing(line, FirstAtOrAfter(line, pair.aStartUs), pair.aEndUs, pair.lagUs, pair.semitones,
                               tolerance, 0, pair.unmatchedUs);
    WalkHearing(line, FirstAtOrAfter(line, pair.aStartUs + pair.lagUs), pair.aEndUs + pair.lagUs, -pair.lagUs,
                -pair.semitones, tolerance, pair.lagUs, pair.unmatchedUs);
    std::sort(pair.unmatchedUs.begin(), pair.unmatchedUs.end());
}

// Runs along every diagonal of the line's self-similarity. Each note pair is looked at once.
std::vector<SPiece> DiagonalPieces(const std::vector<STopNote>& line, const SRepeatLimits& limits)
{
    const int m = static_cast<int>(line.size());
    std::vector<std::int64_t> t(line.size());
    std::vector<int> p(line.size());
    std::vector<int> step(line.size(), 0); // interval to the next note
    for (std::size_t i = 0; i < line.size(); ++i) {
        t[i] = line[i].startUs;
        p[i] = line[i].key;
        if (i > 0)
            step[i - 1] = p[i] - p[i - 1];
    }
    const std::int64_t tol = limits.toleranceUs;
    std::vector<SPiece> pieces;
    int shortest = kMinPieceNotes;
    for (int k = 1; k < m; ++k) {
        bool open = false;
        SPiece run;
        int changedInRow = 0;
        const auto close = [&] {
            if (open && run.matched >= shortest) {
                pieces.push_back(run);
                // A tune that is one short figure over and over (a scale run, say) agrees with
                // itself, transposed, in millions of short pieces: then only those long enough to
                // stand alone are kept, and memory stays bounded.
                if (pieces.size() >= kPieceBudget && shortest < kMinPairNotes) {
                    shortest = kMinPairNotes;
                    std::erase_if(pieces, [&](const SPiece& piece) { return piece.matched < shortest; });
                }
            }
            open = false;
        };
        for (int i = 0; i + k < m; ++i) {
            const int j = i + k;
            const std::int64_t lag = t[j] - t[i];
            if (open) {
                if (t[i] - t[run.first] >= std::min(run.lag - tol, limits.maxSpanUs)) {
                    // The first hearing has reached the second, or is as long as a section can be
                    // of use: what follows is a new pair. Long loops would otherwise make pairs of
                    // many minutes, dear to count and no help in placing a clip.
                    close();
                } else if (std::llabs(lag - run.lag) <= tol) {
                    if (p[j] - p[i] == run.semitones) {
                        run.last = i;
                        ++run.matched;
                        changedInRow = 0;
                        continue;
                    }
                    if (++changedInRow <= kForgivenInRow)
                        continue;
                    close();
                } else {
                    close();
                }
            }
            // A seed: the next notes keep the interval (the cheap test, failing for most pairs) and
            // the shift.
            if (j + kSeedNotes - 1 >= m)
                continue;
            bool seed = true;
            for (int s = 0; s < kSeedNotes - 1 && seed; ++s)
                seed = step[static_cast<std::size_t>(i + s)] == step[static_cast<std::size_t>(j + s)];
            const int semitones = p[j] - p[i];
            if (!seed || lag < limits.minLagUs || std::abs(semitones) > limits.maxSemitones)
                continue;
            for (int s = 1; s < kSeedNotes && seed; ++s)
                seed = std::llabs(t[j + s] - t[i + s] - lag) <= tol;
            if (!seed)
                continue;
            open = true;
            run = {i, i, k, lag, semitones, 1};
            changedInRow = 0;
        }
        close();
    }
    return pieces;
}

} // namespace

std::vector<STopNote> OnsetTopLine(const std::vector<SMidiNote>& notes)
{
    const bool pitched =
        std::any_of(notes.begin(), notes.end(), [](const SMidiNote& n) { return n.byChannel != kDrumChannel; });
    std::vector<const SMidiNote*> chosen;
    for (const SMidiNote& n : notes) {
        if ((n.byChannel != kDrumChannel) == pitched)
            chosen.push_back(&n);
    }
    std::stable_sort(chosen.begin(), chosen.end(), [](const SMidiNote* a, const SMidiNote* b) {
        return a->dwStartUs != b->dwStartUs ? a->dwStartUs < b->dwStartUs : a->byKey < b->byKey;
    });
    std::vector<STopNote> line;
    // Notes of earlier onsets by key; released ones leave only when they come to the top.
    std::priority_queue<std::pair<int, std::int64_t>> sounding;
    for (std::size_t i = 0; i < chosen.size();) {
        const std::int64_t onset = chosen[i]->dwStartUs;
        const SMidiNote* top = chosen[i];
        std::size_t j = i;
        for (; j < chosen.size() && chosen[j]->dwStartUs - onset <= kTogetherUs; ++j) {
            if (chosen[j]->byKey >= top->byKey)
                top = chosen[j];
        }
        while (!sounding.empty() && sounding.top().second <= onset + kTogetherUs)
            sounding.pop();
        if (sounding.empty() || sounding.top().first <= top->byKey)
            line.push_back({onset, std::max<std::int64_t>(top->dwEndUs, onset), top->byKey, top->byVelocity});
        for (; i < j; ++i)
            sounding.emplace(chosen[i]->byKey, chosen[i]->dwEndUs);
    }
    return line;
}

std::vector<SRepeatPair> FindRepeatPairs(const std::vector<STopNote>& line, const SRepeatLimits& limits,
                                         std::size_t maxPairs)
{
    std::vector<SPiece> pieces = DiagonalPieces(line, limits);
    const std::int64_t tol = limits.toleranceUs;
    std::sort(pieces.begin(), pieces.end(), [](const SPiece& a, const SPiece& b) {
        return a.semitones != b.semitones ? a.semitones < b.semitones : a.lag < b.lag;
    });

    // Joined runs, before their agreement is counted again.
    struct SJoined {
        SRepeatPair pair;
        int pieceNotes; // agreeing notes the pieces found
    };
    std::vector<SJoined> joinedRuns;
    const auto emit = [&](int first, int last, std::int64_t lag, int semitones, int pieceNotes) {
        SRepeatPair pair;
        pair.aStartUs = line[static_cast<std::size_t>(first)].startUs;
        const STopNote& lastNote = line[static_cast<std::size_t>(last)];
        pair.aEndUs = static_cast<std::size_t>(last) + 1 < line.size()
                          ? std::min(line[static_cast<std::size_t>(last) + 1].startUs, lastNote.endUs + kMaxTrailUs)
                          : lastNote.endUs;
        pair.aEndUs = std::max(std::min(pair.aEndUs, pair.aStartUs + lag), lastNote.startUs + 1);
        pair.lagUs = lag;
        pair.semitones = semitones;
        if (pair.aEndUs - pair.aStartUs >= limits.minSpanUs && pieceNotes >= kMinPairNotes)
            joinedRuns.push_back({std::move(pair), pieceNotes});
    };

    // Pieces of one transposition and (within the tolerance) one shift, in time order, are joined when
    // they follow each other closely and the joined first hearing still ends before the second.
    for (std::size_t g = 0; g < pieces.size();) {
        std::size_t h = g + 1;
        while (h < pieces.size() && pieces[h].semitones == pieces[g].semitones && pieces[h].lag - pieces[g].lag <= tol)
            ++h;
        std::sort(pieces.begin() + static_cast<std::ptrdiff_t>(g), pieces.begin() + static_cast<std::ptrdiff_t>(h),
                  [](const SPiece& a, const SPiece& b) { return a.first < b.first; });
        const SPiece* joined = &pieces[g];
        int first = joined->first;
        int last = joined->last;
        int lastK = joined->k;
        int notes = joined->matched;
        for (std::size_t i = g + 1; i < h; ++i) {
            const SPiece& next = pieces[i];
            const std::int64_t gap =
                line[static_cast<std::size_t>(next.first)].startUs - line[static_cast<std::size_t>(last)].startUs;
            const std::int64_t span =
                line[static_cast<std::size_t>(next.last)].startUs - line[static_cast<std::size_t>(first)].startUs;
            // Only a note or two may lie between the pieces in either hearing: more is other music
            // that happens to share a few notes.
            const int skippedA = next.first - last - 1;
            const int skippedB = (next.first + next.k) - (last + lastK) - 1;
            if (gap <= kJoinGapUs && span < std::min(joined->lag - tol, limits.maxSpanUs) && skippedA <= kMaxSkipped &&
                skippedB <= kMaxSkipped) {
                if (next.last > last) {
                    last = next.last;
                    lastK = next.k;
                }
                notes += next.matched;
                continue;
            }
            emit(first, last, joined->lag, joined->semitones, notes);
            joined = &next;
            first = next.first;
            last = next.last;
            lastK = next.k;
            notes = next.matched;
        }
        emit(first, last, joined->lag, joined->semitones, notes);
        g = h;
    }

    // Counting again is the dear part: in a tune that is one pattern over and over there are tens of
    // thousands of joined runs, so only the longest are counted.
    const auto longest = [&](std::size_t keep) {
        if (joinedRuns.size() > keep) {
            std::nth_element(joinedRuns.begin(), joinedRuns.begin() + static_cast<std::ptrdiff_t>(keep),
                             joinedRuns.end(),
                             [](const SJoined& a, const SJoined& b) { return a.pieceNotes > b.pieceNotes; });
            joinedRuns.resize(keep);
        }
    };
    longest(2 * maxPairs);
    std::vector<SRepeatPair> pairs;
    for (SJoined& joined : joinedRuns) {
        SRepeatPair& pair = joined.pair;
        CountAgreement(line, tol, pair);
        const int aNotes = static_cast<int>(FirstAtOrAfter(line, pair.aEndUs) - FirstAtOrAfter(line, pair.aStartUs));
        const int bNotes = static_cast<int>(FirstAtOrAfter(line, pair.aEndUs + pair.lagUs) -
                                            FirstAtOrAfter(line, pair.aStartUs + pair.lagUs));
        if (pair.matched >= kMinPairNotes && pair.matched >= kMinAgreement * std::max(aNotes, bNotes))
            pairs.push_back(std::move(pair));
    }
    if (pairs.size() > maxPairs) {
        std::nth_element(pairs.begin(), pairs.begin() + static_cast<std::ptrdiff_t>(maxPairs), pairs.end(),
                         [](const SRepeatPair& a, const SRepeatPair& b) { return a.matched > b.matched; });
        pairs.resize(maxPairs);
    }
    return pairs;
}

namespace {

// What the pairs say about one stretch of the tune: where else it appears, and the extent its
// appearances agree on.
struct SAppearances {
    std::vector<SSectionMember> members; // unordered; the stretch itself (shift 0) first
    std::int64_t start = 0;              // the agreed extent
    std::int64_t end = 0;
};

// A pair's word on where a stretch appears.
struct SClaim {
    SSectionMember member;
    std::int64_t spanStart; // the stretch the pair found, in the time of the stretch looked up
    std::int64_t spanEnd;
};

// Room reused from one look-up to the next: there are thousands of them.
struct SScratch {
    std::vector<SClaim> claims;
    std::vector<SClaim> kept;
    std::vector<std::pair<std::int64_t, int>> edges;
};

bool FindAppearances(const std::vector<SRepeatPair>& pairs, std::int64_t s0, std::int64_t s1, SScratch& scratch,
                     SAppearances& out)
{
    const std::int64_t length = s1 - s0;
    if (length <= 0)
        return false;
    std::vector<SClaim>& claims = scratch.claims;
    claims.clear();
    claims.push_back({{0, 0, 1.0, false}, s0, s1});
    for (const SRepeatPair& pair : pairs) {
        for (int from = 0; from < 2; ++from) {
            const std::int64_t shift = from ? pair.lagUs : 0;
            const std::int64_t r0 = pair.aStartUs + shift;
            const std::int64_t r1 = pair.aEndUs + shift;
            const double coverage = static_cast<double>(Overlap(r0, r1, s0, s1)) / static_cast<double>(length);
            if (coverage < kMinCoverage)
                continue;
            // Changed notes count only where they fall inside this stretch.
            const std::int64_t c0 = std::max(r0, s0) - shift;
            const std::int64_t c1 = std::min(r1, s1) - shift;
            const auto changed = std::lower_bound(pair.unmatchedUs.begin(), pair.unmatchedUs.end(), c0);
            const bool varied = coverage < 0.95 || (changed != pair.unmatchedUs.end() && *changed < c1);
            claims.push_back({{from ? -pair.lagUs : pair.lagUs, from ? -pair.semitones : pair.semitones,
                               std::min(coverage, 1.0), varied},
                              r0,
                              r1});
        }
    }
    // One claim per appearance, the best covering first; the stretch's own comes first of all.
    std::stable_sort(claims.begin() + 1, claims.end(), [](const SClaim& a, const SClaim& b) {
        if (a.member.coverage != b.member.coverage)
            return a.member.coverage > b.member.coverage;
        return a.member.varied < b.member.varied;
    });
    std::vector<SClaim>& kept = scratch.kept;
    kept.clear();
    for (const SClaim& claim : claims) {
        const bool apart = std::all_of(kept.begin(), kept.end(), [&](const SClaim& k) {
            return static_cast<double>(std::llabs(k.member.shiftUs - claim.member.shiftUs)) >=
                   kMinSpacing * static_cast<double>(length);
        });
        if (apart)
            kept.push_back(claim);
    }
    if (kept.size() < 2)
        return false;
    // The extent: where at least half of the appearances (and at least two) agree.
    const int need = std::max(2, static_cast<int>((kept.size() + 1) / 2));
    std::vector<std::pair<std::int64_t, int>>& edges = scratch.edges;
    edges.clear();
    for (const SClaim& k : kept) {
        edges.emplace_back(k.spanStart, 1);
        edges.emplace_back(k.spanEnd, -1);
    }
    std::sort(edges.begin(), edges.end());
    std::int64_t bestCommon = 0, runStart = 0;
    int depth = 0;
    for (const auto& [time, step] : edges) {
        const int before = depth;
        depth += step;
        if (before < need && depth >= need) {
            runStart = time;
        } else if (before >= need && depth < need) {
            const std::int64_t common = Overlap(runStart, time, s0, s1);
            if (common > bestCommon) {
                bestCommon = common;
                out.start = runStart;
                out.end = time;
            }
        }
    }
    out.members.clear();
    for (const SClaim& k : kept)
        out.members.push_back(k.member);
    return bestCommon > 0;
}

} // namespace

std::optional<SRepeatedSection> BestRepeatedSection(const std::vector<SRepeatPair>& pairs,
                                                    const std::vector<STopNote>& line, std::int64_t minLengthUs,
                                                    std::int64_t maxLengthUs)
{
    if (line.empty() || pairs.empty())
        return std::nullopt;
    // Running sums of key and loudness, for the prominence of a stretch against the whole tune.
    std::vector<double> keySum(line.size() + 1, 0.0);
    std::vector<double> velocitySum(line.size() + 1, 0.0);
    for (std::size_t i = 0; i < line.size(); ++i) {
        keySum[i + 1] = keySum[i] + line[i].key;
        velocitySum[i + 1] = velocitySum[i] + line[i].velocity;
    }
    const double meanKey = keySum.back() / static_cast<double>(line.size());
    const double meanVelocity = velocitySum.back() / static_cast<double>(line.size());

    std::optional<SRepeatedSection> best;
    SAppearances found;
    SScratch scratch;
    // A hearing shared by several pairs (the first chorus, heard again three times) is one candidate.
    std::set<std::pair<std::int64_t, std::int64_t>> tried;
    for (const SRepeatPair& candidate : pairs) {
        for (int side = 0; side < 2; ++side) {
            // The candidate: one hearing of one pair. Its appearances agree on an extent, which can
            // differ (a phrase of a chorus finds the chorus); the appearances of that extent are
            // looked up in turn until the extent stays put, and make the section.
            const std::int64_t shift = side ? candidate.lagUs : 0;
            std::int64_t e0 = candidate.aStartUs + shift;
            std::int64_t e1 = candidate.aEndUs + shift;
            if (!tried.emplace(e0 / kSettledUs, e1 / kSettledUs).second)
                continue;
            bool settled = false;
            for (int round = 0; round < kMaxRounds && !settled; ++round) {
                if (!FindAppearances(pairs, e0, e1, scratch, found))
                    break;
                settled = std::llabs(found.start - e0) + std::llabs(found.end - e1) <= kSettledUs;
                if (!settled) {
                    e0 = found.start;
                    e1 = found.end;
                }
            }
            if (!settled)
                continue;
            const std::int64_t extent = e1 - e0;
            // How much of the tune the section's appearances account for, counting no more than
            // the longest clip of each and less of a section too short or too long for a clip.
            double covered = 0;
            for (const SSectionMember& m : found.members)
                covered += m.coverage;
            const double seconds = static_cast<double>(extent) / 1e6;
            const double fit = extent < minLengthUs   ? static_cast<double>(extent) / static_cast<double>(minLengthUs)
                               : extent > maxLengthUs ? static_cast<double>(maxLengthUs) / static_cast<double>(extent)
                                                      : 1.0;
            const std::size_t i0 = FirstAtOrAfter(line, e0);
            const std::size_t i1 = std::max(i0, FirstAtOrAfter(line, e1));
            double prominence = 1.0;
            if (i1 > i0) {
                const double count = static_cast<double>(i1 - i0);
                const double key = (keySum[i1] - keySum[i0]) / count;
                const double velocity = (velocitySum[i1] - velocitySum[i0]) / count;
                prominence += 0.05 * std::clamp((key - meanKey) / 6.0, -1.0, 1.0) +
                              0.05 * std::clamp((velocity - meanVelocity) / 20.0, -1.0, 1.0);
            }
            const double score = covered * std::min(seconds, static_cast<double>(maxLengthUs) / 1e6) * fit * prominence;
            if (best && (score < best->score - 1e-9 || (score <= best->score + 1e-9 && e0 >= best->startUs)))
                continue;
            SRepeatedSection section;
            section.startUs = e0;
            section.endUs = e1;
            section.score = score;
            section.members = found.members;
            std::sort(section.members.begin(), section.members.end(),
                      [](const SSectionMember& a, const SSectionMember& b) { return a.shiftUs < b.shiftUs; });
            best = std::move(section);
        }
    }
    return best;
}

} // namespace corvina
