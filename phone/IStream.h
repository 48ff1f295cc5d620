// A byte stream with the operations of a structured-storage stream, used to hand files to the phone.
#pragma once

#include "HResult.h"

#include <cstdint>
#include <memory>
#include <string>

namespace corvina {

// Where Seek counts from.
enum STREAM_SEEK : std::uint32_t { STREAM_SEEK_SET = 0, STREAM_SEEK_CUR = 1, STREAM_SEEK_END = 2 };

// What Stat tells about a stream.
struct STATSTG {
    std::string pwcsName;     // the file behind the stream, when there is one
    std::uint64_t cbSize = 0; // total size in bytes
    double mtime = 0.0;       // last change as an OLE automation date, 0 when unknown
};

class IStream {
public:
    virtual ~IStream() = default;
    // Reads up to cb bytes; S_OK when cb bytes were read, S_FALSE at the end of the data.
    virtual HRESULT Read(void* pv, std::uint32_t cb, std::uint32_t* pcbRead) = 0;
    // Writes cb bytes; the count written goes to pcbWritten when it is not null.
    virtual HRESULT Write(const void* pv, std::uint32_t cb, std::uint32_t* pcbWritten) = 0;
    // Moves the position; the new position goes to plibNewPosition when it is not null.
    virtual HRESULT Seek(std::int64_t dlibMove, STREAM_SEEK origin, std::uint64_t* plibNewPosition) = 0;
    // Changes the size of the stream.
    virtual HRESULT SetSize(std::uint64_t libNewSize) = 0;
    // Copies up to cb bytes from the present position into another stream.
    virtual HRESULT CopyTo(IStream* pstm, std::uint64_t cb, std::uint64_t* pcbRead, std::uint64_t* pcbWritten) = 0;
    // Makes written data permanent.
    virtual HRESULT Commit(std::uint32_t grfCommitFlags) = 0;
    // Drops changes since the last Commit.
    virtual HRESULT Revert() = 0;
    // Locks and unlocks a byte range.
    virtual HRESULT LockRegion(std::uint64_t libOffset, std::uint64_t cb, std::uint32_t dwLockType) = 0;
    virtual HRESULT UnlockRegion(std::uint64_t libOffset, std::uint64_t cb, std::uint32_t dwLockType) = 0;
    // Fills the statistics record.
    virtual HRESULT Stat(STATSTG* pstatstg, std::uint32_t grfStatFlag) = 0;
    // A second stream on the same data with its own position.
    virtual HRESULT Clone(std::shared_ptr<IStream>* ppstm) = 0;
};

} // namespace corvina
