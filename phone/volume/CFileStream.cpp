// A read-only stream on a file on the PC.
#include "CFileStream.h"

#include "OleDate.h"
#include "PhoneErrors.h"

#include <cerrno>
#include <sys/stat.h>
#include <vector>

namespace corvina {

CFileStream::CFileStream(std::FILE* file, std::filesystem::path path) : m_file(file), m_path(std::move(path)) {}

CFileStream::~CFileStream()
{
    std::fclose(m_file);
}

HRESULT CFileStream::CreateFromFile(const std::filesystem::path& path, std::shared_ptr<IStream>& stream)
{
    stream.reset();
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec))
        return E_ACCESSDENIED;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return errno == ENOENT || errno == ENOTDIR ? HR_PATH_NOT_FOUND : E_ACCESSDENIED;
    stream.reset(new CFileStream(file, path));
    return S_OK;
}

HRESULT CFileStream::Read(void* pv, std::uint32_t cb, std::uint32_t* pcbRead)
{
    if (!pv && cb > 0)
        return E_POINTER;
    const std::size_t got = std::fread(pv, 1, cb, m_file);
    if (pcbRead)
        *pcbRead = static_cast<std::uint32_t>(got);
    if (got < cb && std::ferror(m_file))
        return E_FAIL;
    return got == cb ? S_OK : S_FALSE;
}

HRESULT CFileStream::Write(const void*, std::uint32_t, std::uint32_t* pcbWritten)
{
    if (pcbWritten)
        *pcbWritten = 0;
    return E_ACCESSDENIED;
}

HRESULT CFileStream::Seek(std::int64_t dlibMove, STREAM_SEEK origin, std::uint64_t* plibNewPosition)
{
    int whence = SEEK_SET;
    switch (origin) {
    case STREAM_SEEK_SET: whence = SEEK_SET; break;
    case STREAM_SEEK_CUR: whence = SEEK_CUR; break;
    case STREAM_SEEK_END: whence = SEEK_END; break;
    default: return E_INVALIDARG;
    }
    if (fseeko(m_file, static_cast<off_t>(dlibMove), whence) != 0)
        return E_INVALIDARG;
    if (plibNewPosition)
        *plibNewPosition = static_cast<std::uint64_t>(ftello(m_file));
    return S_OK;
}

HRESULT CFileStream::SetSize(std::uint64_t)
{
    return E_ACCESSDENIED;
}

HRESULT CFileStream::CopyTo(IStream* pstm, std::uint64_t cb, std::uint64_t* pcbRead, std::uint64_t* pcbWritten)
{
    if (!pstm)
        return E_POINTER;
    std::uint64_t read = 0;
    std::uint64_t written = 0;
    HRESULT hr = S_OK;
    std::vector<unsigned char> buffer(64 * 1024);
    while (read < cb) {
        std::uint32_t want = static_cast<std::uint32_t>(std::min<std::uint64_t>(buffer.size(), cb - read));
        std::uint32_t got = 0;
        hr = Read(buffer.data(), want, &got);
        if (FAILED(hr) || got == 0)
            break;
        read += got;
        std::uint32_t put = 0;
        hr = pstm->Write(buffer.data(), got, &put);
        written += put;
        if (FAILED(hr))
            break;
    }
    if (pcbRead)
        *pcbRead = read;
    if (pcbWritten)
        *pcbWritten = written;
    return FAILED(hr) ? hr : S_OK;
}

HRESULT CFileStream::Commit(std::uint32_t)
{
    // Nothing is ever written through this stream.
    return S_OK;
}

HRESULT CFileStream::Revert()
{
    return S_OK;
}

HRESULT CFileStream::LockRegion(std::uint64_t, std::uint64_t, std::uint32_t)
{
    return E_NOTIMPL;
}

HRESULT CFileStream::UnlockRegion(std::uint64_t, std::uint64_t, std::uint32_t)
{
    return E_NOTIMPL;
}

HRESULT CFileStream::Stat(STATSTG* pstatstg, std::uint32_t)
{
    if (!pstatstg)
        return E_POINTER;
    struct stat info {};
    if (fstat(fileno(m_file), &info) != 0)
        return E_FAIL;
    pstatstg->pwcsName = m_path.string();
    pstatstg->cbSize = static_cast<std::uint64_t>(info.st_size);
    pstatstg->mtime = OleDateFromTime(info.st_mtime);
    return S_OK;
}

HRESULT CFileStream::Clone(std::shared_ptr<IStream>* ppstm)
{
    if (!ppstm)
        return E_POINTER;
    std::shared_ptr<IStream> copy;
    if (HRESULT hr = CreateFromFile(m_path, copy); FAILED(hr))
        return hr;
    if (HRESULT hr = copy->Seek(ftello(m_file), STREAM_SEEK_SET, nullptr); FAILED(hr))
        return hr;
    *ppstm = std::move(copy);
    return S_OK;
}

} // namespace corvina
