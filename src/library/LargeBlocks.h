#pragma once

// Memory for the library's nodes and names, in blocks of 2 MB after a small
// first one. A block of 2 MB is mapped straight from the system, aligned to
// 2 MB, in small pages touched as they fill (huge pages were tried: on a
// virtual machine their first touch now and then costs tens of
// milliseconds). Text that is kept only for a while (one folder's names)
// takes blocks that double up to ScratchMost instead: a few kB of names
// cost a few kB.

#include <cstddef>

namespace LargeBlocks {

inline constexpr std::size_t HugePage = std::size_t(2) << 20;
// Blocks from this size on are mapped from the system, and given back to
// it when released (not kept by malloc for the next allocation).
inline constexpr std::size_t Mapped = std::size_t(64) << 10;
inline constexpr std::size_t ScratchMost = std::size_t(1) << 20;

// bytes of uninitialised memory, aligned for any type; throws std::bad_alloc.
void *allocate(std::size_t bytes);
void release(void *block, std::size_t bytes);
// Gives the pages of a block past its first used bytes back to the system,
// once the block is filled as far as it will be for a while (where the
// system made it a huge page of its own accord, the end a scan did not fill
// would otherwise stay resident). The room stays usable (it comes back
// zeroed).
void releaseUnused(void *block, std::size_t used, std::size_t bytes);

// The size of the block to take after one of previous bytes (0 for the
// first): a small one for a small library, then 2 MB blocks, few mappings
// for a large one.
constexpr std::size_t nextSize(std::size_t previous, std::size_t first)
{
    return previous == 0 ? first : HugePage;
}

// The same for memory kept only for a while: doubling, never a huge page.
constexpr std::size_t nextScratchSize(std::size_t previous, std::size_t first)
{
    return previous == 0 ? first : previous * 2 > ScratchMost ? ScratchMost : previous * 2;
}

} // namespace LargeBlocks
