// Parsing of one event from the file image and writing it back, with running status made explicit.
#include "CMidiEvent.h"

#include "CMidiBuffer.h"

namespace corvina {

std::uint8_t CMidiEvent::GetStatusForChannel(int nChannel) const
{
    if (nChannel == -1)
        return m_byStatus;
    return static_cast<std::uint8_t>((m_byStatus & 0xF0) | (nChannel & 0x0F));
}

bool CMidiEvent::Write(std::uint32_t dwDelta, bool bAbsoluteDelta, bool bForceStatus, int nOutChannel) const
{
    return WriteTo(m_pBuffer->GetWriteImage(), dwDelta, bAbsoluteDelta, bForceStatus, nOutChannel);
}

bool CMidiEvent::WriteTo(CMidiWriteImage& out, std::uint32_t dwDelta, bool bAbsoluteDelta, bool bForceStatus,
                         int nOutChannel) const
{
    const std::uint8_t* image = m_pBuffer->GetReadImage();
    const std::int64_t size = m_pBuffer->GetReadSize();
    const std::uint32_t delta = bAbsoluteDelta ? dwDelta : m_dwDelta + dwDelta;
    const std::int64_t start = m_nStartOffset;
    const std::int64_t data = m_nDataOffset;
    const std::int64_t end = m_nEndOffset;
    const bool insertStatus = bForceStatus && m_bRunningStatus;
    const bool replaceStatus = !insertStatus && HasStatus();

    // Fast path, the same bytes in one step: the delta is copied, the event lies inside the image and
    // the whole event fits. Anything else goes byte by byte below and fails where the output fails.
    if (delta == m_dwDelta && start >= 0 && start <= data && data <= end && end <= size &&
        (!replaceStatus || data < end)) {
        const std::uint8_t* from = image + start;
        if (std::uint8_t* to = out.Reserve(end - start + (insertStatus ? 1 : 0))) {
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
        if (!out.CopyFrom(image, size, start, data - start))
            return false;
    } else if (!out.WriteVarLength(delta)) {
        return false;
    }
    if (insertStatus)
        return out.WriteByte(GetStatusForChannel(nOutChannel)) && out.CopyFrom(image, size, data, end - data);
    if (replaceStatus)
        return out.WriteByte(GetStatusForChannel(nOutChannel)) && out.CopyFrom(image, size, data + 1, end - (data + 1));
    return out.CopyFrom(image, size, data, end - data);
}

} // namespace corvina
