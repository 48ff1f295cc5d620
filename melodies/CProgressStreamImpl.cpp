// A stream that wraps the file sent to the phone and moves the progress window as the file is read.
#include "CProgressStreamImpl.h"

#include "CComError.h"
#include "CFileStream.h"

#include <cmath>

namespace corvina {

CProgressStreamImpl::CProgressStreamImpl(IProgressDlg* progressDlg, std::int32_t base)
    : m_pInnerStream(), m_pProgressDlg(progressDlg), m_nTotal(0), m_nDone(0), m_nBase(base), m_nCancelled(0)
{
}

HRESULT CProgressStreamImpl::CreateFromFile(const std::filesystem::path& path)
{
    std::shared_ptr<IStream> stream;
    if (HRESULT hr = CFileStream::CreateFromFile(path, stream); FAILED(hr))
        return hr;
    // The size comes from the opened file, so a file replaced between opening and measuring cannot
    // give a total that does not match the bytes read.
    STATSTG stat;
    if (HRESULT hr = stream->Stat(&stat, 0); FAILED(hr))
        return hr;
    m_pInnerStream = std::move(stream);
    m_nTotal = stat.cbSize;
    return S_OK;
}

HRESULT CProgressStreamImpl::Read(void* pv, std::uint32_t cb, std::uint32_t* pcbRead)
{
    if (!m_pInnerStream) {
        if (pcbRead)
            *pcbRead = 0;
        return E_POINTER;
    }
    if (!m_pProgressDlg)
        CComError::ThrowCurrent(E_POINTER);
    CComError::ThrowIfFailed(m_pProgressDlg->HasUserCancelled(&m_nCancelled));
    if (m_nCancelled != 0) {
        // The reader sees the end of the data; what it got so far is short of the file's size.
        if (pcbRead)
            *pcbRead = 0;
        return S_FALSE;
    }

    // The caller may pass no count, but the progress needs one.
    std::uint32_t read = 0;
    const HRESULT hr = m_pInnerStream->Read(pv, cb, &read);
    if (pcbRead)
        *pcbRead = read;
    if (SUCCEEDED(hr) && read > 0) {
        m_nDone += read;
        // A file that grew after it was measured (or was empty then) stays at 100 percent rather
        // than running past the window's range.
        double percent = 100.0;
        if (m_nDone < m_nTotal)
            percent = std::trunc(100.0 * static_cast<double>(m_nDone) / static_cast<double>(m_nTotal));
        const auto position =
            static_cast<std::int32_t>(static_cast<std::int64_t>(m_nBase) + static_cast<std::int64_t>(percent));
        CComError::ThrowIfFailed(m_pProgressDlg->SetPos(position));
    }
    return hr;
}

HRESULT CProgressStreamImpl::Write(const void* pv, std::uint32_t cb, std::uint32_t* pcbWritten)
{
    return m_pInnerStream ? m_pInnerStream->Write(pv, cb, pcbWritten) : E_POINTER;
}

HRESULT CProgressStreamImpl::Seek(std::int64_t dlibMove, STREAM_SEEK origin, std::uint64_t* plibNewPosition)
{
    return m_pInnerStream ? m_pInnerStream->Seek(dlibMove, origin, plibNewPosition) : E_POINTER;
}

HRESULT CProgressStreamImpl::SetSize(std::uint64_t libNewSize)
{
    return m_pInnerStream ? m_pInnerStream->SetSize(libNewSize) : E_POINTER;
}

HRESULT CProgressStreamImpl::CopyTo(IStream* pstm, std::uint64_t cb, std::uint64_t* pcbRead, std::uint64_t* pcbWritten)
{
    return m_pInnerStream ? m_pInnerStream->CopyTo(pstm, cb, pcbRead, pcbWritten) : E_POINTER;
}

HRESULT CProgressStreamImpl::Commit(std::uint32_t grfCommitFlags)
{
    return m_pInnerStream ? m_pInnerStream->Commit(grfCommitFlags) : E_POINTER;
}

HRESULT CProgressStreamImpl::Revert()
{
    return m_pInnerStream ? m_pInnerStream->Revert() : E_POINTER;
}

HRESULT CProgressStreamImpl::LockRegion(std::uint64_t libOffset, std::uint64_t cb, std::uint32_t dwLockType)
{
    return m_pInnerStream ? m_pInnerStream->LockRegion(libOffset, cb, dwLockType) : E_POINTER;
}

HRESULT CProgressStreamImpl::UnlockRegion(std::uint64_t libOffset, std::uint64_t cb, std::uint32_t dwLockType)
{
    return m_pInnerStream ? m_pInnerStream->UnlockRegion(libOffset, cb, dwLockType) : E_POINTER;
}

HRESULT CProgressStreamImpl::Stat(STATSTG* pstatstg, std::uint32_t grfStatFlag)
{
    return m_pInnerStream ? m_pInnerStream->Stat(pstatstg, grfStatFlag) : E_POINTER;
}

HRESULT CProgressStreamImpl::Clone(std::shared_ptr<IStream>* ppstm)
{
    return m_pInnerStream ? m_pInnerStream->Clone(ppstm) : E_POINTER;
}

} // namespace corvina
