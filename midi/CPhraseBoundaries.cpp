// Onsets, the notes held across them and the pauses before them, found once per tune.
#include "CPhraseBoundaries.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

namespace corvina {

namespace {

// A note ending this soon after an onset, or starting this shortly before it, is not held across it:
// legato playing and slightly early chord notes would otherwise leave no boundary at all.
constexpr std::int64_t kSlackUs = 30000;

} // namespace

CPhraseBoundaries::CPhraseBoundaries(const std::vector<SMidiNote>& notes)
{
    std::vector<const SMidiNote*> sorted;
    sorted.reserve(notes.size());
    for (const SMidiNote& n : notes)
        sorted.push_back(&n);
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const SMidiNote* a, const SMidiNote* b) { return a->dwStartUs < b->dwStartUs; });
    for (const SMidiNote* n : sorted) {
        if (m_onsets.empty() || m_onsets.back() != n->dwStartUs)
            m_onsets.push_back(n->dwStartUs);
        m_tuneEnd = std::max<std::int64_t>(m_tuneEnd, std::max(n->dwEndUs, n->dwStartUs));
    }
    const std::size_t count = m_onsets.size();
    std::vector<int> change(count + 1, 0);
    m_notesBefore.assign(count + 1, 0);
    m_pause.assign(count, std::numeric_limits<std::int64_t>::max() / 4);
    std::size_t onset = 0;
    // The latest release of the pitched notes started so far: the silence before an onset ends there.
    std::int64_t soundingUntil = std::numeric_limits<std::int64_t>::min() / 4;
    for (const SMidiNote* n : sorted) {
        for (; m_onsets[onset] != n->dwStartUs; ++onset) {
            const std::int64_t next = m_onsets[onset + 1];
            m_pause[onset + 1] = next - m_onsets[onset] + std::max<std::int64_t>(0, next - soundingUntil);
        }
        ++m_notesBefore[onset + 1];
        if (n->byChannel == kDrumChannel)
            continue;
        soundingUntil = std::max<std::int64_t>(soundingUntil, n->dwEndUs);
        // Held across the onsets strictly inside (start + slack, end - slack).
        const auto first =
            std::upper_bound(m_onsets.begin(), m_onsets.end(), static_cast<std::int64_t>(n->dwStartUs) + kSlackUs);
        const auto last =
            std::lower_bound(m_onsets.begin(), m_onsets.end(), static_cast<std::int64_t>(n->dwEndUs) - kSlackUs);
        if (first < last) {
            ++change[static_cast<std::size_t>(first - m_onsets.begin())];
            --change[static_cast<std::size_t>(last - m_onsets.begin())];
        }
    }
    for (std::size_t i = 1; i <= count; ++i)
        m_notesBefore[i] += m_notesBefore[i - 1];
    m_held.assign(count, 0);
    int held = 0;
    m_leastHeld = std::numeric_limits<int>::max();
    for (std::size_t i = 0; i < count; ++i) {
        held += change[i];
        m_held[i] = held;
        m_leastHeld = std::min(m_leastHeld, held);
    }
}

std::int64_t CPhraseBoundaries::StartNear(std::int64_t wantedUs, std::int64_t reachUs) const
{
    const auto lo = static_cast<std::size_t>(std::lower_bound(m_onsets.begin(), m_onsets.end(), wantedUs - reachUs) -
                                             m_onsets.begin());
    const auto hi = static_cast<std::size_t>(std::upper_bound(m_onsets.begin(), m_onsets.end(), wantedUs + reachUs) -
                                             m_onsets.begin());
    std::size_t best = m_onsets.size();
    const auto better = [&](std::size_t i) {
        if (best == m_onsets.size())
            return true;
        if (m_held[i] != m_held[best])
            return m_held[i] < m_held[best];
        return std::llabs(m_onsets[i] - wantedUs) < std::llabs(m_onsets[best] - wantedUs);
    };
    for (std::size_t i = lo; i < hi; ++i) {
        if (better(i))
            best = i;
    }
    if (best < m_onsets.size())
        return m_onsets[best];
    for (std::size_t i = 0; i < m_onsets.size(); ++i) {
        if (IsClean(i) &&
            (best == m_onsets.size() || std::llabs(m_onsets[i] - wantedUs) < std::llabs(m_onsets[best] - wantedUs)))
            best = i;
    }
    return m_onsets[best];
}

std::int64_t CPhraseBoundaries::StartAtOrBefore(std::int64_t latestUs) const
{
    auto i = static_cast<std::size_t>(std::upper_bound(m_onsets.begin(), m_onsets.end(), latestUs) - m_onsets.begin());
    while (i > 0) {
        --i;
        if (IsClean(i))
            return m_onsets[i];
    }
    return m_onsets.front();
}

std::int64_t CPhraseBoundaries::EndFor(std::int64_t startUs, std::int64_t wantedUs, std::int64_t minLengthUs,
                                       std::int64_t maxLengthUs) const
{
    std::int64_t best = -1;
    std::int64_t bestMiss = 0; // how far its length lies outside [min, max]
    const auto consider = [&](std::int64_t end) {
        const std::int64_t length = end - startUs;
        const std::int64_t miss = length < minLengthUs   ? minLengthUs - length
                                  : length > maxLengthUs ? length - maxLengthUs
                                                         : 0;
        if (best < 0 || miss < bestMiss ||
            (miss == bestMiss && std::llabs(end - wantedUs) < std::llabs(best - wantedUs))) {
            best = end;
            bestMiss = miss;
        }
    };
    for (auto i =
             static_cast<std::size_t>(std::upper_bound(m_onsets.begin(), m_onsets.end(), startUs) - m_onsets.begin());
         i < m_onsets.size(); ++i) {
        if (!IsClean(i))
            continue;
        consider(m_onsets[i]);
        if (m_onsets[i] - startUs > maxLengthUs)
            break;
    }
    if (m_tuneEnd > startUs)
        consider(m_tuneEnd);
    return best < 0 ? m_tuneEnd : best;
}

std::int64_t CPhraseBoundaries::DensestStart(std::int64_t lengthUs) const
{
    std::vector<int> notesIn(m_onsets.size(), -1);
    int most = 0;
    std::size_t j = 0;
    for (std::size_t i = 0; i < m_onsets.size(); ++i) {
        while (j < m_onsets.size() && m_onsets[j] < m_onsets[i] + lengthUs)
            ++j;
        if (!IsClean(i))
            continue;
        notesIn[i] = m_notesBefore[j] - m_notesBefore[i];
        most = std::max(most, notesIn[i]);
    }
    // Of equally full stretches, the one that begins after the longest pause starts where a phrase does.
    std::size_t best = m_onsets.size();
    for (std::size_t i = 0; i < m_onsets.size(); ++i) {
        if (notesIn[i] == most && (best == m_onsets.size() || m_pause[i] > m_pause[best]))
            best = i;
    }
    return best < m_onsets.size() ? m_onsets[best] : m_onsets.front();
}

} // namespace corvina
