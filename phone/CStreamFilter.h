// A stream that hands every operation to another one; filters derive from it and change what they
// watch (the reads of a transfer, for a progress or a cancel) instead of repeating the rest.
#pragma once

#include <memory>
#include <utility>

#include "IStream.h"

namespace corvina {

class CStreamFilter : public IStream {
public:
    explicit CStreamFilter(std::shared_ptr<IStream> inner) : m_inner(std::move(inner)) {}

    HRESULT Read(void* pv, std::uint32_t cb, std::uint32_t* pcbRead) override { return m_inner->Read(pv, cb, pcbRead); }
    HRESULT Write(const void* pv, std::uint32_t cb, std::uint32_t* w) override { return m_inner->Write(pv, cb, w); }
    HRESULT Seek(std::int64_t m, STREAM_SEEK o, std::uint64_t* p) override { return m_inner->Seek(m, o, p); }
    HRESULT SetSize(std::uint64_t s) override { return m_inner->SetSize(s); }
    HRESULT CopyTo(IStream* s, std::uint64_t cb, std::uint64_t* r, std::uint64_t* w) override
    {
        return m_inner->CopyTo(s, cb, r, w);
    }
    HRESULT Commit(std::uint32_t f) override { return m_inner->Commit(f); }
    HRESULT Revert() override { return m_inner->Revert(); }
    HRESULT LockRegion(std::uint64_t o, std::uint64_t cb, std::uint32_t t) override
    {
        return m_inner->LockRegion(o, cb, t);
    }
    HRESULT UnlockRegion(std::uint64_t o, std::uint64_t cb, std::uint32_t t) override
    {
        return m_inner->UnlockRegion(o, cb, t);
    }
    HRESULT Stat(STATSTG* s, std::uint32_t f) override { return m_inner->Stat(s, f); }
    HRESULT Clone(std::shared_ptr<IStream>* s) override { return m_inner->Clone(s); }

protected:
    IStream& Inner() { return *m_inner; }

private:
    std::shared_ptr<IStream> m_inner;
};

} // namespace corvina
