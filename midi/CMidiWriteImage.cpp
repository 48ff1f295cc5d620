// Checked writes to an output image that grows as it is written, up to its capacity.
#include "CMidiWriteImage.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace corvina {

namespace {
// First allocation of an image: most per-channel files and clips fit.
constexpr std::int64_t kFirstAllocation = 64 * 1024;
} // namespace

CMidiWriteImage::CMidiWriteImage() = default;
CMidiWriteImage::~CMidiWriteImage() = default;
CMidiWriteImage::CMidiWriteImage(CMidiWriteImage&&) noexcept = default;
CMidiWriteImage& CMidiWriteImage::operator=(CMidiWriteImage&&) noexcept = default;

void CMidiWriteImage::Clear()
{
    m_pImage.reset();
    m_nWriteAllocated = 0;
    m_nWritePos = 0;
    m_nWriteCapacity = 0;
}

bool CMidiWriteImage::Allocate()
{
    if (m_nWriteCapacity < 0)
        return false;
    if (m_pImage || m_nWriteCapacity == 0)
        return true;
    return Grow(std::min(m_nWriteCapacity, kFirstAllocation));
}

bool CMidiWriteImage::Grow(std::int64_t needed)
{
    if (needed <= m_nWriteAllocated)
        return true;
    if (needed > m_nWriteCapacity)
        return false;
    // Half again as much each time: few copies, and little allocated but never written.
    const std::int64_t size = std::min(m_nWriteCapacity, std::max({needed, m_nWriteAllocated + m_nWriteAllocated / 2,
                                                                   std::min(m_nWriteCapacity, kFirstAllocation)}));
    std::unique_ptr<std::uint8_t[]> grown(new (std::nothrow) std::uint8_t[static_cast<std::size_t>(size)]);
    if (!grown)
        return false;
    if (m_nWriteAllocated > 0)
        std::memcpy(grown.get(), m_pImage.get(), static_cast<std::size_t>(m_nWriteAllocated));
    m_pImage = std::move(grown);
    m_nWriteAllocated = size;
    return true;
}

bool CMidiWriteImage::WriteNumber(std::uint32_t value, int n)
{
    if (n < 0 || n > 4)
        return false;
    for (int i = n - 1; i >= 0; --i) {
        if (!WriteByte(static_cast<std::uint8_t>(value >> (8 * i))))
            return false;
    }
    return true;
}

bool CMidiWriteImage::WriteString(std::string_view text)
{
    for (char c : text) {
        if (!WriteByte(static_cast<std::uint8_t>(c)))
            return false;
    }
    return true;
}

void CMidiWriteImage::CopyBytes(std::uint8_t* to, const std::uint8_t* from, std::int64_t length)
{
    std::memcpy(to, from, static_cast<std::size_t>(length));
}

bool CMidiWriteImage::WriteVarLength(std::uint32_t value)
{
    if (value > 0x0FFFFFFFu)
        return false;
    std::uint8_t groups[4];
    int count = 0;
    do {
        groups[count++] = static_cast<std::uint8_t>(value & 0x7Fu);
        value >>= 7;
    } while (value != 0);
    for (int i = count - 1; i >= 0; --i) {
        if (!WriteByte(static_cast<std::uint8_t>(groups[i] | (i > 0 ? 0x80u : 0u))))
            return false;
    }
    return true;
}

bool CMidiWriteImage::Flush(std::FILE* file) const
{
    if (m_nWritePos <= 0)
        return true;
    if (!m_pImage || m_nWritePos > m_nWriteCapacity || m_nWritePos > m_nWriteAllocated)
        return false;
    return std::fwrite(m_pImage.get(), 1, static_cast<std::size_t>(m_nWritePos), file) ==
           static_cast<std::size_t>(m_nWritePos);
}

std::string_view CMidiWriteImage::GetWrittenBytes() const
{
    if (!m_pImage || m_nWritePos <= 0 || m_nWritePos > m_nWriteCapacity || m_nWritePos > m_nWriteAllocated)
        return {};
    return {reinterpret_cast<const char*>(m_pImage.get()), static_cast<std::size_t>(m_nWritePos)};
}

} // namespace corvina
