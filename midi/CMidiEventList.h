// The events of a loaded track as the rest of the program sees them: CMidiEvent objects made on
// demand from the track's compact records.
#pragma once

#include <cstddef>
#include <cstdint>

#include "CMidiEvent.h"
#include "MidiEventRecord.h"

namespace corvina {

class CMidiEventList {
public:
    CMidiEventList(CMidiBuffer* pBuffer, const MIDI_EVENT_RECORD* pRecords, std::size_t nCount, std::int32_t nEnd)
        : m_pBuffer(pBuffer), m_pRecords(pRecords), m_nCount(nCount), m_nEnd(nEnd)
    {
    }

    std::size_t size() const { return m_nCount; }
    bool empty() const { return m_nCount == 0; }
    // Event i (0 to size() - 1), in file order.
    CMidiEvent operator[](std::size_t i) const
    {
        const std::int32_t end = i + 1 < m_nCount ? m_pRecords[i + 1].StartOffset : m_nEnd;
        return CMidiEvent(m_pBuffer, m_pRecords[i], end);
    }
    CMidiEvent front() const { return (*this)[0]; }
    CMidiEvent back() const { return (*this)[m_nCount - 1]; }

private:
    CMidiBuffer* m_pBuffer;
    const MIDI_EVENT_RECORD* m_pRecords;
    std::size_t m_nCount;
    std::int32_t m_nEnd;   // end offset of the last event
};

} // namespace corvina
