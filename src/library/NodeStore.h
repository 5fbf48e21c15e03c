#pragma once

// The nodes of one library tree and the characters of their names, made in
// large blocks and kept together: a node's texts live exactly as long as the
// node does. The tree holds its store; a snapshot of the tree shares it, so
// that putting the tree back from the snapshot moves no text and makes no
// node.

#include "library/NodeText.h"
#include "library/TextArena.h"

#include <cstddef>
#include <stdexcept>
#include <vector>

struct LibraryNode;

// A node's children, or the tree's roots: a list of nodes whose room the
// node store gives (growing it takes the store: NodeStore::append). Read it
// like a std::vector. Twelve bytes: the room's size is kept with the room,
// which a song, having no children, never has.
class __attribute__((packed, aligned(4))) NodeList
{
public:
    using value_type = LibraryNode *;
    using iterator = LibraryNode **;
    using const_iterator = LibraryNode *const *;

    iterator begin() { return items; }
    iterator end() { return items + count; }
    const_iterator begin() const { return items; }
    const_iterator end() const { return items + count; }
    std::size_t size() const { return count; }
    bool empty() const { return count == 0; }
    LibraryNode *front() const { return items[0]; }
    LibraryNode *back() const { return items[count - 1]; }
    LibraryNode *operator[](std::size_t i) const { return items[i]; }
    LibraryNode *&operator[](std::size_t i) { return items[i]; }
    LibraryNode *at(std::size_t i) const
    {
        if (i >= count)
            throw std::out_of_range("NodeList::at");
        return items[i];
    }
    operator std::vector<LibraryNode *>() const { return std::vector<LibraryNode *>(begin(), end()); }

    // Changes that need no more room. The room stays.
    iterator erase(const_iterator at)
    {
        const std::size_t i = std::size_t(at - items);
        for (std::size_t j = i + 1; j < count; ++j)
            items[j - 1] = items[j];
        --count;
        return items + i;
    }
    void resize(std::size_t smaller)
    {
        if (smaller < count)
            count = quint32(smaller);
    }
    void clear() { count = 0; }

private:
    friend class NodeStore;
    // Room for this many items: written by the store in front of them.
    std::size_t capacity() const { return items ? std::size_t(reinterpret_cast<const quint64 *>(items)[-1]) : 0; }

    LibraryNode **items = nullptr;
    quint32 count = 0;
};

struct LibraryNode
{
    NodeText Text;
    NodeText Key;
    LibraryNode *Parent = nullptr;
    // In the order the tree shows them.
    NodeList Children;
    int Index = 0; // 1-based position in the collection (the tree's order); 0 once taken out
    int Row = 0;   // position among its siblings (root nodes or the parent's children)
    NodeTag Tag;
    quint8 Image = 0;
    bool Bold : 1 = false;
    bool Checked : 1 = false;

    // Artists have songs; a song has none. Every walk tells the kinds apart this way.
    bool hasChildren() const { return !Children.empty(); }
    // Still in the tree (not taken out by a removal or a filter pass).
    bool inTree() const { return Index > 0; }
};

class NodeStore
{
public:
    NodeStore() = default;
    ~NodeStore();
    NodeStore(const NodeStore &) = delete;
    NodeStore &operator=(const NodeStore &) = delete;

    // A new node, after every node made before it.
    LibraryNode *make();
    // Nodes in the order they were made.
    std::size_t size() const { return count; }
    LibraryNode *at(std::size_t position) const;
    // Where node, made by this store, stands in it. Quickest for nodes
    // asked for in about the order they were made.
    std::size_t positionOf(const LibraryNode *node) const;
    template<typename Visit> void forEach(Visit visit) const
    {
        for (const Block &b : blocks)
            for (std::size_t i = 0; i < b.used; ++i)
                visit(&b.nodes[i]);
    }

    // Adds node at the end of list, which belongs to this store's nodes
    // (or to the tree holding it).
    void append(NodeList &list, LibraryNode *node)
    {
        if (list.count == list.capacity())
            reserve(list, list.count == 0 ? 1 : std::size_t(list.count) * 2);
        list.items[list.count++] = node;
    }
    // Adds node to list at position at (at most its size), moving the
    // nodes from there one place on.
    void insert(NodeList &list, std::size_t at, LibraryNode *node)
    {
        append(list, node);
        for (std::size_t i = list.count - 1; i > at; --i)
            list.items[i] = list.items[i - 1];
        list.items[at] = node;
    }
    // Room for capacity nodes in list.
    void reserve(NodeList &list, std::size_t capacity);
    // Once filled for a while (after a scan): the unused ends of the last
    // blocks of nodes and names go back to the system.
    void releaseUnused();

    // The names of the nodes, and the room of their lists: what is kept
    // here lives as long as the store.
    TextArena texts;

private:
    struct Block
    {
        LibraryNode *nodes = nullptr;
        std::size_t capacity = 0;
        std::size_t used = 0;
        std::size_t first = 0; // position of nodes[0]
        std::size_t bytes = 0;
    };
    std::vector<Block> blocks;
    std::size_t count = 0;
    mutable std::size_t lastBlockFound = 0;
};
