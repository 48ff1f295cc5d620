// One OBEX packet (a request or a response) with its headers, built to bytes and read from bytes.
#pragma once

#include "ObexProtocol.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace corvina {

// One header: text headers keep their UTF-8 text, byte headers their bytes, number headers the value.
struct SObexHeader {
    std::uint8_t id = 0;
    std::string text;                // Name and other text headers, as UTF-8
    std::vector<std::uint8_t> bytes; // byte-sequence headers (Type, Target, Body, ...)
    std::uint32_t value = 0;         // one-byte and four-byte headers
};

class CObexPacket {
public:
    // The bytes between the length field and the headers: 4 for CONNECT and its response
    // (version, flags, maximum packet length), 2 for SETPATH (flags, constants), else 0.
    static std::size_t FieldBytesFor(std::uint8_t opcode);

    CObexPacket() = default;
    explicit CObexPacket(std::uint8_t code) : m_code(code) {}

    // The operation code of a request or the response code of a response.
    std::uint8_t Code() const { return m_code; }
    void SetCode(std::uint8_t code) { m_code = code; }
    // The bytes between the length field and the headers.
    std::vector<std::uint8_t>& Fields() { return m_fields; }
    const std::vector<std::uint8_t>& Fields() const { return m_fields; }
    const std::vector<SObexHeader>& Headers() const { return m_headers; }

    CObexPacket& AddText(std::uint8_t id, const std::string& utf8);
    CObexPacket& AddBytes(std::uint8_t id, std::vector<std::uint8_t> bytes);
    // A byte header holding the text and its terminating zero (the Type header's form).
    CObexPacket& AddAsciiZ(std::uint8_t id, const std::string& text);
    CObexPacket& AddNumber(std::uint8_t id, std::uint32_t value);

    // The first header with the id, or null.
    const SObexHeader* Find(std::uint8_t id) const;

    // The packet as sent on the line; nothing when it would not fit the length field or a text
    // header is not valid UTF-8.
    std::optional<std::vector<std::uint8_t>> Build() const;
    // Reads one whole packet; fieldBytes as FieldBytesFor gives it for the request it answers.
    // Nothing for a packet whose length field disagrees with its size, or whose headers are cut
    // off, overrun the packet or hold invalid text.
    static std::optional<CObexPacket> Parse(const std::vector<std::uint8_t>& data, std::size_t fieldBytes);

    // The size Build gives, without building (to fill a packet up to the negotiated size).
    std::size_t BuiltSize() const;

private:
    std::uint8_t m_code = 0;
    std::vector<std::uint8_t> m_fields;
    std::vector<SObexHeader> m_headers;
};

namespace obex {
// UTF-8 to UTF-16 big-endian with a terminating zero (the Name header's form); nothing for text
// that is not valid UTF-8.
std::optional<std::vector<std::uint8_t>> Utf16FromUtf8(const std::string& text);
// Back again; a terminating zero is dropped. Nothing for odd lengths or broken surrogate pairs.
std::optional<std::string> Utf8FromUtf16(const std::uint8_t* data, std::size_t size);
} // namespace obex

} // namespace corvina
