// Parsing of one event from the file image and writing it back, with running status made explicit.
#include "CMidiEvent.h"

#include "CMidiBuffer.h"
#include "MidiReaderState.h"

namespace corvina {

bool CMidiEvent::Parse(std::uint32_t& dwTempoAtStart)
{
    MidiReaderState& state = TheMidiReaderState();
    CMidiBuffer& buf = *m_pBuffer;
    dwTempoAtStart = 0;

    const std::int64_t start = buf.GetReadPos();
    m_nStartOffset = static_cast<std::int32_t>(start);
    if (!buf.ReadVarLength(m_dwDelta)) {
        buf.LogError("Too small, data missing!");
        return false;
    }
    m_dwTempo = state.dwTempo;
    state.dwRunningTime += MidiScale(state.dwTempo, m_dwDelta, static_cast<std::uint32_t>(state.nDivision));
    m_dwTime = state.dwRunningTime;
    m_nDataOffset = static_cast<std::int32_t>(buf.GetReadPos());

    if (!buf.MoreData()) {
        buf.LogError("Wrong delta time!");
        buf.LogError("Too small, data missing!");
        return false;
    }

    // skip: the bytes after the first one that still belong to the event. It is signed: running
    // status before any status byte has been seen gives -1, an event that ends at its first byte.
    std::int64_t skip = 0;
    const std::uint8_t first = buf.ReadByte(true);
    // Most frequent first: data bytes under running status, then channel status bytes.
    if (first < 0x80) {
        m_bRunningStatus = 1;
        skip = state.nLastDataLength - 1;
        m_byStatus = state.byLastStatus;
    } else if (first < 0xF0) {
        m_bRunningStatus = 0;
        const std::uint8_t kind = first & 0xF0;
        const std::int32_t dataLength = (kind == 0xC0 || kind == 0xD0) ? 1 : 2;
        state.byLastStatus = first;
        state.nLastDataLength = dataLength;
        m_byStatus = first;
        skip = dataLength;
    } else if (first == 0xFF) {
        if (!buf.MoreData())
            return false;
        const std::uint8_t type = buf.ReadByte(true);
        if (type == 0x51) {
            buf.ReadByte(true);
            state.dwTempo = buf.ReadNumber(3);
            if (m_dwTime == 0)
                dwTempoAtStart = state.dwTempo;
            // Back to the length byte, so the length is read like that of any other meta event.
            buf.SetReadPos(buf.GetReadPos() - 4);
            buf.LogField("FF51 event time:", state.dwTempo);
        }
        std::uint32_t length = 0;
        if (!buf.ReadVarLength(length))
            return false;
        skip = length;
    } else if (first == 0xF0) {
        while (buf.MoreData()) {
            if (buf.ReadByte(true) == 0xF7)
                break;
        }
    } else if (first == 0xF1 || first == 0xF3) {
        skip = 1;
    } else if (first == 0xF2) {
        skip = 2;
    }
    // 0xF4 to 0xFE: nothing follows the first byte.

    const std::int64_t end = buf.GetReadPos() + skip;
    buf.SetReadPos(end);
    m_nEndOffset = static_cast<std::int32_t>(end);
    if (end - 1 >= buf.GetReadSize()) {
        buf.LogError("Too small, data missing!");
        return false;
    }
    // A truncated tempo event moves the cursor back before its own start; an event that does not
    // move past its start would be read again forever.
    if (end <= start) {
        buf.LogError("Too small, data missing!");
        return false;
    }
    return true;
}

std::uint8_t CMidiEvent::GetStatusForChannel(int nChannel) const
{
    if (nChannel == -1)
        return m_byStatus;
    return static_cast<std::uint8_t>((m_byStatus & 0xF0) | (nChannel & 0x0F));
}

bool CMidiEvent::Write(std::uint32_t dwDelta, bool bAbsoluteDelta, bool bForceStatus, int nOutChannel) const
{
    CMidiBuffer& buf = *m_pBuffer;
    const std::uint32_t delta = bAbsoluteDelta ? dwDelta : m_dwDelta + dwDelta;
    const std::int64_t start = m_nStartOffset;
    const std::int64_t data = m_nDataOffset;
    const std::int64_t end = m_nEndOffset;
    const bool insertStatus = bForceStatus && m_bRunningStatus;
    const bool replaceStatus = !insertStatus && HasStatus();

    // Fast path, the same bytes in one step: the delta is copied, the event lies inside the image and
    // the whole event fits. Anything else goes byte by byte below and fails where the output fails.
    if (delta == m_dwDelta && start >= 0 && start <= data && data <= end && end <= buf.GetReadSize() &&
        (!replaceStatus || data < end)) {
        const std::uint8_t* from = buf.GetReadImage() + start;
        if (std::uint8_t* to = buf.Reserve(end - start + (insertStatus ? 1 : 0))) {
            const std::int64_t head = data - start;
            for (std::int64_t i = 0; i < head; ++i)
                *to++ = from[i];
            if (insertStatus || replaceStatus)
                *to++ = GetStatusForChannel(nOutChannel);
            for (std::int64_t i = head + (replaceStatus ? 1 : 0); i < end - start; ++i)
                *to++ = from[i];
            return true;
        }
    }

    if (delta == m_dwDelta) {
        if (!buf.CopyRange(start, data - start))
            return false;
    } else if (!buf.WriteVarLength(delta)) {
        return false;
    }
    if (insertStatus)
        return buf.WriteByte(GetStatusForChannel(nOutChannel)) && buf.CopyRange(data, end - data);
    if (replaceStatus)
        return buf.WriteByte(GetStatusForChannel(nOutChannel)) && buf.CopyRange(data + 1, end - (data + 1));
    return buf.CopyRange(data, end - data);
}

} // namespace corvina
