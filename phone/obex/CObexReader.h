// Collects the bytes arriving on the line into whole OBEX packets, refusing lengths that cannot be.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace corvina {

class CObexReader {
public:
    enum class State { Incomplete, Complete, Invalid };

    // maxPacket: the largest packet accepted (what this side announced).
    explicit CObexReader(std::size_t maxPacket = 0xFFFF) : m_maxPacket(maxPacket) {}

    // Takes bytes; consumed tells how many belong to the current packet (the rest, if any, is
    // the start of the next one). Complete once the packet's length is there; Invalid for a length
    // field below 3 or above the maximum, after which nothing more is taken.
    State Feed(const std::uint8_t* data, std::size_t size, std::size_t* consumed = nullptr);
    State Current() const { return m_state; }
    // The whole packet once Complete.
    const std::vector<std::uint8_t>& Packet() const { return m_buffer; }
    // Ready for the next packet.
    void Reset();

private:
    std::size_t m_maxPacket;
    std::vector<std::uint8_t> m_buffer;
    State m_state = State::Incomplete;
};

} // namespace corvina
