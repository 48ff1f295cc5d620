// A read-only stream on a file on the PC: the source of every transfer to the phone.
#pragma once

#include "IStream.h"

#include <cstdio>
#include <filesystem>

namespace corvina {

class CFileStream : public IStream {
public:
    // Opens the file for reading; S_OK, or HR_PATH_NOT_FOUND / E_ACCESSDENIED.
    static HRESULT CreateFromFile(const std::filesystem::path& path, std::shared_ptr<IStream>& stream);
    ~CFileStream() override;
    CFileStream(const CFileStream&) = delete;
    CFileStream& operator=(const CFileStream&) = delete;

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
    CFileStream(std::FILE* file, std::filesystem::path path);

    std::FILE* m_file;
    std::filesystem::path m_path;
};

} // namespace corvina
