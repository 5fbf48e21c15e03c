#include "library/NodeStore.h"

#include "library/LargeBlocks.h"

#include <algorithm>
#include <functional>
#include <new>
#include <type_traits>

namespace {
constexpr std::size_t FirstBlockBytes = 16 * 1024;
} // namespace

static_assert(std::is_trivially_destructible_v<LibraryNode>, "nodes are freed with their blocks, unvisited");
// A hundred thousand songs: every byte here is 100 kB.
static_assert(sizeof(LibraryNode) <= 56, "a node stays small");

NodeStore::~NodeStore()
{
    for (const Block &b : blocks)
        LargeBlocks::release(b.nodes, b.bytes);
}

void NodeStore::reserve(NodeList &list, std::size_t capacity)
{
    if (capacity <= list.capacity())
        return;
    // The old room is left where it is: lists grow rarely once a scan has
    // given them their size. Its size stands in front of it.
    auto *room = static_cast<quint64 *>(texts.allocate(sizeof(quint64) + capacity * sizeof(LibraryNode *)));
    room[0] = capacity;
    auto **items = reinterpret_cast<LibraryNode **>(room + 1);
    std::copy_n(list.items, list.count, items);
    list.items = items;
}

void NodeStore::releaseUnused()
{
    if (!blocks.empty()) {
        const Block &b = blocks.back();
        LargeBlocks::releaseUnused(b.nodes, b.used * sizeof(LibraryNode), b.bytes);
    }
    texts.releaseUnused();
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

std::size_t NodeStore::positionOf(const LibraryNode *node) const
{
    auto holds = [node](const Block &b) {
        const std::less<const LibraryNode *> before;
        return !before(node, b.nodes) && before(node, b.nodes + b.used);
    };
    if (lastBlockFound >= blocks.size() || !holds(blocks[lastBlockFound])) {
        const auto found = std::find_if(blocks.begin(), blocks.end(), holds);
        if (found == blocks.end())
            throw std::out_of_range("NodeStore::positionOf");
        lastBlockFound = std::size_t(found - blocks.begin());
    }
    const Block &b = blocks[lastBlockFound];
    return b.first + std::size_t(node - b.nodes);
}
