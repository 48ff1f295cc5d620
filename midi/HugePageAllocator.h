// Allocator for the engine's large arrays: blocks of 2 MiB and more ask the kernel for huge pages, so
// that a file of a million events does not pay for tens of thousands of page faults.
#pragma once

#include <cstddef>
#include <cstdlib>
#include <memory>
#include <new>

#include <sys/mman.h>

namespace corvina {

template <class T> class HugePageAllocator {
public:
    using value_type = T;
    static constexpr std::size_t kHugePage = std::size_t{2} << 20;

    HugePageAllocator() = default;
    template <class U> HugePageAllocator(const HugePageAllocator<U>&) noexcept {}

    // Small blocks come from the ordinary allocator; large ones are huge-page aligned and advised.
    T* allocate(std::size_t n)
    {
        if (n > static_cast<std::size_t>(-1) / sizeof(T))
            throw std::bad_alloc();
        const std::size_t bytes = n * sizeof(T);
        if (bytes < kHugePage)
            return std::allocator<T>().allocate(n);
        const std::size_t rounded = (bytes + kHugePage - 1) / kHugePage * kHugePage;
        void* block = std::aligned_alloc(kHugePage, rounded);
        if (!block)
            throw std::bad_alloc();
        ::madvise(block, rounded, MADV_HUGEPAGE);
        return static_cast<T*>(block);
    }
    void deallocate(T* p, std::size_t n) noexcept
    {
        if (n * sizeof(T) < kHugePage)
            std::allocator<T>().deallocate(p, n);
        else
            std::free(p);
    }
    template <class U> bool operator==(const HugePageAllocator<U>&) const noexcept { return true; }
};

} // namespace corvina
