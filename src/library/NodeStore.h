#pragma once

// The nodes of one library tree and the characters of their names, made in
// large blocks and kept together: a node's texts live exactly as long as the
// node does. The tree holds its store; a snapshot of the tree shares it, so
// that putting the tree back from the snapshot moves no text and makes no
// node.

#include "library/NodeText.h"
#include "library/TextArena.h"

#include <cstddef>
#include <vector>

struct LibraryNode
{
    NodeText Text;
    NodeText Key;
    LibraryNode *Parent = nullptr;
    // In order of addition, wherever the children stand in the collection.
    std::vector<LibraryNode *> Children;
    int Index = 0; // 1-based position in the collection; 0 once taken out
    int Row = 0;   // position among its siblings (root nodes or the parent's children)
    NodeTag Tag;
    quint8 Image = 0;
    bool Bold = false;
    bool Checked = false;

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
    template<typename Visit> void forEach(Visit visit) const
    {
        for (const Block &b : blocks)
            for (std::size_t i = 0; i < b.used; ++i)
                visit(&b.nodes[i]);
    }

    // The names of the nodes: text kept here lives as long as the store.
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
};
