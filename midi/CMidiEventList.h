// The events of a loaded track as the rest of the program sees them: CMidiEvent objects read again from
// the file image on demand. Tracks keep no record per event, so a file costs little more than its size.
#pragma once

#include <cstddef>
#include <cstdint>

#include "CMidiEvent.h"
#include "CMidiEventCursor.h"
#include "MidiReaderState.h"

namespace corvina {

class CMidiEventList {
public:
    CMidiEventList(CMidiBuffer* pBuffer, std::int64_t nBegin, const MidiReaderState& start, std::size_t nCount)
        : m_pBuffer(pBuffer), m_nBegin(nBegin), m_Start(start), m_nCount(nCount)
    {
    }

    std::size_t size() const { return m_nCount; }
    bool empty() const { return m_nCount == 0; }
    // A walk over all events in file order (the way to visit them all).
    CMidiEventCursor Walk() const { return CMidiEventCursor(m_pBuffer, m_nBegin, m_Start, m_nCount); }
    // Event i (0 to size() - 1), in file order; it is found by walking from the first event, so this is
    // for looking at single events, not for visiting them all.
    CMidiEvent operator[](std::size_t i) const
    {
        CMidiEventCursor cursor = Walk();
        CMidiEvent event(m_pBuffer);
        for (std::size_t k = 0; k <= i && cursor.Next(event); ++k) {
        }
        return event;
    }
    CMidiEvent front() const { return (*this)[0]; }
    CMidiEvent back() const { return (*this)[m_nCount - 1]; }

private:
    CMidiBuffer* m_pBuffer;
    std::int64_t m_nBegin;
    MidiReaderState m_Start;
    std::size_t m_nCount;
};

} // namespace corvina
