// libFuzzer target: the OBEX packet reader and packet parser on any bytes, fed in pieces of the
// size the first byte chooses; a packet that parses must build again and read back the same.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "CObexPacket.h"
#include "CObexReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    const std::size_t piece = (data[0] & 0x3F) + 1;
    const std::size_t fields = data[1] % 3 == 0 ? 0 : data[1] % 3 == 1 ? 2 : 4;
    data += 2;
    size -= 2;
    corvina::CObexReader reader(0x2000);
    std::size_t at = 0;
    while (at < size) {
        std::size_t used = 0;
        const auto state = reader.Feed(data + at, std::min(piece, size - at), &used);
        at += used;
        if (state == corvina::CObexReader::State::Invalid)
            break;
        if (state == corvina::CObexReader::State::Incomplete) {
            if (used == 0)
                std::abort(); // a reader that takes nothing while incomplete would wedge the line
            continue;
        }
        const std::vector<std::uint8_t>& packet = reader.Packet();
        if (auto parsed = corvina::CObexPacket::Parse(packet, fields)) {
            // Text a peer sent without its terminating zero is written back with it, so the bytes
            // may differ; what they say may not.
            auto built = parsed->Build();
            if (!built)
                std::abort();
            auto again = corvina::CObexPacket::Parse(*built, fields);
            if (!again || again->Code() != parsed->Code() || again->Fields() != parsed->Fields() ||
                again->Headers().size() != parsed->Headers().size())
                std::abort();
            for (std::size_t i = 0; i < parsed->Headers().size(); ++i) {
                const auto& a = parsed->Headers()[i];
                const auto& b = again->Headers()[i];
                if (a.id != b.id || a.text != b.text || a.bytes != b.bytes || a.value != b.value)
                    std::abort();
            }
        }
        reader.Reset();
    }
    return 0;
}
