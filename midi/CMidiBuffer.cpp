// Bounds-checked reads from the file image, checked writes to the output image, and the parse log.
#include "CMidiBuffer.h"

#include "CMidiImageReader.h"

#include <new>

namespace corvina {

CMidiBuffer::CMidiBuffer() = default;
CMidiBuffer::~CMidiBuffer() = default;

void CMidiBuffer::Clear()
{
    m_pReadImage.reset();
    m_nReadSize = 0;
    m_nReadPos = 0;
    m_Write.Clear();
    m_strParseLog.clear();
}

bool CMidiBuffer::CreateReadImage(std::int32_t size)
{
    m_pReadImage.reset();
    m_nReadSize = 0;
    if (size <= 0)
        return false;
    m_pReadImage.reset(new (std::nothrow) std::uint8_t[static_cast<std::size_t>(size)]);
    if (!m_pReadImage)
        return false;
    m_nReadSize = size;
    return true;
}

std::uint32_t CMidiBuffer::ReadNumber(int n)
{
    CMidiImageReader reader(m_pReadImage.get(), m_nReadSize, m_nReadPos);
    const std::uint32_t value = reader.ReadNumber(n);
    m_nReadPos = reader.GetReadPos();
    return value;
}

std::string CMidiBuffer::ReadString(int n)
{
    if (n < 0 || m_nReadPos < 0 || m_nReadSize - m_nReadPos < n)
        return {};
    std::string text(reinterpret_cast<const char*>(&m_pReadImage[static_cast<std::size_t>(m_nReadPos)]),
                     static_cast<std::size_t>(n));
    m_nReadPos += n;
    return text;
}

bool CMidiBuffer::ReadLongVarLength(std::uint32_t& value)
{
    CMidiImageReader reader(m_pReadImage.get(), m_nReadSize, m_nReadPos);
    if (!reader.ReadVarLength(value)) {
        LogError("ReadVarLength failed");
        return false;
    }
    m_nReadPos = reader.GetReadPos();
    return true;
}

void CMidiBuffer::LogField(const char* name, std::int64_t value)
{
    char line[160];
    const int pos = static_cast<int>(m_nReadPos);
    std::snprintf(line, sizeof line, "%s %d (%d, %x)\n", name, static_cast<int>(value), pos,
                  static_cast<unsigned>(pos));
    m_strParseLog += line;
}

void CMidiBuffer::LogError(const char* message)
{
    char line[160];
    std::snprintf(line, sizeof line, "%s\n%d: ", message, static_cast<int>(m_nReadPos));
    m_strParseLog += line;
}

} // namespace corvina
