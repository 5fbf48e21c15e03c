#pragma once

// A copy of the full library tree, taken after each scan that finds songs,
// from which the search filter rebuilds the tree without reading the disk.
//
// The snapshot shares the tree's node store instead of copying names: the
// nodes it lists stay allocated while it lives, whatever happens to the tree
// (a filter pass, a removal, a clear), and a rebuild puts them back. What the
// tree changes in a node later (picture, bold, check, tag) the snapshot does
// not keep; it keeps each node's picture and kind as they were when taken.

#include "library/NodeStore.h"

#include <cstddef>
#include <iterator>
#include <memory>
#include <vector>

// What the snapshot says of one node, as a view that lives as long as the
// snapshot.
struct TreeNodeRecord
{
    NodeText Text;
    NodeText Key;
    quint8 Image = 0;
    bool IsLeaf = false;
    // For a song: the key of its artist node. Empty for an artist.
    NodeText ParentKey;
    LibraryNode *Node = nullptr;
};

// Element i describes node i + 1, in order of addition.
class TreeNodeRecords
{
public:
    std::size_t size() const { return entries.size(); }
    bool empty() const { return entries.empty(); }
    TreeNodeRecord operator[](std::size_t i) const;

    class const_iterator
    {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = TreeNodeRecord;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = TreeNodeRecord;

        const_iterator() = default;
        TreeNodeRecord operator*() const { return (*records)[i]; }
        const_iterator &operator++()
        {
            ++i;
            return *this;
        }
        const_iterator operator++(int)
        {
            const_iterator before = *this;
            ++i;
            return before;
        }
        friend bool operator==(const const_iterator &a, const const_iterator &b) { return a.i == b.i; }

    private:
        friend class TreeNodeRecords;
        const_iterator(const TreeNodeRecords *of, std::size_t at) : records(of), i(at) {}
        const TreeNodeRecords *records = nullptr;
        std::size_t i = 0;
    };
    const_iterator begin() const { return const_iterator(this, 0); }
    const_iterator end() const { return const_iterator(this, size()); }

    // Takes the song with this key out of the snapshot, and its artist too
    // when that was the artist's last song in it. False when the snapshot
    // holds no such song.
    bool dropSong(QStringView key);

private:
    friend class LibraryTree;
    LibraryNode *nodeAt(std::size_t i) const
    {
        return store->at(positions.empty() ? i : std::size_t(positions[i]));
    }

    struct Entry
    {
        quint8 Image = 0;
        bool IsLeaf = false;
    };
    std::shared_ptr<NodeStore> store;
    std::vector<Entry> entries;
    // Where each node stands in the store. Empty while the snapshot holds
    // exactly the store's first size() nodes, as it does after a scan.
    std::vector<quint32> positions;
    // The row each node had among its siblings. Empty while every node's
    // siblings stood in their order of addition, as they do after a scan.
    std::vector<quint32> rows;
};
