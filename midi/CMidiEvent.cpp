// Parsing of one event from the file image and writing it back, with running status made explicit.
#include "CMidiEvent.h"

#include "CMidiBuffer.h"
#include "MidiReaderState.h"

namespace corvina {

CMidiEvent::CMidiEvent(CMidiBuffer* pBuffer) : m_pBuffer(pBuffer) {}
CMidiEvent::~CMidiEvent() = default;

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
    if (first == 0xF0) {
        while (buf.MoreData()) {
            if (buf.ReadByte(true) == 0xF7)
                break;
        }
    } else if (first == 0xF1 || first == 0xF3) {
        skip = 1;
    } else if (first == 0xF2) {
        skip = 2;
    } else if (first >= 0xF4 && first <= 0xFE) {
        skip = 0;
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
    } else if (first >= 0x80) {
        m_bRunningStatus = 0;
        const std::uint8_t kind = first & 0xF0;
        const std::int32_t dataLength = (kind == 0xC0 || kind == 0xD0) ? 1 : 2;
        state.byLastStatus = first;
        state.nLastDataLength = dataLength;
        m_byStatus = first;
        skip = dataLength;
    } else {
        m_bRunningStatus = 1;
        skip = state.nLastDataLength - 1;
        m_byStatus = state.byLastStatus;
    }

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

bool CMidiEvent::GetVelocity(std::uint8_t& velocity) const
{
    const std::int64_t offset = static_cast<std::int64_t>(m_nDataOffset) + (m_bRunningStatus ? 1 : 2);
    if (offset < 1 || offset > static_cast<std::int64_t>(m_pBuffer->GetReadSize()) - 1)
        return false;
    velocity = m_pBuffer->ByteAt(offset);
    return true;
}

bool CMidiEvent::IsNoteOn() const
{
    if ((m_byStatus & 0xF0) != 0x90)
        return false;
    std::uint8_t velocity = 0;
    return GetVelocity(velocity) && velocity != 0;
}

bool CMidiEvent::IsNoteOff() const
{
    const std::uint8_t kind = m_byStatus & 0xF0;
    if (kind == 0x80)
        return true;
    if (kind != 0x90)
        return false;
    std::uint8_t velocity = 0;
    return !GetVelocity(velocity) || velocity == 0;
}

bool CMidiEvent::IsEndOfTrack() const
{
    const std::int64_t data = m_nDataOffset;
    return static_cast<std::int64_t>(m_nEndOffset) - data == 3 && m_pBuffer->ByteAt(data) == 0xFF &&
           m_pBuffer->ByteAt(data + 1) == 0x2F && m_pBuffer->ByteAt(data + 2) == 0x00;
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
    if (delta == m_dwDelta) {
        if (!buf.CopyRange(m_nStartOffset, static_cast<std::int64_t>(m_nDataOffset) - m_nStartOffset))
            return false;
    } else if (!buf.WriteVarLength(delta)) {
        return false;
    }

    const std::int64_t end = m_nEndOffset;
    if (bForceStatus && m_bRunningStatus) {
        return buf.WriteByte(GetStatusForChannel(nOutChannel)) && buf.CopyRange(m_nDataOffset, end - m_nDataOffset);
    }
    if (HasStatus()) {
        const std::int64_t after = static_cast<std::int64_t>(m_nDataOffset) + 1;
        return buf.WriteByte(GetStatusForChannel(nOutChannel)) && buf.CopyRange(after, end - after);
    }
    return buf.CopyRange(m_nDataOffset, end - m_nDataOffset);
}

} // namespace corvina
