// A stream that wraps the file sent to the phone and moves the progress window as the file is read.
#pragma once

#include "IProgressDlg.h"
#include "IStream.h"

#include <cstdint>
#include <filesystem>
#include <memory>

namespace corvina {

// Lives on the caller's stack for one transfer. Reading reports the share of bytes read so far as a
// position of the progress window and stops with S_FALSE once the user has cancelled; every other
// operation is the inner stream's. Without an inner stream (before CreateFromFile succeeded) every
// operation gives E_POINTER.
class CProgressStreamImpl : public IStream {
public:
    // progressDlg receives the positions and is asked for cancellation (not owned, may be null only
    // while nothing is read); base is the position that stands for 0 bytes read.
    CProgressStreamImpl(IProgressDlg* progressDlg, std::int32_t base);
    CProgressStreamImpl(const CProgressStreamImpl&) = default;
    CProgressStreamImpl& operator=(const CProgressStreamImpl&) = default;

    // Opens the file as the inner stream and takes its size as 100 percent; on failure (the file
    // cannot be opened or measured) the stream stays as it was.
    HRESULT CreateFromFile(const std::filesystem::path& path);
    // The plain file stream, for transfers that report no progress.
    std::shared_ptr<IStream> GetInnerStream() const { return m_pInnerStream; }
    // The number of bytes that make 100 percent.
    std::uint64_t GetTotal() const { return m_nTotal; }
    // The number of bytes read through this stream so far.
    std::uint64_t GetDone() const { return m_nDone; }
    // The progress window's last answer to the cancel query (non-zero: cancelled).
    std::int32_t GetCancelled() const { return m_nCancelled; }

    // Asks the window whether the user cancelled (S_FALSE and nothing read when so), reads from the
    // inner stream and moves the window on; a failed call to the window raises ComError.
    HRESULT Read(void* pv, std::uint32_t cb, std::uint32_t* pcbRead) override;
    HRESULT Write(const void* pv, std::uint32_t cb, std::uint32_t* pcbWritten) override;
    HRESULT Seek(std::int64_t dlibMove, STREAM_SEEK origin, std::uint64_t* plibNewPosition) override;
    HRESULT SetSize(std::uint64_t libNewSize) override;
    HRESULT CopyTo(IStream* pstm, std::uint64_t cb, std::uint64_t* pcbRead, std::uint64_t* pcbWritten) override;
    HRESULT Commit(std::uint32_t grfCommitFlags) override;
    HRESULT Revert() override;
    HRESULT LockRegion(std::uint64_t libOffset, std::uint64_t cb, std::uint32_t dwLockType) override;
    HRESULT UnlockRegion(std::uint64_t libOffset, std::uint64_t cb, std::uint32_t dwLockType) override;
    HRESULT Stat(STATSTG* pstatstg, std::uint32_t grfStatFlag) override;
    HRESULT Clone(std::shared_ptr<IStream>* ppstm) override;

private:
    std::shared_ptr<IStream> m_pInnerStream;
    IProgressDlg* m_pProgressDlg;
    std::uint64_t m_nTotal;
    std::uint64_t m_nDone;
    std::int32_t m_nBase;
    std::int32_t m_nCancelled;
};

} // namespace corvina
