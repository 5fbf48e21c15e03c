#include "library/LargeBlocks.h"

#include <cstdint>
#include <cstdlib>
#include <new>
#include <sys/mman.h>

namespace LargeBlocks {

void *allocate(std::size_t bytes)
{
    if (bytes < Mapped) {
        if (void *block = std::malloc(bytes))
            return block;
        throw std::bad_alloc();
    }
    if (bytes < HugePage) {
        void *block = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (block == MAP_FAILED)
            throw std::bad_alloc();
        return block;
    }
    // Map 2 MB more than asked and cut the ends off, so that the
    // block starts on a 2 MB boundary.
    const std::size_t mapped = bytes + HugePage;
    void *area = mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (area == MAP_FAILED)
        throw std::bad_alloc();
    const auto start = reinterpret_cast<std::uintptr_t>(area);
    const std::uintptr_t aligned = (start + HugePage - 1) & ~std::uintptr_t(HugePage - 1);
    if (aligned > start)
        munmap(area, aligned - start);
    const std::uintptr_t end = start + mapped;
    if (end > aligned + bytes)
        munmap(reinterpret_cast<void *>(aligned + bytes), end - (aligned + bytes));
    // Small pages, not huge ones (MADV_HUGEPAGE): on a virtual machine a
    // huge page's first touch now and then costs tens of milliseconds (the
    // host finds and clears 2 MB at once), which made one start-up in two
    // three times slower; small pages are touched as the names fill them.
    return reinterpret_cast<void *>(aligned);
}

void releaseUnused(void *block, std::size_t used, std::size_t bytes)
{
    // Smaller blocks are malloc's, or small pages that were only touched as
    // far as they were used.
    if (!block || bytes < HugePage)
        return;
    constexpr std::uintptr_t page = 4096;
    const auto start = reinterpret_cast<std::uintptr_t>(block);
    const std::uintptr_t from = (start + used + page - 1) & ~(page - 1);
    const std::uintptr_t end = start + bytes;
    if (from >= end)
        return;
    // Never made one huge page again in the background, or the end would
    // be resident once more.
    madvise(block, bytes, MADV_NOHUGEPAGE);
    madvise(reinterpret_cast<void *>(from), end - from, MADV_DONTNEED);
}

void release(void *block, std::size_t bytes)
{
    if (!block)
        return;
    if (bytes < Mapped)
        std::free(block);
    else
        munmap(block, bytes);
}

} // namespace LargeBlocks
