#include "library/NodeStore.h"

#include "library/LargeBlocks.h"

#include <algorithm>
#include <new>

namespace {
constexpr std::size_t FirstBlockBytes = 16 * 1024;
} // namespace

NodeStore::~NodeStore()
{
    for (const Block &b : blocks) {
        for (std::size_t i = 0; i < b.used; ++i)
            b.nodes[i].~LibraryNode();
        LargeBlocks::release(b.nodes, b.bytes);
    }
}

LibraryNode *NodeStore::make()
{
    if (blocks.empty() || blocks.back().used == blocks.back().capacity) {
        const std::size_t bytes = LargeBlocks::nextSize(blocks.empty() ? 0 : blocks.back().bytes, FirstBlockBytes);
        Block b;
        b.nodes = static_cast<LibraryNode *>(LargeBlocks::allocate(bytes));
        b.bytes = bytes;
        b.capacity = bytes / sizeof(LibraryNode);
        b.first = count;
        blocks.push_back(b);
    }
    Block &b = blocks.back();
    LibraryNode *n = new (&b.nodes[b.used]) LibraryNode;
    ++b.used;
    ++count;
    return n;
}

LibraryNode *NodeStore::at(std::size_t position) const
{
    if (position >= count)
        return nullptr;
    const auto after = std::upper_bound(blocks.begin(), blocks.end(), position,
                                        [](std::size_t p, const Block &b) { return p < b.first; });
    const Block &b = *(after - 1);
    return &b.nodes[position - b.first];
}
