// Parsing of one event from the file image and writing it back, with running status made explicit.
#include "CMidiEvent.h"

#include "CMidiBuffer.h"

namespace corvina {

bool CMidiEvent::Write(std::uint32_t dwDelta, bool bAbsoluteDelta, bool bForceStatus, int nOutChannel) const
{
    return WriteTo(m_pBuffer->GetWriteImage(), dwDelta, bAbsoluteDelta, bForceStatus, nOutChannel);
}

bool CMidiEvent::WriteBytewise(CMidiWriteImage& out, std::uint32_t delta, bool insertStatus, bool replaceStatus,
                               int nOutChannel) const
{
    const std::uint8_t* image = m_pBuffer->GetReadImage();
    const std::int64_t size = m_pBuffer->GetReadSize();
    const std::int64_t start = m_nStartOffset;
    const std::int64_t data = m_nDataOffset;
    const std::int64_t end = m_nEndOffset;
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
