// Walks a loaded track's events again, from its first event on, reading them from the file image with
// the reader state the track started with. Every walk gives the events exactly as the load read them.
#pragma once

#include <cstddef>
#include <cstdint>

#include "CMidiBuffer.h"
#include "CMidiEvent.h"
#include "CMidiImageReader.h"
#include "MidiReaderState.h"

namespace corvina {

class CMidiEventCursor {
public:
    // nBegin: offset of the track's first event; start: the reader state before it; nCount: its events.
    CMidiEventCursor(CMidiBuffer* pBuffer, std::int64_t nBegin, const MidiReaderState& start, std::size_t nCount)
        : m_pBuffer(pBuffer), m_Reader(pBuffer->GetReadImage(), pBuffer->GetReadSize(), nBegin), m_State(start),
          m_nLeft(nCount)
    {
    }
    virtual ~CMidiEventCursor() = default;

    // The next event into event; false after the last one.
    bool Next(CMidiEvent& event) { return NextOf<true>(event); }
    // The same without the event's time (left 0), for walks that need only its deltas and bytes.
    bool NextWithoutTime(CMidiEvent& event) { return NextOf<false>(event); }

private:
    template <bool kTimes>
    bool NextOf(CMidiEvent& event)
    {
        if (m_nLeft == 0)
            return false;
        --m_nLeft;
        if (event.GetBuffer() != m_pBuffer)
            event = CMidiEvent(m_pBuffer);
        std::uint32_t tempoAtStart = 0;
        // The same bytes parsed the same way succeeded at load; a failure here would mean the image
        // changed, and the walk ends rather than read garbage.
        if (!event.ParseFrom<kTimes>(m_Reader, m_State, m_Memo, tempoAtStart)) {
            m_nLeft = 0;
            return false;
        }
        return true;
    }

    CMidiBuffer* m_pBuffer;
    CMidiImageReader m_Reader;
    MidiReaderState m_State;
    MidiTimeMemo m_Memo;
    std::size_t m_nLeft;
};

} // namespace corvina
