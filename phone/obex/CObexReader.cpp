// Collects line bytes into whole OBEX packets.
#include "CObexReader.h"

#include <algorithm>

namespace corvina {

void CObexReader::Reset()
{
    m_buffer.clear();
    m_state = State::Incomplete;
}

CObexReader::State CObexReader::Feed(const std::uint8_t* data, std::size_t size, std::size_t* consumed)
{
    std::size_t used = 0;
    while (m_state == State::Incomplete && used < size) {
        const std::size_t wanted = m_buffer.size() < 3 ? 3 : (static_cast<std::size_t>(m_buffer[1]) << 8 | m_buffer[2]);
        const std::size_t take = std::min(wanted - m_buffer.size(), size - used);
        m_buffer.insert(m_buffer.end(), data + used, data + used + take);
        used += take;
        if (m_buffer.size() < 3)
            continue;
        const std::size_t length = static_cast<std::size_t>(m_buffer[1]) << 8 | m_buffer[2];
        if (length < 3 || length > m_maxPacket)
            m_state = State::Invalid;
        else if (m_buffer.size() == length)
            m_state = State::Complete;
    }
    if (consumed)
        *consumed = used;
    return m_state;
}

} // namespace corvina
