// Building and reading OBEX packets and their headers.
#include "CObexPacket.h"
#include "Utf8.h"

namespace corvina {

namespace obex {

std::optional<std::vector<std::uint8_t>> Utf16FromUtf8(const std::string& text)
{
    std::vector<std::uint8_t> out;
    auto put = [&out](std::uint32_t unit) {
        out.push_back(static_cast<std::uint8_t>(unit >> 8));
        out.push_back(static_cast<std::uint8_t>(unit & 0xFF));
    };
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        std::size_t extra = c < 0x80 ? 0 : (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2 : (c & 0xF8) == 0xF0 ? 3 : 9;
        if (extra == 9 || i + extra >= text.size())
            return std::nullopt;
        std::uint32_t code = extra == 0 ? c : extra == 1 ? (c & 0x1F) : extra == 2 ? (c & 0x0F) : (c & 0x07);
        for (std::size_t k = 1; k <= extra; ++k) {
            const unsigned char next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80)
                return std::nullopt;
            code = (code << 6) | (next & 0x3F);
        }
        // Overlong forms, surrogates and values beyond Unicode are not text.
        static constexpr std::uint32_t kMinimum[] = {0, 0x80, 0x800, 0x10000};
        if (code < kMinimum[extra] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF) || code == 0)
            return std::nullopt;
        if (code >= 0x10000) {
            code -= 0x10000;
            put(0xD800 + (code >> 10));
            put(0xDC00 + (code & 0x3FF));
        } else {
            put(code);
        }
        i += extra + 1;
    }
    put(0);
    return out;
}

std::optional<std::string> Utf8FromUtf16(const std::uint8_t* data, std::size_t size)
{
    if (size % 2 != 0)
        return std::nullopt;
    std::string out;
    for (std::size_t i = 0; i < size; i += 2) {
        std::uint32_t code = (static_cast<std::uint32_t>(data[i]) << 8) | data[i + 1];
        if (code == 0) {
            // The terminating zero ends the text; nothing may follow it.
            if (i + 2 != size)
                return std::nullopt;
            break;
        }
        if (code >= 0xDC00 && code <= 0xDFFF)
            return std::nullopt;
        if (code >= 0xD800 && code <= 0xDBFF) {
            if (i + 3 >= size)
                return std::nullopt;
            const std::uint32_t low = (static_cast<std::uint32_t>(data[i + 2]) << 8) | data[i + 3];
            if (low < 0xDC00 || low > 0xDFFF)
                return std::nullopt;
            code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
            i += 2;
        }
        AppendUtf8(out, code);
    }
    return out;
}

} // namespace obex

namespace {

enum class Encoding { Text, Bytes, Byte, Word };

Encoding EncodingOf(std::uint8_t id)
{
    switch (id >> 6) {
    case 0: return Encoding::Text;
    case 1: return Encoding::Bytes;
    case 2: return Encoding::Byte;
    default: return Encoding::Word;
    }
}

} // namespace

std::size_t CObexPacket::FieldBytesFor(std::uint8_t opcode)
{
    if (opcode == obex::kOpConnect)
        return 4;
    if (opcode == obex::kOpSetPath)
        return 2;
    return 0;
}

CObexPacket& CObexPacket::AddText(std::uint8_t id, const std::string& utf8)
{
    SObexHeader header;
    header.id = id;
    header.text = utf8;
    m_headers.push_back(std::move(header));
    return *this;
}

CObexPacket& CObexPacket::AddBytes(std::uint8_t id, std::vector<std::uint8_t> bytes)
{
    SObexHeader header;
    header.id = id;
    header.bytes = std::move(bytes);
    m_headers.push_back(std::move(header));
    return *this;
}

CObexPacket& CObexPacket::AddAsciiZ(std::uint8_t id, const std::string& text)
{
    std::vector<std::uint8_t> bytes(text.begin(), text.end());
    bytes.push_back(0);
    return AddBytes(id, std::move(bytes));
}

CObexPacket& CObexPacket::AddNumber(std::uint8_t id, std::uint32_t value)
{
    SObexHeader header;
    header.id = id;
    header.value = value;
    m_headers.push_back(std::move(header));
    return *this;
}

const SObexHeader* CObexPacket::Find(std::uint8_t id) const
{
    for (const SObexHeader& header : m_headers)
        if (header.id == id)
            return &header;
    return nullptr;
}

std::size_t CObexPacket::BuiltSize() const
{
    std::size_t size = 3 + m_fields.size();
    for (const SObexHeader& header : m_headers) {
        switch (EncodingOf(header.id)) {
        case Encoding::Text:
            // An empty Name is sent as the bare header (the "root" form of SETPATH).
            if (header.text.empty()) {
                size += 3;
            } else {
                auto encoded = obex::Utf16FromUtf8(header.text);
                size += 3 + (encoded ? encoded->size() : 0);
            }
            break;
        case Encoding::Bytes: size += 3 + header.bytes.size(); break;
        case Encoding::Byte: size += 2; break;
        case Encoding::Word: size += 5; break;
        }
    }
    return size;
}

std::optional<std::vector<std::uint8_t>> CObexPacket::Build() const
{
    std::vector<std::uint8_t> out;
    out.push_back(m_code);
    out.push_back(0);
    out.push_back(0);
    out.insert(out.end(), m_fields.begin(), m_fields.end());
    auto put16 = [&out](std::size_t value) {
        out.push_back(static_cast<std::uint8_t>(value >> 8));
        out.push_back(static_cast<std::uint8_t>(value & 0xFF));
    };
    for (const SObexHeader& header : m_headers) {
        out.push_back(header.id);
        switch (EncodingOf(header.id)) {
        case Encoding::Text: {
            std::vector<std::uint8_t> text;
            if (!header.text.empty()) {
                auto encoded = obex::Utf16FromUtf8(header.text);
                if (!encoded)
                    return std::nullopt;
                text = std::move(*encoded);
            }
            if (text.size() + 3 > obex::kMaxPacket)
                return std::nullopt;
            put16(text.size() + 3);
            out.insert(out.end(), text.begin(), text.end());
            break;
        }
        case Encoding::Bytes:
            if (header.bytes.size() + 3 > obex::kMaxPacket)
                return std::nullopt;
            put16(header.bytes.size() + 3);
            out.insert(out.end(), header.bytes.begin(), header.bytes.end());
            break;
        case Encoding::Byte: out.push_back(static_cast<std::uint8_t>(header.value)); break;
        case Encoding::Word:
            for (int shift = 24; shift >= 0; shift -= 8)
                out.push_back(static_cast<std::uint8_t>(header.value >> shift));
            break;
        }
    }
    if (out.size() > obex::kMaxPacket)
        return std::nullopt;
    out[1] = static_cast<std::uint8_t>(out.size() >> 8);
    out[2] = static_cast<std::uint8_t>(out.size() & 0xFF);
    return out;
}

std::optional<CObexPacket> CObexPacket::Parse(const std::vector<std::uint8_t>& data, std::size_t fieldBytes)
{
    if (data.size() < 3 + fieldBytes)
        return std::nullopt;
    const std::size_t length = (static_cast<std::size_t>(data[1]) << 8) | data[2];
    if (length != data.size())
        return std::nullopt;
    CObexPacket packet(data[0]);
    packet.m_fields.assign(data.begin() + 3, data.begin() + 3 + static_cast<std::ptrdiff_t>(fieldBytes));
    std::size_t at = 3 + fieldBytes;
    while (at < data.size()) {
        SObexHeader header;
        header.id = data[at];
        const std::size_t left = data.size() - at;
        switch (EncodingOf(header.id)) {
        case Encoding::Text:
        case Encoding::Bytes: {
            if (left < 3)
                return std::nullopt;
            const std::size_t size = (static_cast<std::size_t>(data[at + 1]) << 8) | data[at + 2];
            if (size < 3 || size > left)
                return std::nullopt;
            const std::uint8_t* body = data.data() + at + 3;
            if (EncodingOf(header.id) == Encoding::Text) {
                auto text = obex::Utf8FromUtf16(body, size - 3);
                if (!text)
                    return std::nullopt;
                header.text = std::move(*text);
            } else {
                header.bytes.assign(body, body + (size - 3));
            }
            at += size;
            break;
        }
        case Encoding::Byte:
            if (left < 2)
                return std::nullopt;
            header.value = data[at + 1];
            at += 2;
            break;
        case Encoding::Word:
            if (left < 5)
                return std::nullopt;
            header.value = (static_cast<std::uint32_t>(data[at + 1]) << 24) |
                           (static_cast<std::uint32_t>(data[at + 2]) << 16) |
                           (static_cast<std::uint32_t>(data[at + 3]) << 8) | data[at + 4];
            at += 5;
            break;
        }
        packet.m_headers.push_back(std::move(header));
    }
    return packet;
}

} // namespace corvina
